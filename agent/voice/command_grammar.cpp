#include "agent/voice/command_grammar.h"

#include "agent/voice/spoken_words.h"

#include <QSet>

namespace pw::voice {

namespace {

using Ways = QList<QStringList>;

// Deeper brackets than this are read as plain separators, so that no text can run
// the parser out of stack.
constexpr int deepest_bracket = 16;

class VoiceTextParser {
public:
    VoiceTextParser(const QString& text, int limit) : text_(text), limit_(limit) {}

    Ways parse() { return alternatives(QChar(), 0); }

private:
    static bool is_syntax(QChar c)
    {
        return c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char('(') ||
               c == QLatin1Char(')') || c == QLatin1Char('|');
    }

    bool at_end() const { return pos_ >= text_.size(); }
    QChar peek() const { return text_[pos_]; }

    Ways alternatives(QChar closer, int depth)
    {
        Ways result;
        for (;;) {
            for (QStringList& way : sequence(closer, depth)) {
                if (result.size() >= limit_) break;
                result.append(std::move(way));
            }
            if (at_end()) break;
            if (peek() == QLatin1Char('|')) {
                ++pos_;
                continue;
            }
            if (peek() == closer) ++pos_;
            break;
        }
        return result;
    }

    Ways sequence(QChar closer, int depth)
    {
        Ways current{QStringList{}};
        while (!at_end()) {
            const QChar c = peek();
            if (c == QLatin1Char('|') || (!closer.isNull() && c == closer)) break;
            if (c == QLatin1Char('[') || c == QLatin1Char('(')) {
                ++pos_;
                if (depth >= deepest_bracket) continue;
                Ways options = alternatives(c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char(')'), depth + 1);
                if (c == QLatin1Char('[')) options.append(QStringList{});
                current = product(current, options);
            } else if (c == QLatin1Char(']') || c == QLatin1Char(')')) {
                ++pos_;  // a closing bracket nobody opened
            } else {
                const qsizetype start = pos_;
                while (!at_end() && !is_syntax(peek())) ++pos_;
                current = product(current, number_sayings(spoken_words(text_.mid(start, pos_ - start))));
            }
        }
        return current;
    }

    // "100" is written out "one hundred", but children say "a hundred" or "hundred"
    // as often: a number that starts with one of a scale may be said all three ways.
    // Only at a number's start: "twenty one thousand" keeps its "one", and "two hundred
    // one thousand" without it would be another number.
    Ways number_sayings(const QStringList& words) const
    {
        static const QSet<QString> scales = {QStringLiteral("hundred"), QStringLiteral("thousand"),
                                             QStringLiteral("million"), QStringLiteral("billion")};
        static const QSet<QString> number_words = [] {
            QSet<QString> words = scales;
            for (const char* w : {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten",
                                  "eleven", "twelve", "thirteen", "fourteen", "fifteen", "sixteen", "seventeen",
                                  "eighteen", "nineteen", "twenty", "thirty", "forty", "fifty", "sixty", "seventy",
                                  "eighty", "ninety", "and"})
                words.insert(QString::fromLatin1(w));
            return words;
        }();
        Ways out{QStringList{}};
        for (qsizetype i = 0; i < words.size(); ++i) {
            const bool leading_one = words[i] == QLatin1String("one") && i + 1 < words.size() &&
                                     scales.contains(words[i + 1]) && (i == 0 || !number_words.contains(words[i - 1]));
            if (!leading_one) {
                for (QStringList& way : out) way.append(words[i]);
                continue;
            }
            out = product(out, Ways{{words[i]}, {QStringLiteral("a")}, {}});
        }
        return out;
    }

    Ways product(const Ways& heads, const Ways& tails) const
    {
        if (tails.isEmpty()) return heads;
        Ways out;
        for (const QStringList& head : heads)
            for (const QStringList& tail : tails) {
                if (out.size() >= limit_) return out;
                out.append(head + tail);
            }
        return out;
    }

    const QString& text_;
    const int limit_;
    qsizetype pos_ = 0;
};

// JSGF tokens: our words hold only letters, digits and apostrophes, but a quote
// keeps anything unusual from being read as grammar syntax.
QString jsgf_token(const QString& word)
{
    for (QChar c : word)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('\''))) return QLatin1Char('"') + word + QLatin1Char('"');
    return word;
}

// A JSGF weight, "/0.001/ ". The grammar reader takes plain decimals only.
QString jsgf_weight(double w)
{
    // Six significant digits, written out in full from the exponent form: printing the
    // double itself with many decimals would show its binary rounding.
    const QString e = QString::number(std::clamp(w, 1e-30, 1e30), 'e', 5);  // "1.00000e-12"
    const qsizetype at = e.indexOf(QLatin1Char('e'));
    QString digits = e.left(at).remove(QLatin1Char('.'));
    const int point = e.mid(at + 1).toInt() + 1;  // digits before the decimal point
    if (point <= 0) digits = QStringLiteral("0.") + QString(-point, QLatin1Char('0')) + digits;
    else if (point >= digits.size()) digits += QString(point - digits.size(), QLatin1Char('0'));
    else digits.insert(point, QLatin1Char('.'));
    if (digits.contains(QLatin1Char('.'))) {
        while (digits.endsWith(QLatin1Char('0'))) digits.chop(1);
        if (digits.endsWith(QLatin1Char('.'))) digits.chop(1);
    }
    return QLatin1Char('/') + digits + QStringLiteral("/ ");
}

