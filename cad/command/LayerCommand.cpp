#include "cad/command/Commands.h"

#include "cad/model/InputReading.h"
#include "cad/model/Names.h"

#include <array>
#include <cmath>

namespace cad {

namespace {

constexpr const char *frozenCannotBeCurrent = "フリーズされている画層は現在層にできません。";

std::string quoted(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

std::string notFound(std::string_view name)
{
    return "画層 " + quoted(name) + " が見つかりません。";
}

// Whether `name` matches `pattern`, where * stands for any characters and ? for one; ASCII
// letters match whatever their case.
bool matches(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || upperAscii(pattern[p]) == upperAscii(name[n]))) {
            // ? takes one whole UTF-8 character.
            if (pattern[p] == '?')
                while (n + 1 < name.size() && (static_cast<unsigned char>(name[n + 1]) & 0xc0) == 0x80)
                    ++n;
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// The layers a typed list names ("A,B*,C"), in the table's order, each once.
std::vector<std::size_t> named(const Drawing &d, std::string_view list, std::vector<std::string> *unmatched)
{
    std::vector<bool> taken(d.layers().size(), false);
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view item = list.substr(start, comma - start);
        start = comma + 1;
        if (item.empty()) continue;
        bool any = false;
        for (std::size_t i = 0; i < d.layers().size(); ++i)
            if (matches(item, d.layers()[i].name)) taken[i] = any = true;
        if (!any && unmatched) unmatched->emplace_back(item);
    }
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < taken.size(); ++i)
        if (taken[i]) out.push_back(i);
    return out;
}

// A colour as typed: 1 to 255 or the name of one of the first seven.
std::optional<int> colorNamed(const Input &in)
{
    if (in.picked) return std::nullopt;
    static constexpr std::array<std::string_view, 7> names{"RED",  "YELLOW",  "GREEN", "CYAN",
                                                           "BLUE", "MAGENTA", "WHITE"};
    static constexpr std::array<std::string_view, 7> japanese{"赤", "黄",       "緑", "シアン",
                                                              "青", "マゼンタ", "白"};
    const std::string word = upper(in.text);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (word == names[i] || in.text == japanese[i]) return static_cast<int>(i) + 1;
    const auto v = readNumber(in.text);
    if (v && *v >= 1 && *v <= 255 && *v == std::floor(*v)) return static_cast<int>(*v);
    return std::nullopt;
}

std::string state(const Layer &l)
{
    return std::string(l.on ? "表示" : "非表示") + "  " + (l.frozen ? "フリーズ" : "フリーズ解除");
}

// Makes a layer current as CAD programs do: a frozen one is refused, one that is off is taken
// with a word that what is drawn on it will not be seen.
bool makeCurrent(CommandContext &ctx, std::size_t i, std::string_view step)
{
    Drawing &d = ctx.drawing();
    const Layer &l = d.layers()[i];
    if (l.frozen) {
        ctx.message(frozenCannotBeCurrent);
        return false;
    }
    if (!l.on) ctx.message("画層 " + quoted(l.name) + " は非表示です。");
    d.setCurrentLayer(i, step);
    return true;
}

// -LAYER: the layer table at the command line. Each option goes back to the options; Enter
// ends. What one -LAYER changes is one undo step.
class LayerCommand final : public Command
{
public:
    std::string_view prompt() const override
    {
        switch (state_) {
        case State::Option:
            return "オプションを入力 [?/作成(M)/現在層(S)/新規作成(N)/表示(ON)/非表示(OFF)/色(C)/フリーズ(F)/"
                   "フリーズ解除(T)]: ";
        case State::List:
            return "一覧表示する画層の名前のリストを入力 <*>: ";
        case State::Make:
            return keptPrompt("新しい現在画層の名前を入力 <" + current_ + ">: ");
        case State::Set:
            return keptPrompt("現在層にする画層名を入力 <" + current_ + ">: ");
        case State::New:
            return "新しい画層の名前のリストを入力: ";
        case State::On:
            return "表示する画層の名前のリストを入力: ";
        case State::Off:
            return "非表示にする画層の名前のリストを入力: ";
        case State::OffCurrent:
            return "現在の画層を非表示にしますか? [はい(Y)/いいえ(N)] <N>: ";
        case State::Color:
            return "色を入力 [色番号 1-255/色名]: ";
        case State::ColorLayers:
            return keptPrompt("色 " + std::to_string(color_) + " にする画層の名前のリストを入力 <" +
                              current_ + ">: ");
        case State::Freeze:
            return "フリーズする画層の名前のリストを入力: ";
        case State::Thaw:
            return "フリーズ解除する画層の名前のリストを入力: ";
        }
        return {};
    }

