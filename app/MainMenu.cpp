#include "MainMenu.h"

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

const QStringList colourNames{QStringLiteral("黒"), QStringLiteral("赤"), QStringLiteral("青"),
                              QStringLiteral("黄"), QStringLiteral("白")};

} // namespace

void MainMenu::setChecked(QAction *action, bool on)
{
    action->setCheckable(true);
    action->setChecked(on);
}

MainMenu::MainMenu(QMenuBar &bar)
{
    QMenu *fairu = topMenu(bar, "fairu", QStringLiteral("ファイル(&F)"));
    mnunew = entry(*fairu, "mnunew", QStringLiteral("新規作成(&N)"), ctrl(Qt::Key_N));
    mnuopen = entry(*fairu, "mnuopen", QStringLiteral("ファイルを開く(&O)"), ctrl(Qt::Key_O));
    mnuclose = disabled(entry(*fairu, "mnuclose", QStringLiteral("ファイルを閉じる(&C)"), ctrl(Qt::Key_Z)));
    mnuoversave = disabled(entry(*fairu, "mnuoversave", QStringLiteral("上書き保存(&S)"), ctrl(Qt::Key_S)));
    mnusave = entry(*fairu, "mnusave", QStringLiteral("名前を付けて保存(&A)"), ctrl(Qt::Key_A));
    separator(*fairu, "sepa");
    owari = entry(*fairu, "owari", QStringLiteral("Quendra_LTの終了(&Q)"), ctrl(Qt::Key_Q));

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

    QMenu *settings = topMenu(bar, "mnusettingitem", QStringLiteral("設定(&S)"));
    mnufontsyurui = entry(*settings, "mnufontsyurui", QStringLiteral("フォント(&H)"));
    mnufont = submenu(*settings, "mnufont", QStringLiteral("フォントサイズ(&F)"));
    for (int i = 0; i < 3; ++i)
        mnufontsizesitem[i] =
            checkable(indexed(*mnufont, "mnufontsizesitem", i, QString::number(fontSizes[i])), i == 0);
    mnuline = submenu(*settings, "mnuline", QStringLiteral("ラインカラー(&C)"));
    mnuline->menuAction()->setEnabled(false);
    for (int i = 0; i < 5; ++i)
        mnulinecolor[i] = checkable(indexed(*mnuline, "mnulinecolor", i, colourNames[i]), i == 0);
    mnuback = submenu(*settings, "mnuback", QStringLiteral("バックカラー(&B)"));
    mnuback->menuAction()->setEnabled(false);
    for (int i = 0; i < 5; ++i)
        mnubackcolor[i] = checkable(indexed(*mnuback, "mnubackcolor", i, colourNames[i]), i == 4);

    QMenu *a = topMenu(bar, "a", QStringLiteral("メニュー(&M)"));
    QMenu *b = submenu(*a, "b", QStringLiteral("建築シンボル作図(&B)"));
    auto form = [this](QMenu &menu, const char *name, const QString &caption, const char *formName) {
        forms.push_back({entry(menu, name, caption), QString::fromLatin1(formName)});
        return forms.back().action;
    };
    QMenu *c = submenu(*b, "c", QStringLiteral("1/100用建具(&Y)"));
    form(*c, "d", QStringLiteral("引違イ窓"), "hikitigai100");
    form(*c, "e", QStringLiteral("引違イ戸"), "hikitigaito100");
    form(*c, "f", QStringLiteral("片開キ窓"), "katabiraki100");
    form(*c, "g", QStringLiteral("ＦＩＸ窓"), "fix100");
    form(*c, "h", QStringLiteral("竪軸回転窓"), "tatejiku100");
    form(*c, "i", QStringLiteral("片開キ戸"), "katabirakito100");
    form(*c, "j", QStringLiteral("両開キ戸"), "ryouhiraki100");
    form(*c, "k", QStringLiteral("両折リ戸"), "ryouorito100");
    form(*c, "l", QStringLiteral("片折リ戸"), "kataorito100");
    form(*c, "m", QStringLiteral("４本引戸"), "yonhonhiki100");
    QMenu *n = submenu(*b, "n", QStringLiteral("1/50用建具(&G)"));
    form(*n, "o", QStringLiteral("引違イ窓"), "hikitigai50");
    form(*n, "p", QStringLiteral("片開キ戸"), "katabiraki50");
    QMenu *q = submenu(*b, "q", QStringLiteral("1/50用建具枠(&T)"));
    form(*q, "r", QStringLiteral("アルミ枠"), "arumiwaku");
    form(*q, "s", QStringLiteral("スチール枠"), "sutiruwaku");
    form(*q, "t", QStringLiteral("木枠開キ"), "mokuhiraki");
    form(*q, "u", QStringLiteral("木枠引戸"), "mokuhikito");
    separator(*b, "sepa3");
    form(*b, "v", QStringLiteral("通リ芯記号(&K)"), "tourisin");
    form(*b, "w", QStringLiteral("図面枠作図(&W)"), "zumenwaku");
    form(*b, "x", QStringLiteral("柱作図(&S)"), "hasira");
    form(*b, "y", QStringLiteral("壁作図(&A)"), "kabe");
    form(*b, "z", QStringLiteral("建具記号(&C)"), "tategukigou");
    form(*b, "aa", QStringLiteral("レベル記号(&R)"), "reberu");
    separator(*b, "sepa07");
    QMenu *tenkai = submenu(*b, "mnutenkai", QStringLiteral("展開図作図(&T)"));
    form(*tenkai, "mnuhuremu", QStringLiteral("フレーム"), "tenhuremu");
    separator(*tenkai, "sepa08");
    for (const auto &[i, caption] : {std::pair{0, "サッシュ断面"}, std::pair{1, "木製建具断面"}}) {
        QAction *never = disabled(indexed(*tenkai, "mnudanmen", i, QString::fromUtf8(caption)));
        never->setVisible(false);
    }
    const std::array<std::pair<const char *, const char *>, 3> elevations{
        {{"引違イ窓立面", "tenhiki"}, {"ＦＩＸ窓立面", "tenfix"}, {"片開キドア立面", "tendoor"}}};
    for (int i = 0; i < 3; ++i)
        form(*tenkai, "mnuritumen", QString::fromUtf8(elevations[i].first), elevations[i].second)
            ->setProperty("index", i);
    QMenu *kukei = submenu(*b, "mnukukei", QStringLiteral("矩形図作図(&K)"));
    kukei->menuAction()->setEnabled(false);
    disabled(entry(*kukei, "mnuarumidanmen", QStringLiteral("アルミ枠断面")));
    disabled(entry(*kukei, "mnusutirudanmen", QStringLiteral("スチール枠断面")));
    disabled(entry(*kukei, "mnumokudanmen", QStringLiteral("木枠断面")));

    calc = entry(*a, "calc", QStringLiteral("簡易電卓(&D)"));
    separator(*a, "sepa13");
    mnuonoff = entry(*a, "mnuonoff", QStringLiteral("エディタ・スケッチ ON(&O)"));
    sepa04 = separator(*a, "sepa04");
    mnuedhit = checkable(entry(*a, "mnuedhit", QStringLiteral("簡易エディタ(&E)")), true);
    sepa10 = separator(*a, "sepa10");
    mnusukechi = checkable(entry(*a, "mnusukechi", QStringLiteral("簡易スケッチ(&S)")), false);
    for (QAction *hidden : {sepa04, mnuedhit, sepa10, mnusukechi})
        hidden->setVisible(false);
    mnumnupaint = submenu(*a, "mnumnupaint", QStringLiteral("スケッチメニュー(&M)"));
    mnumnupaint->menuAction()->setVisible(false);
    mnumnupaint->menuAction()->setEnabled(false);
    const std::array<const char *, 6> tools{"連続線",         "円",           "四角形",
                                            "直線(二点指示)", "円塗りつぶし", "四角形塗りつぶし"};
    for (int i = 0; i < 6; ++i)
        mnupaint[i] = checkable(indexed(*mnumnupaint, "mnupaint", i, QString::fromUtf8(tools[i])), i == 0);
    separator(*mnumnupaint, "sepa11");
    const std::array<const char *, 5> files{"ファイルを開く", "ファイルを閉じる", "名前を付けて保存",
                                            "上書き保存", "新規作成"};
    for (int i = 0; i < 5; ++i)
        mnumnufile[i] = indexed(*mnumnupaint, "mnumnufile", i, QString::fromUtf8(files[i]));
    mnumnufile[1]->setEnabled(false);
    mnumnufile[3]->setEnabled(false);
    separator(*mnumnupaint, "sepa12");
    mnulinecircle = entry(*mnumnupaint, "mnulinecircle", QStringLiteral("全消去"));

    QMenu *help = topMenu(bar, "help", QStringLiteral("ヘルプ(&H)"));
    mnuread = entry(*help, "mnuread", QStringLiteral("Quendra_LT Readme(&R)"));
    separator(*help, "sepa020");
    ad = entry(*help, "ad", QStringLiteral("バージョン情報(&U)"));
}

} // namespace quendra
