#include "HostOptions.h"

#include "CadLink.h"
#include "InputReading.h"

#include <QCommandLineParser>

namespace {

std::optional<cad::Point> pickOf(const QString &text)
{
    const auto p = cad::readPoint(text.trimmed().toStdString(), {0, 0});
    if (!p || text.trimmed().startsWith('@')) return std::nullopt;
    return p;
}

} // namespace

bool HostOptions::parse(const QStringList &arguments, HostOptions &options, QString *message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("quendra-host: 作図スクリプトを受け付ける CAD ホスト"));
    parser.addHelpOption();
    const QCommandLineOption headless(QStringLiteral("headless"),
                                      QStringLiteral("ウィンドウを開かずに動作する"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("EXIT などで書き出す DXF"),
                                 QStringLiteral("FILE"));
    const QCommandLineOption pick(QStringLiteral("pick"), QStringLiteral("ID に答える点 (順に使う)"),
                                  QStringLiteral("X,Y"));
    const QCommandLineOption color(QStringLiteral("color"), QStringLiteral("DDCOLOR に答える色番号"),
                                   QStringLiteral("N"));
    const QCommandLineOption replay(QStringLiteral("replay"), QStringLiteral("起動時に実行するスクリプト"),
                                    QStringLiteral("FILE"));
    const QCommandLineOption exitAfter(QStringLiteral("exit-after-replay"),
                                       QStringLiteral("スクリプト実行後に終了する"));
    const QCommandLineOption serve(QStringLiteral("serve"),
                                   QStringLiteral("他に受け付けるサービスとトピック"),
                                   QStringLiteral("SERVICE|TOPIC"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("コマンド履歴を標準出力に書く"));
    parser.addOptions({headless, out, pick, color, replay, exitAfter, serve, verbose});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("開く DXF ファイル"),
                                 QStringLiteral("[file]"));
    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *message = parser.helpText();
        return false;
    }
    options.headless = parser.isSet(headless);
    options.out = parser.value(out);
    options.exitAfterReplay = parser.isSet(exitAfter);
    options.verbose = parser.isSet(verbose);
    options.replays = parser.values(replay);
    for (const QString &text : parser.values(pick)) {
        const auto p = pickOf(text);
        if (!p) {
            *message = QStringLiteral("--pick の点が正しくありません: %1 (例: 1000,2000)").arg(text);
            return false;
        }
        options.picks.push_back(*p);
    }
    if (parser.isSet(color)) {
        bool ok = false;
        const int n = parser.value(color).trimmed().toInt(&ok);
        if (!ok || n < 0 || n > 256) {
            *message = QStringLiteral("--color は 0 から 256 までの色番号です: %1").arg(parser.value(color));
            return false;
        }
        options.color = n;
    }
    options.served.emplace_back(QString::fromUtf8(quendra::cadService), QString::fromUtf8(quendra::cadTopic));
    for (const QString &text : parser.values(serve)) {
        const qsizetype bar = text.indexOf('|');
        if (bar <= 0 || bar == text.size() - 1) {
            *message = QStringLiteral("--serve は「サービス|トピック」の形で指定して下さい: %1").arg(text);
            return false;
        }
        options.served.emplace_back(text.left(bar), text.mid(bar + 1));
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        *message = QStringLiteral("開けるファイルは 1 つです。");
        return false;
    }
    options.open = files.value(0);
    return true;
}
