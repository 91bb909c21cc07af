#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quendra {

// How a text file is written: its encoding, a UTF-8 byte order mark and its line end. A file is
// saved in the form it was read in, so that opening and saving leaves it as it was.
struct TextFileFormat
{
    enum class Encoding { Utf8, ShiftJis };
    Encoding encoding = Encoding::Utf8;
    bool byteOrderMark = false;
    QString lineEnd = QStringLiteral("\r\n");

    bool operator==(const TextFileFormat &) const = default;
};

// A file's text as the editor holds it: lines joined by '\n', every line (the last one too)
// followed by a line end.
struct DecodedText
{
    QString text;
    TextFileFormat format;
};

// UTF-8 when the bytes are valid UTF-8, else Shift-JIS; nullopt when they are neither, when they
// hold a NUL (no text does), or when they are UTF-8 cut off inside the last character.
std::optional<DecodedText> decodeTextFile(const QByteArray &bytes);

// The editor's text ('\n' line ends) as the bytes of a file in `format`; a final line end is
// added only when the text lacks one. nullopt when a character cannot be written in the encoding.
std::optional<QByteArray> encodeTextFile(const QString &text, const TextFileFormat &format);

} // namespace quendra
