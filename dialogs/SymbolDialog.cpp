#include "dialogs/SymbolDialog.h"

#include "cad/model/Schedule.h"
#include "cad/model/Wall.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/DigitFilter.h"
#include "dialogs/PreviewWidget.h"
#include "dialogs/ScreenFit.h"
#include "link/SymbolFrame.h"
#include "link/WallFrame.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace quendra {

namespace {

QString qs(const std::string &s)
{
    return QString::fromStdString(s);
}

// The symbol's name as the menu shows it, without its access key ("柱作図(&S)" is "柱作図").
std::string symbolCaption(const FormDefinition &form)
{
    std::string caption = form.menu.caption.empty() ? form.caption : form.menu.caption;
    if (const auto key = caption.find("(&"); key != std::string::npos && caption.back() == ')')
        caption.erase(key);
    caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
    return caption;
}

SymbolFrame beginFrame(const FormDefinition &form, const FormState &state, bool basePicked)
{
    SymbolFrame frame;
    frame.form = form.name;
    frame.caption = symbolCaption(form);
    frame.basePicked = basePicked;
    for (const Control &c : form.controls) {
        if (c.kind == Control::Kind::Label) continue;
        const bool text = c.kind == Control::Kind::Combo || c.kind == Control::Kind::Text;
        frame.inputs.emplace_back(c.name, text ? state.text(c.name) : state.checked(c.name) ? "1" : "0");
    }
    return frame;
}

// Calls back on the events a form's rules listen to: a click into a box or the focus arriving.
class EventHook : public QObject
{
public:
    EventHook(std::function<void()> action, QObject *parent) : QObject(parent), action_(std::move(action)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress) action_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

// The first draw button that is enabled: the one whose drawing the preview shows.
const Button *previewButton(const FormDefinition &form, const std::map<std::string, QPushButton *> &buttons)
{
    const Button *first = nullptr;
    for (const Button &b : form.buttons) {
        if (b.role != Button::Role::Draw) continue;
        if (!first) first = &b;
        const auto it = buttons.find(b.name);
        if (it != buttons.end() && it->second->isEnabled()) return &b;
    }
    return first;
}

} // namespace

SymbolDialog::SymbolDialog(const FormDefinition &form, AppContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window), form_(form), context_(context)
{
    setObjectName(qs(form.name));
    setWindowTitle(qs(form.caption));
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 10));
    build();
    centre();
    openLink();
    placement_ = new DialogPlacement(*this, [this] { return link_->hostPlace(); });
    updatePreview();
}

SymbolDialog::~SymbolDialog() = default;

void SymbolDialog::build()
{
    // The form in a scroll area, which scrolls only where the screen cannot hold it.
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    content_ = new QWidget(scroll);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->addWidget(scroll);
    auto *outer = new QVBoxLayout(content_);
    auto *body = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *grid = new QGridLayout;
    left->addLayout(grid);
    left->addStretch();
    body->addLayout(left);
    preview_ = new PreviewWidget(this);
    // A form drawn at absolute coordinates has no base point to mark.
    preview_->setMarksBasePoint(std::any_of(form_.buttons.begin(), form_.buttons.end(), [](const Button &b) {
        return b.role == Button::Role::BasePoint;
    }));
    preview_->setObjectName(QStringLiteral("preview"));
    // Groups that draw on one side of the base point stand on that side of the preview.
    around_ = new QGridLayout;
    around_->addWidget(preview_, 1, 1);
    around_->setRowStretch(1, 1);
    around_->setColumnStretch(1, 1);
    body->addLayout(around_, 1);
    outer->addLayout(body, 1);
    buildInputs(grid, preview_);
    auto *row = new QHBoxLayout;
    buildButtons(row);
    outer->addLayout(row);
    scroll->setWidget(content_);
    applyTabOrder();
    connectRules();
}

// Where the inputs go while they are built: the grid rows, the sketch, and the frames and
// exclusive groups of the option buttons.
struct SymbolDialog::InputLayout
{
    QGridLayout *grid;
    QWidget *previewHost;
    std::map<std::string, QButtonGroup *> exclusive;
    std::map<std::string, QVBoxLayout *> frames;
    int row = 0;
};