    bool start(CommandContext &ctx) override
    {
        noteCurrent(ctx);
        return true;
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        const bool done = state_ == State::Option ? option(in, ctx) : answer(in, ctx);
        noteCurrent(ctx);
        return !done;
    }

private:
    enum class State { Option, List, Make, Set, New, On, Off, OffCurrent, Color, ColorLayers, Freeze, Thaw };

    void noteCurrent(const CommandContext &ctx)
    {
        const Drawing &d = ctx.drawing();
        current_ = d.layers()[d.currentLayer()].name;
    }

    // True when the command ends.
    bool option(const Input &in, CommandContext &ctx)
    {
        if (in.enter()) return true;
        struct Word
        {
            std::string_view word;
            State state;
        };
        static constexpr std::array words{
            Word{"?", State::List},        Word{"M", State::Make},      Word{"MAKE", State::Make},
            Word{"S", State::Set},         Word{"SET", State::Set},     Word{"N", State::New},
            Word{"NEW", State::New},       Word{"ON", State::On},       Word{"OFF", State::Off},
            Word{"C", State::Color},       Word{"COLOR", State::Color}, Word{"F", State::Freeze},
            Word{"FREEZE", State::Freeze}, Word{"T", State::Thaw},      Word{"THAW", State::Thaw},
        };
        for (const Word &w : words) {
            if (CommandContext::keyword(in, w.word)) {
                state_ = w.state;
                return false;
            }
        }
        ctx.message("オプション キーワードを入力して下さい。");
        return false;
    }

    bool answer(const Input &in, CommandContext &ctx)
    {
        const State asked = state_;
        state_ = State::Option;
        if (in.picked) {
            ctx.message("画層の名前を入力して下さい。");
            return false;
        }
        const std::string text(in.text);
        switch (asked) {
        case State::List:
            list(ctx, in.enter() ? std::string("*") : text);
            break;
        case State::Make:
            if (!in.enter()) makeAndSet(ctx, text);
            break;
        case State::Set:
            if (!in.enter()) set(ctx, text);
            break;
        case State::New:
            makeLayers(ctx, text);
            break;
        case State::On:
            turnOn(ctx, text);
            break;
        case State::Off:
            turnOff(ctx, text);
            break;
        case State::OffCurrent:
            answerOffCurrent(in, ctx);
            break;
        case State::Color:
            if (!in.enter()) answerColor(in, ctx);
            break;
        case State::ColorLayers:
            colorLayers(ctx, in.enter() ? current_ : text);
            break;
        case State::Freeze:
            freeze(ctx, text);
            break;
        case State::Thaw:
            thaw(ctx, text);
            break;
        case State::Option:
            break;
        }
        return false;
    }

    // M: the layer of that name, made when there is none, becomes current.
    void makeAndSet(CommandContext &ctx, const std::string &name)
    {
        Drawing &d = ctx.drawing();
        const auto found = d.findLayer(name);
        if (const std::string refused = found ? std::string() : d.layerNameRefused(name); !refused.empty()) {
            ctx.message(refused);
            return;
        }
        makeCurrent(ctx, found ? *found : d.makeLayer(Layer{name}, "-LAYER"), "-LAYER");
    }

    void set(CommandContext &ctx, const std::string &name)
    {
        if (const auto found = ctx.drawing().findLayer(name))
            makeCurrent(ctx, *found, "-LAYER");
        else
            ctx.message(notFound(name));
    }

    void turnOn(CommandContext &ctx, const std::string &names)
    {
        forEach(ctx, names, [&](std::size_t i, Layer l) {
            l.on = true;
            ctx.drawing().changeLayer(i, l, "-LAYER");
        });
    }

    // The current layer among them, still on, is asked about before it is turned off.
    void turnOff(CommandContext &ctx, const std::string &names)
    {
        Drawing &d = ctx.drawing();
        bool current = false;
        forEach(ctx, names, [&](std::size_t i, Layer l) {
            if (i == d.currentLayer() && l.on) {
                current = true;
                return;
            }
            l.on = false;
            d.changeLayer(i, l, "-LAYER");
        });
        if (current) state_ = State::OffCurrent;
    }

