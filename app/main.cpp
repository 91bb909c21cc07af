#include "app/Application.h"
#include "app/Layout.h"
#include "app/platform/Platform.h"
#include "dialogs/Desktop.h"
#include "dialogs/MessageService.h"
#include "link/CadLink.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quendra_LT"));
    // Where the dialogs were left is kept in the user's settings, beside the host's.
    QApplication::setOrganizationName(QStringLiteral("Quendra_LT"));
    // The dialogs ask for the Windows Japanese UI font; IPAPGothic is its metric-compatible twin.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")});
    QApplication::setFont(quendra::gothicFont(9));
    // Every window of the program (dialogs, calculator, sketch pad) shows the program's icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quendra.svg")));
    // Qt's own buttons and file dialogs speak Japanese like the rest of the program, where the
    // translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // Started for LibreCAD (make run HOST=librecad): the messages about the link name it.
    if (qEnvironmentVariable("QUENDRA_HOST") == QStringLiteral("librecad"))
        quendra::chooseHost(quendra::ChosenHost::LibreCad);
    quendra::MessageService messages;
    quendra::Desktop desktop(true, quendra::platform::openInTextViewer);
    quendra::Application application(messages, quendra::transportFromEnvironment(), desktop);
    application.listenForEdits();
    // Started by a host to draw one of its symbols again: that form comes first.
    const QStringList arguments = QApplication::arguments();
    const qsizetype edit = arguments.indexOf(QString::fromLatin1(quendra::symbolEditOption));
    const auto frame =
        edit > 0 && edit + 1 < arguments.size()
            ? quendra::decodeSymbolFrame(QByteArray::fromHex(arguments[edit + 1].toLatin1()).toStdString())
            : std::nullopt;
    if (!frame || frame->kind != quendra::SymbolFrame::Kind::Edit ||
        !application.editSymbol(*frame).isEmpty())
        application.start();
    return QApplication::exec();
}
