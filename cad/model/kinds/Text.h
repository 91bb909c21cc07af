#pragma once

#include "cad/model/Angle.h"
#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"
#include "cad/model/kinds/Record.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace cad {

// A text middle-justified at insert: height of the capitals, rotation in degrees, and mirrored
// along its baseline (reading backwards) as a mirrored block or a backward TEXT shows it.
struct TextKind
{
    static constexpr Entity::Type type = Entity::Type::Text;

    struct Layout
    {
        Point insert;
        // Negative when mirrored.
        double signedHeight;
        double rotation;
        std::size_t text; // in RecordSide::texts
    };
    static Layout store(const Entity &e, RecordSide &side)
    {
        side.texts.push_back(e.text);
        return {e.insert, e.mirrored ? -std::fabs(e.height) : std::fabs(e.height), e.rotation,
                side.texts.size() - 1};
    }
    static void load(const Layout &l, const RecordSide &side, EntityView &v)
    {
        v.insert = l.insert;
        v.height = std::fabs(l.signedHeight);
        v.mirrored = std::signbit(l.signedHeight);
        v.rotation = l.rotation;
        v.text = side.texts[l.text];
    }
    // The last record to hold its text gives it back.
    static void release(const Layout &l, RecordSide &side)
    {
        if (l.text + 1 == side.texts.size()) side.texts.pop_back();
    }

    // Estimated from the height and the number of characters.
    static Box bounds(const EntityView &e)
    {
        const double w = static_cast<double>(glyphCount(e.text)) * e.height * 0.9 / 2;
        const double h = e.height / 2;
        const double c = std::cos(e.rotation * radiansPerDegree), s = std::sin(e.rotation * radiansPerDegree);
        Box box;
        for (const auto &[dx, dy] : {std::pair{-w, -h}, {w, -h}, {w, h}, {-w, h}})
            box.add({e.insert.x + dx * c - dy * s, e.insert.y + dx * s + dy * c});
        return box;
    }

    template <class Out> static void snapPoints(const EntityView &e, Out &&out)
    {
        out(e.insert, SnapPoint::Kind::Insert);
    }
    static std::optional<Point> nearest(const EntityView &e, Point) { return e.insert; }

    static std::string describe(const EntityView &e, Point o)
    {
        std::string s = "T " + describedPoint(e.insert, o) + " " + describedNumber(e.height) + " " +
                        describedNumber(e.rotation) + " " + std::string(e.text);
        if (e.mirrored) s += " mirrored";
        return s;
    }

    template <class Painter> static void paint(const EntityView &e, Painter &p)
    {
        p.text(e.insert, e.height, e.rotation, e.text, e.mirrored, e.color, [&e] { return bounds(e); });
    }

    // Code points of a UTF-8 text.
    static std::size_t glyphCount(std::string_view s)
    {
        return static_cast<std::size_t>(std::count_if(
            s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; }));
    }

    template <class Groups> static void writeGroups(const EntityView &e, Groups &g)
    {
        // Middle justification (72 = 4): the alignment point is the text's middle.
        g.begin("TEXT", "AcDbText", e.color);
        g.point(10, e.insert);
        g.real(40, e.height);
        g.text(1, e.text);
        if (e.rotation != 0) g.real(50, e.rotation);
        if (e.mirrored) g.integer(71, 2); // backwards
        g.integer(72, 4);
        g.point(11, e.insert);
        g.subclass("AcDbText");
    }
};

} // namespace cad
