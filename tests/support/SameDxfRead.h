#pragma once

// Reads DXF bytes twice, LINE entities read directly and through dxflib, and says where the two
// readings differ. Used by the DXF tests and by the DXF fuzz target.

#include "cad/dxf/Dxf.h"

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace dxfcheck {

inline bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

inline bool samePoint(const cad::Point &a, const cad::Point &b)
{
    return sameBits(a.x, b.x) && sameBits(a.y, b.y);
}

// Every field, doubles bit for bit (a zero's sign and a NaN's payload included).
inline bool sameEntity(const cad::Entity &a, const cad::Entity &b)
{
    if (a.vertices.size() != b.vertices.size()) return false;
    for (std::size_t i = 0; i < a.vertices.size(); ++i)
        if (!samePoint(a.vertices[i], b.vertices[i])) return false;
    return a.type == b.type && a.color == b.color && samePoint(a.a, b.a) && samePoint(a.b, b.b) &&
           samePoint(a.centre, b.centre) && sameBits(a.radius, b.radius) &&
           sameBits(a.startAngle, b.startAngle) && sameBits(a.endAngle, b.endAngle) &&
           samePoint(a.majorAxis, b.majorAxis) && sameBits(a.ratio, b.ratio) &&
           samePoint(a.insert, b.insert) && a.text == b.text && sameBits(a.height, b.height) &&
           sameBits(a.rotation, b.rotation) && sameBits(a.startWidth, b.startWidth) &&
           sameBits(a.endWidth, b.endWidth) && a.closed == b.closed && a.layer == b.layer;
}

// Empty when two results are the same; else what differs first.
inline std::string resultsDiffer(const cad::DxfReadResult &direct, const cad::DxfReadResult &dxflib)
{
    if (direct.ok != dxflib.ok || direct.error != dxflib.error) return "ok or error";
    if (direct.skipped != dxflib.skipped) return "skipped count";
    const auto &a = direct.drawing.entities();
    const auto &b = dxflib.drawing.entities();
    if (a.size() != b.size())
        return "entity count " + std::to_string(a.size()) + " against " + std::to_string(b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!sameEntity(a[i], b[i])) return "entity " + std::to_string(i);
    return {};
}

inline std::string readingsDiffer(std::string_view bytes)
{
    return resultsDiffer(cad::readDxfData(bytes, cad::DxfLineReading::Direct),
                         cad::readDxfData(bytes, cad::DxfLineReading::ThroughDxflib));
}

} // namespace dxfcheck
