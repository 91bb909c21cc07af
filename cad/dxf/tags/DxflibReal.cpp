#include "cad/dxf/tags/DxflibReal.h"

#include <charconv>
#include <cmath>
#include <cstddef>

namespace cad {

namespace {

// The characters of a number as the C++ library's number reading gathers them before it hands
// them to strtod (dxflib reads through std::istringstream): a sign, digits with at most one
// point, then an exponent once a digit was seen; it stops at the first other character.
class GatheredNumber
{
public:
    explicit GatheredNumber(std::string_view text) : text_(text) { gather(); }

    // The value strtod gives the gathered characters, where it is sure to be the same here.
    std::optional<double> value() const
    {
        // Without a digit, or with an exponent without one, strtod stops early and the stream
        // reads nothing; left to dxflib.
        if (!mantissaDigit_ || (exponent_ && !exponentDigit_)) return std::nullopt;
        double v = 0;
        const auto [end, ec] = std::from_chars(chars_, chars_ + size_, v);
        if (ec != std::errc{} || end != chars_ + size_) return std::nullopt;
        // Both round correctly; where strtod is out of range (overflow, underflow) the stream
        // adds rules of its own, so only normal numbers and true zeros are taken.
        if (std::isnormal(v) || (v == 0 && !nonZeroDigit_)) return v;
        return std::nullopt;
    }

private:
    void gather()
    {
        if (at() == '-') add('-');
        if (at() == '-' || at() == '+') ++next_;
        for (char c = at(); !full_; c = at()) {
            if (c >= '0' && c <= '9') {
                digit(c);
            } else if (c == '.' && !point_ && !exponent_) {
                point_ = true;
                add('.');
            } else if ((c == 'e' || c == 'E') && !exponent_ && mantissaDigit_) {
                exponent_ = true;
                add('e');
                ++next_;
                if (at() == '-' || at() == '+')
                    add(at());
                else
                    continue;
            } else {
                return;
            }
            ++next_;
        }
    }

    void digit(char c)
    {
        if (exponent_) {
            exponentDigit_ = true;
        } else {
            mantissaDigit_ = true;
            nonZeroDigit_ = nonZeroDigit_ || c != '0';
        }
        add(c);
    }

    // The next character, "," read as "." (dxflib replaces them first), NUL past the end.
    char at() const
    {
        if (next_ >= text_.size()) return '\0';
        return text_[next_] == ',' ? '.' : text_[next_];
    }

    // A number longer than the room here is not taken (full_ makes value() give nothing).
    void add(char c)
    {
        if (size_ == sizeof chars_) {
            full_ = true;
            mantissaDigit_ = false;
            return;
        }
        chars_[size_++] = c;
    }

    std::string_view text_;
    std::size_t next_ = 0;
    char chars_[64] = {};
    std::size_t size_ = 0;
    bool full_ = false;
    bool point_ = false;
    bool exponent_ = false;
    bool mantissaDigit_ = false;
    bool exponentDigit_ = false;
    bool nonZeroDigit_ = false;
};

} // namespace

std::optional<double> dxflibReal(std::string_view line)
{
    // dxflib keeps a line up to a NUL; the stream skips the white space in front.
    line = line.substr(0, line.find('\0'));
    const std::size_t first = line.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string_view::npos) return std::nullopt;
    return GatheredNumber(line.substr(first)).value();
}

bool dxflibReadsNumber(std::string_view line)
{
    line = line.substr(0, line.find('\0'));
    std::size_t i = line.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string_view::npos) return false;
    const auto digit = [&] { return i < line.size() && line[i] >= '0' && line[i] <= '9'; };
    if (line[i] == '-' || line[i] == '+') ++i;
    // The stream gathers digits with one point ("," read as "."), then an exponent once a digit
    // was seen; strtod must take all it gathered.
    bool mantissa = false, point = false;
    for (; i < line.size(); ++i) {
        if (digit()) {
            mantissa = true;
        } else if ((line[i] == '.' || line[i] == ',') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!mantissa) return false;
    if (i == line.size() || (line[i] != 'e' && line[i] != 'E')) return true;
    ++i;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
    return digit();
}

} // namespace cad
