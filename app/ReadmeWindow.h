#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace quendra {

// The readme in a read-only window of our own, for a desktop without a text viewer.
class ReadmeWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ReadmeWindow(QWidget *parent = nullptr);

    // Reads the file afresh; false when it cannot be read.
    bool load(const QString &path);
    QString text() const;

private:
    QPlainTextEdit *view_;
};

} // namespace quendra
