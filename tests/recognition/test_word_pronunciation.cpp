// Pronunciations for words the dictionary lacks: espeak-ng's phonemes in the acoustic
// model's phone set, and close to what the dictionary says for words it has.

#include "agent/voice/word_pronunciation.h"
#include "tests/test_classes.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTest>

using namespace pw::voice;

namespace {

// The acoustic model's phones (its noise phones aside).
const QSet<QString> model_phones = {"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D",  "DH", "EH", "ER", "EY",
                                    "F",  "G",  "HH", "IH", "IY", "JH", "K",  "L",  "M",  "N",  "NG", "OW", "OY",
                                    "P",  "R",  "S",  "SH", "T",  "TH", "UH", "UW", "V",  "W",  "Y",  "Z",  "ZH"};

QHash<QString, QString> dictionary_entries(const QStringList& words)
{
    QHash<QString, QString> out;
    QFile dict(QStringLiteral(PW_POCKETSPHINX_MODELDIR "/en-us/cmudict-en-us.dict"));
    if (!dict.open(QIODevice::ReadOnly)) return out;
    const QSet<QString> wanted(words.begin(), words.end());
    while (!dict.atEnd()) {
        const QString line = QString::fromUtf8(dict.readLine()).trimmed();
        const QString word = line.section(QLatin1Char(' '), 0, 0);
        if (wanted.contains(word) && !out.contains(word)) out.insert(word, line.section(QLatin1Char(' '), 1));
    }
    return out;
}

int phone_distance(const QStringList& a, const QStringList& b)
{
    QList<int> row(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j) row[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

}  // namespace

class WordPronunciationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void espeak_names_map_to_model_phones()
    {
        QCOMPARE(arpabet_from_espeak("z_'o@_b_l_a_k_s"), QStringLiteral("Z AO R B L AE K S"));
        // Words run together; stress marks, pauses and word boundaries vanish.
        QCOMPARE(arpabet_from_espeak("h_@_l_'oU w_'3:_l_d"), QStringLiteral("HH AH L OW W ER L D"));
        QCOMPARE(arpabet_from_espeak("_:_h_'aI_||_D_,e@_!_"), QStringLiteral("HH AY DH EH R"));
        // Syllabic consonants and the glottal stop.
        QCOMPARE(arpabet_from_espeak("b_'V_?_n-"), QStringLiteral("B AH T AH N"));
        QCOMPARE(arpabet_from_espeak("b_'0_t#_@L"), QStringLiteral("B AA T AH L"));
        // A variant we never listed falls back on its base name.
        QCOMPARE(arpabet_from_espeak("s_'E2_t3"), QStringLiteral("S EH T"));
    }

    void names_without_a_phone_give_no_pronunciation()
    {
        QCOMPARE(arpabet_from_espeak("k_'Q_t"), std::nullopt);
        QCOMPARE(arpabet_from_espeak(""), std::nullopt);
        QCOMPARE(arpabet_from_espeak("_:_ _!"), std::nullopt);
    }

    void espeak_pronunciations_are_close_to_the_dictionary()
    {
        const QStringList words = {"banana", "giraffe", "rocket", "monster", "elephant", "purple",   "yellow",
                                   "window", "pizza",   "water",  "happy",   "button",   "little",   "garden",
                                   "rabbit", "thunder", "music",  "cookie",  "jump",     "seven",    "apple",
                                   "orange", "quiet",   "dinosaur"};
        const QHash<QString, QString> dictionary = dictionary_entries(words);
        QCOMPARE(dictionary.size(), words.size());
        int exact = 0;
        for (const QString& w : words) {
            const std::optional<QString> ours = pronounce_with_espeak(w);
            QVERIFY2(ours, qPrintable(w));
            const QStringList phones = ours->split(QLatin1Char(' '));
            for (const QString& p : phones) QVERIFY2(model_phones.contains(p), qPrintable(w + ": " + *ours));
            const int distance = phone_distance(phones, dictionary[w].split(QLatin1Char(' ')));
            QVERIFY2(distance <= 2, qPrintable(QStringLiteral("%1: %2 against %3").arg(w, *ours, dictionary[w])));
            if (distance == 0) ++exact;
        }
        QVERIFY2(exact * 3 >= words.size() * 2, qPrintable(QStringLiteral("%1 exact").arg(exact)));
    }

    void made_up_words_and_names_are_pronounced()
    {
        for (const char* w : {"zorblax", "pellwick", "tansy", "snorkelbot", "caf\u00e9"}) {
            const std::optional<QString> p = pronounce_with_espeak(QString::fromUtf8(w));
            QVERIFY2(p && p->split(QLatin1Char(' ')).size() >= 3, w);
        }
    }
};

PW_TEST_CLASS(WordPronunciationTest);
#include "test_word_pronunciation.moc"
