#include "host/session/CodePage.h"

#include <QByteArray>
#include <QString>
#if QT_VERSION_MAJOR >= 6
#include <QStringDecoder>
#include <QStringEncoder>
#else
// The LibreCAD bridge builds the host's session against Qt 5, whose converters are codecs.
#include <QTextCodec>
#endif

namespace host {

namespace {

// The code pages of $DWGCODEPAGE by the names Qt's converters know them.
QByteArray converterName(const std::string &codepage)
{
    QByteArray name = QByteArray::fromStdString(codepage).toUpper();
    if (name == "ANSI_932" || name == "DOS932") return "Shift_JIS";
    if (name == "ANSI_936") return "GBK";
    if (name == "ANSI_949") return "windows-949";
    if (name == "ANSI_950") return "Big5";
    if (name.startsWith("ANSI_")) return "windows-" + name.mid(5);
    return name;
}

} // namespace

std::string decodeCodepage(std::string_view bytes, const std::string &codepage)
{
    const QByteArray name = converterName(codepage);
    const QByteArray raw(bytes.data(), static_cast<int>(bytes.size()));
#if QT_VERSION_MAJOR >= 6
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid()) return {};
    const QString text = decoder.decode(raw);
#else
    QTextCodec *codec = QTextCodec::codecForName(name);
    if (!codec) return {};
    const QString text = codec->toUnicode(raw);
#endif
    return text.toStdString();
}

std::string encodeCodepage(std::string_view utf8, const std::string &codepage)
{
    const QString text = QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
    const QByteArray name = converterName(codepage);
#if QT_VERSION_MAJOR >= 6
    QStringEncoder encoder(name.constData());
    if (!encoder.isValid()) return {};
    const QByteArray bytes = encoder.encode(text);
    // A character the code page lacks is an error; check it reads back the same as well.
    if (encoder.hasError()) return {};
    QStringDecoder decoder(name.constData());
    if (decoder.decode(bytes) != text) return {};
#else
    QTextCodec *codec = QTextCodec::codecForName(name);
    if (!codec || !codec->canEncode(text)) return {};
    const QByteArray bytes = codec->fromUnicode(text);
#endif
    return bytes.toStdString();
}

} // namespace host
