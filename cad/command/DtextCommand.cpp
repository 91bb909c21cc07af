#include "cad/command/Commands.h"

#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"

#include <cstdio>

namespace cad {

namespace {

std::string shortNumber(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10g", v);
    return buffer;
}

// DTEXT: "j", "m", the middle point, the height and the rotation (Enter keeps the last ones),
// then lines of text in which a blank is text; an empty line ends, further lines go below.
class DtextCommand final : public Command
{
public:
    bool start(CommandContext &ctx) override
    {
        ctx.message("現在の文字スタイル: \"Standard\"  文字の高さ: " + fourDecimals(ctx.textHeight));
        return true;
    }

    std::string_view prompt() const override
    {
        switch (state_) {
        case State::Start:
            return "文字列の始点を指定 または [位置合わせオプション(J)]: ";
        case State::Justify:
            return "オプションを入力 [中央(M)]: ";
        case State::Middle:
            return "文字列の中央点を指定: ";
        case State::Height:
            return keptPrompt("高さを指定 <" + fourDecimals(height_) + ">: ");
        case State::Rotation:
            return keptPrompt("文字列の角度を指定 <" + shortNumber(rotation_) + ">: ");
        case State::Text:
            return "文字を入力: ";
        }
        return {};
    }

    bool textLine() const override { return state_ == State::Text; }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        switch (state_) {
        case State::Start:
            return feedStart(in, ctx);
        case State::Justify:
            return feedJustify(in, ctx);
        case State::Middle:
            return feedMiddle(in, ctx);
        case State::Height:
            return feedHeight(in, ctx);
        case State::Rotation:
            return feedRotation(in, ctx);
        case State::Text:
            return feedText(in, ctx);
        }
        return false;
    }

private:
    enum class State { Start, Justify, Middle, Height, Rotation, Text };

    bool feedStart(const Input &in, CommandContext &ctx)
    {
        if (in.enter()) return false;
        if (CommandContext::keyword(in, "J"))
            state_ = State::Justify;
        else
            ctx.message("位置合わせは J の後に中央(M)を指定して下さい。");
        return true;
    }

    bool feedJustify(const Input &in, CommandContext &ctx)
    {
        if (CommandContext::keyword(in, "M") || CommandContext::keyword(in, "MC"))
            state_ = State::Middle;
        else
            ctx.message("使用できる位置合わせは中央(M)です。");
        return true;
    }

    bool feedMiddle(const Input &in, CommandContext &ctx)
    {
        if (in.enter()) return false;
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        insert_ = *p;
        ctx.lastPoint = *p;
        height_ = ctx.textHeight;
        rotation_ = ctx.textRotation;
        state_ = State::Height;
        return true;
    }

    bool feedHeight(const Input &in, CommandContext &ctx)
    {
        if (!in.enter()) {
            const auto h = ctx.distance(in, insert_);
            if (!h || !(*h > 0)) {
                ctx.message(h ? "値はゼロより大きくなければなりません。" : messages::distanceNeeded);
                return true;
            }
            height_ = *h;
        }
        ctx.textHeight = height_;
        state_ = State::Rotation;
        return true;
    }

    bool feedRotation(const Input &in, CommandContext &ctx)
    {
        if (!in.enter()) {
            const auto a = ctx.angle(in, insert_);
            if (!a) {
                ctx.message(messages::angleNeeded);
                return true;
            }
            rotation_ = *a;
        }
        ctx.textRotation = rotation_;
        state_ = State::Text;
        return true;
    }

    bool feedText(const Input &in, CommandContext &ctx)
    {
        if (in.picked) return true;
        if (in.text.empty()) return false;
        Entity e;
        e.type = Entity::Type::Text;
        e.insert = insert_;
        e.text = std::string(in.text);
        e.height = height_;
        e.rotation = rotation_;
        ctx.draw(std::move(e));
        insert_ = polar(insert_, height_ * 5 / 3, rotation_ - 90);
        return true;
    }

    State state_ = State::Start;
    Point insert_;
    double height_ = 0, rotation_ = 0;
};

} // namespace

std::unique_ptr<Command> makeDtextCommand()
{
    return std::make_unique<DtextCommand>();
}

} // namespace cad
