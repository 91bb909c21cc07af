#pragma once

#include "cad/dxf/SymbolXdata.h"
#include "cad/dxf/tags/DxfTags.h"
#include "cad/model/EntityView.h"
#include "cad/model/Layer.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

// Writes the groups of what was drawn here: entities, layer and APPID table entries and symbol
// GROUPs, each kind in one place. New files and files opened and saved back both go through it,
// in the layout of the file's version: R12 and older without subclass markers and owners, with
// POLYLINE for polylines and ellipses; later versions as R2000 does. Groups that hold their
// default value (colour and line type by layer, a TEXT's style and width) are left out.
class EntityWriter
{
public:
    struct Setting
    {
        bool r12 = false;
        bool handles = true;
        bool utf8 = false;
        // The block record entities are owned by (330); 0 for none written.
        std::uint64_t owner = 0;
        // The layers' names as the file writes them, by index in the drawing's layer table.
        std::vector<std::string> layers;
        // Text into the file's code page; none where it has none or it is not known.
        std::function<std::string(std::string_view)> inCodepage;
    };

    // Text (a TEXT's, a layer's name, a symbol's caption) as the file holds it: UTF-8, or its
    // code page where that holds it, else as escapes.
    static std::string written(const Setting &setting, std::string_view utf8);

    // Handles are taken from `next`, which moves past them. Without `out` nothing is written:
    // the handles are only counted.
    EntityWriter(DxfTagWriter *out, const Setting &setting, std::uint64_t &next)
        : out_(out), setting_(setting), next_(next)
    {
    }
    EntityWriter(DxfTagWriter &out, const Setting &setting, std::uint64_t &next)
        : EntityWriter(&out, setting, next)
    {
    }

    // With `xdata`, the entity carries it (a polyline of R12 before its vertices).
    void write(const EntityView &e, const std::vector<XdataGroup> *xdata = nullptr);

    // A LAYER table entry, borrowing linetype, line weight and plot style from the form the
    // table's entries have; `table`: the table's handle, 0 for no owner written.
    struct LayerForm
    {
        std::uint64_t table = 0;
        std::string linetype, weight, plotStyle;
    };
    void layer(const std::string &name, const Layer &l, const LayerForm &form);

    // An APPID table entry; `table` as for layers.
    void appid(std::string_view name, std::uint64_t table);

    // A symbol as an unnamed, selectable GROUP of the entities `members`, with our XDATA; `owner`:
    // the group dictionary.
    void group(std::uint64_t handle, std::uint64_t owner, const KeptSymbol &symbol,
               std::span<const std::uint64_t> members);

    // What a kind writes its groups with (cad/model/kinds): an entity's first groups, a
    // subclass marker (none in R12), a point, a text in the file's encoding, the R12 polyline's
    // XDATA, and plain groups.
    bool r12() const { return setting_.r12; }
    void begin(std::string_view type, std::string_view subclassName, int color);
    void subclass(std::string_view name);
    void point(int code, Point p);
    void text(int code, std::string_view utf8);
    void xdataBeforeVertices();
    // The groups, or nothing when only counting.
    void string(int code, std::string_view value)
    {
        if (out_) out_->string(code, value);
    }
    void real(int code, double value)
    {
        if (out_) out_->real(code, value);
    }
    void integer(int code, std::int64_t value)
    {
        if (out_) out_->integer(code, value);
    }
    void handle(int code, std::uint64_t value)
    {
        if (out_) out_->handle(code, value);
    }

private:
    void tableEntry(std::string_view type, std::string_view subclassName, std::uint64_t table);
    void writeXdata();

    DxfTagWriter *out_;
    const Setting &setting_;
    std::uint64_t &next_;
    std::string_view layer_ = "0";
    const std::vector<XdataGroup> *xdata_ = nullptr;
    bool xdataWritten_ = false;
};

} // namespace cad
