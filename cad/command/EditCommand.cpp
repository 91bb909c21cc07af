#include "cad/command/Commands.h"
#include "cad/command/WallOpening.h"

#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"
#include "cad/model/Selection.h"
#include "cad/model/Transform.h"

#include <algorithm>
#include <functional>
#include <set>
#include <unordered_map>

namespace cad {

namespace {

// ERASE, MOVE, COPY, ROTATE, SCALE, MIRROR, EXPLODE and CHPROP: the objects first (a selection made before
// the command, or asked for: picks, W, C, ALL, L, R to remove and A to add again, a window by two corners
// where a pick hits nothing), then what each does with them. All of it is one undo step.
class EditCommand final : public Command
{
public:
    enum class Kind { Erase, Move, Copy, Rotate, Scale, Mirror, Explode, Chprop };
    explicit EditCommand(Kind kind) : kind_(kind) {}

    std::string_view prompt() const override
    {
        switch (state_) {
        case State::Select:
            return removing_ ? "オブジェクトを除外: " : "オブジェクトを選択: ";
        case State::Corner:
            // After W or C the first corner is asked for; after a pick on nothing, the other.
            return corner_ ? "もう一方のコーナーを指定: " : "最初のコーナーを指定: ";
        case State::Base:
            return kind_ == Kind::Mirror ? "対称軸の 1 点目を指定: " : "基点を指定: ";
        case State::Second:
            switch (kind_) {
            case Kind::Copy:
                return copies_ ? "目的点を指定 または [終了(E)] <終了>: "
                               : "目的点を指定 または <1 点目の値を移動距離として使用>: ";
            case Kind::Rotate:
                return "回転角度を指定 または [参照(R)] <0>: ";
            case Kind::Scale:
                return "尺度を指定 または [参照(R)] <1>: ";
            case Kind::Mirror:
                return "対称軸の 2 点目を指定: ";
            default:
                return "目的点を指定 または <1 点目の値を移動距離として使用>: ";
            }
        case State::Reference:
            return kind_ == Kind::Rotate ? "参照する角度を指定 <0>: " : "参照する長さを指定 <1>: ";
        case State::NewValue:
            return kind_ == Kind::Rotate ? "新しい角度を指定: " : "新しい長さを指定: ";
        case State::KeepSource:
            return "元のオブジェクトを削除しますか? [はい(Y)/いいえ(N)] <N>: ";
        case State::Property:
            return "変更するプロパティを入力 [色(C)/画層(LA)]: ";
        case State::Color:
            return "新しい色を入力 [ByLayer(BYLAYER)/ByBlock(BYBLOCK)] <ByLayer>: ";
        case State::Layer:
            return keptPrompt("新しい画層名を入力 <" + layerShown_ + ">: ");
        }
        return {};
    }

    std::vector<std::size_t> chosen() const override { return chosen_; }

    bool start(CommandContext &ctx) override
    {
        if (ctx.selection.empty()) return true;
        // Noun-verb: what was selected before the command is its objects.
        chosen_ = ctx.selection;
        ctx.selection.clear();
        return objectsChosen(ctx);
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        switch (state_) {
        case State::Select:
            return feedSelect(in, ctx);
        case State::Corner:
            return feedCorner(in, ctx);
        case State::Base:
            return feedBase(in, ctx);
        case State::Second:
            return feedSecond(in, ctx);
        case State::Reference:
        case State::NewValue:
            return feedReference(in, ctx);
        case State::KeepSource:
            return feedKeep(in, ctx);
        case State::Property:
            if (in.enter()) return false;
            if (CommandContext::keyword(in, "C") || CommandContext::keyword(in, "CO")) {
                state_ = State::Color;
                return true;
            }
            if (CommandContext::keyword(in, "LA")) {
                askLayer(ctx);
                return true;
            }
            ctx.message("C または LA を入力して下さい。");
            return true;
        case State::Color:
            return feedColor(in, ctx);
        case State::Layer:
            return feedLayer(in, ctx);
        }
        return false;
    }

    std::vector<Entity> preview(Point cursor, const CommandContext &ctx) const override
    {
        if (state_ != State::Second) return {};
        std::vector<Entity> out;
        const Drawing &d = ctx.drawing();
        for (std::size_t i : chosen_) {
            if (i >= d.size()) continue;
            const auto shown = transformed(d.at(i), cursor);
            if (shown) out.push_back(*shown);
        }
        return out;
    }

private:
    enum class State {
        Select,
        Corner,
        Base,
        Second,
        Reference,
        NewValue,
        KeepSource,
        Property,
        Color,
        Layer
    };

