#pragma once

#include "bridge/librecad/Placement.h"

#include <QHash>
#include <QVariant>

class Document_Interface;

namespace bridge {

// Puts one placement into LibreCAD's document in the DXF colour it has: ByLayer with LibreCAD's
// current pen, another in that colour.
void put(Document_Interface *doc, const Placement &p);

// The same with the pen of another entity: its layer, colour, line type and width as
// Plug_Entity::getData tells them (DPI::LAYER, COLOR, LTYPE, LWIDTH).
void putWithPen(Document_Interface *doc, const Placement &p, const QHash<int, QVariant> &pen);

} // namespace bridge
