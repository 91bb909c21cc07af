#pragma once

// What the fuzz targets check, and how a failed check ends the run: a line on standard error
// naming the fault and the input, then abort(), which libFuzzer reports as a finding.

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void fail(std::string_view what, std::string_view subject = {})
{
    std::fprintf(stderr, "fuzz check failed: %.*s\n  in: \"", int(what.size()), what.data());
    for (const char c : subject) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f && c != '"' && c != '\\')
            std::fputc(c, stderr);
        else
            std::fprintf(stderr, "\\x%02x", u);
    }
    std::fprintf(stderr, "\"\n");
    std::abort();
}

inline void require(bool ok, std::string_view what, std::string_view subject = {})
{
    if (!ok) fail(what, subject);
}

inline bool containsNoCase(std::string_view text, std::string_view word)
{
    if (word.size() > text.size()) return false;
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < word.size() && std::tolower(static_cast<unsigned char>(text[i + k])) == word[k])
            ++k;
        if (k == word.size()) return true;
    }
    return false;
}

// A number that is not finite or a zero with a sign has no place in a script: no "inf", no
// "nan", no "-0" that is not the start of "-0.5".
inline void requireCleanNumbers(std::string_view script)
{
    require(!containsNoCase(script, "inf") && !containsNoCase(script, "nan"), "a number that is not finite",
            script);
    for (std::size_t i = 0; i + 1 < script.size(); ++i) {
        if (script[i] != '-' || script[i + 1] != '0') continue;
        const bool more = i + 2 < script.size() &&
                          (std::isdigit(static_cast<unsigned char>(script[i + 2])) || script[i + 2] == '.');
        require(more, "a zero written with its sign", script);
    }
}

} // namespace fuzz
