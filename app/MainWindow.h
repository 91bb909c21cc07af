#pragma once

#include "app/MainMenu.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QDateTime;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTimer;

namespace quendra {

struct AppContext;
class CadLink;
class Desktop;
class ReadmeWindow;
class SketchFiles;
class SketchPad;
class TextEditor;

// Quendra_LT: the hub. A menu bar and the clock line; in editor-sketch mode it grows and shows the
// text editor or the sketch pad. Symbol entries whose form is not built stay disabled.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Whether the window can open a form (a symbol form by name, or "dentaku").
    using Availability = std::function<bool(const QString &)>;

    // The designed heights of the window, off and in editor-sketch mode (twips).
    static constexpr int heightOff = 975;
    static constexpr int heightOn = 4365;

    MainWindow(AppContext &context, Desktop &desktop, const Availability &available,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    // Before the program ends: offers to save a changed text or sketch the user has not already
    // declined. False when the user cancelled: the program goes on.
    bool confirmEnd();

    bool editorSketchMode() const;
    TextEditor &editor() { return *editor_; }
    SketchFiles &sketchFiles() { return *sketch_; }
    const MainMenu &menu() const { return menu_; }

    // The clock line: the date, two blanks and the time, in the system's short forms.
    static QString clockText(const QDateTime &when);

signals:
    void formRequested(const QString &form);
    void calculatorRequested();
    void versionRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildClientArea();
    void buildInformationBlock();
    void buildSketchPad();
    void connectMenu();
    void connectEditMenu();
    void connectSettings();

    void toggleMode();
    void layoutWorkAreas();
    void sizeWorkAreas(int width, int height);
    void selectEditor();
    void selectSketch();
    void keepWorkAreaChecks();
    void applyEditorState();
    void applySketchState();
    void showFileLabel(const QString &path, bool visible);
    void fitSketchPad();
    void updateEditStates();
    void quit();
    void showReadme();
    void tick();

    // 編集(&E)
    void cut();
    void copy();
    void paste();
    void selectAllAndCopy();
    void insertDateLine();
    void insertDateTime();
    void chooseFont(const QString &family);
    void chooseFontSize(int index);

    AppContext &context_;
    Desktop &desktop_;
    MainMenu menu_;
    QLabel *clock_ = nullptr;
    QLabel *fileLabel_ = nullptr;
    QPlainTextEdit *text1_ = nullptr;
    SketchPad *pad_ = nullptr;
    QListWidget *list1_ = nullptr;
    std::vector<QWidget *> informationBlock_;
    QTimer *timer1_ = nullptr;
    std::unique_ptr<TextEditor> editor_;
    std::unique_ptr<SketchFiles> sketch_;
    std::unique_ptr<CadLink> link_;
    std::unique_ptr<ReadmeWindow> readme_;
};

} // namespace quendra
