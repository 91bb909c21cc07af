// Every form with any control texts, every button pressed: nothing may crash or throw, and what
// a form sends must be whole UTF-8 with clean numbers (no "inf", "nan", "-0", no missing
// coordinate), the same on a second press, and drawable by the preview.
//
// The input reads like the dialog: the first line names the form (any other first line picks
// one by its bytes), each further line sets a control, "Combo1=1700" by name or a bare value
// for the next text or combo box in tab order.

#include "fuzz/FuzzCheck.h"
#include "link/FrameCodec.h"
#include "rules/ButtonPress.h"
#include "symbols/Forms.h"

#include "cad/command/Replay.h"
#include "cad/model/Geometry.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

using namespace quendra;

namespace {

std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::size_t hashOf(std::string_view s)
{
    std::size_t h = 1469598103u;
    for (const char c : s)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
}

// What a text box can hold: valid UTF-8, each broken sequence shown as U+FFFD.
std::string asTyped(std::string_view raw)
{
    std::string out;
    for (std::size_t i = 0; i < raw.size();) {
        std::size_t n = 1;
        while (n <= 4 && i + n <= raw.size() && !isValidUtf8(raw.substr(i, n)))
            ++n;
        if (n <= 4 && i + n <= raw.size()) {
            out.append(raw.substr(i, n));
            i += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

bool isTextInput(const Control &c)
{
    return c.kind == Control::Kind::Text || (c.kind == Control::Kind::Combo && c.editable);
}

Outcome pressQuietly(const FormDefinition &form, const FormState &state, const Button &b, ButtonPress *press_)
{
    try {
        *press_ = press(form, state, b.name);
    } catch (const std::exception &e) {
        fuzz::fail("an exception escaped " + form.name + "." + b.name, e.what());
    } catch (...) {
        fuzz::fail("an exception escaped " + form.name + "." + b.name);
    }
    return press_->outcome;
}

void setControl(const FormDefinition &form, FormState &state, const Control &c, std::string value)
{
    switch (c.kind) {
    case Control::Kind::Combo:
        if (!c.editable) {
            if (!setInput(form, state, c.name, value) && !c.items.empty())
                setInput(form, state, c.name, c.items[hashOf(value) % c.items.size()]);
            return;
        }
        [[fallthrough]];
    case Control::Kind::Text:
        setInput(form, state, c.name, value);
        return;
    case Control::Kind::Option:
        setInput(form, state, c.name, "1");
        return;
    case Control::Kind::Check:
        setInput(form, state, c.name, hashOf(value) % 2 ? "1" : "0");
        return;
    case Control::Kind::Label:
        return;
    }
}

FormState stateFrom(const FormDefinition &form, const std::vector<std::string_view> &input)
{
    FormState state = form.initialState();
    std::vector<const Control *> boxes;
    for (const Control &c : form.controls)
        if (isTextInput(c)) boxes.push_back(&c);
    std::size_t nextBox = 0;
    for (std::size_t i = 1; i < input.size(); ++i) {
        const std::string line = asTyped(input[i]);
        const std::size_t eq = line.find('=');
        const Control *c = eq == std::string::npos ? nullptr : form.control(line.substr(0, eq));
        if (c) {
            setControl(form, state, *c, line.substr(eq + 1));
        } else if (!boxes.empty()) {
            setControl(form, state, *boxes[nextBox % boxes.size()], line);
            ++nextBox;
        }
    }
    return state;
}

// Every point has both coordinates: "@" and "," are followed by a number.
void requireWholePoints(std::string_view script)
{
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] != '@' && script[i] != ',') continue;
        const bool number = i + 1 < script.size() &&
                            (std::isdigit(static_cast<unsigned char>(script[i + 1])) || script[i + 1] == '-');
        fuzz::require(number, "a point without its number", script);
    }
}

std::vector<std::string> split(std::string_view text, std::string_view marker)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(marker); at != std::string_view::npos; at = text.find(marker, start)) {
        parts.emplace_back(text.substr(start, at - start));
        start = at + marker.size();
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

std::string join(const std::vector<std::string> &parts, const std::string &between)
{
    std::string out = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i)
        out += between + parts[i];
    return out;
}

// Script `index` of what button `b` sends, with the texts the form copies into it as typed (the
// code of a fitting tag) blanked out: they may hold anything. Where a text is copied shows when a
// marker is typed in its place instead; a text that changes more than its own places stays.
std::string withoutCopiedTexts(const FormDefinition &form, const FormState &state, const Button &b,
                               std::size_t index, std::string script)
{
    const std::string marker = "\x01Qz\x02";
    for (const Control &c : form.controls) {
        const std::string typed = state.text(c.name);
        if (!isTextInput(c) || typed.empty() || script.find(typed) == std::string::npos) continue;
        FormState marked = state;
        marked.setText(c.name, marker);
        ButtonPress p;
        const std::vector<std::string> probe = pressQuietly(form, marked, b, &p).scripts();
        if (index >= probe.size()) continue;
        const std::vector<std::string> parts = split(probe[index], marker);
        if (parts.size() < 2 || join(parts, typed) != script) continue;
        script = join(parts, std::string(typed.size(), '_'));
    }
    return script;
}

void checkPress(const FormDefinition &form, const FormState &state, const Button &b)
{
    ButtonPress p;
    const Outcome o = pressQuietly(form, state, b, &p);
    const std::string where = form.name + "." + b.name;
    for (const Event &e : o.events)
        if (e.kind == Event::Kind::Message)
            fuzz::require(!e.message.text.empty(), "an empty message from " + where);
    const std::vector<std::string> scripts = o.scripts();
    if (b.role == Button::Role::BasePoint && !scripts.empty())
        fuzz::require(scripts == std::vector<std::string>{basePointScript} && p.minimiseBeforeSending,
                      "the base point sends more than ID", where);
    if (scripts.empty()) return;
    fuzz::require(o.finite, "a number that is not finite reached " + where);
    for (std::size_t i = 0; i < scripts.size(); ++i) {
        const std::string &s = scripts[i];
        fuzz::require(isValidUtf8(s), "a script that is not UTF-8 from " + where, s);
        const std::string numbers = withoutCopiedTexts(form, state, b, i, s);
        fuzz::requireCleanNumbers(numbers);
        requireWholePoints(numbers);
    }
    ButtonPress again;
    fuzz::require(pressQuietly(form, state, b, &again).scripts() == scripts, "a second press sends otherwise",
                  where);
    // What the preview does with every change of an input.
    const cad::Drawing preview = cad::replay(scripts);
    for (const cad::Entity &e : preview.entities()) {
        const cad::Box box = cad::bounds(e);
        fuzz::require(box.empty() || (std::isfinite(box.min.x) && std::isfinite(box.min.y) &&
                                      std::isfinite(box.max.x) && std::isfinite(box.max.y)),
                      "the preview holds a shape beyond all bounds", where);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::vector<const FormDefinition *> forms = allForms();
    const std::vector<std::string_view> input =
        lines(std::string_view(reinterpret_cast<const char *>(data), size));
    const FormDefinition *form = findForm(input.front());
    if (!form) form = forms[hashOf(input.front()) % forms.size()];
    const FormState state = stateFrom(*form, input);
    for (const Button &b : form->buttons)
        checkPress(*form, state, b);
    return 0;
}
