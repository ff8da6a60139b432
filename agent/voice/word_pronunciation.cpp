#include "agent/voice/word_pronunciation.h"

#include "agent/voice/espeak_engine.h"

#include <QHash>
#include <QList>

namespace pw::voice {

namespace {

// espeak-ng's English phoneme names (as its en and en-us voices use them) against the
// acoustic model's phones. Vowels followed by r in espeak-ng are one name but two phones.
const QHash<QByteArray, QByteArray>& phone_table()
{
    static const QHash<QByteArray, QByteArray> table = {
        // vowels
        {"@", "AH"}, {"@2", "AH"}, {"@5", "AH"}, {"@-", "AH"}, {"V", "AH"}, {"a#", "AH"},
        {"3", "ER"}, {"3:", "ER"},
        {"a", "AE"}, {"aa", "AE"},
        {"A", "AA"}, {"A:", "AA"}, {"0", "AA"},
        {"O", "AO"}, {"O:", "AO"}, {"O2", "AO"},
        {"E", "EH"}, {"e", "EH"},
        {"I", "IH"}, {"I2", "IH"}, {"I#", "IH"},
        {"i", "IY"}, {"i:", "IY"},
        {"U", "UH"},
        {"u", "UW"}, {"u:", "UW"},
        {"eI", "EY"}, {"aI", "AY"}, {"OI", "OY"}, {"aU", "AW"}, {"oU", "OW"}, {"o", "OW"},
        {"@L", "AH L"}, {"n-", "AH N"}, {"m-", "AH M"}, {"l-", "AH L"},
        {"A@", "AA R"}, {"O@", "AO R"}, {"o@", "AO R"}, {"e@", "EH R"}, {"i@", "IH R"},
        {"i@3", "IH R"}, {"U@", "UH R"}, {"aI@", "AY ER"}, {"aI3", "AY ER"}, {"aU@", "AW ER"},
        // consonants
        {"p", "P"}, {"b", "B"}, {"t", "T"}, {"t#", "T"}, {"t2", "T"}, {"?", "T"},
        {"d", "D"}, {"d#", "D"}, {"k", "K"}, {"g", "G"}, {"x", "K"},
        {"f", "F"}, {"v", "V"}, {"T", "TH"}, {"D", "DH"}, {"s", "S"}, {"z", "Z"},
        {"S", "SH"}, {"Z", "ZH"}, {"tS", "CH"}, {"dZ", "JH"}, {"h", "HH"},
        {"m", "M"}, {"n", "N"}, {"N", "NG"}, {"l", "L"}, {"l#", "L"},
        {"r", "R"}, {"r-", "R"}, {"w", "W"}, {"j", "Y"},
    };
    return table;
}

// The vowels that carry an r in American speech, as British speakers say them. An r
// that starts the next syllable is a phoneme of its own and stays.
const QHash<QByteArray, QByteArray>& british_vowels()
{
    static const QHash<QByteArray, QByteArray> table = {
        {"3", "AH"}, {"A@", "AA"}, {"O@", "AO"}, {"o@", "AO"}, {"e@", "EH"}, {"i@", "IH AH"},
        {"U@", "UH AH"}, {"aI@", "AY AH"}, {"aI3", "AY AH"}, {"aU@", "AW AH"},
    };
    return table;
}

// Marks that only colour the phoneme next to them.
bool is_mark(char c)
{
    return c == '\'' || c == ',' || c == '%' || c == '=' || c == ';';
}

std::optional<QByteArray> phones_for(QByteArray name, Accent accent)
{
    const QHash<QByteArray, QByteArray>& table = phone_table();
    // Variants we have not listed ("t#", "I2" style) usually differ from a listed
    // name only by a trailing marker.
    while (!name.isEmpty()) {
        if (accent == Accent::British)
            if (const auto it = british_vowels().constFind(name); it != british_vowels().constEnd()) return *it;
        const auto it = table.constFind(name);
        if (it != table.constEnd()) return *it;
        const char last = name.back();
        if (last != '#' && last != '-' && !(last >= '0' && last <= '9')) break;
        name.chop(1);
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> arpabet_from_espeak(const QByteArray& phonemes, Accent accent)
{
    QList<QByteArray> phones;
    QByteArray normalised = phonemes;
    normalised.replace(' ', '_');
    for (const QByteArray& piece : normalised.split('_')) {
        QByteArray name;
        for (char c : piece)
            if (!is_mark(c)) name += c;
        // Pauses ("_:", "_!") lose their underscore to the split; "|" is a word boundary.
        if (name.isEmpty() || name == ":" || name == "!" || name.startsWith('|')) continue;
        const std::optional<QByteArray> mapped = phones_for(name, accent);
        if (!mapped) return std::nullopt;
        phones.append(*mapped);
    }
    if (phones.isEmpty()) return std::nullopt;
    return QString::fromLatin1(phones.join(' '));
}

std::optional<QString> pronounce_with_espeak(const QString& word, Accent accent)
{
    const std::optional<QByteArray> phonemes =
        espeak::phonemes_of(word, accent == Accent::British ? QStringLiteral("en") : QStringLiteral("en-us"));
    if (!phonemes) return std::nullopt;
    return arpabet_from_espeak(*phonemes, accent);
}

}  // namespace pw::voice
