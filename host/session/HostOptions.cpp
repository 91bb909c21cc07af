#include "host/session/HostOptions.h"

#include "cad/model/InputReading.h"
#include "link/Conversation.h"

#include <QCommandLineParser>

namespace host {

namespace {

std::optional<cad::Point> pickOf(const QString &text)
{
    const auto p = cad::readPoint(text.trimmed().toStdString(), {0, 0});
    if (!p || text.trimmed().startsWith('@')) return std::nullopt;
    return p;
}

// The options quendra-host knows, declared to the parser.
struct Declared
{
    QCommandLineOption headless{QStringLiteral("headless"), QStringLiteral("ウィンドウを開かずに動作する")};
    QCommandLineOption out{QStringLiteral("out"), QStringLiteral("EXIT などで書き出す DXF"),
                           QStringLiteral("FILE")};
    QCommandLineOption pick{QStringLiteral("pick"), QStringLiteral("ID に答える点 (順に使う)"),
                            QStringLiteral("X,Y")};
    QCommandLineOption color{QStringLiteral("color"), QStringLiteral("DDCOLOR に答える色番号"),
                             QStringLiteral("N")};
    QCommandLineOption replay{QStringLiteral("replay"), QStringLiteral("起動時に実行するスクリプト"),
                              QStringLiteral("FILE")};
    QCommandLineOption exitAfter{QStringLiteral("exit-after-replay"),
                                 QStringLiteral("スクリプト実行後に終了する")};
    QCommandLineOption serve{QStringLiteral("serve"), QStringLiteral("他に受け付けるサービスとトピック"),
                             QStringLiteral("SERVICE|TOPIC")};
    QCommandLineOption verbose{QStringLiteral("verbose"), QStringLiteral("コマンド履歴を標準出力に書く")};
    QCommandLineOption pdf{QStringLiteral("pdf"), QStringLiteral("終了時に印刷する PDF"),
                           QStringLiteral("FILE")};
    QCommandLineOption scale{QStringLiteral("scale"), QStringLiteral("印刷の尺度 (既定 1:100)"),
                             QStringLiteral("1:N")};
    QCommandLineOption paper{QStringLiteral("paper"), QStringLiteral("印刷の用紙 A0〜A4 (既定 A3)"),
                             QStringLiteral("PAPER")};
    QCommandLineOption portrait{QStringLiteral("portrait"), QStringLiteral("用紙を縦に使う")};
    QCommandLineOption black{QStringLiteral("black"), QStringLiteral("白黒で印刷する")};
    QCommandLineOption png{QStringLiteral("png"), QStringLiteral("終了時に図形範囲を書き出す PNG"),
                           QStringLiteral("FILE")};
    QCommandLineOption svg{QStringLiteral("svg"), QStringLiteral("終了時に図形範囲を書き出す SVG"),
                           QStringLiteral("FILE")};
    QCommandLineOption recover{
        QStringLiteral("recover"),
        QStringLiteral("途中で切れた DXF を読める所まで開く (同じ名前には保存しない)")};
    QCommandLineOption schedule{QStringLiteral("schedule"), QStringLiteral("終了時に建具表を書き出す CSV"),
                                QStringLiteral("FILE")};
    QCommandLineOption wallOpenings{
        QStringLiteral("wall-openings"),
        QStringLiteral("建具を壁に納める (壁の線を開口で切る): on または off (既定 on)"),
        QStringLiteral("on|off")};

