// Shows the calculator and the sketch pad in a bare window with just enough menus to try them by
// hand. Arguments: an optional bitmap to open as background.

#include "tools/Calculator.h"
#include "tools/SketchPad.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>

using namespace quendra;

namespace {

void addToolMenu(QMenuBar *bar, SketchPad *pad)
{
    QMenu *menu = bar->addMenu(QStringLiteral("道具"));
    for (int i = 0; i < SketchPad::toolCount; ++i) {
        const auto tool = static_cast<SketchPad::Tool>(i);
        menu->addAction(SketchPad::toolCaption(tool), pad, [pad, tool] { pad->setTool(tool); });
    }
    menu->addSeparator();
    menu->addAction(QStringLiteral("全消去"), pad, &SketchPad::clearAll);
}

void addColorMenus(QMenuBar *bar, SketchPad *pad)
{
    QMenu *line = bar->addMenu(QStringLiteral("ラインカラー(&C)"));
    QMenu *back = bar->addMenu(QStringLiteral("バックカラー(&B)"));
    for (int i = 0; i < SketchPad::colorCount; ++i) {
        line->addAction(SketchPad::colorCaption(i), pad, [pad, i] { pad->setLineColor(i); });
        back->addAction(SketchPad::colorCaption(i), pad, [pad, i] { pad->setBackColor(i); });
    }
}

void addFileMenu(QMenuBar *bar, QMainWindow *window, SketchPad *pad)
{
    const QString filter = QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ(*.bmp)");
    QMenu *menu = bar->addMenu(QStringLiteral("ファイル"));
    menu->addAction(QStringLiteral("ファイルを開く"), window, [=] {
        const QString path = QFileDialog::getOpenFileName(window, {}, {}, filter);
        if (!path.isEmpty()) pad->openBackground(path);
    });
    menu->addAction(QStringLiteral("ファイルを閉じる"), pad, &SketchPad::closeBackground);
    menu->addAction(QStringLiteral("名前を付けて保存"), window, [=] {
        const QString path = QFileDialog::getSaveFileName(window, {}, {}, filter);
        if (!path.isEmpty() && !pad->saveBitmap(path))
            QMessageBox::warning(window, QStringLiteral("Quendra_LT"),
                                 QStringLiteral("ファイルを保存できませんでした。"));
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quendra_LT(簡易スケッチ)"));
    auto *pad = new SketchPad;
    window.setCentralWidget(pad);
    addToolMenu(window.menuBar(), pad);
    addColorMenus(window.menuBar(), pad);
    addFileMenu(window.menuBar(), &window, pad);
    if (argc > 1) pad->openBackground(QString::fromLocal8Bit(argv[1]));
    window.resize(420, 300);
    window.move(20, 20);
    window.show();

    Calculator::Hooks hooks;
    hooks.showMessage = [](const QString &text, const QString &title) {
        QMessageBox::warning(nullptr, title, text);
    };
    hooks.onBack = [&window] { window.show(); };
    hooks.onQuit = [] {};
    hooks.onCloseBox = [] {
        QApplication::quit();
        return true;
    };
    Calculator calculator(hooks);
    calculator.show();
    return QApplication::exec();
}
