#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace quendra {

class Desktop;
class MessageService;
class SketchPad;

// The sketch pad's bitmap files and its save prompt, apart from the window: open, close, save,
// save as, new, and the states of the sketch file menu those handlers set.
class SketchFiles : public QObject
{
    Q_OBJECT

public:
    // The entries of the sketch file menu, in its order.
    struct FileMenu
    {
        bool open = true;
        bool close = false;
        bool saveAs = true;
        bool overwrite = false;
        bool newFile = true;
        bool operator==(const FileMenu &) const = default;
    };

    static constexpr const char *filter = "ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ(*.bmp)";
    static constexpr const char *promptText = "スケッチは変更されています。保存しますか？";

    SketchFiles(SketchPad &pad, MessageService &messages, Desktop &desktop, QWidget *dialogParent = nullptr);

    // "ファイルを開く": a bitmap as the background of a fresh drawing. A file that cannot be read
    // ends the operation quietly.
    void open();
    // "ファイルを閉じる": the picture and the drawing dropped.
    void close();
    // "名前を付けて保存"; true when the picture was written.
    bool saveAs();
    // "上書き保存": to the current file, or as save-as when there is none.
    void overwrite();
    // "新規作成": the picture and the drawing dropped; the menu stays as it is.
    void newSketch();
    // The sketch pad chosen as work area: black on grey, nothing drawn, no picture.
    void select();

    // Asks while the drawing has unsaved changes; Yes saves as (a failed save asks again), No goes on.
    void askToSave();
    // Before the program ends, unless the user has already declined to save this drawing.
    void confirmEnd();

    QString currentFile() const { return currentFile_; }
    bool fileLabelVisible() const { return fileLabelVisible_; }
    FileMenu fileMenu() const { return menu_; }

signals:
    void stateChanged();

private:
    enum class SaveResult { Saved, Cancelled, Failed };
    SaveResult saveAsResult();
    bool writeTo(const QString &path);
    QString dialogFolder() const;

    SketchPad &pad_;
    MessageService &messages_;
    Desktop &desktop_;
    QWidget *dialogParent_;
    bool declined_ = false;
    QString currentFile_;
    bool fileLabelVisible_ = false;
    FileMenu menu_;
};

} // namespace quendra
