#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cad {

// How a group's value is stored in binary DXF; ASCII DXF writes every kind as a line of text.
enum class DxfValueType { String, Double, Int16, Int32, Int64, Bool, Chunk };
DxfValueType dxfValueType(int code);

// The 22 bytes a binary DXF file begins with.
inline constexpr std::string_view dxfBinarySentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

// One group as it stands in the file: `begin` and `end` span the whole group, `value` the bytes
// of its value (an ASCII line without its line end; in binary the raw bytes, a string without its
// closing NUL, a chunk without its length byte).
struct DxfTag
{
    int code = 0;
    std::size_t begin = 0, end = 0;
    std::string_view value;
    // The value with the blanks of an ASCII line taken off its ends; binary values as they are.
    std::string_view trimmed;
};

// Walks the groups of a file, ASCII or binary, without copying them.
class DxfTagScanner
{
public:
    explicit DxfTagScanner(std::string_view bytes);
    // Groups cut out of a file written so, without what a file begins with.
    DxfTagScanner(std::string_view bytes, bool binary, bool shortCodes)
        : bytes_(bytes), binary_(binary), shortCodes_(shortCodes)
    {
    }

    bool binary() const { return binary_; }
    // Binary files before R13 write group codes in one byte (255 escapes a longer one).
    bool shortCodes() const { return shortCodes_; }
    // The next group; none at the end, or where the bytes stop making groups (see broken()).
    std::optional<DxfTag> next();
    bool broken() const { return broken_; }
    // Whether an ASCII line was longer than some readers take in one piece (1023 bytes).
    bool longLines() const { return longLines_; }
    std::size_t position() const { return at_; }
    // Goes on from `at`, the beginning of a group found before.
    void seek(std::size_t at)
    {
        at_ = at;
        broken_ = false;
    }

private:
    std::optional<DxfTag> nextAscii();
    std::optional<DxfTag> nextBinary();
    std::optional<std::string_view> line();

    std::string_view bytes_;
    std::size_t at_ = 0;
    bool binary_ = false;
    bool shortCodes_ = false;
    bool broken_ = false;
    bool longLines_ = false;
};

// A value as text: ASCII values without the blanks around them, binary numbers formatted,
// chunks in hexadecimal.
std::string dxfValueText(const DxfTag &tag, bool binary);
// A real in its shortest form that reads back to the same bits, always with a point or exponent.
std::string formatDxfReal(double value);
// The same into `buffer` (dxfRealSpace bytes at least); returns its length.
inline constexpr std::size_t dxfRealSpace = 64;
std::size_t writeDxfReal(double value, char *buffer);
// A handle's value; 0 when the text is not one.
std::uint64_t parseDxfHandle(std::string_view text);

// How much of a file's beginning dxfBeginning() needs at most.
inline constexpr std::size_t dxfBeginningSize = 256 * 1024;
// Whether a file's first bytes are those of a DXF file: binary DXF's sentinel, or groups whose
// first one, after a byte order mark, blank lines and 999 comments, has code 0 and a name (0
// SECTION, or an entity where a file starts without one). Tells a file that is no drawing at all
// before all of it is read.
bool dxfBeginning(std::string_view head);

// Writes groups in the form of a given file: ASCII with its line ends and code layout, or binary.
class DxfTagWriter
{
public:
    struct Form
    {
        bool binary = false;
        bool shortCodes = false;
        std::string eol = "\n";
        bool paddedCodes = true; // "  0" rather than "0"
    };
    explicit DxfTagWriter(Form form) : form_(std::move(form)) {}

    void string(int code, std::string_view value);
    void real(int code, double value);
    void integer(int code, std::int64_t value);
    void handle(int code, std::uint64_t value);

    std::string &bytes() { return out_; }

private:
    void code(int code);

    Form form_;
    std::string out_;
};

} // namespace cad
