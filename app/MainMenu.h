#pragma once

#include <QString>

#include <array>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace quendra {

// The main window's menu tree: every entry with its name, caption, shortcut and first state.
// Entries of a menu array share their name and carry their index in the property "index".
struct MainMenu
{
    // A symbol entry and the form it opens.
    struct FormEntry
    {
        QAction *action;
        QString form;
    };

    explicit MainMenu(QMenuBar &bar);

    // ファイル(&F)
    QAction *mnunew, *mnuopen, *mnuclose, *mnuoversave, *mnusave, *owari;
    // 編集(&E)
    QMenu *hensyu;
    QAction *mnucut, *mnucopy, *mnupaste, *mnusubete, *mnuall, *mnudaytime, *mnuerase;
    // 設定(&S)
    QAction *mnufontsyurui;
    QMenu *mnufont, *mnuline, *mnuback;
    std::array<QAction *, 3> mnufontsizesitem;
    std::array<QAction *, 5> mnulinecolor, mnubackcolor;
    // メニュー(&M)
    std::vector<FormEntry> forms;
    QAction *calc, *mnuonoff, *sepa04, *mnuedhit, *sepa10, *mnusukechi;
    QMenu *mnumnupaint;
    std::array<QAction *, 6> mnupaint;
    std::array<QAction *, 5> mnumnufile;
    QAction *mnulinecircle;
    // ヘルプ(&H)
    QAction *mnuread, *ad;

    // The font sizes of mnufontsizesitem.
    static constexpr std::array<int, 3> fontSizes{9, 12, 15};
    // The captions of the entries toggled by mnuonoff.
    static constexpr const char *modeOnCaption = "エディタ・スケッチ OFF";
    static constexpr const char *modeOffCaption = "エディタ・スケッチ ON";

    // Moves the check mark of a menu array to entry `index`.
    template <size_t N> static void check(const std::array<QAction *, N> &entries, size_t index)
    {
        for (size_t i = 0; i < N; ++i)
            setChecked(entries[i], i == index);
    }
    static void setChecked(QAction *action, bool on);

private:
    void buildFileMenu(QMenuBar &bar);
    void buildEditMenu(QMenuBar &bar);
    void buildSettingsMenu(QMenuBar &bar);
    void buildSymbolMenu(QMenu &a);
    // Adds the entry of every form whose menu is `menu`'s object name.
    void placeForms(QMenu &menu);
    void buildToolEntries(QMenu &a);
    void buildHelpMenu(QMenuBar &bar);
};

} // namespace quendra