// Every pronunciation of a run of words, as one phone string each (capped: a way
// of many words with many pronunciations is rare, and a few of them are enough).
QSet<QString> sounds_of(const QString& words,
                        const std::function<QStringList(const QString& word)>& pronunciations)
{
    if (!pronunciations) return {};
    constexpr qsizetype most = 32;
    QStringList sounds{QString()};
    for (const QString& w : words.split(QLatin1Char(' '))) {
        const QStringList options = pronunciations(w);
        if (options.isEmpty()) return {};
        QStringList longer;
        for (const QString& head : sounds)
            for (const QString& tail : options)
                if (longer.size() < most) longer.append(head.isEmpty() ? tail : head + QLatin1Char(' ') + tail);
        sounds = longer;
    }
    return QSet<QString>(sounds.begin(), sounds.end());
}

// Phone strings at most one phone apart (one changed, added or dropped): "castle" and
// "cancel" are, and a child saying one is easily heard as the other.
bool nearly_same(const QStringList& a, const QStringList& b)
{
    if (std::abs(a.size() - b.size()) > 1) return false;
    qsizetype i = 0, j = 0, edits = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] == b[j]) {
            ++i, ++j;
            continue;
        }
        if (++edits > 1) return false;
        if (a.size() > b.size()) ++i;
        else if (b.size() > a.size()) ++j;
        else ++i, ++j;
    }
    return edits + (a.size() - i) + (b.size() - j) <= 1;
}

bool sounds_like_any(const QSet<QString>& sounds, const QSet<QString>& others)
{
    for (const QString& s : sounds) {
        const QStringList phones = s.split(QLatin1Char(' '));
        for (const QString& o : others)
            if (nearly_same(phones, o.split(QLatin1Char(' ')))) return true;
    }
    return false;
}

}  // namespace

QStringList ways_to_say(const QString& voice_text, int limit)
{
    QStringList out;
    QSet<QString> seen;
    for (const QStringList& way : VoiceTextParser(voice_text, std::max(1, limit)).parse()) {
        const QString joined = way.join(QLatin1Char(' '));
        if (joined.isEmpty() || seen.contains(joined)) continue;
        seen.insert(joined);
        out.append(joined);
    }
    return out;
}

CommandGrammar CommandGrammar::build(const QStringList& phrases, const QStringList& decoys, const Lexicon& lexicon,
                                     const QStringList& garbage_sounds, const GrammarWeights& weights)
{
    CommandGrammar g;
    g.garbage_sounds_ = garbage_sounds;
    g.weights_ = weights;
    QSet<QString> taken;
    QSet<QString> command_sounds;
    auto sayable = [&lexicon](const QString& words) {
        if (!lexicon.usable) return true;
        for (const QString& w : words.split(QLatin1Char(' ')))
            if (!lexicon.usable(w)) return false;
        return true;
    };
    for (const QString& phrase : phrases)
        for (const QString& words : ways_to_say(phrase)) {
            if (taken.contains(words) || !sayable(words)) continue;
            taken.insert(words);
            g.ways_.append(Way{words, phrase});
            command_sounds.unite(sounds_of(words, lexicon.pronunciations));
        }
    for (const QString& decoy : decoys) {
        const QString words = spoken_words(decoy).join(QLatin1Char(' '));
        if (words.isEmpty() || taken.contains(words) || !sayable(words)) continue;
        if (sounds_like_any(sounds_of(words, lexicon.pronunciations), command_sounds)) continue;
        taken.insert(words);
        g.ways_.append(Way{words, QString()});
    }
    return g;
}

bool CommandGrammar::has_commands() const
{
    return std::any_of(ways_.begin(), ways_.end(), [](const Way& w) { return !w.phrase.isEmpty(); });
}

QStringList CommandGrammar::words() const
{
    QStringList out;
    QSet<QString> seen;
    for (const Way& way : ways_)
        for (const QString& w : way.words.split(QLatin1Char(' ')))
            if (!seen.contains(w)) {
                seen.insert(w);
                out.append(w);
            }
    return out;
}

QString CommandGrammar::jsgf(const QString& grammar_name) const
{
    const bool weighed = !garbage_sounds_.isEmpty() || weights_.command != 1.0 || weights_.decoy != 1.0;
    QStringList alternatives;
    for (const Way& way : ways_) {
        QStringList tokens;
        for (const QString& w : way.words.split(QLatin1Char(' '))) tokens.append(jsgf_token(w));
        const double weight = way.phrase.isEmpty() ? weights_.decoy : weights_.command;
        alternatives.append((weighed ? jsgf_weight(weight) : QString()) + tokens.join(QLatin1Char(' ')));
    }
    QString rules;
    if (!garbage_sounds_.isEmpty()) {
        // The reader drops weights on rule references, so the garbage's own weight
        // goes on its first sound. "<first> <sound>*" and not "<sound>+": the latter
        // loops back to the grammar's start, and a command could follow garbage.
        alternatives.append(QStringLiteral("<garbage>"));
        QStringList first, more;
        // Our own names ("_aa"): the grammar reader keeps quotes as part of a word.
        for (const QString& s : garbage_sounds_) {
            first.append(jsgf_weight(weights_.garbage * weights_.garbage_sound) + s);
            more.append(jsgf_weight(weights_.garbage_sound) + s);
        }
        rules = QStringLiteral("<garbage> = <first> <sound>*;\n<first> = %1;\n<sound> = %2;\n")
                    .arg(first.join(QStringLiteral(" | ")), more.join(QStringLiteral(" | ")));
    }
    return QStringLiteral("#JSGF V1.0;\ngrammar %1;\npublic <utterance> = %2;\n%3")
        .arg(grammar_name, alternatives.join(QStringLiteral(" | ")), rules);
}

QString CommandGrammar::phrase_for(const QString& hypothesis) const
{
    const QString words = hypothesis.simplified();
    for (const Way& way : ways_)
        if (way.words == words) return way.phrase;
    return QString();
}

}  // namespace pw::voice
