#include "cad/command/Commands.h"

#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"
#include "cad/model/Selection.h"
#include "cad/model/Transform.h"

namespace cad {

namespace {

// OFFSET: a distance, then pairs of an object and a point on the side to copy it to, until
// Enter. The distance is remembered for the next OFFSET.
class OffsetCommand final : public Command
{
public:
    std::string_view prompt() const override
    {
        switch (state_) {
        case State::Distance:
            return keptPrompt("オフセット距離を指定" +
                              (remembered_ > 0 ? " <" + fourDecimals(remembered_) + ">" : std::string()) +
                              ": ");
        case State::Object:
            return "オフセットするオブジェクトを選択 または [終了(E)] <終了>: ";
        case State::Side:
            return "オフセットする側の点を指定: ";
        }
        return {};
    }

    bool start(CommandContext &ctx) override
    {
        remembered_ = ctx.offsetDistance;
        return true;
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        switch (state_) {
        case State::Distance: {
            if (in.enter() && remembered_ > 0) {
                distance_ = remembered_;
            } else {
                const auto v = ctx.distance(in, ctx.lastPoint);
                if (!v || *v <= 0) {
                    ctx.message("0 より大きい値を入力して下さい。");
                    return true;
                }
                distance_ = *v;
            }
            ctx.offsetDistance = distance_;
            state_ = State::Object;
            return true;
        }
        case State::Object: {
            if (in.enter() || CommandContext::keyword(in, "E")) return false;
            const auto hit = ctx.wantEntity(in);
            if (!hit) return true;
            chosen_ = *hit;
            state_ = State::Side;
            return true;
        }
        case State::Side: {
            const auto p = ctx.wantPoint(in);
            if (!p) return true;
            if (auto e = offset(ctx.drawing().at(chosen_), distance_, *p)) {
                e->symbol = 0; // a line offset from a symbol's is a line of its own
                ctx.drawing().add(*e);
            } else {
                ctx.message("このオブジェクトはオフセットできません。");
            }
            state_ = State::Object;
            return true;
        }
        }
        return false;
    }

private:
    enum class State { Distance, Object, Side };
    State state_ = State::Distance;
    double remembered_ = 0;
    double distance_ = 0;
    std::size_t chosen_ = 0;
};

} // namespace

std::unique_ptr<Command> makeOffsetCommand()
{
    return std::make_unique<OffsetCommand>();
}

} // namespace cad
