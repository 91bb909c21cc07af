#include "link/dde/WinText.h"

#include <windows.h>

#include <climits>

namespace quendra::win {

namespace {

// Win32 counts in int; longer texts are not ours to pass.
bool fitsInt(size_t length)
{
    return length <= static_cast<size_t>(INT_MAX);
}

} // namespace

std::optional<std::wstring> fromUtf8(std::string_view utf8)
{
    if (utf8.empty()) return std::wstring();
    if (!fitsInt(utf8.size())) return std::nullopt;
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, text.data(), length);
    return text;
}

std::string toUtf8(std::wstring_view text)
{
    if (text.empty() || !fitsInt(text.size())) return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length > 0 ? length : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::optional<std::string> toCodePage(std::wstring_view text, unsigned codePage)
{
    if (text.empty()) return std::string();
    if (!fitsInt(text.size())) return std::nullopt;
    const int size = static_cast<int>(text.size());
    // The UTF code pages refuse the flags and the default-character check; they also lose nothing.
    const bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
    const DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL *lossy = utf ? nullptr : &usedDefault;
    const int length = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, lossy);
    if (length <= 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), size, bytes.data(), length, nullptr, lossy);
    if (usedDefault) return std::nullopt;
    return bytes;
}

std::wstring fromCodePage(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty() || !fitsInt(bytes.size())) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
    return text;
}

std::string_view untilNul(std::string_view bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

std::wstring_view untilNul(std::wstring_view text)
{
    return text.substr(0, text.find(L'\0'));
}

} // namespace quendra::win
