#include "symbols/elements/ElementParts.h"

#include "symbols/common/FormParts.h"

namespace quendra {

Script textScript(const Steps &rows)
{
    Steps all = rows;
    all.push_back(word("\r"));
    return script("DTEXT ", all);
}

std::vector<Button> annotationButtons(std::string drawCaption, BaseRule basePoint, DrawFunction draw)
{
    std::vector<Button> buttons =
        standardButtons(std::move(drawCaption), std::move(basePoint), std::move(draw));
    for (Button &b : buttons) {
        if (b.role == Button::Role::BasePoint) b.caption = "基準点指定(&K)";
        if (b.role == Button::Role::Back) b.caption = "戻る(&R)";
    }
    return buttons;
}

} // namespace quendra
