#pragma once

#include "cad/model/Drawing.h"

#include <QHash>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Document_Interface;
class Plug_Entity;

namespace bridge {

// LibreCAD's walls as the host's wall code sees them: the document's visible LINEs and straight
// LWPOLYLINEs near a place, copied into a drawing of their own. Each is on a layer of its own
// there, so that what a cut makes of it (its pieces, the jambs that take its pen) tells which
// of LibreCAD's entities it came from. The plugin interface shows no block's contents: a wall
// inside a block reference is not seen at all.
class DocumentWalls
{
public:
    DocumentWalls();
    ~DocumentWalls();
    DocumentWalls(const DocumentWalls &) = delete;
    DocumentWalls &operator=(const DocumentWalls &) = delete;

    // Reads the lines and polylines that come within a wall's thickness of `near`.
    void read(Document_Interface *doc, const cad::Box &near);
    const cad::Drawing &drawing() const { return drawing_; }
    // Whether the document read holds block references.
    bool hasBlocks() const { return blocks_; }

    // Sets `symbol` of `drawn` (a fitting just put into the document) into the wall it stands in
    // as the host does, in the same plugin call and so the same undo step: the walls round it
    // are read, the cut faces give way to their pieces and the jambs are added with the pen of
    // the face they close. Returns what the host says of it (nothing for no fitting or no wall).
    std::vector<std::string> setIntoWall(Document_Interface *doc, const cad::Drawing &drawn,
                                         std::uint32_t symbol);

private:
    void clear();

    cad::Drawing drawing_;
    // Of each entity read, by its place in drawing_: LibreCAD's handle, its pen, and the entity
    // as it was read.
    std::vector<std::unique_ptr<Plug_Entity>> handles_;
    std::vector<QHash<int, QVariant>> pens_;
    std::vector<cad::Entity> read_;
    bool blocks_ = false;
};

} // namespace bridge
