// Pronunciations for words the dictionary lacks: espeak-ng's phonemes in the acoustic
// model's phone set.

#include "agent/voice/word_pronunciation.h"
#include "tests/test_classes.h"

#include <QTest>

using namespace pw::voice;

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
        // British speakers drop the r after a vowel, not one that starts a syllable.
        QCOMPARE(arpabet_from_espeak("z_'o@_b_l_a_k_s p_'eI_p_3 z_'A@_r_@", Accent::British),
                 QStringLiteral("Z AO B L AE K S P EY P AH Z AA R AH"));
    }

    void names_without_a_phone_give_no_pronunciation()
    {
        QCOMPARE(arpabet_from_espeak("k_'Q_t"), std::nullopt);
        QCOMPARE(arpabet_from_espeak(""), std::nullopt);
        QCOMPARE(arpabet_from_espeak("_:_ _!"), std::nullopt);
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
