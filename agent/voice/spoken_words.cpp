#include "agent/voice/spoken_words.h"

#include <QHash>
#include <array>

namespace pw::voice {

namespace {

constexpr std::array<const char*, 20> small_numbers = {
    "zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten",
    "eleven", "twelve", "thirteen", "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
constexpr std::array<const char*, 10> tens = {
    "", "", "twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety"};

// Longer digit runs (and runs with leading zeros, like "007") are read digit by digit.
constexpr int longest_number = 12;

void append_below_thousand(QStringList& out, int n)
{
    if (n >= 100) {
        out << QString::fromLatin1(small_numbers[size_t(n / 100)]) << QStringLiteral("hundred");
        n %= 100;
        if (n == 0) return;
    }
    if (n < 20) {
        out << QString::fromLatin1(small_numbers[size_t(n)]);
        return;
    }
    out << QString::fromLatin1(tens[size_t(n / 10)]);
    if (n % 10) out << QString::fromLatin1(small_numbers[size_t(n % 10)]);
}

QStringList cardinal(qint64 n)
{
    if (n == 0) return {QStringLiteral("zero")};
    static const std::array<std::pair<qint64, const char*>, 3> scales = {
        {{1'000'000'000LL, "billion"}, {1'000'000LL, "million"}, {1'000LL, "thousand"}}};
    QStringList out;
    for (const auto& [size, name] : scales) {
        if (n >= size) {
            append_below_thousand(out, int(n / size));
            out << QString::fromLatin1(name);
            n %= size;
        }
    }
    if (n > 0) append_below_thousand(out, int(n));
    return out;
}

QString ordinal_of(const QString& word)
{
    static const QHash<QString, QString> irregular = {
        {QStringLiteral("one"), QStringLiteral("first")},   {QStringLiteral("two"), QStringLiteral("second")},
        {QStringLiteral("three"), QStringLiteral("third")}, {QStringLiteral("five"), QStringLiteral("fifth")},
        {QStringLiteral("eight"), QStringLiteral("eighth")}, {QStringLiteral("nine"), QStringLiteral("ninth")},
        {QStringLiteral("twelve"), QStringLiteral("twelfth")},
    };
    if (const auto it = irregular.constFind(word); it != irregular.constEnd()) return *it;
    if (word.endsWith(QLatin1Char('y'))) return word.chopped(1) + QStringLiteral("ieth");
    return word + QStringLiteral("th");
}

QStringList digit_run_words(const QString& digits)
{
    if (digits.size() > longest_number || (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))) {
        QStringList out;
        for (QChar d : digits) out << QString::fromLatin1(small_numbers[size_t(d.digitValue())]);
        return out;
    }
    return cardinal(digits.toLongLong());
}

bool is_ordinal_suffix(const QString& letters)
{
    return letters == QLatin1String("st") || letters == QLatin1String("nd") || letters == QLatin1String("rd") ||
           letters == QLatin1String("th");
}

// Lower case without accents: "Café" -> "cafe". Letters that do not decompose stay.
QString plain_lower(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD).toLower();
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing && c.category() != QChar::Mark_SpacingCombining &&
            c.category() != QChar::Mark_Enclosing)
            out += c;
    return out;
}

bool is_apostrophe(QChar c)
{
    return c == QLatin1Char('\'') || c == QChar(0x2019);
}

}  // namespace

QString number_in_words(qint64 n)
{
    return cardinal(n < 0 ? -n : n).join(QLatin1Char(' '));
}

QStringList spoken_words(const QString& text)
{
    const QString plain = plain_lower(text);
    QStringList out;
    qsizetype i = 0;
    const qsizetype n = plain.size();
    while (i < n) {
        const QChar c = plain[i];
        if (c.isDigit() && c.digitValue() >= 0 && c.digitValue() <= 9) {
            qsizetype end = i;
            while (end < n && plain[end].isDigit() && plain[end].digitValue() >= 0) ++end;
            out << digit_run_words(plain.mid(i, end - i));
            // "1.5": the point is read aloud.
            if (end + 1 < n && plain[end] == QLatin1Char('.') && plain[end + 1].isDigit()) {
                out << QStringLiteral("point");
                qsizetype frac = end + 1;
                while (frac < n && plain[frac].isDigit() && plain[frac].digitValue() >= 0)
                    out << QString::fromLatin1(small_numbers[size_t(plain[frac++].digitValue())]);
                end = frac;
            }
            // "2nd", "21st": an ordinal, when the letters stop there.
            if (end + 1 < n && plain[end].isLetter()) {
                const QString suffix = plain.mid(end, 2);
                const bool word_ends = end + 2 >= n || !plain[end + 2].isLetterOrNumber();
                if (is_ordinal_suffix(suffix) && word_ends) {
                    out.last() = ordinal_of(out.last());
                    end += 2;
                }
            }
            i = end;
        } else if (c.isLetter()) {
            qsizetype end = i;
            while (end < n && (plain[end].isLetter() ||
                               (is_apostrophe(plain[end]) && end + 1 < n && plain[end + 1].isLetter())))
                ++end;
            QString word = plain.mid(i, end - i);
            word.replace(QChar(0x2019), QLatin1Char('\''));
            out << word;
            i = end;
        } else {
            ++i;
        }
    }
    return out;
}

}  // namespace pw::voice
