#include "rules/NumberReading.h"

#include <cstdlib>
#include <string>

namespace quendra {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int digitValue(char c, int base)
{
    int v = -1;
    if (isDigit(c))
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// Reads an "&H" or "&O" number at the start of s; returns the characters used (0 if none).
size_t readRadix(std::string_view s, double &value)
{
    if (s.size() < 3 || s[0] != '&') return 0;
    const char kind = static_cast<char>(s[1] | 0x20);
    const int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
    if (base == 0) return 0;
    size_t i = 2;
    double v = 0;
    for (; i < s.size(); ++i) {
        const int d = digitValue(s[i], base);
        if (d < 0) break;
        v = v * base + d;
    }
    if (i == 2) return 0;
    value = v;
    return i;
}

// Reads a decimal number at the start of s; returns the characters used (0 if none).
size_t readDecimal(std::string_view s, double &value)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t mantissaDigits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return 0;
    size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j]))
                ++j;
            end = j;
        }
    }
    std::string number(s.substr(0, end));
    for (char &c : number)
        if (c == 'd' || c == 'D') c = 'e';
    value = std::strtod(number.c_str(), nullptr);
    return end;
}

size_t readNumber(std::string_view s, double &value)
{
    if (const size_t n = readRadix(s, value)) return n;
    return readDecimal(s, value);
}

} // namespace

double readLenient(std::string_view text)
{
    std::string packed;
    packed.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') packed += c;
    double value = 0;
    if (readNumber(packed, value) == 0) return 0;
    return value;
}

std::optional<double> readStrict(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    const auto last = text.find_last_not_of(" \t");
    const std::string_view body = text.substr(first, last - first + 1);
    double value = 0;
    if (readNumber(body, value) != body.size()) return std::nullopt;
    return value;
}

} // namespace quendra
