#include "cad/dxf/tags/DxfTags.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace cad {

namespace {

bool within(int code, int first, int last)
{
    return code >= first && code <= last;
}

std::string_view trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

template <typename T> T little(std::string_view bytes, std::size_t at)
{
    T value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value; // binary DXF is little-endian, as are the machines we build for
}

template <typename T> void appendLittle(std::string &out, T value)
{
    char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    out.append(raw, sizeof value);
}

std::size_t valueSize(DxfValueType type)
{
    switch (type) {
    case DxfValueType::Double:
    case DxfValueType::Int64:
        return 8;
    case DxfValueType::Int32:
        return 4;
    case DxfValueType::Int16:
        return 2;
    case DxfValueType::Bool:
        return 1;
    default:
        return 0;
    }
}

} // namespace

DxfValueType dxfValueType(int code)
{
    if (within(code, 310, 319) || code == 1004) return DxfValueType::Chunk;
    if (within(code, 290, 299)) return DxfValueType::Bool;
    if (within(code, 10, 59) || within(code, 110, 149) || within(code, 210, 239) || within(code, 460, 469) ||
        within(code, 1010, 1059))
        return DxfValueType::Double;
    if (within(code, 60, 79) || within(code, 170, 179) || within(code, 270, 289) || within(code, 370, 389) ||
        within(code, 400, 409) || within(code, 1060, 1070))
        return DxfValueType::Int16;
    if (within(code, 90, 99) || within(code, 420, 429) || within(code, 440, 459) || code == 1071)
        return DxfValueType::Int32;
    if (within(code, 160, 169)) return DxfValueType::Int64;
    return DxfValueType::String;
}

DxfTagScanner::DxfTagScanner(std::string_view bytes) : bytes_(bytes)
{
    binary_ = bytes.substr(0, dxfBinarySentinel.size()) == dxfBinarySentinel;
    if (!binary_) {
        if (bytes.starts_with("\xEF\xBB\xBF")) at_ = 3; // a byte order mark some editors add
        return;
    }
    at_ = dxfBinarySentinel.size();
    // The code width shows in the file's first group, 0 SECTION: its code is one NUL byte in
    // files of R12 and older, two from R13 on. Other readers look for the version in $ACADVER
    // near the start instead; both agree on any file a CAD program wrote, but only the first
    // group lies where no edit ever writes, so a file saved here is read back in its own width.
    shortCodes_ = !bytes.substr(at_).starts_with(std::string_view("\0\0SECTION\0", 10));
}

std::optional<DxfTag> DxfTagScanner::next()
{
    if (broken_ || at_ >= bytes_.size()) return std::nullopt;
    auto tag = binary_ ? nextBinary() : nextAscii();
    if (!tag) broken_ = true;
    return tag;
}

std::optional<std::string_view> DxfTagScanner::line()
{
    if (at_ >= bytes_.size()) return std::nullopt;
    const std::size_t lf = bytes_.find('\n', at_);
    const std::size_t end = lf == std::string_view::npos ? bytes_.size() : lf;
    std::string_view text = bytes_.substr(at_, end - at_);
    longLines_ = longLines_ || text.size() >= 1022;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    at_ = lf == std::string_view::npos ? bytes_.size() : lf + 1;
    return text;
}

std::optional<DxfTag> DxfTagScanner::nextAscii()
{
    DxfTag tag;
    tag.begin = at_;
    const auto codeLine = line();
    if (!codeLine) return std::nullopt;
    const std::string_view digits = trim(*codeLine);
    const char *first = digits.data();
    if (!digits.empty() && digits.front() == '+') ++first;
    // Read as other readers do: the number the line begins with ("90:" is 90).
    const auto ec = std::from_chars(first, digits.data() + digits.size(), tag.code).ec;
    if (digits.empty() || ec != std::errc()) return std::nullopt;
    const auto valueLine = line();
    if (!valueLine) return std::nullopt;
    tag.value = *valueLine;
    tag.trimmed = trim(tag.value);
    tag.end = at_;
    return tag;
}

std::optional<DxfTag> DxfTagScanner::nextBinary()
{
    DxfTag tag;
    tag.begin = at_;
    const std::size_t size = bytes_.size();
    const auto byte = [this](std::size_t i) { return static_cast<unsigned char>(bytes_[i]); };
    if (shortCodes_) {
        if (byte(at_) == 255) {
            if (at_ + 3 > size) return std::nullopt;
            tag.code = byte(at_ + 1) | (byte(at_ + 2) << 8);
            at_ += 3;
        } else {
            tag.code = byte(at_++);
        }
    } else {
        if (at_ + 2 > size) return std::nullopt;
        tag.code = little<std::int16_t>(bytes_, at_);
        at_ += 2;
    }
    const DxfValueType type = dxfValueType(tag.code);
    if (type == DxfValueType::String) {
        const std::size_t nul = bytes_.find('\0', at_);
        if (nul == std::string_view::npos) return std::nullopt;
        tag.value = bytes_.substr(at_, nul - at_);
        at_ = nul + 1;
    } else if (type == DxfValueType::Chunk) {
        if (at_ >= size || at_ + 1 + byte(at_) > size) return std::nullopt;
        tag.value = bytes_.substr(at_ + 1, byte(at_));
        at_ += 1 + byte(at_);
    } else {
        const std::size_t n = valueSize(type);
        if (at_ + n > size) return std::nullopt;
        tag.value = bytes_.substr(at_, n);
        at_ += n;
    }
    tag.trimmed = tag.value;
    tag.end = at_;
    return tag;
}

