#pragma once

#include <cstdint>
#include <string>

namespace cad {

// One entry of a drawing's layer table.
struct Layer
{
    std::string name;
    int color = 7; // DXF colour index 1 to 255
    bool on = true;
    bool frozen = false;
    // Made in this program rather than read from the drawing's file: saving a file adds a LAYER
    // table entry for it.
    bool made = false;

    bool visible() const { return on && !frozen; }
    friend bool operator==(const Layer &, const Layer &) = default;
};

// Whether `name` may name a layer: not empty, not too long, none of the characters DXF names
// refuse (< > / \ " : ; ? * | , = `), no control characters, no blanks at its ends.
bool validLayerName(const std::string &name);

} // namespace cad