void SymbolDialog::buildInputs(QGridLayout *grid, QWidget *previewHost)
{
    InputLayout layout{grid, previewHost, {}, {}, 0};
    for (const Control &c : form_.controls) {
        if (c.kind == Control::Kind::Label) {
            addLabel(c, layout);
            continue;
        }
        QWidget *w = makeInput(c, layout);
        w->setObjectName(qs(c.name));
        w->setEnabled(c.enabled);
        inputs_[c.name] = w;
        placeInput(c, w, layout);
    }
}

QWidget *SymbolDialog::makeInput(const Control &c, InputLayout &layout)
{
    switch (c.kind) {
    case Control::Kind::Combo: {
        auto *box = new QComboBox(this);
        box->setEditable(c.editable);
        box->setInsertPolicy(QComboBox::NoInsert);
        // What is typed is what is read: no completion to a list item.
        if (c.editable) box->setCompleter(nullptr);
        for (const std::string &item : c.items)
            box->addItem(qs(item));
        if (c.editable)
            box->setEditText(qs(c.text));
        else
            box->setCurrentIndex(box->findText(qs(c.text)));
        if (c.digitsOnly && c.editable) DigitFilter::install(box, [this] { context_.messages.beep(); });
        if (c.editable) keepRoomForDigits(*box);
        connect(box, &QComboBox::currentTextChanged, this, &SymbolDialog::updatePreview);
        return box;
    }
    case Control::Kind::Option:
    case Control::Kind::Check: {
        QAbstractButton *b = c.kind == Control::Kind::Option
                                 ? static_cast<QAbstractButton *>(new QRadioButton(qs(c.caption), this))
                                 : new QCheckBox(qs(c.caption), this);
        b->setChecked(c.checked);
        connect(b, &QAbstractButton::toggled, this, &SymbolDialog::updatePreview);
        if (c.kind == Control::Kind::Option) {
            QButtonGroup *&g = layout.exclusive[c.group];
            if (!g) g = new QButtonGroup(this);
            g->addButton(b);
        }
        return b;
    }
    case Control::Kind::Text:
    case Control::Kind::Label:
        break;
    }
    auto *edit = new QLineEdit(qs(c.text), this);
    keepRoomForDigits(*edit);
    connect(edit, &QLineEdit::textChanged, this, &SymbolDialog::updatePreview);
    return edit;
}

void SymbolDialog::addLabel(const Control &c, InputLayout &layout)
{
    auto *label = new QLabel(qs(c.caption), this);
    label->setObjectName(qs(c.name));
    label->setEnabled(c.enabled);
    labels_[c.name] = label;
    if (c.anchor)
        preview_->addAnchored(label, *c.anchor);
    else
        layout.grid->addWidget(label, layout.row++, 0, 1, -1);
}

void SymbolDialog::placeInput(const Control &c, QWidget *w, InputLayout &layout)
{
    const bool boxed = c.kind == Control::Kind::Combo || c.kind == Control::Kind::Text;
    if (c.anchor) {
        // Placed on the sketch, where the drawing puts it (a jamb, a corner).
        w->setParent(layout.previewHost);
        preview_->addAnchored(w, *c.anchor);
    } else if (c.side != Side::None) {
        QBoxLayout *panel = sidePanel(c.side);
        if (boxed) panel->addWidget(makeLabel(c, w));
        panel->addWidget(w);
    } else if (c.kind == Control::Kind::Option || c.kind == Control::Kind::Check) {
        if (c.group.empty()) {
            layout.grid->addWidget(w, layout.row++, 0, 1, 2);
        } else {
            QVBoxLayout *&frame = layout.frames[c.group];
            if (!frame) {
                auto *box = new QGroupBox(qs(c.group), this);
                frame = new QVBoxLayout(box);
                layout.grid->addWidget(box, layout.row++, 0, 1, 2);
            }
            frame->addWidget(w);
        }
    } else {
        QLabel *label = makeLabel(c, w);
        if (c.beside && layout.row > 0) {
            layout.grid->addWidget(label, layout.row - 1, 2);
            layout.grid->addWidget(w, layout.row - 1, 3);
        } else {
            layout.grid->addWidget(label, layout.row, 0);
            layout.grid->addWidget(w, layout.row++, 1);
        }
    }
}

