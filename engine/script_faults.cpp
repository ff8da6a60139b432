#include "engine/script_faults.h"

#include "engine/branch_block.h"
#include "engine/rounding.h"
#include "engine/script_error.h"
#include "engine/script_text.h"

#include <QRegularExpression>

#include <cmath>

namespace pw::engine::script {

namespace {

// Branch lines the runner can follow besides the if line and its endif.
constexpr int max_branches = 49;

using Lines = QList<ScriptLine>;

// The runner's view: no empty lines at the end (comment lines are empty already).
void drop_trailing_empty(Lines& lines)
{
    while (!lines.isEmpty() && lines.last().text.isEmpty()) lines.removeLast();
}

// The label number of a label line when it is out of range. Read as the runner reads
// it: from the sixth character on.
std::optional<double> bad_label(const ScriptLine& line)
{
    if (!line.label_line) return std::nullopt;
    const double n = round_half_even(leading_number(line.text.mid(5)));
    if (std::isfinite(n) && n >= 0 && n <= 10) return std::nullopt;
    return n;
}

QString number_text(double n)
{
    return std::isfinite(n) ? QString::number(n, 'f', 0) : QStringLiteral("a very big number");
}

// The if lines (and the line the first block starts on) whose block has too many branches.
QList<int> crowded_blocks(const Lines& lines)
{
    // Checked as the child types: most scripts have too few branch lines for any block
    // to be crowded.
    int branches = 0;
    for (const ScriptLine& line : lines) {
        const Keyword kw = line.keyword;
        if (kw == Keyword::elseif || kw == Keyword::else_) ++branches;
    }
    if (branches <= max_branches) return {};
    QList<int> starts;
    if (const int first = first_branch_line(lines); first >= 0) starts << first;
    for (int k = 0; k < lines.size(); ++k)
        if (lines[k].keyword == Keyword::if_ && !starts.contains(k)) starts << k;
    QList<int> crowded;
    for (const int k : starts) {
        try {
            scan_branch_block(lines, k);
        } catch (const ScriptError&) {
            crowded << k;
        }
    }
    return crowded;
}

// The branch line that is one too many in the block starting at `first`.
int extra_branch_line(const Lines& lines, int first)
{
    int branches = 0;
    for (int k = first + 1; k < lines.size(); ++k) {
        const Keyword kw = lines[k].keyword;
        if (kw == Keyword::elseif || kw == Keyword::else_) {
            if (++branches > max_branches) return k;
        } else if (kw == Keyword::endif) {
            return k;
        }
    }
    return first;
}

QString too_many_branches_text()
{
    return QStringLiteral("An if can have at most %1 elseif and else lines before its endif.").arg(max_branches);
}

const char* const place_words = "Write two numbers here for the place, like 300,200.";

// The placeholders of the Actions window's lines, with what to write instead.
struct PlaceholderKind {
    QLatin1String token;  // lower case
    const char* what;     // %1: who speaks the line
};
const PlaceholderKind placeholder_kinds[] = {
    {QLatin1String("(words)"), "Write what %1 should say here."},
    {QLatin1String("(number)"), "Write how many times to repeat here, like 3."},
    {QLatin1String("(seconds)"), "Write how many seconds here, like 2."},
    {QLatin1String("(minutes)"), "Write how many minutes here, like 2."},
    {QLatin1String("(character)"), "Write the name of a character here, like tansy."},
    {QLatin1String("(x, y)"), place_words},
    {QLatin1String("(w, h)"), "Write two numbers here for how wide and how tall, like 200,200."},
    {QLatin1String("(size)"), "Write how hard to tickle here, like 1."},
    {QLatin1String("(true/false)"), "Write true or false here."},
    {QLatin1String("(h:m am/pm)"), "Write a time here, like 3:30 pm."},
    {QLatin1String("(letter)"), "Write a letter here, like a."},
};

QString who(const QString& character)
{
    const QString id = trim_blanks(character);
    return id.isEmpty() ? QStringLiteral("the character") : id.left(1).toUpper() + id.mid(1).toLower();
}

// The first placeholder left in a line, or nothing.
std::optional<ScriptFault> placeholder_in(const ScriptLine& line, int k)
{
    if (line.keyword == Keyword::comment) return std::nullopt;
    const int from = line.statement_column;
    const QString statement = line.text.mid(from).toLower();
    const QString& character = line.character;
    std::optional<ScriptFault> first;
    auto consider = [&](qsizetype at, int length, const char* what) {
        if (at < 0 || (first && first->start <= from + at)) return;
        QString text = QString::fromLatin1(what);
        if (text.contains(QLatin1String("%1"))) text = text.arg(who(character));
        first = ScriptFault{k, from + int(at), length, text};
    };
    for (const PlaceholderKind& kind : placeholder_kinds)
        consider(statement.indexOf(kind.token), int(kind.token.size()), kind.what);
    // "MoveTo X,Y": the letters, which only charpos understands (it tells the place).
    if (line.keyword == Keyword::moveto) {
        static const QRegularExpression letters(QStringLiteral("\\bx\\s*,\\s*y\\b"));
        const QRegularExpressionMatch m = letters.match(statement);
        if (m.hasMatch())
            consider(m.capturedStart(), int(m.capturedLength()), place_words);
    }
    return first;
}

QList<ScriptFault> placeholders(const Lines& lines)
{
    QList<ScriptFault> found;
    for (int k = 0; k < lines.size(); ++k)
        if (const auto p = placeholder_in(lines[k], k)) found << *p;
    return found;
}

}  // namespace

std::optional<ScriptFault> first_script_fault(const QStringList& written)
{
    return first_script_fault(read_lines(written));
}

std::optional<ScriptFault> first_script_fault(Lines lines)
{
    drop_trailing_empty(lines);
    if (lines.isEmpty())
        return ScriptFault{-1, 0, 0, QStringLiteral("There is nothing to play yet. Write a line first, "
                                                    "for example:\n\npellwick> speak Hello!")};
    if (lines.size() > max_lines)
        return ScriptFault{-1, 0, 0, QStringLiteral("This script has %1 lines, but a script can have at most %2 lines. "
                                                    "Please make it shorter.")
                                         .arg(lines.size())
                                         .arg(max_lines)};
    if (const QList<int> crowded = crowded_blocks(lines); !crowded.isEmpty())
        return ScriptFault{crowded.first(), 0, 0,
                           QStringLiteral("The if on line %1 has too many branches. ").arg(crowded.first() + 1)
                               + too_many_branches_text()};
    for (int k = 0; k < lines.size(); ++k)
        if (const auto n = bad_label(lines[k]))
            return ScriptFault{k, 0, 0, QStringLiteral("Line %1 says label %2, but labels go from 0 to 10.")
                                            .arg(k + 1)
                                            .arg(number_text(*n))};
    if (const QList<ScriptFault> left = placeholders(lines); !left.isEmpty()) {
        ScriptFault fault = left.first();
        fault.text = QStringLiteral("Line %1 still has %2 in it. ")
                         .arg(fault.line + 1)
                         .arg(lines[fault.line].text.mid(fault.start, fault.length))
                     + fault.text;
        return fault;
    }
    return std::nullopt;
}

QList<ScriptFault> script_fault_lines(const QStringList& written)
{
    return script_fault_lines(read_lines(written));
}

QList<ScriptFault> script_fault_lines(Lines lines)
{
    drop_trailing_empty(lines);
    QList<ScriptFault> faults;
    for (const int k : crowded_blocks(lines))
        faults << ScriptFault{extra_branch_line(lines, k), 0, 0, too_many_branches_text()};
    for (int k = 0; k < lines.size(); ++k) {
        if (const auto n = bad_label(lines[k]))
            faults << ScriptFault{k, 0, 0, QStringLiteral("Labels go from 0 to 10, not %1.").arg(number_text(*n))};
        if (k >= max_lines && !lines[k].text.isEmpty())
            faults << ScriptFault{k, 0, 0, QStringLiteral("A script can have at most %1 lines, and this is line %2.")
                                               .arg(max_lines)
                                               .arg(k + 1)};
    }
    faults << placeholders(lines);
    return faults;
}

}  // namespace pw::engine::script
