#include "symbols/elements/zumenwaku.h"

#include "symbols/common/FormParts.h"

#include <optional>

namespace quendra {

namespace {

struct Paper
{
    const char *option;
    const char *caption;
    double P; // width in millimetres
    double Q; // height
};

const Paper papers[] = {
    {"Option1", "A1", 841, 594},
    {"Option2", "A2", 594, 420},
    {"Option3", "A3", 420, 297},
};

struct Scale
{
    const char *option;
    const char *caption;
    double s;
};

const Scale scales[] = {
    {"Option4", "1:100", 100}, {"Option5", "1:50", 50}, {"Option6", "1:30", 30},
    {"Option7", "1:20", 20},   {"Option8", "1:10", 10}, {"Option9", "1:200", 200},
};

template <typename T, size_t n> std::optional<T> firstSelected(const FormState &state, const T (&choices)[n])
{
    for (const T &c : choices)
        if (state.checked(c.option)) return c;
    return std::nullopt;
}

Steps frame(double P, double Q, double s)
{
    const double Wo = P * s;
    const double Ho = Q * s;
    const double Wi = (P - 35) * s;
    const double Hi = (Q - 30) * s;
    return {
        at(0, 0),                        // 1 sheet edge from the origin
        word("w "),                      // 2
        word("0  "),                     // 3 widths 0 and 0
        pt(0, Ho),                       // 4 left edge
        pt(Wo, 0),                       // 5 top edge
        pt(0, -Ho),         word("c  "), // 6 right edge, close, PLINE again
        at(20 * s, 15 * s),              // 7 border start: 20 mm binding margin, 15 mm below
        word("w "),                      // 8
        value(s, 2),                     // 9 widths s and s: 1 mm on paper
        pt(0, Hi),                       // 10 border left
        pt(Wi, 0),                       // 11 top
        pt(0, -Hi),         word("c"),   // 12 right, close on the carriage return
    };
}

Outcome draw(const FormState &state)
{
    const auto paper = firstSelected(state, papers);
    if (!paper) return rejected("図面サイズを指示して下さい。");
    const auto scale = firstSelected(state, scales);
    if (!scale) return rejected("縮尺を指定して下さい。");
    return Outcome().send(script("PLINE ", frame(paper->P, paper->Q, scale->s)));
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "zumenwaku";
    f.caption = "Quendra_LT(図面枠作成)";
    f.menu = {"b", "w", "図面枠作図(&W)"};
    for (const Paper &p : papers)
        f.controls.push_back(option(p.option, p.caption, p.P == 420, "図面サイズ"));
    for (const Scale &c : scales)
        f.controls.push_back(option(c.option, c.caption, c.s == 100, "図面縮尺"));
    Button drawButton = button("Command1", "図面枠作図(&A)", Button::Role::Draw);
    drawButton.draw = draw;
    drawButton.isDefault = true;
    drawButton.focusAfter = ""; // no input to give the focus to
    Button back = button("Command4", "戻る(&B)", Button::Role::Back);
    back.isCancel = true;
    f.buttons = {drawButton, back, button("Command3", "終了(&Q)", Button::Role::Exit)};
    return f;
}

} // namespace

const FormDefinition &zumenwaku()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
