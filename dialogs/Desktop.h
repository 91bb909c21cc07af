#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

class QWidget;

namespace quendra {

// The file dialogs and the text viewer of the desktop. Like the message service, it can run
// without a display: it then records each dialog and answers from a queue ("" cancels), and
// reports that there is no text viewer.
class Desktop
{
public:
    struct Request
    {
        enum class Kind { Open, Save, Viewer };
        Kind kind = Kind::Open;
        QString folder; // the folder a dialog opens in; the file for the viewer
        QStringList filters;
        int selectedFilter = 1; // 1-based, as in the filter list
    };

    // Shows a text file in the platform's viewer; false when there is none.
    using TextViewer = std::function<bool(const QString &path)>;

    explicit Desktop(bool interactive = true, TextViewer textViewer = {})
        : interactive_(interactive), textViewer_(std::move(textViewer))
    {
    }

    // The chosen file, or "" when the user cancels. Filters are written "説明(*.txt)".
    QString openFile(QWidget *parent, const QStringList &filters, int selectedFilter = 1,
                     const QString &folder = {});
    // As openFile; a name typed without an extension gets `defaultSuffix`.
    QString saveFile(QWidget *parent, const QStringList &filters, const QString &defaultSuffix,
                     const QString &folder = {});
    // Shows a text file in the desktop's viewer; false when there is none.
    bool showTextFile(const QString &path);

    // For tests.
    void queueAnswer(const QString &path) { answers_.push_back(path); }
    const std::vector<Request> &history() const { return history_; }

private:
    QString answer();

    bool interactive_;
    TextViewer textViewer_;
    std::deque<QString> answers_;
    std::vector<Request> history_;
};

} // namespace quendra