// The label of a combo or text box, whose access key moves the focus to it.
QLabel *SymbolDialog::makeLabel(const Control &c, QWidget *input)
{
    auto *label = new QLabel(qs(c.caption), this);
    label->setBuddy(input);
    label->setEnabled(c.enabled);
    if (!c.labelName.empty()) {
        label->setObjectName(qs(c.labelName));
        labels_[c.labelName] = label;
    }
    return label;
}

// The framed group on one side of the preview: a row above and below it, a column to its left
// and right.
QBoxLayout *SymbolDialog::sidePanel(Side side)
{
    QBoxLayout *&panel = sidePanels_[side];
    if (panel) return panel;
    const bool row = side == Side::Above || side == Side::Below;
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    panel = new QBoxLayout(row ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, frame);
    const int gridRow = side == Side::Above ? 0 : side == Side::Below ? 2 : 1;
    const int gridColumn = side == Side::Left ? 0 : side == Side::Right ? 2 : 1;
    around_->addWidget(frame, gridRow, gridColumn, row ? Qt::AlignHCenter : Qt::AlignVCenter);
    return panel;
}

void SymbolDialog::buildButtons(QHBoxLayout *row)
{
    for (const Button &b : form_.buttons) {
        auto *push = new QPushButton(qs(b.caption), this);
        push->setObjectName(qs(b.name));
        push->setEnabled(b.enabled);
        push->setAutoDefault(false);
        push->setDefault(b.isDefault);
        buttons_[b.name] = push;
        if (b.side != Side::None)
            sidePanel(b.side)->addWidget(push);
        else
            row->addWidget(push);
        const std::string name = b.name;
        connect(push, &QPushButton::clicked, this, [this, name] { pressButton(name); });
        if (b.isCancel || b.isDefault) {
            std::vector<QKeySequence> keys;
            if (b.isCancel) keys.push_back(QKeySequence(Qt::Key_Escape));
            if (b.isDefault) keys = {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)};
            for (const QKeySequence &k : keys)
                connect(new QShortcut(k, this), &QShortcut::activated, push, [push] {
                    if (push->isEnabled()) push->click();
                });
        }
    }
}