    void report(CommandContext &ctx, std::size_t found)
    {
        ctx.message(std::to_string(found) + " 個を検出, 合計 " +
                    std::to_string(objectCount(ctx.drawing(), chosen_)) + " 個");
    }

    // Adds what was found to the chosen objects, or after R removes it from them.
    void addOrRemove(const std::vector<std::size_t> &found, CommandContext &ctx)
    {
        for (std::size_t i : found) {
            const auto it = std::find(chosen_.begin(), chosen_.end(), i);
            if (removing_ && it != chosen_.end()) chosen_.erase(it);
            if (!removing_ && it == chosen_.end()) chosen_.push_back(i);
        }
        report(ctx, objectCount(ctx.drawing(), found));
    }

    bool feedSelect(const Input &in, CommandContext &ctx)
    {
        if (in.enter()) return chosen_.empty() ? false : objectsChosen(ctx);
        Drawing &d = ctx.drawing();
        if (CommandContext::keyword(in, "ALL")) {
            addOrRemove(selectAll(d), ctx);
            return true;
        }
        if (CommandContext::keyword(in, "L")) {
            if (!d.empty() && selectable(d, d.size() - 1)) addOrRemove(wholeOf(d, d.size() - 1), ctx);
            return true;
        }
        if (CommandContext::keyword(in, "R") || CommandContext::keyword(in, "A")) {
            removing_ = CommandContext::keyword(in, "R");
            return true;
        }
        if (CommandContext::keyword(in, "W") || CommandContext::keyword(in, "C")) {
            boxKind_ = CommandContext::keyword(in, "W") ? BoxKind::Window : BoxKind::Crossing;
            corner_.reset();
            state_ = State::Corner;
            return true;
        }
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        if (auto hit = pickObject(d, *p, ctx.pickTolerance); !hit.empty()) {
            addOrRemove(std::move(hit), ctx);
            return true;
        }
        // Nothing there: the first corner of a window (to the right) or crossing (to the left).
        corner_ = *p;
        boxKind_ = BoxKind::ByCorners;
        state_ = State::Corner;
        return true;
    }

    bool feedCorner(const Input &in, CommandContext &ctx)
    {
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        if (!corner_) {
            corner_ = *p; // after W or C: this was the first corner
            return true;
        }
        Box box;
        box.add(*corner_);
        box.add(*p);
        const bool crossing =
            boxKind_ == BoxKind::ByCorners ? isCrossing(*corner_, *p) : boxKind_ == BoxKind::Crossing;
        addOrRemove(windowSelect(ctx.drawing(), box, crossing), ctx);
        corner_.reset();
        state_ = State::Select;
        return true;
    }

    bool objectsChosen(CommandContext &ctx)
    {
        std::sort(chosen_.begin(), chosen_.end());
        if (kind_ == Kind::Explode) return explode(ctx);
        if (kind_ == Kind::Chprop) {
            state_ = State::Property;
            return true;
        }
        if (kind_ != Kind::Erase) {
            state_ = State::Base;
            return true;
        }
        const std::size_t objects = objectCount(ctx.drawing(), chosen_);
        // A fitting leaves its wall whole again.
        std::vector<std::size_t> erase = chosen_;
        for (std::uint32_t symbol : symbolsOf(ctx.drawing(), chosen_))
            closeOpening(ctx, symbol, erase);
        ctx.drawing().erase(erase);
        ctx.message(std::to_string(objects) + " 個を削除しました。");
        return false;
    }

    bool feedBase(const Input &in, CommandContext &ctx)
    {
        if (in.enter()) return false;
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        base_ = *p;
        ctx.lastPoint = *p;
        state_ = State::Second;
        return true;
    }

    static std::set<std::uint32_t> symbolsOf(const Drawing &d, const std::vector<std::size_t> &indices)
    {
        std::set<std::uint32_t> out;
        for (std::size_t i : indices)
            if (i < d.size() && d.symbolOf(i) != 0) out.insert(d.symbolOf(i));
        return out;
    }

    // The entity as the command leaves it with the cursor or the answer at `p`.
    std::optional<Entity> transformed(const Entity &e, Point p) const
    {
        switch (kind_) {
        case Kind::Move:
        case Kind::Copy:
            return moved(e, p.x - base_.x, p.y - base_.y);
        case Kind::Rotate:
            return p == base_ ? std::nullopt : std::optional(rotated(e, base_, angleOf(base_, p)));
        case Kind::Scale: {
            const double f = distance(base_, p);
            return f > 0 ? std::optional(scaled(e, base_, f)) : std::nullopt;
        }
        case Kind::Mirror:
            return p == base_ ? std::nullopt : std::optional(mirrored(e, base_, p));
        case Kind::Erase:
        case Kind::Explode:
        case Kind::Chprop:
            break;
        }
        return std::nullopt;
    }