    void answerOffCurrent(const Input &in, CommandContext &ctx)
    {
        Drawing &d = ctx.drawing();
        if (CommandContext::keyword(in, "Y")) {
            Layer l = d.layers()[d.currentLayer()];
            l.on = false;
            d.changeLayer(d.currentLayer(), l, "-LAYER");
        } else if (!in.enter() && !CommandContext::keyword(in, "N")) {
            ctx.message("Y または N を入力して下さい。");
            state_ = State::OffCurrent;
        }
    }

    // C: the colour first, then the layers that take it.
    void answerColor(const Input &in, CommandContext &ctx)
    {
        const auto c = colorNamed(in);
        if (!c) {
            ctx.message("色番号は 1 から 255 まで、または色名 (RED など) です。");
            state_ = State::Color;
            return;
        }
        color_ = *c;
        state_ = State::ColorLayers;
    }

    void colorLayers(CommandContext &ctx, const std::string &names)
    {
        forEach(ctx, names, [&](std::size_t i, Layer l) {
            l.color = color_;
            ctx.drawing().changeLayer(i, l, "-LAYER");
        });
    }

    void freeze(CommandContext &ctx, const std::string &names)
    {
        forEach(ctx, names, [&](std::size_t i, Layer l) {
            if (i == ctx.drawing().currentLayer()) {
                ctx.message("現在画層はフリーズできません。");
                return;
            }
            l.frozen = true;
            ctx.drawing().changeLayer(i, l, "-LAYER");
        });
    }

    void thaw(CommandContext &ctx, const std::string &names)
    {
        forEach(ctx, names, [&](std::size_t i, Layer l) {
            l.frozen = false;
            ctx.drawing().changeLayer(i, l, "-LAYER");
        });
    }

    template <class F> void forEach(CommandContext &ctx, const std::string &list, F change)
    {
        if (list.empty()) return;
        std::vector<std::string> unmatched;
        const std::vector<std::size_t> found = named(ctx.drawing(), list, &unmatched);
        for (const std::string &name : unmatched)
            ctx.message(notFound(name));
        for (std::size_t i : found)
            change(i, ctx.drawing().layers()[i]);
    }

    void makeLayers(CommandContext &ctx, const std::string &list)
    {
        Drawing &d = ctx.drawing();
        std::size_t start = 0;
        while (start <= list.size()) {
            const std::size_t comma = std::min(list.find(',', start), list.size());
            const std::string name = list.substr(start, comma - start);
            start = comma + 1;
            if (name.empty()) continue;
            if (const std::string refused = d.layerNameRefused(name); !refused.empty())
                ctx.message(refused);
            else if (d.findLayer(name))
                ctx.message("画層 " + quoted(name) + " は既にあります。");
            else
                d.makeLayer(Layer{name}, "-LAYER");
        }
    }

    void list(CommandContext &ctx, const std::string &patterns)
    {
        const Drawing &d = ctx.drawing();
        const std::vector<std::size_t> found = named(d, patterns, nullptr);
        ctx.message("画層名  状態  色");
        for (std::size_t i : found) {
            const Layer &l = d.layers()[i];
            ctx.message(l.name + "  " + state(l) + "  " + std::to_string(l.color) +
                        (i == d.currentLayer() ? "  (現在層)" : ""));
        }
        ctx.message("現在層: " + d.layers()[d.currentLayer()].name);
    }

    State state_ = State::Option;
    std::string current_;
    int color_ = 7;
};

// CLAYER: the system variable of the current layer, typed as a command.
class ClayerCommand final : public Command
{
public:
    std::string_view prompt() const override
    {
        return keptPrompt("CLAYER の新しい値を入力 <" + quoted(current_) + ">: ");
    }

    bool start(CommandContext &ctx) override
    {
        const Drawing &d = ctx.drawing();
        current_ = d.layers()[d.currentLayer()].name;
        return true;
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.enter()) return false;
        if (in.picked) {
            ctx.message("画層の名前を入力して下さい。");
            return true;
        }
        // A value may be typed in quotes, as the prompt shows it.
        std::string_view name = in.text;
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        if (const auto found = ctx.drawing().findLayer(name))
            makeCurrent(ctx, *found, "CLAYER");
        else
            ctx.message(notFound(name));
        return false;
    }

private:
    std::string current_;
};

} // namespace

std::unique_ptr<Command> makeLayerCommand()
{
    return std::make_unique<LayerCommand>();
}

std::unique_ptr<Command> makeClayerCommand()
{
    return std::make_unique<ClayerCommand>();
}

} // namespace cad
