#include "app/StartupDialog.h"

#include "app/Layout.h"
#include "dialogs/AppContext.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace quendra {

StartupDialog::StartupDialog(AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("kidou"));
    setWindowTitle(QStringLiteral("Quendra_LT(起動ダイアログボックス)"));
    setFixedSize(twips(4800), twips(2400));

    auto *greeting = new QLabel(QStringLiteral("Quendra_LTへようこそ！"), this);
    greeting->setObjectName(QStringLiteral("Label1"));
    greeting->setFont(gothicFont(14));
    greeting->setGeometry(twipRect(240, 180, 4320, 420));

    option1_ = new QRadioButton(QStringLiteral("AutoCAD LTを同時に起動する。"), this);
    option1_->setObjectName(QStringLiteral("Option1"));
    option1_->setGeometry(twipRect(480, 780, 4000, 330));
    option1_->setChecked(true);

    option2_ = new QRadioButton(QStringLiteral("AutoCAD LTを同時に起動しない。"), this);
    option2_->setObjectName(QStringLiteral("Option2"));
    option2_->setGeometry(twipRect(480, 1170, 4000, 330));

    auto *ok = new QPushButton(QStringLiteral("OK(&Y)"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setGeometry(twipRect(1800, 1740, 1200, 420));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &StartupDialog::confirm);

    centreOnScreen(*this);
}

void StartupDialog::confirm()
{
    if (option1_->isChecked()) {
        emit launchChosen();
        return;
    }
    if (option2_->isChecked()) {
        context_.navigator.showMainWindow();
        hide();
        return;
    }
    context_.messages.show(this, QStringLiteral("起動方法を選択して下さい。"));
}

void StartupDialog::closeEvent(QCloseEvent *event)
{
    context_.messages.show(this, QString::fromUtf8(endMessage));
    event->setAccepted(context_.navigator.endProgram());
}

} // namespace quendra
