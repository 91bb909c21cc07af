#pragma once

#include "tools/DocumentFile.h"

namespace quendra {

class SketchPad;

// The sketch pad's bitmap files and its save prompt, apart from the window: open, close, save,
// save as, new, and the states of the sketch file menu those handlers set.
class SketchFiles : public DocumentFile
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
    // "新規作成": the picture and the drawing dropped; the menu stays as it is.
    void newSketch();
    // The sketch pad chosen as work area: black on grey, nothing drawn, no picture. False when the
    // user cancelled the save prompt.
    bool select();

    FileMenu fileMenu() const { return menu_; }

protected:
    bool hasUnsavedChanges() const override;
    bool writeTo(const QString &path) override;

private:
    SketchPad &pad_;
    FileMenu menu_;
};

} // namespace quendra
