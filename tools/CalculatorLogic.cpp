#include "tools/CalculatorLogic.h"

#include "rules/NumberFormat.h"
#include "rules/NumberReading.h"

#include <cmath>
#include <limits>

namespace quendra {

namespace {

const QString initialReadout = QStringLiteral("0.");

bool isDigitKey(const QString &caption)
{
    return caption.size() == 1 && caption[0] >= u'0' && caption[0] <= u'9';
}

bool isOperatorKey(const QString &caption)
{
    using namespace calculatorKey;
    for (const char *o : {plus, minus, times, divide, equals})
        if (caption == QLatin1String(o)) return true;
    return false;
}

QString numberText(double x)
{
    return QString::fromStdString(format(x));
}

QString operandText(const CalculatorLogic::Operand &operand)
{
    if (const auto *text = std::get_if<QString>(&operand)) return *text;
    return numberText(std::get<double>(operand));
}

// A readout text read as a number. The only text that is no number is a lone "-" (the sign typed
// before the digits); it reads as 0, as any text without a leading number does.
double operandValue(const CalculatorLogic::Operand &operand)
{
    if (const auto *text = std::get_if<QString>(&operand)) return readLenient(text->toStdString());
    return std::get<double>(operand);
}

Message calculatorMessage(const char *text)
{
    return Message{text, Icon::Exclamation, CalculatorLogic::title};
}

} // namespace

std::optional<Message> CalculatorLogic::press(const QString &caption)
{
    using namespace calculatorKey;
    if (isDigitKey(caption))
        digit(caption);
    else if (caption == QLatin1String(point))
        decimal();
    else if (isOperatorKey(caption))
        return operate(caption);
    else if (caption == QLatin1String(calculatorKey::percent))
        return percent();
    else if (caption == QLatin1String(calculatorKey::clear))
        clear();
    else if (caption == QLatin1String(calculatorKey::clearEntry))
        clearEntry();
    return std::nullopt;
}

void CalculatorLogic::load()
{
    state_.FractionMode = false;
    state_.OperandCount = 0;
    state_.EntryState = Entry::None;
    state_.PendingOperator = QStringLiteral(" ");
    readout_ = initialReadout;
}

void CalculatorLogic::digit(const QString &d)
{
    if (state_.EntryState != Entry::Nums) {
        readout_ = QStringLiteral(".");
        state_.FractionMode = false;
    }
    if (state_.FractionMode)
        readout_ += d;
    else
        readout_ = readout_.left(readout_.indexOf(u'.')) + d + u'.';
    if (state_.EntryState == Entry::Neg) readout_.prepend(u'-');
    state_.EntryState = Entry::Nums;
}

void CalculatorLogic::decimal()
{
    if (state_.EntryState == Entry::Neg)
        readout_ = QStringLiteral("-0.");
    else if (state_.EntryState != Entry::Nums)
        readout_ = initialReadout;
    state_.FractionMode = true;
    state_.EntryState = Entry::Nums;
}

std::optional<Message> CalculatorLogic::operate(const QString &o)
{
    const bool minus = o == QLatin1String(calculatorKey::minus);
    state_.ReadoutSnapshot = readout_;
    if (state_.EntryState == Entry::Nums) countOperand();

    std::optional<Message> message;
    switch (state_.OperandCount) {
    case 0:
        // A sign in front of the first number.
        if (minus && state_.EntryState != Entry::Neg) {
            readout_.prepend(u'-');
            state_.EntryState = Entry::Neg;
        }
        break;
    case 1:
        state_.LeftOperand = state_.ReadoutSnapshot;
        // A sign in front of the second number, typed right after an operator.
        if (minus && state_.EntryState != Entry::Nums &&
            state_.PendingOperator != QLatin1String(calculatorKey::equals)) {
            readout_ = QStringLiteral("-");
            state_.EntryState = Entry::Neg;
        }
        break;
    case 2:
        message = completeOperation();
        break;
    default:
        // Three or more counted (only "%" gets there): nothing is computed until "C".
        break;
    }
    if (state_.EntryState != Entry::Neg) {
        state_.EntryState = Entry::Ops;
        state_.PendingOperator = o;
    }
    return message;
}

std::optional<Message> CalculatorLogic::completeOperation()
{
    using namespace calculatorKey;
    state_.RightOperand = state_.ReadoutSnapshot;
    const double left = operandValue(state_.LeftOperand);
    const double right = operandValue(state_.RightOperand);
    const QString &pending = state_.PendingOperator;

    std::optional<double> result;
    std::optional<Message> message;
    if (pending == QLatin1String(plus))
        result = left + right;
    else if (pending == QLatin1String(minus))
        result = left - right;
    else if (pending == QLatin1String(times) || pending == QLatin1String(calculatorKey::percent))
        result = left * right;
    else if (pending == QLatin1String(equals))
        result = right;
    else if (pending == QLatin1String(divide)) {
        if (right == 0)
            message = calculatorMessage(divideByZeroMessage);
        else
            result = left / right;
    }
    // A result too large for a double has no readout; the first operand stays, as at a division by 0.
    if (result && !std::isfinite(*result)) {
        result.reset();
        message = calculatorMessage(overflowMessage);
    }
    if (result) state_.LeftOperand = *result;
    readout_ = operandText(state_.LeftOperand);
    state_.OperandCount = 1;
    return message;
}

std::optional<Message> CalculatorLogic::percent()
{
    std::optional<Message> message;
    const double value = operandValue(readout_) / 100;
    if (std::isfinite(value))
        readout_ = numberText(value);
    else
        message = calculatorMessage(overflowMessage);
    state_.EntryState = Entry::Ops;
    state_.PendingOperator = QLatin1String(calculatorKey::percent);
    state_.FractionMode = true;
    countOperand();
    return message;
}

void CalculatorLogic::clear()
{
    state_.LeftOperand = 0.0;
    state_.RightOperand = 0.0;
    load();
}

void CalculatorLogic::clearEntry()
{
    readout_ = initialReadout;
    state_.FractionMode = false;
    state_.EntryState = Entry::Ce;
}

// The count is a 16-bit number; it stops at its largest value instead of running over.
void CalculatorLogic::countOperand()
{
    if (state_.OperandCount < std::numeric_limits<qint16>::max()) ++state_.OperandCount;
}

} // namespace quendra
