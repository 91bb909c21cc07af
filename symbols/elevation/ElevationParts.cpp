#include "symbols/elevation/ElevationParts.h"

#include "symbols/common/FormParts.h"

namespace quendra {

std::vector<Button> elevationButtons(std::string drawCaption, DrawFunction draw, std::string focusAfter)
{
    Button base = button("Command1", "基準点指定(&C)", Button::Role::BasePoint);
    Button drawButton = button("Command4", std::move(drawCaption), Button::Role::Draw);
    drawButton.draw = std::move(draw);
    drawButton.focusAfter = std::move(focusAfter);
    Button back = button("Command2", "戻る(&B)", Button::Role::Back);
    back.isCancel = true;
    Button exit = button("Command3", "終了(&Q)", Button::Role::Exit);
    return {base, drawButton, back, exit};
}

Control labelledBox(std::string name, std::string labelName, std::string caption, std::string text)
{
    Control c = textBox(std::move(name), std::move(caption), std::move(text));
    c.labelName = std::move(labelName);
    return c;
}

Steps nestedOutlines(double W, double H, double y, int lastBlanks)
{
    return {
        pt(0, y),                     // 1
        pt(0, H),                     // 2 nominal outline: left
        pt(W, 0),                     // 3 top
        pt(0, -H),                    // 4 right
        pt(-W, 0, 3),                 // 5 bottom; restart
        pt(-15, -15),                 // 6
        pt(0, H + 30),                // 7 15 outside: left
        pt(W + 30, 0),                // 8 top
        pt(0, -(H + 30)),             // 9 right
        pt(-(W + 30), 0, 3),          // 10 bottom; restart
        pt(-25, -25),                 // 11
        pt(0, H + 80),                // 12 40 outside: left
        pt(W + 80, 0),                // 13 top
        pt(0, -(H + 80)),             // 14 right
        pt(-(W + 80), 0, lastBlanks), // 15 bottom
    };
}

} // namespace quendra
