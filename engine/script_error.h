#pragma once
// A fault in the script itself (a character statement before any prefix, a label out of
// range, a number that is no number...). The runner reports it exactly as it reports a
// failing character call.

#include <QString>

#include <exception>
#include <string>

namespace pw::engine {

class ScriptError : public std::exception {
public:
    explicit ScriptError(QString why) : why_(std::move(why)), what_(why_.toStdString()) {}
    const QString& why() const noexcept { return why_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    QString why_;
    std::string what_;
};

// A fault of the script as a whole (nothing to play, too many lines, a label out of
// range, too many branches): no line is spelt wrong, so the run says just what it is.
class WholeScriptError : public ScriptError {
public:
    using ScriptError::ScriptError;
};

// The message a run shows when a line fails.
inline QString spelling_message(const QString& line_character, const QString& statement)
{
    return QStringLiteral("There is a spelling error here or ") + line_character
        + QStringLiteral(" has not learned this trick!  -- ") + statement;
}

// The second line of that message: the line number as the editor's margin shows it
// (counted from 1), and the reason when the statement alone does not explain it.
// Empty when there is neither.
inline QString where_it_went_wrong(int line_position, const QString& reason)
{
    if (line_position < 0) return reason.isEmpty() ? QString() : QLatin1Char('\n') + reason;
    QString text = QStringLiteral("\nLook at line %1").arg(line_position + 1);
    return text + (reason.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + reason);
}

}  // namespace pw::engine
