#include "cli/QuendraScript.h"

#include "rules/ButtonPress.h"
#include "symbols/Forms.h"
#include "symbols/elements/syuuryou.h"

#include <QFile>
#include <QSaveFile>

namespace quendra {

namespace {

const char *usage = "usage: quendra-script FORM BUTTON [CONTROL=TEXT]... [--scr FILE]\n"
                    "       quendra-script --list\n";

std::string jsonString(const std::string &s)
{
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

const char *iconName(Icon icon)
{
    switch (icon) {
    case Icon::Exclamation:
        return "exclamation";
    case Icon::Question:
        return "question";
    case Icon::None:
        return "none";
    }
    return "none";
}

std::vector<const FormDefinition *> servedForms()
{
    std::vector<const FormDefinition *> forms = allForms();
    forms.push_back(&syuuryou());
    return forms;
}

const FormDefinition *formNamed(const std::string &name)
{
    for (const FormDefinition *f : servedForms())
        if (f->name == name) return f;
    return nullptr;
}

std::string list()
{
    std::string out;
    for (const FormDefinition *f : servedForms()) {
        out += f->name;
        for (const Button &b : f->buttons)
            out += " " + b.name;
        out += "\n";
    }
    return out;
}

std::string json(const std::string &form, const std::string &button, const Outcome &outcome)
{
    std::string out =
        "{\"form\": " + jsonString(form) + ", \"button\": " + jsonString(button) + ", \"events\": [";
    bool first = true;
    for (const Event &e : outcome.events) {
        out += first ? "" : ", ";
        first = false;
        if (e.kind == Event::Kind::Message)
            out += "{\"message\": {\"text\": " + jsonString(e.message.text) + ", \"icon\": \"" +
                   iconName(e.message.icon) + "\", \"title\": " + jsonString(e.message.title) + "}}";
        else
            out += "{\"execute\": " + jsonString(e.script) + "}";
    }
    return out + "]}\n";
}

// The scripts as a CAD program's SCRIPT command reads them: each carriage return a line end.
bool writeScr(const std::string &path, const Outcome &outcome, std::string &err)
{
    std::string text;
    for (const std::string &s : outcome.scripts())
        for (const char c : s)
            text += c == '\r' ? '\n' : c;
    // flush() before commit(): commit() alone takes a failed last write (a full disk) for success.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !file.flush() || !file.commit()) {
        err += "quendra-script: cannot write " + path + "\n";
        return false;
    }
    return true;
}

} // namespace

int runQuendraScript(const std::vector<std::string> &args, std::string &out, std::string &err)
{
    if (args.size() == 1 && args[0] == "--list") {
        out = list();
        return 0;
    }
    if (args.size() < 2) {
        err = usage;
        return 2;
    }
    const FormDefinition *form = formNamed(args[0]);
    if (!form) {
        err = "quendra-script: no form " + args[0] + "\n";
        return 2;
    }
    const std::string &button = args[1];
    if (!form->button(button)) {
        err = "quendra-script: form " + form->name + " has no button " + button + "\n";
        return 2;
    }
    FormState state = form->initialState();
    std::string scr;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--scr" && i + 1 < args.size()) {
            scr = args[++i];
            continue;
        }
        const auto eq = args[i].find('=');
        if (eq == std::string::npos ||
            !setInput(*form, state, args[i].substr(0, eq), args[i].substr(eq + 1))) {
            err = "quendra-script: cannot set " + args[i] + " on " + form->name + "\n" + usage;
            return 2;
        }
    }
    const ButtonPress p = press(*form, state, button);
    if (scr.empty()) {
        out = json(form->name, button, p.outcome);
        return 0;
    }
    for (const Event &e : p.outcome.events)
        if (e.kind == Event::Kind::Message) err += e.message.text + "\n";
    return writeScr(scr, p.outcome, err) ? 0 : 1;
}

} // namespace quendra
