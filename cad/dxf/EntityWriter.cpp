#include "cad/dxf/EntityWriter.h"

#include "cad/dxf/tags/DxfText.h"
#include "cad/model/kinds/Kinds.h"

#include <cstdlib>

namespace cad {

std::string EntityWriter::written(const Setting &setting, std::string_view utf8)
{
    return setting.utf8 ? std::string(utf8) : encodeDxfText(utf8, setting.inCodepage);
}

void EntityWriter::write(const EntityView &e, const std::vector<XdataGroup> *xdata)
{
    xdata_ = xdata;
    xdataWritten_ = false;
    layer_ =
        e.layer < setting_.layers.size() ? std::string_view(setting_.layers[e.layer]) : std::string_view("0");
    visitKind(e.type, [&](auto kind) { decltype(kind)::writeGroups(e, *this); });
    writeXdata();
}

void EntityWriter::layer(const std::string &name, const Layer &l, const LayerForm &form)
{
    tableEntry("LAYER", "AcDbLayerTableRecord", form.table);
    string(2, name);
    integer(70, l.frozen ? 1 : 0);
    integer(62, l.on ? l.color : -l.color);
    string(6, form.linetype.empty() ? std::string_view("CONTINUOUS") : std::string_view(form.linetype));
    if (setting_.r12) return;
    if (!form.weight.empty()) integer(370, std::atoll(form.weight.c_str()));
    if (!form.plotStyle.empty()) string(390, form.plotStyle);
}

void EntityWriter::appid(std::string_view name, std::uint64_t table)
{
    tableEntry("APPID", "AcDbRegAppTableRecord", table);
    string(2, name);
    integer(70, 0);
}

void EntityWriter::group(std::uint64_t handle, std::uint64_t owner, const KeptSymbol &symbol,
                         std::span<const std::uint64_t> members)
{
    if (!out_) return;
    string(0, "GROUP");
    this->handle(5, handle);
    this->handle(330, owner);
    string(100, "AcDbGroup");
    string(300, written(setting_, symbol.symbol.caption));
    integer(70, 1); // unnamed
    integer(71, 1); // selectable
    for (const std::uint64_t h : members)
        this->handle(340, h);
    cad::writeXdata(*out_, symbolXdata(symbol, [this](std::string_view t) { return written(setting_, t); }));
}

void EntityWriter::text(int code, std::string_view utf8)
{
    if (out_) string(code, written(setting_, utf8));
}

void EntityWriter::xdataBeforeVertices()
{
    xdataWritten_ = false;
    writeXdata();
}

void EntityWriter::tableEntry(std::string_view type, std::string_view subclassName, std::uint64_t table)
{
    string(0, type);
    if (setting_.handles) handle(5, next_++);
    if (setting_.r12) return;
    if (table != 0) handle(330, table);
    string(100, "AcDbSymbolTableRecord");
    string(100, subclassName);
}

void EntityWriter::begin(std::string_view type, std::string_view subclassName, int color)
{
    string(0, type);
    if (setting_.handles) handle(5, next_++);
    if (!setting_.r12 && setting_.owner != 0) handle(330, setting_.owner);
    subclass("AcDbEntity");
    string(8, layer_);
    if (color >= 0 && color < colorByLayer) integer(62, color);
    subclass(subclassName);
}

void EntityWriter::subclass(std::string_view name)
{
    if (!setting_.r12 && !name.empty()) string(100, name);
}

void EntityWriter::point(int code, Point p)
{
    real(code, p.x);
    real(code + 10, p.y);
    real(code + 20, 0.0);
}

void EntityWriter::writeXdata()
{
    if (out_ && xdata_ && !xdataWritten_) cad::writeXdata(*out_, *xdata_);
    xdataWritten_ = true;
}

} // namespace cad
