// Every form with any control texts, every button pressed: nothing may crash or throw, and what
// a form sends must be whole UTF-8 with clean numbers (no "inf", "nan", "-0", no missing
// coordinate), the same on a second press, and drawable by the preview.
//
// The input reads like the dialog: the first line names the form (any other first line picks
// one by its bytes), each further line sets a control, "Combo1=1700" by name or a bare value
// for the next text or combo box in tab order.

#include "ButtonPress.h"
#include "Forms.h"
#include "FrameCodec.h"
#include "FuzzCheck.h"

#include "Geometry.h"
#include "Replay.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <set>
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

// The inputs a form writes into its scripts as typed (the code of a fitting tag): found once per
// form by typing a marker into each and looking for it in what the draw buttons send.
const std::set<std::string> &echoedInputs(const FormDefinition &form)
{
    static std::map<const FormDefinition *, std::set<std::string>> known;
    const auto found = known.find(&form);
    if (found != known.end()) return found->second;
    std::set<std::string> echoed;
    for (const Control &c : form.controls) {
        if (!isTextInput(c)) continue;
        FormState state = form.initialState();
        setInput(form, state, c.name, "Qz");
        for (const Button &b : form.buttons) {
            ButtonPress p;
            for (const std::string &script : pressQuietly(form, state, b, &p).scripts())
                if (script.find("Qz") != std::string::npos) echoed.insert(c.name);
        }
    }
    return known[&form] = echoed;
}

// Text that a form copies into a script may hold anything but what the checks look for.
std::string withoutCheckedCharacters(std::string text)
{
    std::string out;
    for (const char c : text)
        if (std::string_view("nN-@,").find(c) == std::string_view::npos) out += c;
    return out;
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
        if (echoedInputs(form).count(c.name)) value = withoutCheckedCharacters(value);
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
    for (const std::string &s : scripts) {
        fuzz::require(isValidUtf8(s), "a script that is not UTF-8 from " + where, s);
        fuzz::requireCleanNumbers(s);
        requireWholePoints(s);
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
