#include "symbols/elevation/tenhuremu.h"

#include "symbols/common/FormParts.h"
#include "symbols/elevation/ElevationParts.h"

namespace quendra {

namespace {

struct Room
{
    double E, T, K, S, W, D, B;
};

Steps withCornice(const Room &r)
{
    const auto [E, T, K, S, W, D, B] = r;
    return {
        pt(K + 10, 0),                      // 1
        pt(0, B),                           // 2 left skirting face
        pt(-10, 0),                         // 3 skirting top to the wall face
        pt(0, D - T - B),                   // 4 wall face up to the cornice
        pt(E, 0),                           // 5 cornice underside
        pt(0, T),                           // 6 cornice face
        pt(W - (S + K + E + E), 0),         // 7 ceiling
        pt(0, -T),                          // 8 right cornice face
        pt(E, 0),                           // 9 right cornice underside
        pt(0, -(D - T - B)),                // 10 right wall face
        pt(-10, 0),                         // 11 right skirting top
        pt(0, -B),                          // 12 right skirting face
        pt(-(W - (S + K + 20)), 0, 2),      // 13 floor; LINE ends
        word("DDCOLOR "),                   // 14
        word("LINE "),                      // 15
        pt(0, B),                           // 16
        pt(W - (S + K + 20), 0, 3),         // 17 skirting top line; restart
        pt(-(E + S - (S + 10)), D - T - B), // 18
        pt(-(W - (S + K + E + E)), 0),      // 19 cornice lower line
    };
}

Steps plain(const Room &r)
{
    const auto [E, T, K, S, W, D, B] = r;
    return {
        pt(K + 10, 0),                 // 1
        pt(0, B),                      // 2 left skirting face
        pt(-10, 0),                    // 3 skirting top to the wall face
        pt(0, D - B),                  // 4 wall face up to the ceiling
        pt(W - (S + K), 0),            // 5 ceiling
        pt(0, -(D - B)),               // 6 right wall face
        pt(-10, 0),                    // 7 right skirting top
        pt(0, -B),                     // 8 right skirting face
        pt(-(W - (S + K + 20)), 0, 2), // 9 floor; LINE ends
        word("DDCOLOR "),              // 10
        word("LINE "),                 // 11
        pt(0, B),                      // 12
        pt(W - (S + K + 20), 0),       // 13 skirting top line
    };
}

Outcome draw(const FormState &s)
{
    const Room r{s.number("Text1"), s.number("Text2"), s.number("Text4"), s.number("Text5"),
                 s.number("Text6"), s.number("Text3"), s.number("Text7")};
    return Outcome().send(script("LINE ", s.checked("Check1") ? withCornice(r) : plain(r)));
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "tenhuremu";
    f.caption = "Quendra_LT(展開図フレーム作図)";
    f.menu = {"mnutenkai", "mnuhuremu", "フレーム"};
    f.controls = {
        textBox("Text3", "天井高(&D)", "2400"),
        textBox("Text6", "部屋間口（壁芯）(&W)", "2700"),
        textBox("Text4", "壁芯距離(&K)", "80"),
        textBox("Text5", "壁芯距離(&S)", "80"),
        textBox("Text7", "巾木高さ(&H)", "60"),
        labelledBox("Text1", "Label1", "廻リ縁幅(&E)", "30"),
        labelledBox("Text2", "Label2", "廻リ縁高さ(&T)", "40"),
        checkBox("Check1", "廻リ縁を付ける", true),
    };
    f.buttons = elevationButtons("展開図ﾌﾚｰﾑ作図(&A)", draw, "Text3");
    f.tabOrder = {"Text3", "Text6",    "Text4",    "Text5",    "Text7",    "Text1",
                  "Text2", "Command1", "Command4", "Command2", "Command3", "Check1"};
    f.toggles = {CheckToggle{"Check1", {"Label1", "Text1", "Label2", "Text2"}, true}};
    f.closeStyle = FormDefinition::CloseStyle::Plain;
    return f;
}

} // namespace

const FormDefinition &tenhuremu()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
