#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversions between the tree's UTF-8 strings and the text of Win32 calls: UTF-16 for the wide
// functions, a code page (the ANSI code page, CP932 on a Japanese system) for the narrow ones.
namespace quendra::win {

// Nothing when the bytes are not well-formed UTF-8.
std::optional<std::wstring> fromUtf8(std::string_view utf8);
std::string toUtf8(std::wstring_view text);

// Nothing when a character has no exact form in the code page (no '?' or look-alike is made up).
std::optional<std::string> toCodePage(std::wstring_view text, unsigned codePage);
std::wstring fromCodePage(std::string_view bytes, unsigned codePage);

// The text up to the first NUL, as DDE strings end.
std::string_view untilNul(std::string_view bytes);
std::wstring_view untilNul(std::wstring_view text);

} // namespace quendra::win
