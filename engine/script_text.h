#pragma once
// Reading script text: lines, comments, the character prefix, keyword and arguments,
// conditions, numbers and number text. Pure functions; the runner and the composer
// use them, the tests and the fuzzer hammer them.

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace pw::engine::script {

// Lines a script may have (positions 0 to 200), comment and empty lines included.
inline constexpr int max_lines = 201;

// ---- Lines ----

// Appends CR LF, cuts the text at every CR LF (nothing else ends a line) and empties
// comment lines (first character ";") so that positions do not shift.
QStringList split_lines(const QString& text);
// Drops empty lines from the end (comment lines are empty by now).
void drop_trailing_empty_lines(QStringList& lines);

// ---- One line ----

struct LinePieces {
    bool has_prefix = false;
    QString prefix;     // the character id before the first ">", as written
    QString statement;  // the rest: two characters after the ">", or the whole line
};
// Exactly one character after ">" is skipped: "pellwick>speak" gives "peak".
LinePieces split_prefix(const QString& line);

// Leading blanks removed; one blank appended when none is left.
QString statement_text(const QString& raw_statement);

struct Statement {
    QString keyword;            // lower case, before the first blank
    QString arguments;          // lower case, after the first blank, blanks trimmed
    QString written_arguments;  // the same as written, in its own case
};
Statement cut_statement(const QString& raw_statement);

// ---- Keywords ----

enum class Keyword {
    sequential, report, if_, endif, elseif, else_, waitfor, timeout, do_, loop,
    tickle, sound, shell, speak, show, load, unload, stopmoving, hide, moveto,
    pause, charpos, charsize, interval, goto_, comment, listen, empty,
    label,      // a jump target; reached in the flow it does nothing
    animation,  // not a keyword: the statement names an animation
};

struct KeywordWord {
    const char* word;
    Keyword keyword;
};
// The keywords in the order they are looked up; the first exact match decides.
const std::array<KeywordWord, 29>& keyword_table();
Keyword find_keyword(const QString& lower_case_word);

// ---- Conditions ----

struct Condition {
    QString name;   // exactly the text before the first "="
    QString value;  // after it, blanks trimmed
    bool quiet = false;
};
// Removes the word "then" in any case (whole words only, "athens" stays).
QString remove_then(const QString& text);
// if / elseif: "then" removed first. Empty when there is no "=".
std::optional<Condition> if_condition(const QString& arguments);
// waitfor: "quiet" anywhere in the value is removed and noted. Empty without "=".
std::optional<Condition> wait_condition(const QString& arguments);

// ---- Numbers ----

// The number at the start of the text: blanks, tabs and line feeds are ignored
// anywhere; an optional sign, digits and one point are read; the first other character
// ends it. "1 5" gives 15; no number gives 0. Digits beyond range give infinity.
double leading_number(const QString& text);
// Number text with a leading blank when not negative and decimals only when needed:
// " 150", " 112.5", " .5", "-3".
QString str_number(double value);
// A whole 16-bit number from text such as " 12 " or "-7.5" (fractions rounded half to
// even); anything else, or a value out of range, gives nothing.
std::optional<int16_t> strict_int16(const QString& text);

// ---- Blanks (only the blank character, as the script language means it) ----
QString trim_blanks(const QString& text);
QString left_trim_blanks(const QString& text);
QString right_trim_blanks(const QString& text);

}  // namespace pw::engine::script
