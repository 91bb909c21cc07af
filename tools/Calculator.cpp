#include "tools/Calculator.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace quendra {

namespace {

// One key of the pad: its caption, its control name (with the index of a control array, or -1)
// and its cell.
struct KeyPlace
{
    const char *caption;
    const char *name;
    int index;
    int row;
    int column;
    int columnSpan = 1;
};

using namespace calculatorKey;

// Row 0 is the readout.
constexpr KeyPlace keyPlaces[] = {
    {"7", "Number", 7, 1, 0},
    {"8", "Number", 8, 1, 1},
    {"9", "Number", 9, 1, 2},
    {clear, "Cancel", -1, 1, 3},
    {clearEntry, "CancelEntry", -1, 1, 4},
    {"4", "Number", 4, 2, 0},
    {"5", "Number", 5, 2, 1},
    {"6", "Number", 6, 2, 2},
    {plus, "Operator", 1, 2, 3},
    {minus, "Operator", 3, 2, 4},
    {"1", "Number", 1, 3, 0},
    {"2", "Number", 2, 3, 1},
    {"3", "Number", 3, 3, 2},
    {times, "Operator", 2, 3, 3},
    {divide, "Operator", 0, 3, 4},
    {"0", "Number", 0, 4, 0, 2},
    {point, "Decimal", -1, 4, 2},
    {equals, "Operator", 4, 4, 3},
    {calculatorKey::percent, "Percent", -1, 4, 4},
};

constexpr int keyWidth = 44;
constexpr int keyHeight = 32;
constexpr int columns = 5;

QFont dialogFont(int pointSize)
{
    QFont font;
    // IPAPGothic stands in where the requested face is missing.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")});
    font.setPointSize(pointSize);
    return font;
}

} // namespace

Calculator::Calculator(Hooks hooks, QWidget *parent) : QDialog(parent), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("dentaku"));
    setWindowTitle(QString::fromUtf8(caption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(dialogFont(9));
    buildKeypad();
    buildMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QString Calculator::readoutText() const
{
    return readout_->text();
}

void Calculator::buildMenu()
{
    auto *bar = new QMenuBar(this);
    auto *menu = bar->addMenu(QStringLiteral("メニュー(&M)"));
    menu->setObjectName(QStringLiteral("mnumnu"));
    auto *back = menu->addAction(QStringLiteral("戻る(&R)"));
    back->setObjectName(QStringLiteral("mnureturn"));
    auto *end = menu->addAction(QStringLiteral("Quendra_LTの終了(&Q)"));
    end->setObjectName(QStringLiteral("mnuend"));
    connect(back, &QAction::triggered, this, [this] { leaveFor(hooks_.onBack); });
    connect(end, &QAction::triggered, this, [this] { leaveFor(hooks_.onQuit); });
    layout()->setMenuBar(bar);
}

void Calculator::buildKeypad()
{
    auto *grid = new QGridLayout(this);
    grid->setSpacing(4);

    readout_ = new QLabel(logic_.readout(), this);
    readout_->setObjectName(QStringLiteral("Readout"));
    readout_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readout_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    readout_->setAutoFillBackground(true);
    readout_->setBackgroundRole(QPalette::Base);
    readout_->setFont(dialogFont(12));
    readout_->setMinimumHeight(keyHeight);
    grid->addWidget(readout_, 0, 0, 1, columns);

    for (const KeyPlace &place : keyPlaces) {
        QPushButton *key =
            makeKey(QString::fromUtf8(place.caption), QString::fromUtf8(place.name), place.index);
        key->setFixedWidth(keyWidth * place.columnSpan + grid->horizontalSpacing() * (place.columnSpan - 1));
        grid->addWidget(key, place.row, place.column, 1, place.columnSpan);
    }
}

// Every key is made here; a key tells the calculator nothing but its caption.
QPushButton *Calculator::makeKey(const QString &caption, const QString &name, int index)
{
    auto *key = new QPushButton(caption, this);
    key->setObjectName(name);
    if (index >= 0) key->setProperty("index", index);
    key->setFixedHeight(keyHeight);
    // The keys take no focus, so that the keyboard (Enter above all) always reaches the keypad.
    key->setFocusPolicy(Qt::NoFocus);
    key->setAutoDefault(false);
    connect(key, &QPushButton::clicked, this, [this, key] { press(key->text()); });
    return key;
}

void Calculator::press(const QString &caption)
{
    const std::optional<Message> message = logic_.press(caption);
    readout_->setText(logic_.readout());
    if (message && hooks_.showMessage)
        hooks_.showMessage(QString::fromStdString(message->text), QString::fromStdString(message->title));
    // "C" runs the whole start-up again, centring included.
    if (caption == QLatin1String(calculatorKey::clear)) centre();
}

void Calculator::leaveFor(const std::function<void()> &next)
{
    if (next) next();
    hide();
}

void Calculator::centre()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
}

void Calculator::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (loaded_) return;
    loaded_ = true;
    centre();
}

// The close box ends the whole program; the application decides how.
void Calculator::closeEvent(QCloseEvent *event)
{
    if (hooks_.showMessage) hooks_.showMessage(QString::fromUtf8(endMessage), QString::fromUtf8(endTitle));
    event->setAccepted(!hooks_.onCloseBox || hooks_.onCloseBox());
}

// The keyboard presses the keypad's keys: digits, the point, + - * /, Enter for "=", Delete for
// "C". Escape is ignored: it would otherwise hide the calculator while the main window is hidden
// too, leaving the user with no window at all.
void Calculator::keyPressEvent(QKeyEvent *event)
{
    const QString caption = keyCaption(*event);
    if (!caption.isEmpty())
        press(caption);
    else if (event->key() != Qt::Key_Escape)
        return QDialog::keyPressEvent(event);
    event->accept();
}

QString Calculator::keyCaption(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QString::fromUtf8(calculatorKey::equals);
    case Qt::Key_Delete:
        return QString::fromUtf8(calculatorKey::clear);
    default:
        break;
    }
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return {};
    const QString typed = event.text();
    if (typed.size() != 1) return {};
    const QChar c = typed.at(0);
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return typed;
    static const std::pair<char, const char *> operators[] = {
        {'+', calculatorKey::plus},   {'-', calculatorKey::minus}, {'*', calculatorKey::times},
        {'/', calculatorKey::divide}, {'.', calculatorKey::point}, {'=', calculatorKey::equals}};
    for (const auto &[ch, key] : operators)
        if (c == QLatin1Char(ch)) return QString::fromUtf8(key);
    return {};
}

} // namespace quendra
