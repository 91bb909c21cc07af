#pragma once

#include "cad/model/Point.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace cad {

// The geometry of one entity in a drawing's compact storage: 40 bytes whose meaning its kind
// gives, through a layout of its own (LineKind::Layout...). Its kind and colour are kept beside
// it, in the drawing's outline of it.
struct Record
{
    alignas(double) std::byte bytes[40];
};
static_assert(sizeof(Record) == 40);

// What records hold by index: texts and vertex lists. An entity taken out of the middle leaves
// its own behind, unused; they only shrink from their ends, so what the others point at never
// moves.
struct RecordSide
{
    std::vector<std::string> texts;
    std::vector<std::vector<Point>> vertexLists;
};

template <class Layout> Record recordOf(const Layout &layout)
{
    static_assert(sizeof(Layout) <= sizeof(Record) && std::is_trivially_copyable_v<Layout>);
    Record r{};
    std::memcpy(r.bytes, &layout, sizeof layout);
    return r;
}

template <class Layout> Layout layoutOf(const Record &r)
{
    static_assert(sizeof(Layout) <= sizeof(Record) && std::is_trivially_copyable_v<Layout>);
    Layout layout;
    std::memcpy(&layout, r.bytes, sizeof layout);
    return layout;
}

} // namespace cad
