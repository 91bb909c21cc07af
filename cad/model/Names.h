#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace cad {

// Names of layers, linetypes and blocks, and the words typed at a prompt, compare without regard
// to the case of ASCII letters, and of those alone: a byte beyond ASCII (part of a UTF-8 or code-page
// character) is never folded, whatever locale the program runs in.

constexpr char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Upper-case ASCII copy, for keywords and for keys of names.
inline std::string upper(std::string_view text)
{
    std::string s(text);
    for (char &c : s)
        c = upperAscii(c);
    return s;
}

inline bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upperAscii(x) == upperAscii(y); });
}

} // namespace cad
