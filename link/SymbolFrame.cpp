#include "link/SymbolFrame.h"

namespace quendra {

namespace {

constexpr std::string_view prefix = "\x05SYMBOL ";

std::string escaped(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i == s.size()) return std::nullopt;
        switch (s[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::vector<std::string_view> split(std::string_view s, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = s.find(separator);
        parts.push_back(s.substr(0, at));
        if (at == std::string_view::npos) return parts;
        s.remove_prefix(at + 1);
    }
}

const char *kindWord(SymbolFrame::Kind kind)
{
    switch (kind) {
    case SymbolFrame::Kind::Begin:
        return "BEGIN";
    case SymbolFrame::Kind::End:
        return "END";
    case SymbolFrame::Kind::Cancel:
        return "CANCEL";
    case SymbolFrame::Kind::Edit:
        return "EDIT";
    }
    return "";
}

} // namespace

std::string encodeSymbolFrame(const SymbolFrame &frame)
{
    std::string out(prefix);
    out += std::to_string(symbolFrameVersion) + " " + kindWord(frame.kind);
    if (frame.kind != SymbolFrame::Kind::Begin && frame.kind != SymbolFrame::Kind::Edit) return out;
    out += "\nform\t" + escaped(frame.form);
    out += "\ncaption\t" + escaped(frame.caption);
    if (frame.basePicked) out += "\nbase\tpicked";
    for (const auto &[name, value] : frame.inputs)
        out += "\ninput\t" + escaped(name) + "\t" + escaped(value);
    if (!frame.replaces.empty()) out += "\nreplaces\t" + escaped(frame.replaces);
    return out;
}

bool isSymbolFrame(std::string_view payload)
{
    return payload.substr(0, prefix.size()) == prefix;
}

std::optional<SymbolFrame> decodeSymbolFrame(std::string_view payload)
{
    if (!isSymbolFrame(payload)) return std::nullopt;
    const std::vector<std::string_view> lines = split(payload.substr(prefix.size()), '\n');
    const std::string version = std::to_string(symbolFrameVersion) + " ";
    if (lines[0].substr(0, version.size()) != version) return std::nullopt;
    const std::string_view word = lines[0].substr(version.size());
    SymbolFrame frame;
    if (word == "END" || word == "CANCEL") {
        if (lines.size() != 1) return std::nullopt;
        frame.kind = word == "END" ? SymbolFrame::Kind::End : SymbolFrame::Kind::Cancel;
        return frame;
    }
    if (word != "BEGIN" && word != "EDIT") return std::nullopt;
    frame.kind = word == "BEGIN" ? SymbolFrame::Kind::Begin : SymbolFrame::Kind::Edit;
    bool named = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string_view> fields = split(lines[i], '\t');
        std::vector<std::string> values;
        for (std::size_t k = 1; k < fields.size(); ++k) {
            auto value = unescaped(fields[k]);
            if (!value) return std::nullopt;
            values.push_back(std::move(*value));
        }
        if (fields[0] == "form" && values.size() == 1) {
            frame.form = values[0];
            named = !frame.form.empty();
        } else if (fields[0] == "caption" && values.size() == 1) {
            frame.caption = values[0];
        } else if (fields[0] == "base" && values.size() == 1 && values[0] == "picked") {
            frame.basePicked = true;
        } else if (fields[0] == "input" && values.size() == 2 && !values[0].empty()) {
            frame.inputs.emplace_back(values[0], values[1]);
        } else if (fields[0] == "replaces" && values.size() == 1) {
            frame.replaces = values[0];
        } else if (fields[0] == "form" || fields[0] == "caption" || fields[0] == "base" ||
                   fields[0] == "input" || fields[0] == "replaces") {
            return std::nullopt;
        }
        // Other fields are passed over, so that later ones need no new version.
    }
    if (!named) return std::nullopt;
    return frame;
}

} // namespace quendra
