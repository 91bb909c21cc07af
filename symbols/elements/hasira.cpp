#include "symbols/elements/hasira.h"

#include "symbols/common/FormParts.h"

#include <optional>

namespace quendra {

namespace {

struct Corner
{
    double x0;
    double y0;
};

// The lower-left corner of the column seen from the base point, by the selected option.
std::optional<Corner> startCorner(const FormState &s, double W, double H, double S)
{
    const Corner corners[] = {
        {-W / 2, -H / 2},     // Option1 centre
        {S, -(H + S)},        // Option2 top left
        {-(W + S), -(H + S)}, // Option3 top right
        {S, S},               // Option4 bottom left
        {-(W + S), S},        // Option5 bottom right
        {-W / 2, -(H + S)},   // Option6 top centre
        {-W / 2, S},          // Option7 bottom centre
        {S, -H / 2},          // Option8 middle left
        {-(W + S), -H / 2},   // Option9 middle right
    };
    for (int i = 0; i < 9; ++i)
        if (s.checked("Option" + std::to_string(i + 1))) return corners[i];
    return std::nullopt;
}

Outcome draw(const FormState &s)
{
    const double W = s.number("Combo1");
    const double H = s.number("Combo2");
    const double S = s.number("Text1");
    const auto c = startCorner(s, W, H, S);
    if (!c) return rejected("基準点を指示してください。");
    const Steps rows = {
        pt(c->x0, c->y0),            // 1 lower-left corner
        word("w "),                  // 2
        word("0  "),                 // 3 widths 0 and 0
        pt(0, H),                    // 4 left face
        pt(W, 0),                    // 5 top face
        pt(0, -H),        word("C"), // 6 right face, close: the carriage return draws the bottom
    };
    return Outcome().send(script("PLINE ", rows));
}

// Where the diagram puts the nine buttons: the centre, the corners and the middles of the faces.
std::vector<Control> positions()
{
    const Anchor places[] = {
        {0.5, 0.5}, {0.1, 0.1}, {0.9, 0.1}, {0.1, 0.9}, {0.9, 0.9},
        {0.5, 0.1}, {0.5, 0.9}, {0.1, 0.5}, {0.9, 0.5},
    };
    // Quirk: the original's buttons are captioned with their own names ("Option1"); ours say
    // where the base point lies.
    const char *captions[] = {"中央", "左上", "右上", "左下", "右下", "上", "下", "左", "右"};
    std::vector<Control> out;
    for (int i = 0; i < 9; ++i) {
        const std::string name = "Option" + std::to_string(i + 1);
        out.push_back(option(name, captions[i], i == 0, {}, places[i]));
    }
    return out;
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "hasira";
    f.caption = "Quendra_LT(柱作図)";
    f.menu = {"b", "x", "柱作図(&S)"};
    const std::vector<std::string> sizes = {"200", "250", "300", "350", "400", "500", "600", "700"};
    f.controls = {
        combo("Combo1", "柱幅(&W)", "300", sizes),
        combo("Combo2", "柱高(&H)", "300", sizes),
        textBox("Text1", "芯寸法(&S)", "75"),
    };
    for (Control &c : positions())
        f.controls.push_back(std::move(c));
    f.buttons = standardButtons("柱作図(&A)", widthAtLeast(0), draw);
    return f;
}

} // namespace

const FormDefinition &hasira()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
