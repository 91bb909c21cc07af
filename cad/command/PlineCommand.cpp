#include "cad/command/Commands.h"

#include "cad/model/Geometry.h"

#include <vector>

namespace cad {

namespace {

// PLINE: a start point, then points; "w"/"h" set the widths of what follows, "c" closes and ends,
// "u" takes back a vertex, Enter ends. The widths are the entity's; when they change after the
// first segment, the drawn part becomes a polyline of its own and a new one starts where it ends.
class PlineCommand final : public Command
{
public:
    bool start(CommandContext &ctx) override
    {
        startWidth_ = endWidth_ = ctx.plineWidth;
        return true;
    }

    std::string_view prompt() const override
    {
        switch (state_) {
        case State::Start:
            return "始点を指定: ";
        case State::StartWidth:
            return keptPrompt(std::string(half_ ? "始点の幅の 2 分の 1 を指定 <" : "始点の幅を指定 <") +
                              fourDecimals(halved(startWidth_)) + ">: ");
        case State::EndWidth:
            return keptPrompt(std::string(half_ ? "終点の幅の 2 分の 1 を指定 <" : "終点の幅を指定 <") +
                              fourDecimals(halved(pendingStart_)) + ">: ");
        case State::Next:
            break;
        }
        if (piece_.vertices.size() + drawnVertices_ >= 3)
            return "次の点を指定 または [閉じる(C)/2 分の 1 幅(H)/元に戻す(U)/幅(W)]: ";
        return "次の点を指定 または [2 分の 1 幅(H)/元に戻す(U)/幅(W)]: ";
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        switch (state_) {
        case State::Start:
            return feedStart(in, ctx);
        case State::StartWidth:
            return feedStartWidth(in, ctx);
        case State::EndWidth:
            return feedEndWidth(in, ctx);
        case State::Next:
            return feedNext(in, ctx);
        }
        return false;
    }

    void cancel(CommandContext &ctx) override { finish(ctx, false); }

    std::vector<Entity> preview(Point cursor, const CommandContext &) const override
    {
        if (state_ != State::Next || piece_.vertices.empty()) return {};
        Entity e = piece_;
        e.vertices.push_back(cursor);
        return {e};
    }

private:
    enum class State { Start, Next, StartWidth, EndWidth };

    double halved(double width) const { return half_ ? width / 2 : width; }

    bool feedStart(const Input &in, CommandContext &ctx)
    {
        if (in.enter()) return false;
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        first_ = *p;
        ctx.lastPoint = *p;
        newPiece(*p);
        ctx.message("現在の線幅は " + fourDecimals(startWidth_) + " です");
        state_ = State::Next;
        return true;
    }

    bool feedNext(const Input &in, CommandContext &ctx)
    {
        if (in.enter()) {
            finish(ctx, false);
            return false;
        }
        if (CommandContext::keyword(in, "W") || CommandContext::keyword(in, "H")) {
            half_ = CommandContext::keyword(in, "H");
            state_ = State::StartWidth;
            return true;
        }
        if (CommandContext::keyword(in, "U")) return takeBack(ctx);
        if (CommandContext::keyword(in, "C")) return close(ctx);
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        to(*p, ctx);
        return true;
    }

    std::optional<double> width(const Input &in, CommandContext &ctx, double keep)
    {
        if (in.enter()) return keep;
        const auto w = ctx.distance(in, ctx.lastPoint);
        if (!w) {
            ctx.message(messages::distanceNeeded);
            return std::nullopt;
        }
        return half_ ? *w * 2 : *w;
    }

    bool feedStartWidth(const Input &in, CommandContext &ctx)
    {
        if (const auto w = width(in, ctx, startWidth_)) {
            pendingStart_ = *w;
            state_ = State::EndWidth;
        }
        return true;
    }

    bool feedEndWidth(const Input &in, CommandContext &ctx)
    {
        const auto w = width(in, ctx, pendingStart_);
        if (!w) return true;
        startWidth_ = pendingStart_;
        endWidth_ = *w;
        ctx.plineWidth = endWidth_;
        state_ = State::Next;
        return true;
    }

    void newPiece(Point from)
    {
        piece_ = Entity{};
        piece_.type = Entity::Type::Polyline;
        piece_.vertices.push_back(from);
        piece_.startWidth = startWidth_;
        piece_.endWidth = endWidth_;
    }

    void to(Point p, CommandContext &ctx)
    {
        const bool sameWidths = piece_.startWidth == startWidth_ && piece_.endWidth == endWidth_;
        if (!sameWidths && piece_.vertices.size() >= 2) {
            const Point from = piece_.vertices.back();
            drawnVertices_ += piece_.vertices.size();
            ctx.draw(std::move(piece_));
            newPiece(from);
        }
        piece_.startWidth = startWidth_;
        piece_.endWidth = endWidth_;
        piece_.vertices.push_back(p);
        ctx.lastPoint = p;
        // A tapered segment leaves the end width for the segments after it.
        startWidth_ = endWidth_;
    }

    bool takeBack(CommandContext &ctx)
    {
        if (piece_.vertices.size() <= 1) {
            ctx.message("元に戻す線分がありません。");
            return true;
        }
        piece_.vertices.pop_back();
        ctx.lastPoint = piece_.vertices.back();
        return true;
    }

    bool close(CommandContext &ctx)
    {
        if (piece_.vertices.size() + drawnVertices_ < 3) {
            ctx.message(messages::pointNeeded);
            return true;
        }
        const bool whole =
            drawnVertices_ == 0 && piece_.startWidth == startWidth_ && piece_.endWidth == endWidth_;
        if (whole) {
            piece_.closed = true;
            ctx.lastPoint = first_;
        } else {
            to(first_, ctx);
        }
        finish(ctx, true);
        return false;
    }

    void finish(CommandContext &ctx, bool)
    {
        if (piece_.vertices.size() >= 2) ctx.draw(std::move(piece_));
        piece_ = Entity{};
    }

    State state_ = State::Start;
    bool half_ = false;
    Point first_;
    Entity piece_;
    std::size_t drawnVertices_ = 0;
    double startWidth_ = 0, endWidth_ = 0, pendingStart_ = 0;
};

} // namespace

std::unique_ptr<Command> makePlineCommand()
{
    return std::make_unique<PlineCommand>();
}

} // namespace cad
