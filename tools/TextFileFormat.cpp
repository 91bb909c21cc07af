#include "tools/TextFileFormat.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quendra {

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");
// The Japanese Windows code page, the Shift-JIS that text files of the CAD world are written in.
constexpr const char *shiftJisName = "windows-31j";

std::optional<QString> decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

std::optional<QString> decodeShiftJis(const QByteArray &bytes)
{
    QStringDecoder decoder(shiftJisName, QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) return std::nullopt;
    QString text = decoder(bytes);
    if (decoder.hasError() || text.contains(QChar::ReplacementCharacter)) return std::nullopt;
    return text;
}

// UTF-8 up to a character cut off at the very end: a UTF-8 file that was cut short. Read as
// Shift-JIS instead, its whole text would turn to nonsense.
bool isCutUtf8(const QByteArray &bytes)
{
    qsizetype lead = bytes.size() - 1;
    int following = 0;
    while (lead >= 0 && following < 3 && (static_cast<uchar>(bytes[lead]) & 0xC0) == 0x80)
        --lead, ++following;
    if (lead < 0) return false;
    const auto c = static_cast<uchar>(bytes[lead]);
    const int needed = c >= 0xF0 && c <= 0xF4   ? 3
                       : c >= 0xE0 && c <= 0xEF ? 2
                       : c >= 0xC2 && c <= 0xDF ? 1
                                                : 0;
    return following < needed && decodeUtf8(bytes.left(lead)).has_value();
}

QString lineEndOf(const QString &text)
{
    if (text.contains(QLatin1String("\r\n"))) return QStringLiteral("\r\n");
    if (text.contains(QLatin1Char('\n'))) return QStringLiteral("\n");
    if (text.contains(QLatin1Char('\r'))) return QStringLiteral("\r");
    return TextFileFormat{}.lineEnd;
}

// Every line followed by '\n', as the file was read line by line.
QString joinLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
    return text;
}

} // namespace

std::optional<DecodedText> decodeTextFile(const QByteArray &bytes)
{
    // No text holds a NUL; pictures and programs do.
    if (bytes.contains('\0')) return std::nullopt;
    DecodedText out;
    std::optional<QString> text;
    if (bytes.startsWith(utf8Bom)) {
        out.format.byteOrderMark = true;
        text = decodeUtf8(bytes.mid(utf8Bom.size()));
    } else if (!(text = decodeUtf8(bytes))) {
        if (isCutUtf8(bytes)) return std::nullopt;
        out.format.encoding = TextFileFormat::Encoding::ShiftJis;
        text = decodeShiftJis(bytes);
    }
    if (!text) return std::nullopt;
    out.format.lineEnd = lineEndOf(*text);
    out.text = joinLines(*text);
    return out;
}

std::optional<QByteArray> encodeTextFile(const QString &text, const TextFileFormat &format)
{
    QString lines = text;
    if (!lines.endsWith(QLatin1Char('\n'))) lines += QLatin1Char('\n');
    lines.replace(QLatin1Char('\n'), format.lineEnd);
    if (format.encoding == TextFileFormat::Encoding::Utf8)
        return (format.byteOrderMark ? utf8Bom : QByteArray()) + lines.toUtf8();
    QStringEncoder encoder(shiftJisName);
    if (!encoder.isValid()) return std::nullopt;
    QByteArray bytes = encoder(lines);
    if (encoder.hasError()) return std::nullopt;
    return bytes;
}

} // namespace quendra
