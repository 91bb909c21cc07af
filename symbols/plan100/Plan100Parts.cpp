#include "symbols/plan100/Plan100Parts.h"

#include "symbols/common/FormParts.h"

namespace quendra {

Steps wallAndJambs(double W, Jambs jambs)
{
    const double across = jambs == Jambs::Down ? 100 : -100; // from the first face to the other
    const double firstFace = jambs == Jambs::Down ? 100 : 0; // back up from y = -50
    return {
        pt(0, 50),            // 1
        pt(W + 100, 0, 3),    // 2 wall face y = 50
        pt(0, -100),          // 3
        pt(-(W + 100), 0, 3), // 4 wall face y = -50
        pt(50, firstFace),    // 5
        pt(0, -across, 3),    // 6 first jamb
        pt(W, 0),             // 7
        pt(0, across, 3),     // 8 second jamb
    };
}

std::vector<Control> hingeOptions()
{
    return {
        // At the outer ends of the jambs (rows 6 and 7 of the wall), across the wall from the leaf.
        option("Option1", "戸吊元", true, {}, Anchor{0.08, 0.5, 2, true}),
        option("Option2", "戸吊元", false, {}, Anchor{0.92, 0.5, 3, false}),
    };
}

std::optional<int> hingeSide(const FormState &state)
{
    if (state.checked("Option1")) return 1;
    if (state.checked("Option2")) return 2;
    return std::nullopt;
}

std::vector<std::string> inputsThenBackBeforeExit(const std::vector<Control> &controls)
{
    std::vector<std::string> order;
    for (const Control &c : controls)
        if (c.kind != Control::Kind::Label) order.push_back(c.name);
    for (const char *b : {"Command1", "Command2", "Command4", "Command3"})
        order.emplace_back(b);
    return order;
}

Outcome sendLinesAndArcs(const Steps &lineRows, const Steps &arcRows, int angle)
{
    return Outcome()
        .send(script("LINE ", turned(lineRows, angle)))
        .send(script("ARC ", turned(arcRows, angle), false));
}

Outcome drawOnWall(const FormState &state, const WidthRows &lineRows, const WidthRows &arcRows)
{
    const double W = state.number("Combo1");
    const auto A = fittingAngle(state.strictNumber("Combo2"));
    if (!A) return rejected(angleMessage);
    const Steps lines = wallAndJambs(W) + lineRows(W);
    if (!arcRows) return Outcome().send(script("LINE ", turned(lines, *A)));
    return sendLinesAndArcs(lines, arcRows(W), *A);
}

Outcome drawHinged(const FormState &state, HingedRows rows)
{
    const double W = state.number("Combo1");
    const auto side = hingeSide(state);
    if (!side) return rejected(hingeMessage);
    const auto A = fittingAngle(state.strictNumber("Combo2"));
    if (!A) return rejected(numberMessage);
    const SwingRows r = rows(W, *side);
    return sendLinesAndArcs(r.lines, r.arcs, *A);
}

} // namespace quendra