    // Whether it was done: nothing is when a file's entity cannot be placed so.
    bool apply(CommandContext &ctx, const std::function<Entity(const Entity &)> &f, bool keepSource)
    {
        Drawing &d = ctx.drawing();
        // Indices first, values second: adding copies does not move what is chosen. A symbol
        // placed anew (or copied) is a new one, its base point placed with it.
        std::unordered_map<std::uint32_t, std::uint32_t> placed;
        std::vector<Entity> results;
        for (std::size_t i : chosen_)
            if (i < d.size()) results.push_back(f(d.at(i)));
        if (refused(ctx, results, keepSource)) return false;
        for (Entity &result : results) {
            std::uint32_t &symbol = result.symbol;
            if (symbol == 0) continue;
            auto [it, first] = placed.try_emplace(symbol, 0);
            if (first) {
                Symbol moved = d.symbol(symbol);
                if (moved.base) {
                    Entity base;
                    base.a = base.b = *moved.base;
                    moved.base = f(base).a;
                }
                it->second = d.addSymbol(std::move(moved));
            }
            symbol = it->second;
        }
        std::size_t n = 0;
        for (std::size_t i : chosen_) {
            if (i >= d.size()) continue;
            if (keepSource)
                d.add(results[n]);
            else
                d.replaceAt(i, results[n]);
            ++n;
        }
        moveOpenings(ctx, placed, keepSource);
        return true;
    }

    // A fitting's opening goes with it: the one it leaves is closed (not a copy's source's),
    // and one is cut where it now stands, when it stands in a wall.
    static void moveOpenings(CommandContext &ctx,
                             const std::unordered_map<std::uint32_t, std::uint32_t> &placed, bool keepSource)
    {
        Drawing &d = ctx.drawing();
        std::vector<std::uint32_t> recut;
        std::vector<std::size_t> erase;
        for (const auto &[from, to] : placed) {
            if (!d.opening(from)) continue;
            d.setOpening(to, std::nullopt);
            if (!keepSource) closeOpening(ctx, from, erase);
            recut.push_back(to);
        }
        d.erase(erase);
        if (!ctx.wallOpenings) return;
        for (std::uint32_t symbol : recut)
            setIntoWall(ctx, symbol);
    }

    // A file's entity is placed anew in its own groups, never exploded: a kind the file cannot
    // write so (a hatch, a dimension) is refused, whole, with its name.
    bool refused(CommandContext &ctx, const std::vector<Entity> &results, bool copy) const
    {
        const Drawing &d = ctx.drawing();
        std::unordered_map<std::uint32_t, Affine> checked;
        for (const Entity &e : results) {
            if (!e.origin.editable()) continue;
            const auto [it, first] = checked.try_emplace(e.origin.entity, e.origin.placed);
            if (!first && it->second == e.origin.placed) continue;
            it->second = e.origin.placed;
            const std::string kind = d.placementRefused(e.origin, copy);
            if (kind.empty()) continue;
            ctx.message(fileObjectRefused(kind, verb()));
            return true;
        }
        return false;
    }

    std::string verb() const
    {
        switch (kind_) {
        case Kind::Move:
            return "移動";
        case Kind::Copy:
            return "複写";
        case Kind::Rotate:
            return "回転";
        case Kind::Scale:
            return "尺度変更";
        case Kind::Mirror:
            return "鏡像化";
        default:
            return "編集";
        }
    }