void SymbolDialog::applyTabOrder()
{
    std::vector<QWidget *> order;
    if (form_.tabOrder.empty()) {
        for (const Control &c : form_.controls)
            if (QWidget *w = input(c.name)) order.push_back(w);
        for (const Button &b : form_.buttons)
            order.push_back(buttons_.at(b.name));
    } else {
        for (const std::string &name : form_.tabOrder)
            if (QWidget *w = input(name) ? input(name) : commandButton(name)) order.push_back(w);
    }
    for (size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void SymbolDialog::connectRules()
{
    for (const CheckToggle &t : form_.toggles) {
        auto *check = qobject_cast<QAbstractButton *>(input(t.check));
        if (!check) continue;
        connect(check, &QAbstractButton::toggled, this, [this, t](bool on) {
            for (const std::string &target : t.targets)
                setEnabledByName(target, on == t.enabledWhenChecked);
        });
    }
    for (const Activation &a : form_.activations) {
        const auto activate = [this, a] {
            for (const std::string &name : a.disable)
                setEnabledByName(name, false);
            for (const std::string &name : a.enable)
                setEnabledByName(name, true);
            updatePreview();
        };
        for (const std::string &trigger : a.triggers) {
            QWidget *w = input(trigger);
            if (!w) continue;
            if (auto *b = qobject_cast<QAbstractButton *>(w))
                connect(b, &QAbstractButton::clicked, this, activate);
            else
                w->installEventFilter(new EventHook(activate, w));
        }
    }
}

void SymbolDialog::setEnabledByName(const std::string &name, bool on)
{
    if (QWidget *w = input(name))
        w->setEnabled(on);
    else if (auto it = labels_.find(name); it != labels_.end())
        it->second->setEnabled(on);
    else if (QPushButton *b = commandButton(name))
        b->setEnabled(on);
}

void SymbolDialog::centre()
{
    fitToScreen(*this, *content_);
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void SymbolDialog::openLink()
{
    link_ = std::make_unique<CadLink>(context_.transports());
    if (const LinkError e = link_->open(cadService, cadTopic); e != LinkError::None)
        context_.messages.show(this, Message{describe(e)});
}

FormState SymbolDialog::state() const
{
    FormState s;
    for (const auto &[name, w] : inputs_) {
        if (auto *combo = qobject_cast<QComboBox *>(w))
            s.setText(name, combo->currentText().toStdString());
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            s.setText(name, edit->text().toStdString());
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            s.setChecked(name, button->isChecked());
    }
    return s;
}

void SymbolDialog::pressButton(const std::string &name)
{
    const auto b = std::find_if(form_.buttons.begin(), form_.buttons.end(),
                                [&](const Button &x) { return x.name == name; });
    if (b == form_.buttons.end()) return;
    perform(press(form_, state(), name), b->role);
    const bool watched = b->role == Button::Role::BasePoint || b->role == Button::Role::Draw;
    if (watched && isMinimized()) watchForPick(name);
}

// After a base point, the draw button that goes with it: the next draw button in the form's order
// (tourisin has one pair per bubble), else the first.
void SymbolDialog::watchForPick(const std::string &pressed)
{
    const auto base = std::find_if(form_.buttons.begin(), form_.buttons.end(),
                                   [&](const Button &x) { return x.name == pressed; });
    const auto draw =
        std::find_if(base, form_.buttons.end(), [](const Button &x) { return x.role == Button::Role::Draw; });
    const Button *fallback = previewButton(form_, buttons_);
    drawAfterPick_ = draw != form_.buttons.end() ? draw->name : fallback ? fallback->name : std::string();
    if (base != form_.buttons.end() && base->role == Button::Role::Draw) drawAfterPick_.clear();
    if (!pickWatch_) {
        pickWatch_ = new QTimer(this);
        pickWatch_->setInterval(200);
        connect(pickWatch_, &QTimer::timeout, this, &SymbolDialog::checkPick);
    }
    pickWatch_->start();
}

// A host that cannot tell (DDE, the record file) leaves the dialog minimised, as the original did.
// One that went away during the pick (closed, its conversation switched off) brings the dialog
// back with the failure: the point was never picked. A dialog the user brought back or left
// needs no watching.
void SymbolDialog::checkPick()
{
    if (!isMinimized() || isHidden()) {
        pickWatch_->stop();
        return;
    }
    const std::optional<bool> idle = link_->hostIdle();
    if (idle && !*idle) return;
    pickWatch_->stop();
    if (!idle && !link_->isOpen()) {
        showNormal();
        context_.messages.show(this, Message{describe(LinkError::HostGone)});
        return;
    }
    if (!idle) return;
    // Beside the host's window, off the drawing, unless the user has put it somewhere.
    placement_->beforeReturn();
    QPushButton *draw = commandButton(drawAfterPick_);
    // Back from a base point (not from a draw), the angle lies along the wall picked in.
    if (draw) setAngleAlongWall(link_->pickedWall());
    // After a draw the host keeps the keyboard: the user may go on there or press the base point.
    setWindowState((windowState() & ~Qt::WindowMinimized) | (draw ? Qt::WindowActive : Qt::WindowNoState));
    show();
    raise();
    if (!draw) return;
    activateWindow();
    draw->setFocus();
}

// The angle box takes the angle that lays the fitting along the wall its base point was set
// into; the user may still change it before drawing.
void SymbolDialog::setAngleAlongWall(std::optional<double> wallDirection)
{
    if (!wallDirection) return;
    const std::optional<int> angle = cad::quarterAngle(*wallDirection);
    auto *box = qobject_cast<QComboBox *>(input("Combo2"));
    if (angle && box) box->setEditText(QString::number(*angle));
}

bool SymbolDialog::send(const std::string &script)
{
    const LinkError e = link_->execute(script);
    if (e == LinkError::None) return true;
    showNormal();
    context_.messages.show(this, Message{describe(e)});
    return false;
}

// The scripts of one draw go between a symbol's begin and end frames when the host reads them,
// so that it keeps them as one object; a draw cut short is cancelled there.
void SymbolDialog::perform(const ButtonPress &p, Button::Role role)
{
    if (p.minimiseBeforeSending) showMinimized();
    const bool symbol = role == Button::Role::Draw && p.outcome.sends() && link_->hostReadsSymbols();
    // A fitting's base point is set into a wall by a host that can.
    if (role == Button::Role::BasePoint && p.outcome.sends() && cad::isFittingForm(form_.name) &&
        link_->hostReadsWalls() && !send(wallPickFrame))
        return;
    bool begun = false;
    for (const Event &e : p.outcome.events) {
        if (e.kind == Event::Kind::Message) {
            context_.messages.show(this, e.message);
            continue;
        }
        if (symbol && !begun) {
            SymbolFrame begin = beginFrame(form_, state(), basePicked_);
            begin.replaces = replaces_;
            if (!send(encodeSymbolFrame(begin))) return;
            begun = true;
        }
        if (!send(e.script)) {
            if (begun && link_->isOpen())
                link_->execute(encodeSymbolFrame({SymbolFrame::Kind::Cancel, {}, {}, {}, {}, {}}));
            return;
        }
    }
    if (begun && !send(encodeSymbolFrame({SymbolFrame::Kind::End, {}, {}, {}, {}, {}}))) return;
    if (begun) replaces_.clear();
    if (p.outcome.sends()) basePicked_ = role == Button::Role::BasePoint;
    if (!p.focus.empty())
        if (QWidget *w = input(p.focus)) w->setFocus();
    if (p.minimiseAfterSending) showMinimized();
    switch (p.navigate) {
    case ButtonPress::Navigate::Back:
        context_.navigator.showMainWindow();
        hide();
        break;
    case ButtonPress::Navigate::Exit:
        context_.navigator.showExitDialog();
        hide();
        break;
    case ButtonPress::Navigate::None:
        break;
    }
}

void SymbolDialog::updatePreview()
{
    if (!preview_) return;
    const Button *b = previewButton(form_, buttons_);
    if (!b) {
        preview_->clear();
        return;
    }
    const ButtonPress p = press(form_, state(), b->name);
    if (!p.outcome.finite || !p.outcome.sends())
        preview_->clear();
    else
        preview_->show(p.outcome.scripts());
}

bool SymbolDialog::closeBox()
{
    const bool plain = form_.closeStyle == FormDefinition::CloseStyle::Plain;
    context_.messages.show(this, Message{endMessage, plain ? Icon::None : Icon::Exclamation,
                                         plain ? MessageService::applicationTitle : "Quendra_LT"});
    return context_.navigator.endProgram();
}

void SymbolDialog::closeEvent(QCloseEvent *event)
{
    // Only the user's close box ends the program; a close the program asks for itself does not.
    event->setAccepted(!event->spontaneous() || closeBox());
}

void SymbolDialog::drawAgain(const std::vector<std::pair<std::string, std::string>> &inputs,
                             std::string replaces)
{
    for (const auto &[name, value] : inputs) {
        QWidget *w = input(name);
        const QString text = qs(value);
        if (auto *combo = qobject_cast<QComboBox *>(w)) {
            if (combo->isEditable())
                combo->setEditText(text);
            else if (const int at = combo->findText(text); at >= 0)
                combo->setCurrentIndex(at);
        } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            edit->setText(text);
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            button->setChecked(value == "1");
        }
    }
    replaces_ = std::move(replaces);
    basePicked_ = false;
    if (const Button *draw = previewButton(form_, buttons_))
        if (QPushButton *b = commandButton(draw->name)) b->setFocus();
}

QWidget *SymbolDialog::input(const std::string &name) const
{
    const auto it = inputs_.find(name);
    return it == inputs_.end() ? nullptr : it->second;
}

QPushButton *SymbolDialog::commandButton(const std::string &name) const
{
    const auto it = buttons_.find(name);
    return it == buttons_.end() ? nullptr : it->second;
}

} // namespace quendra
