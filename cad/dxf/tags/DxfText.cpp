#include "cad/dxf/tags/DxfText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace cad {

namespace {

void appendUtf8(std::string &out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xc0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3f));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xe0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (cp & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (cp & 0x3f));
    }
}

// Decodes one UTF-8 character at s[i]; returns its length, 0 when the bytes are not UTF-8.
std::size_t decodeUtf8(std::string_view s, std::size_t i, std::uint32_t &cp)
{
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    if ((c & 0xe0) == 0xc0)
        n = 2, cp = c & 0x1f;
    else if ((c & 0xf0) == 0xe0)
        n = 3, cp = c & 0x0f;
    else if ((c & 0xf8) == 0xf0)
        n = 4, cp = c & 0x07;
    else
        return 0;
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xc0) != 0x80) return 0;
        cp = cp << 6 | (cc & 0x3f);
    }
    static constexpr std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return 0;
    return n;
}

void appendEscape(std::string &out, std::uint32_t unit)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\U+%04X", static_cast<unsigned>(unit));
    out += buffer;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The code unit of a \U+XXXX escape at s[i], or -1.
long escapeAt(std::string_view s, std::size_t i)
{
    if (i + 7 > s.size() || s[i] != '\\' || (s[i + 1] != 'U' && s[i + 1] != 'u') || s[i + 2] != '+')
        return -1;
    long v = 0;
    for (std::size_t k = 3; k < 7; ++k) {
        const int h = hexValue(s[i + k]);
        if (h < 0) return -1;
        v = v * 16 + h;
    }
    return v;
}

} // namespace

std::string encodeDxfText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = 0;
        std::size_t n = decodeUtf8(utf8, i, cp);
        if (n == 0) n = 1, cp = 0xfffd;
        i += n;
        if (cp >= 0x20 && cp < 0x7f) {
            out += static_cast<char>(cp);
        } else if (cp < 0x20) {
            out += ' '; // a line break would end the group
        } else if (cp < 0x10000) {
            appendEscape(out, cp);
        } else {
            appendEscape(out, 0xd800 + ((cp - 0x10000) >> 10));
            appendEscape(out, 0xdc00 + ((cp - 0x10000) & 0x3ff));
        }
    }
    return out;
}

std::string encodeDxfText(std::string_view utf8,
                          const std::function<std::string(std::string_view)> &inCodepage)
{
    const auto outside = [](char c) { return static_cast<unsigned char>(c) < 0x20 || (c & 0x80) != 0; };
    if (!inCodepage || std::none_of(utf8.begin(), utf8.end(), outside)) return encodeDxfText(utf8);
    // Most texts are written whole; a line break would end the group, so those go a character
    // at a time.
    const bool breaks =
        std::any_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (!breaks)
        if (std::string whole = inCodepage(utf8); !whole.empty()) return whole;
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = 0;
        const std::size_t n = decodeUtf8(utf8, i, cp);
        const std::string_view one = utf8.substr(i, std::max<std::size_t>(n, 1));
        i += one.size();
        const std::string bytes = n > 0 && cp >= 0x80 ? inCodepage(one) : std::string();
        out += bytes.empty() ? encodeDxfText(one) : bytes;
    }
    return out;
}

std::string decodeDxfText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const long unit = escapeAt(text, i); unit >= 0) {
            i += 7;
            std::uint32_t cp = static_cast<std::uint32_t>(unit);
            if (cp >= 0xd800 && cp < 0xdc00) {
                const long low = escapeAt(text, i);
                if (low >= 0xdc00 && low < 0xe000) {
                    cp = 0x10000 + ((cp - 0xd800) << 10) + (static_cast<std::uint32_t>(low) - 0xdc00);
                    i += 7;
                } else {
                    cp = 0xfffd;
                }
            } else if (cp >= 0xdc00 && cp < 0xe000) {
                cp = 0xfffd;
            }
            appendUtf8(out, cp);
            continue;
        }
        std::uint32_t cp = 0;
        const std::size_t n = decodeUtf8(text, i, cp);
        if (n == 0) {
            appendUtf8(out, static_cast<unsigned char>(text[i]));
            ++i;
            continue;
        }
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

} // namespace cad