    bool feedSecond(const Input &in, CommandContext &ctx)
    {
        switch (kind_) {
        case Kind::Move:
        case Kind::Copy: {
            // COPY ends at Enter or at its offered option E (終了) once a copy is made.
            if (kind_ == Kind::Copy && copies_ && (in.enter() || CommandContext::keyword(in, "E")))
                return false;
            // Enter: the base point read as the displacement itself.
            const std::optional<Point> to =
                in.enter() ? std::optional(Point{base_.x * 2, base_.y * 2}) : ctx.wantPointFrom(in, base_);
            if (!to) return true;
            const double dx = to->x - base_.x, dy = to->y - base_.y;
            const bool done = apply(
                ctx, [=](const Entity &e) { return moved(e, dx, dy); }, kind_ == Kind::Copy);
            ctx.lastPoint = *to;
            if (kind_ == Kind::Move || !done) return false;
            ++copies_;
            return true;
        }
        case Kind::Rotate:
        case Kind::Scale: {
            if (CommandContext::keyword(in, "R")) {
                state_ = State::Reference;
                return true;
            }
            if (in.enter()) return false;
            const auto v = kind_ == Kind::Rotate ? ctx.angle(in, base_) : ctx.distance(in, base_);
            if (!v || (kind_ == Kind::Scale && *v <= 0)) {
                ctx.message(kind_ == Kind::Rotate ? messages::angleNeeded
                                                  : "0 より大きい値を入力して下さい。");
                return true;
            }
            finishTurnOrScale(ctx, *v);
            return false;
        }
        case Kind::Mirror: {
            const auto p = ctx.wantPoint(in);
            if (!p || *p == base_) return true;
            axisEnd_ = *p;
            state_ = State::KeepSource;
            return true;
        }
        case Kind::Erase:
        case Kind::Explode:
        case Kind::Chprop:
            break;
        }
        return false;
    }

    void finishTurnOrScale(CommandContext &ctx, double v)
    {
        const Point b = base_;
        if (kind_ == Kind::Rotate)
            apply(
                ctx, [=](const Entity &e) { return rotated(e, b, v); }, false);
        else
            apply(
                ctx, [=](const Entity &e) { return scaled(e, b, v); }, false);
    }

    // ROTATE R: the angle the objects stand at now, then the one they should; SCALE R: a length
    // as it is, then as it should be.
    bool feedReference(const Input &in, CommandContext &ctx)
    {
        const bool rotate = kind_ == Kind::Rotate;
        std::optional<double> v;
        if (in.enter() && state_ == State::Reference)
            v = rotate ? 0.0 : 1.0;
        else
            v = rotate ? ctx.angle(in, base_) : ctx.distance(in, base_);
        if (!v || (!rotate && *v <= 0)) {
            ctx.message(rotate ? messages::angleNeeded : "0 より大きい値を入力して下さい。");
            return true;
        }
        if (state_ == State::Reference) {
            reference_ = *v;
            state_ = State::NewValue;
            return true;
        }
        finishTurnOrScale(ctx, rotate ? *v - reference_ : *v / reference_);
        return false;
    }

    bool feedKeep(const Input &in, CommandContext &ctx)
    {
        const bool erase = CommandContext::keyword(in, "Y");
        if (!erase && !in.enter() && !CommandContext::keyword(in, "N")) {
            ctx.message("Y または N を入力して下さい。");
            return true;
        }
        const Point a = base_, b = axisEnd_;
        apply(
            ctx, [=](const Entity &e) { return mirrored(e, a, b); }, !erase);
        return false;
    }

    // A polyline becomes its segments as lines (their widths are lost, as in CAD programs); a
    // file's entity shown in pieces (a block reference, a dimension) becomes those pieces.
    bool explode(CommandContext &ctx)
    {
        Drawing &d = ctx.drawing();
        std::unordered_map<std::uint32_t, std::size_t> pieces;
        for (std::size_t i : chosen_)
            if (i < d.size() && d.origin(i).editable()) pieces[d.origin(i).entity] = 0;
        for (std::size_t i = 0; !pieces.empty() && i < d.size(); ++i)
            if (const auto it = pieces.find(d.origin(i).entity); it != pieces.end()) ++it->second;
        std::size_t wholes = 0;
        for (const auto &[entity, count] : pieces)
            if (count > 1) ++wholes;
        std::vector<std::size_t> gone;
        std::vector<Entity> lines;
        std::unordered_map<std::uint32_t, std::size_t> symbols;
        for (std::size_t i : chosen_) {
            if (i >= d.size()) continue;
            // A symbol's pieces go free as they are, as a block's do.
            if (d.symbolOf(i) != 0) {
                ++symbols[d.symbolOf(i)];
                Entity e = d.at(i);
                e.symbol = 0;
                d.replaceAt(i, e);
                continue;
            }
            if (const auto it = pieces.find(d.origin(i).entity); it != pieces.end() && it->second > 1) {
                Entity e = d.at(i);
                e.origin = {};
                d.replaceAt(i, e);
                continue;
            }
            if (d.view(i).type != Entity::Type::Polyline) continue;
            const Entity p = d.at(i);
            const std::size_t n = p.vertices.size();
            for (std::size_t k = 0; k + 1 < n || (p.closed && n > 2 && k < n); ++k) {
                Entity l;
                l.color = p.color;
                l.layer = p.layer;
                l.a = p.vertices[k];
                l.b = p.vertices[(k + 1) % n];
                lines.push_back(l);
            }
            gone.push_back(i);
        }
        wholes += symbols.size();
        if (gone.empty() && wholes == 0) {
            ctx.message("分解できるオブジェクトがありません。");
            return false;
        }
        d.erase(gone);
        for (const Entity &l : lines)
            d.add(l);
        ctx.message(std::to_string(gone.size() + wholes) + " 個を分解しました。");
        return false;
    }

