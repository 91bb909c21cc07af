#include "TextFileFormat.h"

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
    DecodedText out;
    std::optional<QString> text;
    if (bytes.startsWith(utf8Bom)) {
        out.format.byteOrderMark = true;
        text = decodeUtf8(bytes.mid(utf8Bom.size()));
    } else if (!(text = decodeUtf8(bytes))) {
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
