#include "ExitDialog.h"

#include "AppContext.h"
#include "Layout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace quendra {

namespace {

const Message plainEndMessage{"プログラムを終了します。", Icon::None, ""};

QPushButton *button(QWidget *parent, const char *name, const QString &caption, QRect place)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(place);
    return b;
}

} // namespace

ExitDialog::ExitDialog(AppContext &context, QWidget *parent)
    : QDialog(parent), context_(context), link_(std::make_unique<CadLink>(context.transports()))
{
    setObjectName(QStringLiteral("syuuryou"));
    setWindowTitle(QStringLiteral("Quendra_LT"));
    setFixedSize(twips(5400), twips(2160));

    auto *heading = new QLabel(QStringLiteral("プログラムを終了します。"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    heading->setGeometry(twipRect(360, 240, 4680, 300));
    auto *question = new QLabel(QStringLiteral("AutoCAD LTも終了させるか選択して下さい。"), this);
    question->setObjectName(QStringLiteral("Label2"));
    question->setGeometry(twipRect(360, 660, 4680, 300));

    QPushButton *withHost =
        button(this, "Command1", QStringLiteral("LT共終了(&L)"), twipRect(360, 1320, 1440, 450));
    withHost->setDefault(true);
    connect(withHost, &QPushButton::clicked, this, &ExitDialog::endWithHost);
    QPushButton *alone =
        button(this, "Command3", QStringLiteral("終　了(&Q)"), twipRect(1980, 1320, 1440, 450));
    connect(alone, &QPushButton::clicked, this, &ExitDialog::endAlone);
    QPushButton *back = button(this, "Command2", QStringLiteral("戻る(&B)"), twipRect(3600, 1320, 1440, 450));
    connect(back, &QPushButton::clicked, this, &ExitDialog::reject);

    centreOnScreen(*this);
    // Nobody may be listening yet; "LT共終了(&L)" opens the link again and reports a failure.
    link_->open(cadService, cadTopic);
}

ExitDialog::~ExitDialog() = default;

void ExitDialog::reject()
{
    context_.navigator.showMainWindow();
    hide();
}

void ExitDialog::endWithHost()
{
    if (const LinkError e = link_->execute(exitScript); e != LinkError::None)
        context_.messages.show(this, QString::fromStdString(describe(e)));
    context_.navigator.endProgram();
}

void ExitDialog::endAlone()
{
    context_.messages.show(this, plainEndMessage);
    context_.navigator.endProgram();
}

void ExitDialog::closeEvent(QCloseEvent *event)
{
    context_.messages.show(this, plainEndMessage);
    event->accept();
    context_.navigator.endProgram();
}

} // namespace quendra
