#include "app/script_check.h"

#include "engine/rounding.h"
#include "engine/script_faults.h"
#include "engine/script_lines.h"
#include "engine/script_text.h"

#include <QSet>

#include <cmath>

namespace pw::app {
namespace script = pw::engine::script;
using script::Keyword;

namespace {

QString shown_name(const QString& id)
{
    if (id.isEmpty()) return id;
    return id.left(1).toUpper() + id.mid(1);
}

QString did_you_mean(const QString& suggestion)
{
    return suggestion.isEmpty() ? QString() : QStringLiteral(" Did you mean %1?").arg(suggestion);
}

// The hint for a word in the keyword place that is neither a statement nor one of the
// character's animations.
QString unknown_word_hint(const QString& word, const QString& character, const ScriptVocabulary& vocabulary)
{
    const ScriptVocabulary::Character* c = vocabulary.find(character);
    QStringList candidates = statement_words();
    if (c) candidates += c->animations;
    const QString suggestion = nearest_word(word, candidates);
    if (c)
        return QStringLiteral("%1 doesn't know '%2'.").arg(shown_name(c->id), word) + did_you_mean(suggestion);
    if (!suggestion.isEmpty()) return QStringLiteral("Nobody knows '%1'.").arg(word) + did_you_mean(suggestion);
    const QString example = vocabulary.characters.isEmpty() ? QStringLiteral("pellwick")
                                                            : vocabulary.characters.first().id.toLower();
    return QStringLiteral("Who should do '%1'? Start the line with a name, like %2> %1")
        .arg(word, example);
}

bool is_ascii_letter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool is_digit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Numbers ("300", "-20", ".5"), speed words in moveto, wait words in conditions.
void check_arguments(const QString& line, int from, Keyword keyword, CheckedLine& out)
{
    const bool moving = keyword == Keyword::moveto;
    const bool condition = keyword == Keyword::waitfor || keyword == Keyword::if_ || keyword == Keyword::elseif;
    const int n = int(line.size());
    auto digit_at = [&](int k) { return k < n && is_digit(line[k]); };
    for (int i = from; i < n;) {
        const QChar c = line[i];
        if (is_ascii_letter(c)) {
            int j = i;
            while (j < n && is_ascii_letter(line[j])) ++j;
            if (moving || condition) {
                const QString word = line.mid(i, j - i).toLower();
                if (moving && speed_words().contains(word)) out.spans << WordSpan{i, j - i, WordKind::speed};
                else if (condition && wait_words().contains(word)) out.spans << WordSpan{i, j - i, WordKind::wait};
            }
            i = j;
            continue;
        }
        int j = i;
        if (c == QLatin1Char('-') || c == QLatin1Char('+')) ++j;
        const int digits_from = j;
        while (digit_at(j)) ++j;
        if (j < n && line[j] == QLatin1Char('.') && digit_at(j + 1)) {
            ++j;
            while (digit_at(j)) ++j;
        }
        if (j > digits_from) {
            out.spans << WordSpan{i, j - i, WordKind::number};
            i = j;
        } else {
            ++i;
        }
    }
}

int rounded(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 1e6) return -1;
    return int(pw::engine::round_half_even(value));
}

// The label numbers the runner will register, read as it reads them: from the sixth
// character of the line on.
QSet<int> registered_labels(const QList<script::ScriptLine>& lines)
{
    QSet<int> labels;
    for (const script::ScriptLine& line : lines)
        if (line.label_line) labels.insert(rounded(script::leading_number(line.text.mid(5))));
    return labels;
}

// The statement of a line, from its keyword to its end: where structural hints go.
Hint statement_hint(const CheckedLine& line, int line_length, const QString& text)
{
    for (const WordSpan& s : line.spans)
        if (s.kind == WordKind::keyword) return Hint{s.start, line_length - s.start, text};
    return Hint{0, line_length, text};
}

}  // namespace

