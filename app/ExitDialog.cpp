#include "app/ExitDialog.h"

#include "app/Layout.h"
#include "dialogs/AppContext.h"
#include "rules/ButtonPress.h"
#include "symbols/elements/syuuryou.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include <map>

namespace quendra {

namespace {

// Where syuuryou's controls sit, in twips.
QRect place(const std::string &name)
{
    static const std::map<std::string, QRect> places{{"Label1", twipRect(360, 240, 4680, 300)},
                                                     {"Label2", twipRect(360, 660, 4680, 300)},
                                                     {"Command1", twipRect(360, 1320, 1440, 450)},
                                                     {"Command3", twipRect(1980, 1320, 1440, 450)},
                                                     {"Command2", twipRect(3600, 1320, 1440, 450)}};
    const auto it = places.find(name);
    return it == places.end() ? QRect() : it->second;
}

} // namespace

ExitDialog::ExitDialog(AppContext &context, QWidget *parent)
    : QDialog(parent), context_(context), link_(std::make_unique<CadLink>(context.transports()))
{
    const FormDefinition &form = syuuryou();
    setObjectName(QString::fromStdString(form.name));
    setWindowTitle(QString::fromStdString(form.caption));
    setFixedSize(twips(5400), twips(2160));

    for (const Control &c : form.controls) {
        auto *label = new QLabel(QString::fromStdString(c.caption), this);
        label->setObjectName(QString::fromStdString(c.name));
        label->setGeometry(place(c.name));
    }
    for (const Button &b : form.buttons) {
        auto *button = new QPushButton(QString::fromStdString(b.caption), this);
        button->setObjectName(QString::fromStdString(b.name));
        button->setGeometry(place(b.name));
        button->setDefault(b.isDefault);
        const std::string name = b.name;
        connect(button, &QPushButton::clicked, this, [this, name] { pressButton(name); });
    }

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

// Every button but 戻る ends the program, whether or not its script reached the CAD host.
void ExitDialog::pressButton(const std::string &name)
{
    const ButtonPress p = press(syuuryou(), syuuryou().initialState(), name);
    if (p.navigate == ButtonPress::Navigate::Back) {
        reject();
        return;
    }
    for (const Event &e : p.outcome.events) {
        if (e.kind == Event::Kind::Message) {
            context_.messages.show(this, e.message);
        } else if (const LinkError error = link_->execute(e.script); error != LinkError::None) {
            context_.messages.show(this, Message{describe(error)});
            break;
        }
    }
    context_.navigator.endProgram();
}

void ExitDialog::closeEvent(QCloseEvent *event)
{
    context_.messages.show(this, Message{endMessage, Icon::None, applicationTitle});
    event->setAccepted(context_.navigator.endProgram());
}

} // namespace quendra
