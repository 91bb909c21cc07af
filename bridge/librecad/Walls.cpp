#include "bridge/librecad/Walls.h"

#include "bridge/librecad/Put.h"
#include "cad/command/CommandContext.h"
#include "cad/command/WallOpening.h"
#include "cad/model/Geometry.h"
#include "cad/model/Schedule.h"
#include "cad/model/Wall.h"

#include "document_interface.h"

namespace bridge {

namespace {

bool overlap(const cad::Box &a, const cad::Box &b)
{
    return !a.empty() && !b.empty() && a.min.x <= b.max.x && b.min.x <= a.max.x && a.min.y <= b.max.y &&
           b.min.y <= a.max.y;
}

bool sameShape(const cad::Entity &a, const cad::Entity &b)
{
    return a.type == b.type && a.a == b.a && a.b == b.b && a.vertices == b.vertices && a.closed == b.closed;
}

cad::Point pointOf(const QHash<int, QVariant> &data, int x, int y)
{
    return {data.value(x).toDouble(), data.value(y).toDouble()};
}

// A LINE or a polyline of straight segments; none for the rest (an arc segment is no face).
std::optional<cad::Entity> faceOf(Plug_Entity &handle, const QHash<int, QVariant> &data)
{
    cad::Entity e;
    const int type = data.value(DPI::ETYPE).toInt();
    if (type == DPI::LINE) {
        e.type = cad::Entity::Type::Line;
        e.a = pointOf(data, DPI::STARTX, DPI::STARTY);
        e.b = pointOf(data, DPI::ENDX, DPI::ENDY);
        return e;
    }
    if (type != DPI::POLYLINE) return std::nullopt;
    QList<Plug_VertexData> vertices;
    handle.getPolylineData(&vertices);
    for (const Plug_VertexData &v : vertices) {
        if (v.bulge != 0) return std::nullopt;
        e.vertices.push_back({v.point.x(), v.point.y()});
    }
    if (e.vertices.size() < 2) return std::nullopt;
    e.type = cad::Entity::Type::Polyline;
    e.closed = data.value(DPI::CLOSEPOLY).toInt() != 0;
    return e;
}

} // namespace

DocumentWalls::DocumentWalls() = default;
DocumentWalls::~DocumentWalls() = default;

void DocumentWalls::clear()
{
    drawing_.clear();
    handles_.clear();
    pens_.clear();
    read_.clear();
    blocks_ = false;
}

void DocumentWalls::read(Document_Interface *doc, const cad::Box &near)
{
    clear();
    cad::Box reach = near;
    reach.add(near.min - cad::Point{cad::maxWallThickness, cad::maxWallThickness});
    reach.add(near.max + cad::Point{cad::maxWallThickness, cad::maxWallThickness});
    // Only what is shown: an entity erased in LibreCAD stays in its document, hidden, for undo.
    QList<Plug_Entity *> all;
    doc->getAllEntities(&all, true);
    for (Plug_Entity *p : all) {
        std::unique_ptr<Plug_Entity> handle(p);
        QHash<int, QVariant> data;
        handle->getData(&data);
        if (data.value(DPI::ETYPE).toInt() == DPI::INSERT) blocks_ = true;
        std::optional<cad::Entity> face = faceOf(*handle, data);
        if (!face || !overlap(cad::bounds(*face), reach)) continue;
        face->layer =
            static_cast<std::int32_t>(drawing_.defineLayer(cad::Layer{std::to_string(read_.size() + 1)}));
        drawing_.add(*face);
        read_.push_back(drawing_.at(drawing_.size() - 1));
        pens_.push_back({{DPI::LAYER, data.value(DPI::LAYER)},
                         {DPI::COLOR, data.value(DPI::COLOR)},
                         {DPI::LTYPE, data.value(DPI::LTYPE)},
                         {DPI::LWIDTH, data.value(DPI::LWIDTH)}});
        handles_.push_back(std::move(handle));
    }
    drawing_.forgetHistory();
}

std::vector<std::string> DocumentWalls::setIntoWall(Document_Interface *doc, const cad::Drawing &drawn,
                                                    std::uint32_t symbol)
{
    if (symbol == 0 || !cad::isFittingForm(drawn.symbol(symbol).form)) return {};
    cad::Box box;
    std::vector<cad::Entity> pieces;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (drawn.symbolOf(i) != symbol) continue;
        cad::Entity e = drawn.at(i);
        box.include(cad::bounds(e));
        e.layer = 0;
        e.symbol = 0;
        e.origin = {};
        pieces.push_back(std::move(e));
    }
    if (pieces.empty()) return {};
    read(doc, box);
    const std::size_t walls = drawing_.size();
    const std::uint32_t fitting = drawing_.beginSymbol(drawn.symbol(symbol));
    for (const cad::Entity &e : pieces)
        drawing_.add(e);
    drawing_.endSymbol();
    const std::size_t made = drawing_.size();

    cad::Transcript said;
    cad::CommandContext ctx(drawing_, said);
    cad::setIntoWall(ctx, fitting);

    // A face's pieces and the jambs carry the layer that stands for the face they come from.
    const auto putLike = [&](const cad::Entity &e) {
        const auto source = static_cast<std::size_t>(e.layer - 1);
        if (e.layer < 1 || source >= pens_.size()) return;
        for (const Placement &p : placementsOf(e))
            putWithPen(doc, p, pens_[source]);
    };
    for (std::size_t i = 0; i < walls; ++i) {
        const cad::Entity now = drawing_.at(i);
        if (sameShape(now, read_[i])) continue;
        doc->removeEntity(handles_[i].get());
        putLike(now);
    }
    for (std::size_t i = made; i < drawing_.size(); ++i)
        putLike(drawing_.at(i));
    return said.lines();
}

} // namespace bridge