CheckedLine check_line(const QString& line, const QString& character_before, const ScriptVocabulary& vocabulary)
{
    CheckedLine out;
    out.character = character_before;
    const int size = int(line.size());
    if (line.startsWith(QLatin1Char(';'))) {
        out.keyword = Keyword::comment;
        out.spans << WordSpan{0, size, WordKind::comment};
        return out;
    }
    const script::ScriptLine read = script::read_line(line, character_before);
    out.character = read.character;
    if (read.has_prefix) {
        const int gt = int(read.prefix.size());
        // Before the characters are loaded nothing is known to be missing.
        const bool known = vocabulary.characters.isEmpty() || vocabulary.find(out.character);
        out.spans << WordSpan{0, gt + 1, known ? WordKind::prefix : WordKind::unknown_prefix};
        if (!known) {
            QStringList ids;
            for (const auto& c : vocabulary.characters) ids << c.id.toLower();
            out.hints << Hint{0, qMax(gt, 1),
                              QStringLiteral("There is no character called '%1'.").arg(out.character)
                                  + did_you_mean(nearest_word(out.character.trimmed(), ids))};
        }
    }
    int pos = read.statement_column;
    while (pos < size && line[pos] == QLatin1Char(' ')) ++pos;
    if (pos >= size) return out;
    const QString& word = read.keyword_word;
    int end = int(line.indexOf(QLatin1Char(' '), pos));
    if (end < 0) end = size;
    const Keyword keyword = read.keyword;
    out.keyword = keyword;
    if (keyword == Keyword::comment) {
        out.spans << WordSpan{pos, size - pos, WordKind::comment};
        return out;
    }
    if (keyword != Keyword::animation) {
        out.spans << WordSpan{pos, end - pos, WordKind::keyword};
        check_arguments(line, end, keyword, out);
        return out;
    }
    const ScriptVocabulary::Character* c = vocabulary.find(out.character);
    if (c && c->animations_known && c->animations.contains(word)) {
        out.spans << WordSpan{pos, end - pos, WordKind::animation};
    } else if ((c && c->animations_known) || (out.character.isEmpty() && !vocabulary.characters.isEmpty())) {
        out.spans << WordSpan{pos, end - pos, WordKind::unknown};
        out.hints << Hint{pos, end - pos, unknown_word_hint(word, out.character, vocabulary)};
    }
    check_arguments(line, end, keyword, out);
    return out;
}

QList<CheckedLine> check_script(const QStringList& lines, const ScriptVocabulary& vocabulary, CheckedLines* cache)
{
    QList<CheckedLine> out;
    out.reserve(lines.size());
    QString character;
    // Bounded: a long session of typing leaves many lines behind.
    if (cache && cache->size() > 4 * script::max_lines + lines.size()) cache->clear();
    for (const QString& line : lines) {
        if (cache) {
            const QString key = character + QChar(0x1f) + line;
            auto found = cache->constFind(key);
            if (found == cache->constEnd()) found = cache->insert(key, check_line(line, character, vocabulary));
            out << *found;
        } else {
            out << check_line(line, character, vocabulary);
        }
        character = out.last().character;
    }

    const QList<script::ScriptLine> read = script::read_lines(lines);
    const QSet<int> labels = registered_labels(read);
    bool do_seen = false;
    QList<int> open_ifs;  // each endif closes the latest if
    for (int i = 0; i < lines.size(); ++i) {
        const int length = int(lines[i].size());
        switch (out[i].keyword) {
        case Keyword::do_:
            do_seen = true;
            break;
        case Keyword::if_:
            open_ifs << i;
            break;
        case Keyword::endif:
            if (!open_ifs.isEmpty()) open_ifs.removeLast();
            break;
        case Keyword::loop:
            if (!do_seen)
                out[i].hints << statement_hint(out[i], length,
                                               QStringLiteral("This loop has no do above it, so nothing repeats."));
            break;
        case Keyword::goto_: {
            const int n = rounded(script::leading_number(read[i].arguments.mid(5)));
            if (!labels.contains(n))
                out[i].hints << statement_hint(out[i], length,
                                               QStringLiteral("There is no label %1 to go to.").arg(n));
            break;
        }
        default:
            break;
        }
    }
    for (const int i : open_ifs)
        out[i].hints << statement_hint(out[i], int(lines[i].size()), QStringLiteral("This if needs an endif below it."));
    // What would keep the whole script from playing.
    for (const script::ScriptFault& fault : script::script_fault_lines(read)) {
        CheckedLine& line = out[fault.line];
        line.hints << (fault.length > 0 ? Hint{fault.start, fault.length, fault.text}
                                        : statement_hint(line, int(lines[fault.line].size()), fault.text));
    }
    return out;
}

}  // namespace pw::app