    explicit Declared(QCommandLineParser &parser)
    {
        parser.setApplicationDescription(
            QStringLiteral("quendra-host: 作図スクリプトを受け付ける CAD ホスト"));
        parser.addHelpOption();
        QList<QCommandLineOption> offered{headless, out, pick,  color, replay,   exitAfter, serve,
                                          verbose,  pdf, scale, paper, portrait, black,     png};
        // A build without SVG export does not offer it.
#ifndef QUENDRA_NO_SVG
        offered << svg;
#endif
        offered << schedule << recover << wallOpenings;
        parser.addOptions(offered);
        parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("開く DXF ファイル"),
                                     QStringLiteral("[file]"));
    }
};

bool readPicks(const QStringList &texts, HostOptions &options, QString *message)
{
    for (const QString &text : texts) {
        const auto p = pickOf(text);
        if (!p) {
            *message = QStringLiteral("--pick の点が正しくありません: %1 (例: 1000,2000)").arg(text);
            return false;
        }
        options.picks.push_back(*p);
    }
    return true;
}

bool readColor(const QString &text, HostOptions &options, QString *message)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 0 || n > 256) {
        *message = QStringLiteral("--color は 0 から 256 までの色番号です: %1").arg(text);
        return false;
    }
    options.color = n;
    return true;
}

// The conversation of the original CAD host first, then each --serve.
bool readServed(const QStringList &texts, HostOptions &options, QString *message)
{
    options.served.emplace_back(QString::fromUtf8(quendra::cadService), QString::fromUtf8(quendra::cadTopic));
    for (const QString &text : texts) {
        const qsizetype bar = text.indexOf('|');
        if (bar <= 0 || bar == text.size() - 1) {
            *message = QStringLiteral("--serve は「サービス|トピック」の形で指定して下さい: %1").arg(text);
            return false;
        }
        options.served.emplace_back(text.left(bar), text.mid(bar + 1));
    }
    return true;
}

} // namespace

bool HostOptions::parse(const QStringList &arguments, HostOptions &options, QString *message)
{
    QCommandLineParser parser;
    const Declared declared(parser);
    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *message = parser.helpText();
        return false;
    }
    options.headless = parser.isSet(declared.headless);
    options.out = parser.value(declared.out);
    options.exitAfterReplay = parser.isSet(declared.exitAfter);
    options.verbose = parser.isSet(declared.verbose);
    options.replays = parser.values(declared.replay);
    options.plot.pdf = parser.value(declared.pdf);
    options.plot.scale = parser.value(declared.scale);
    options.plot.paper = parser.value(declared.paper);
    options.plot.portrait = parser.isSet(declared.portrait);
    options.plot.black = parser.isSet(declared.black);
    options.png = parser.value(declared.png);
#ifndef QUENDRA_NO_SVG
    options.svg = parser.value(declared.svg);
#endif
    options.schedule = parser.value(declared.schedule);
    options.recover = parser.isSet(declared.recover);
    if (parser.isSet(declared.wallOpenings)) {
        const QString v = parser.value(declared.wallOpenings).trimmed().toLower();
        if (v != QStringLiteral("on") && v != QStringLiteral("off")) {
            *message = QStringLiteral("--wall-openings は on または off です: %1")
                           .arg(parser.value(declared.wallOpenings));
            return false;
        }
        options.wallOpenings = v == QStringLiteral("on");
    }
    if (!readPicks(parser.values(declared.pick), options, message)) return false;
    if (parser.isSet(declared.color) && !readColor(parser.value(declared.color), options, message))
        return false;
    if (!readServed(parser.values(declared.serve), options, message)) return false;
    // A headless run that ends after its replays (an export, a batch) converses with no one: it
    // takes no socket, so it also runs beside a host that serves the same user.
    if (options.headless && options.exitAfterReplay && !parser.isSet(declared.serve)) options.served.clear();
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        *message = QStringLiteral("開けるファイルは 1 つです。");
        return false;
    }
    options.open = files.value(0);
    // The window asks the user instead: these would be ignored there, so they are refused.
    if (!options.headless) {
        for (const QCommandLineOption *o :
             {&declared.out, &declared.pick, &declared.color, &declared.exitAfter, &declared.verbose,
              &declared.png, &declared.schedule, &declared.recover
#ifndef QUENDRA_NO_SVG
              ,
              &declared.svg
#endif
             }) {
            if (!parser.isSet(*o)) continue;
            *message = QStringLiteral("--%1 は --headless と共に使います。").arg(o->names().constFirst());
            return false;
        }
    }
    return true;
}

} // namespace host