std::string dxfValueText(const DxfTag &tag, bool binary)
{
    if (!binary) return std::string(tag.trimmed);
    const std::string_view v = tag.value;
    switch (dxfValueType(tag.code)) {
    case DxfValueType::String:
        return std::string(v);
    case DxfValueType::Double:
        return formatDxfReal(little<double>(v, 0));
    case DxfValueType::Int16:
        return std::to_string(little<std::int16_t>(v, 0));
    case DxfValueType::Int32:
        return std::to_string(little<std::int32_t>(v, 0));
    case DxfValueType::Int64:
        return std::to_string(little<std::int64_t>(v, 0));
    case DxfValueType::Bool:
        return std::to_string(static_cast<unsigned char>(v[0]));
    case DxfValueType::Chunk:
        break;
    }
    std::string hex;
    char two[3];
    for (const char c : v) {
        std::snprintf(two, sizeof two, "%02X", static_cast<unsigned char>(c));
        hex += two;
    }
    return hex;
}

std::size_t writeDxfReal(double value, char *buffer)
{
    if (value == 0) value = 0; // no "-0"
    auto [end, ec] = std::to_chars(buffer, buffer + dxfRealSpace - 3, value);
    if (ec != std::errc()) {
        buffer[0] = '0';
        end = buffer + 1;
    }
    if (std::find_if(buffer, end, [](char c) { return c == '.' || c == 'e' || c == 'n' || c == 'i'; }) ==
        end) {
        *end++ = '.';
        *end++ = '0';
    }
    return static_cast<std::size_t>(end - buffer);
}

std::string formatDxfReal(double value)
{
    char buffer[dxfRealSpace];
    return std::string(buffer, writeDxfReal(value, buffer));
}

std::uint64_t parseDxfHandle(std::string_view text)
{
    text = trim(text);
    std::uint64_t value = 0;
    if (text.empty() || text.size() > 16) return 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc() && end == text.data() + text.size() ? value : 0;
}

bool dxfBeginning(std::string_view head)
{
    if (head.starts_with(dxfBinarySentinel)) return true;
    head = head.substr(0, dxfBeginningSize);
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    // The next line without its line end and blanks; none past the bytes given.
    const auto line = [&head]() -> std::optional<std::string_view> {
        const std::size_t lf = head.find('\n');
        if (lf == std::string_view::npos) return std::nullopt;
        std::string_view text = head.substr(0, lf);
        head.remove_prefix(lf + 1);
        if (text.ends_with('\r')) text.remove_suffix(1);
        return trim(text);
    };
    while (true) {
        std::optional<std::string_view> code = line();
        while (code && code->empty())
            code = line();
        if (!code) return false;
        int value = -1;
        const char *first = code->data() + (code->starts_with('+') ? 1 : 0);
        if (std::from_chars(first, code->data() + code->size(), value).ec != std::errc()) return false;
        const std::optional<std::string_view> text = line();
        if (!text) return false;
        if (value == 999) continue;
        return value == 0 && !text->empty();
    }
}

void DxfTagWriter::code(int code)
{
    if (!form_.binary) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, form_.paddedCodes ? "%3d" : "%d", code);
        out_ += buffer;
        out_ += form_.eol;
    } else if (!form_.shortCodes) {
        appendLittle(out_, static_cast<std::int16_t>(code));
    } else if (code < 255) {
        out_ += static_cast<char>(code);
    } else {
        out_ += static_cast<char>(255);
        appendLittle(out_, static_cast<std::uint16_t>(code));
    }
}

void DxfTagWriter::string(int gc, std::string_view value)
{
    code(gc);
    out_ += value;
    out_ += form_.binary ? std::string_view("\0", 1) : std::string_view(form_.eol);
}

void DxfTagWriter::real(int gc, double value)
{
    if (!form_.binary) return string(gc, formatDxfReal(value));
    code(gc);
    appendLittle(out_, value);
}

void DxfTagWriter::integer(int gc, std::int64_t value)
{
    if (!form_.binary) return string(gc, std::to_string(value));
    code(gc);
    switch (dxfValueType(gc)) {
    case DxfValueType::Int64:
        appendLittle(out_, value);
        break;
    case DxfValueType::Int32:
        appendLittle(out_, static_cast<std::int32_t>(value));
        break;
    case DxfValueType::Bool:
        out_ += static_cast<char>(value);
        break;
    default:
        appendLittle(out_, static_cast<std::int16_t>(value));
    }
}

void DxfTagWriter::handle(int gc, std::uint64_t value)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(value));
    string(gc, buffer);
}

} // namespace cad