    bool feedColor(const Input &in, CommandContext &ctx)
    {
        std::optional<int> color;
        if (in.enter() || CommandContext::keyword(in, "BYLAYER"))
            color = colorByLayer;
        else if (CommandContext::keyword(in, "BYBLOCK"))
            color = 0;
        else if (const auto v = in.picked ? std::nullopt : readNumber(in.text);
                 v && *v >= 1 && *v <= 255 && *v == static_cast<int>(*v))
            color = static_cast<int>(*v);
        if (!color) {
            ctx.message("1 から 255 の色番号、BYLAYER または BYBLOCK を入力して下さい。");
            return true;
        }
        Drawing &d = ctx.drawing();
        for (std::size_t i : chosen_) {
            if (i >= d.size()) continue;
            Entity e = d.at(i);
            e.color = *color;
            if (e.origin.entity != 0) e.origin.color = *color;
            d.replaceAt(i, e);
        }
        state_ = State::Property;
        return true;
    }

    // CHPROP LA: the default offered is the layer all the objects are on, else the current one.
    void askLayer(const CommandContext &ctx)
    {
        const Drawing &d = ctx.drawing();
        std::optional<std::uint32_t> common;
        bool same = true;
        for (std::size_t i : chosen_) {
            if (i >= d.size()) continue;
            const std::uint32_t l = d.view(i).layer;
            same = same && (!common || *common == l);
            common = l;
        }
        const std::size_t shownLayer = same && common ? *common : d.currentLayer();
        layerShown_ = d.layers()[shownLayer].name;
        state_ = State::Layer;
    }

    bool feedLayer(const Input &in, CommandContext &ctx)
    {
        state_ = State::Property;
        if (in.enter()) return true;
        Drawing &d = ctx.drawing();
        const auto found = in.picked ? std::nullopt : d.findLayer(in.text);
        if (!found) {
            ctx.message(in.picked ? std::string("画層の名前を入力して下さい。")
                                  : "画層 \"" + std::string(in.text) + "\" が見つかりません。");
            state_ = State::Layer;
            return true;
        }
        for (std::size_t i : chosen_) {
            if (i >= d.size() || d.view(i).layer == *found) continue;
            Entity e = d.at(i);
            e.layer = static_cast<std::int32_t>(*found);
            if (e.origin.entity != 0) e.origin.layer = e.layer;
            d.replaceAt(i, e);
        }
        return true;
    }

    Kind kind_;
    State state_ = State::Select;
    std::string layerShown_;
    std::vector<std::size_t> chosen_;
    bool removing_ = false;
    // A box picks what lies inside it (window) or also what it touches (crossing): as W or C
    // asked, else by the direction from the first corner to the second.
    enum class BoxKind { ByCorners, Window, Crossing };
    BoxKind boxKind_ = BoxKind::ByCorners;
    std::optional<Point> corner_;
    Point base_, axisEnd_;
    double reference_ = 0;
    int copies_ = 0;
};

} // namespace

std::unique_ptr<Command> makeEraseCommand()
{
    return std::make_unique<EditCommand>(EditCommand::Kind::Erase);
}

std::unique_ptr<Command> makeMoveCommand()
{
    return std::make_unique<EditCommand>(EditCommand::Kind::Move);
}

std::unique_ptr<Command> makeCopyCommand()
{
    return std::make_unique<EditCommand>(EditCommand::Kind::Copy);
}

std::unique_ptr<Command> makeRotateCommand()
{
    return std::make_unique<EditCommand>(EditCommand::Kind::Rotate);
}

std::unique_ptr<Command> makeScaleCommand()
{
    return std::make_unique<EditCommand>(EditCommand::Kind::Scale);
}

std::unique_ptr<Command> makeExplodeCommand()
{
    return std::make_unique<EditCommand>(EditCommand::Kind::Explode);
}

std::unique_ptr<Command> makeChpropCommand()
{
    return std::make_unique<EditCommand>(EditCommand::Kind::Chprop);
}

std::unique_ptr<Command> makeMirrorCommand()
{
    return std::make_unique<EditCommand>(EditCommand::Kind::Mirror);
}

} // namespace cad
