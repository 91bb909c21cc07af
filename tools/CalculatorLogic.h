#pragma once

#include "rules/Outcome.h"

#include <QString>

#include <optional>
#include <variant>

namespace quendra {

// The captions of the calculator's keys besides the digits; the keys are known by these.
namespace calculatorKey {
inline constexpr const char *point = ".";
inline constexpr const char *plus = "+";
inline constexpr const char *minus = "-";
inline constexpr const char *times = "X";
inline constexpr const char *divide = "/";
inline constexpr const char *equals = "=";
inline constexpr const char *percent = "%";
inline constexpr const char *clear = "C";
inline constexpr const char *clearEntry = "CE";
} // namespace calculatorKey

// The pocket calculator dentaku without its window. Keys go in by their captions; the readout
// text and the state come out. A key that has something to tell the user returns the message,
// and the window shows it.
class CalculatorLogic
{
public:
    // What the last key was: "NONE", "NUMS", "OPS", "NEG", "CE".
    enum class Entry { None, Nums, Ops, Neg, Ce };
    // An operand is either the readout text it was taken from or a computed number; a text keeps
    // its look ("5." with its point) when it is shown again unchanged.
    using Operand = std::variant<QString, double>;

    struct State
    {
        Entry EntryState = Entry::None;
        // The decimal point of the number being typed has been typed.
        bool FractionMode = false;
        // Operands collected for the pending operation (0, 1 or 2; "%" may count past that).
        qint16 OperandCount = 0;
        // "+", "-", "X", "/", "=", "%", or one blank for none.
        QString PendingOperator = QStringLiteral(" ");
        // Unset before the first "C" in the original; unset reads as 0, so 0 stands for it.
        Operand LeftOperand = 0.0;
        Operand RightOperand = 0.0;
        // The readout as it was when the last operator key was pressed.
        QString ReadoutSnapshot;
    };

    static constexpr const char *title = "電卓";
    static constexpr const char *divideByZeroMessage = "ｾﾞﾛでは除算できません。";
    static constexpr const char *overflowMessage = "数値が大きすぎて計算できません。";

    CalculatorLogic() { load(); }

    // One key by its caption: "0" to "9", ".", "+", "-", "X", "/", "=", "%", "C" or "CE".
    // Any other caption does nothing.
    std::optional<Message> press(const QString &caption);

    const QString &readout() const { return readout_; }
    const State &state() const { return state_; }

private:
    void load();
    void digit(const QString &d);
    void decimal();
    std::optional<Message> operate(const QString &o);
    std::optional<Message> percent();
    void clear();
    void clearEntry();

    std::optional<Message> completeOperation();
    void countOperand();

    State state_;
    QString readout_;
};

} // namespace quendra
