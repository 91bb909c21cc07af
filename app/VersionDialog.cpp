#include "app/VersionDialog.h"

#include "app/Layout.h"
#include "dialogs/AppContext.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace quendra {

namespace {

QFont heavyFont(int pointSize)
{
    QFont font(QStringLiteral("Arial Black"), pointSize);
    font.setWeight(QFont::Black);
    return font;
}

void addLabel(QWidget *parent, const char *name, const QString &text, const QFont &font, QRect place)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    label->setGeometry(place);
}

} // namespace

VersionDialog::VersionDialog(AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("barjyon"));
    setWindowTitle(QStringLiteral("Quendra_LT(バージョン情報)"));
    setFixedSize(twips(6000), twips(4560));

    addLabel(this, "Label5", QStringLiteral("Quendra_LT for AutoCAD LT"), heavyFont(16),
             twipRect(0, 240, 6000, 480));
    addLabel(this, "Label6", QStringLiteral("VER 1.04.6"), heavyFont(12), twipRect(0, 780, 6000, 360));
    addLabel(this, "Label7", QStringLiteral("for Windows95"), heavyFont(12), twipRect(0, 1140, 6000, 360));
    addLabel(this, "Label1", QStringLiteral("Quendra_LT VER1.04.6 for Windows95"), gothicFont(10),
             twipRect(0, 1740, 6000, 300));
    addLabel(this, "Label2", QStringLiteral("建築設計支援ツール"), gothicFont(9),
             twipRect(0, 2220, 6000, 270));
    addLabel(this, "Label3", QStringLiteral("作図はAutoCAD LTまたはquendra-hostで行います。"), gothicFont(9),
             twipRect(0, 2520, 6000, 270));
    addLabel(this, "Label4", QStringLiteral("Quendra_LT 開発チーム"), gothicFont(9),
             twipRect(0, 2820, 6000, 270));

    auto *ok = new QPushButton(QStringLiteral("O K"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    ok->setGeometry(twipRect(2280, 3480, 1440, 450));
    connect(ok, &QPushButton::clicked, this, [this] {
        context_.navigator.showMainWindow();
        hide();
    });

    centreOnScreen(*this);
}

void VersionDialog::closeEvent(QCloseEvent *event)
{
    event->accept();
    context_.navigator.showExitDialog();
    hide();
}

} // namespace quendra
