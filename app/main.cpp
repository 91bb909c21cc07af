#include "Application.h"
#include "Desktop.h"
#include "Layout.h"
#include "MessageService.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quendra_LT"));
    // The dialogs ask for the Windows Japanese UI font; IPAPGothic is its metric-compatible twin.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")});
    QApplication::setFont(quendra::gothicFont(9));
    // Qt's own buttons and file dialogs speak Japanese like the rest of the program, where the
    // translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    quendra::MessageService messages;
    quendra::Desktop desktop;
    quendra::Application application(messages, quendra::transportFromEnvironment(), desktop);
    application.start();
    return QApplication::exec();
}
