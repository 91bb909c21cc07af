#include "app/MainMenu.h"

#include "symbols/Forms.h"
#include "tools/SketchPad.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace quendra {

namespace {

QMenu *submenu(QMenu &parent, const char *name, const QString &caption)
{
    QMenu *m = parent.addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

QMenu *topMenu(QMenuBar &bar, const char *name, const QString &caption)
{
    QMenu *m = bar.addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

QAction *entry(QMenu &menu, const char *name, const QString &caption, const QKeySequence &shortcut = {})
{
    QAction *a = menu.addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(shortcut);
    return a;
}

QAction *indexed(QMenu &menu, const char *name, int index, const QString &caption)
{
    QAction *a = entry(menu, name, caption);
    a->setProperty("index", index);
    return a;
}

QAction *separator(QMenu &menu, const char *name)
{
    QAction *a = menu.addSeparator();
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QAction *checkable(QAction *a, bool checked)
{
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
}

QAction *disabled(QAction *a)
{
    a->setEnabled(false);
    return a;
}

QKeySequence ctrl(Qt::Key key)
{
    return QKeySequence(Qt::CTRL | key);
}

} // namespace

void MainMenu::setChecked(QAction *action, bool on)
{
    action->setCheckable(true);
    action->setChecked(on);
}

MainMenu::MainMenu(QMenuBar &bar)
{
    buildFileMenu(bar);
    buildEditMenu(bar);
    buildSettingsMenu(bar);
    QMenu *a = topMenu(bar, "a", QStringLiteral("メニュー(&M)"));
    buildSymbolMenu(*a);
    buildToolEntries(*a);
    buildHelpMenu(bar);
}

void MainMenu::buildFileMenu(QMenuBar &bar)
{
    QMenu *fairu = topMenu(bar, "fairu", QStringLiteral("ファイル(&F)"));
    mnunew = entry(*fairu, "mnunew", QStringLiteral("新規作成(&N)"), ctrl(Qt::Key_N));
    mnuopen = entry(*fairu, "mnuopen", QStringLiteral("ファイルを開く(&O)"), ctrl(Qt::Key_O));
    mnuclose = disabled(entry(*fairu, "mnuclose", QStringLiteral("ファイルを閉じる(&C)"), ctrl(Qt::Key_Z)));
    mnuoversave = disabled(entry(*fairu, "mnuoversave", QStringLiteral("上書き保存(&S)"), ctrl(Qt::Key_S)));
    mnusave = entry(*fairu, "mnusave", QStringLiteral("名前を付けて保存(&A)"), ctrl(Qt::Key_A));
    separator(*fairu, "sepa");
    owari = entry(*fairu, "owari", QStringLiteral("Quendra_LTの終了(&Q)"), ctrl(Qt::Key_Q));
}

void MainMenu::buildEditMenu(QMenuBar &bar)
{
    hensyu = topMenu(bar, "hensyu", QStringLiteral("編集(&E)"));
    mnucut = entry(*hensyu, "mnucut", QStringLiteral("切り取り(&T)"), ctrl(Qt::Key_X));
    mnucopy = entry(*hensyu, "mnucopy", QStringLiteral("コピー(&C)"), ctrl(Qt::Key_C));
    mnupaste = entry(*hensyu, "mnupaste", QStringLiteral("貼り付け(&P)"), ctrl(Qt::Key_V));
    separator(*hensyu, "sepa03");
    mnusubete = entry(*hensyu, "mnusubete", QStringLiteral("全て選択(&A)"), ctrl(Qt::Key_P));
    mnuall = entry(*hensyu, "mnuall", QStringLiteral("日付の挿入(&D)"), ctrl(Qt::Key_D));
    mnudaytime = entry(*hensyu, "mnudaytime", QStringLiteral("日付と時刻の挿入(&T)"));
    separator(*hensyu, "sepa05");
    mnuerase = entry(*hensyu, "mnuerase", QStringLiteral("全消去(&S)"));
}

void MainMenu::buildSettingsMenu(QMenuBar &bar)
{
    QMenu *settings = topMenu(bar, "mnusettingitem", QStringLiteral("設定(&S)"));
    mnufontsyurui = entry(*settings, "mnufontsyurui", QStringLiteral("フォント(&H)"));
    mnufont = submenu(*settings, "mnufont", QStringLiteral("フォントサイズ(&F)"));
    for (int i = 0; i < 3; ++i)
        mnufontsizesitem[i] =
            checkable(indexed(*mnufont, "mnufontsizesitem", i, QString::number(fontSizes[i])), i == 0);
    mnuline = submenu(*settings, "mnuline", QStringLiteral("ラインカラー(&C)"));
    mnuline->menuAction()->setEnabled(false);
    for (int i = 0; i < 5; ++i)
        mnulinecolor[i] = checkable(indexed(*mnuline, "mnulinecolor", i, SketchPad::colorCaption(i)), i == 0);
    mnuback = submenu(*settings, "mnuback", QStringLiteral("バックカラー(&B)"));
    mnuback->menuAction()->setEnabled(false);
    for (int i = 0; i < 5; ++i)
        mnubackcolor[i] = checkable(indexed(*mnuback, "mnubackcolor", i, SketchPad::colorCaption(i)), i == 4);
}

// 建築シンボル作図(&B): its submenus, separators and never-finished entries; every symbol entry
// comes from the form's definition, in the order of the registry of forms.
void MainMenu::buildSymbolMenu(QMenu &a)
{
    QMenu *b = submenu(a, "b", QStringLiteral("建築シンボル作図(&B)"));
    placeForms(*submenu(*b, "c", QStringLiteral("1/100用建具(&Y)")));
    placeForms(*submenu(*b, "n", QStringLiteral("1/50用建具(&G)")));
    placeForms(*submenu(*b, "q", QStringLiteral("1/50用建具枠(&T)")));
    separator(*b, "sepa3");
    placeForms(*b);
    separator(*b, "sepa07");

    QMenu *tenkai = submenu(*b, "mnutenkai", QStringLiteral("展開図作図(&T)"));
    placeForms(*tenkai);
    // The frame comes first; the section entries, never finished, stand before the elevations.
    QAction *elevations = tenkai->actions().value(1);
    tenkai->insertSeparator(elevations)->setObjectName(QStringLiteral("sepa08"));
    for (const auto &[i, caption] : {std::pair{0, "サッシュ断面"}, std::pair{1, "木製建具断面"}}) {
        QAction *never = disabled(indexed(*tenkai, "mnudanmen", i, QString::fromUtf8(caption)));
        tenkai->insertAction(elevations, never);
        never->setVisible(false);
    }

    QMenu *kukei = submenu(*b, "mnukukei", QStringLiteral("矩形図作図(&K)"));
    kukei->menuAction()->setEnabled(false);
    disabled(entry(*kukei, "mnuarumidanmen", QStringLiteral("アルミ枠断面")));
    disabled(entry(*kukei, "mnusutirudanmen", QStringLiteral("スチール枠断面")));
    disabled(entry(*kukei, "mnumokudanmen", QStringLiteral("木枠断面")));
}

void MainMenu::placeForms(QMenu &menu)
{
    const std::string name = menu.objectName().toStdString();
    for (const FormDefinition *form : allForms()) {
        const MenuEntry &m = form->menu;
        if (m.menu != name) continue;
        QAction *action = entry(menu, m.name.c_str(), QString::fromStdString(m.caption));
        if (m.index >= 0) action->setProperty("index", m.index);
        forms.push_back({action, QString::fromStdString(form->name)});
    }
}

// 簡易電卓, the work-area switches and the sketch menu.
void MainMenu::buildToolEntries(QMenu &a)
{
    calc = entry(a, "calc", QStringLiteral("簡易電卓(&D)"));
    separator(a, "sepa13");
    mnuonoff = entry(a, "mnuonoff", QStringLiteral("エディタ・スケッチ ON(&O)"));
    sepa04 = separator(a, "sepa04");
    mnuedhit = checkable(entry(a, "mnuedhit", QStringLiteral("簡易エディタ(&E)")), true);
    sepa10 = separator(a, "sepa10");
    mnusukechi = checkable(entry(a, "mnusukechi", QStringLiteral("簡易スケッチ(&S)")), false);
    for (QAction *hidden : {sepa04, mnuedhit, sepa10, mnusukechi})
        hidden->setVisible(false);
    mnumnupaint = submenu(a, "mnumnupaint", QStringLiteral("スケッチメニュー(&M)"));
    mnumnupaint->menuAction()->setVisible(false);
    mnumnupaint->menuAction()->setEnabled(false);
    for (int i = 0; i < SketchPad::toolCount; ++i)
        mnupaint[i] = checkable(
            indexed(*mnumnupaint, "mnupaint", i, SketchPad::toolCaption(static_cast<SketchPad::Tool>(i))),
            i == 0);
    separator(*mnumnupaint, "sepa11");
    const std::array<const char *, 5> files{"ファイルを開く", "ファイルを閉じる", "名前を付けて保存",
                                            "上書き保存", "新規作成"};
    for (int i = 0; i < 5; ++i)
        mnumnufile[i] = indexed(*mnumnupaint, "mnumnufile", i, QString::fromUtf8(files[i]));
    mnumnufile[1]->setEnabled(false);
    mnumnufile[3]->setEnabled(false);
    separator(*mnumnupaint, "sepa12");
    mnulinecircle = entry(*mnumnupaint, "mnulinecircle", QStringLiteral("全消去"));
}

void MainMenu::buildHelpMenu(QMenuBar &bar)
{
    QMenu *help = topMenu(bar, "help", QStringLiteral("ヘルプ(&H)"));
    mnuread = entry(*help, "mnuread", QStringLiteral("Quendra_LT Readme(&R)"));
    separator(*help, "sepa020");
    ad = entry(*help, "ad", QStringLiteral("バージョン情報(&U)"));
}

} // namespace quendra
