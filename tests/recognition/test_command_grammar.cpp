// The grammar listening is built from: how voice texts are read into words, the ways
// of saying each one, decoys, and finding the voice text again from what was heard.

#include "agent/voice/command_grammar.h"
#include "agent/voice/decoy_words.h"
#include "agent/voice/listening_tuning.h"
#include "agent/voice/narrowband_fill.h"
#include "agent/voice/spoken_words.h"
#include "tests/test_classes.h"

#include <QFile>
#include <QHash>
#include <QTest>

using namespace pw::voice;

class CommandGrammarTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void words_are_spelled_as_the_dictionary_spells_them()
    {
        QCOMPARE(spoken_words(QStringLiteral("  Jump, JUMP!  don't-stop ")),
                 (QStringList{"jump", "jump", "don't", "stop"}));
        QCOMPARE(spoken_words(QStringLiteral("Caf\u00e9 na\u00efve \u2019quoted\u2019 it\u2019s")),
                 (QStringList{"cafe", "naive", "quoted", "it's"}));
        QCOMPARE(spoken_words(QStringLiteral("<yes> | *no* / \"maybe\"")), (QStringList{"yes", "no", "maybe"}));
        QVERIFY(spoken_words(QStringLiteral("?! ... --")).isEmpty());
    }

    void numbers_are_written_out()
    {
        QCOMPARE(spoken_words(QStringLiteral("7 dwarfs")), (QStringList{"seven", "dwarfs"}));
        QCOMPARE(number_in_words(101), QStringLiteral("one hundred one"));
        QCOMPARE(number_in_words(2024), QStringLiteral("two thousand twenty four"));
        QCOMPARE(number_in_words(3'000'017), QStringLiteral("three million seventeen"));
        QCOMPARE(spoken_words(QStringLiteral("1st 2nd 3rd 12th 20th 21st")),
                 (QStringList{"first", "second", "third", "twelfth", "twentieth", "twenty", "first"}));
        QCOMPARE(spoken_words(QStringLiteral("1.5")), (QStringList{"one", "point", "five"}));
        // Leading zeros and very long runs are read digit by digit; letters after
        // digits that are no ordinal stay a word of their own.
        QCOMPARE(spoken_words(QStringLiteral("007")), (QStringList{"zero", "zero", "seven"}));
        QCOMPARE(spoken_words(QStringLiteral("1234567890123")).size(), 13);
        QCOMPARE(spoken_words(QStringLiteral("r2d2")), (QStringList{"r", "two", "d", "two"}));
        QCOMPARE(spoken_words(QStringLiteral("5th 4x")), (QStringList{"fifth", "four", "x"}));
    }

    void optional_words_and_choices_expand()
    {
        QCOMPARE(ways_to_say(QStringLiteral("Cancel [Script]")), (QStringList{"cancel script", "cancel"}));
        QCOMPARE(ways_to_say(QStringLiteral("(red | blue) ball")), (QStringList{"red ball", "blue ball"}));
        QCOMPARE(ways_to_say(QStringLiteral("[please] (sit | stand) [down]")),
                 (QStringList{"please sit down", "please sit", "please stand down", "please stand", "sit down", "sit",
                              "stand down", "stand"}));
        QCOMPARE(ways_to_say(QStringLiteral("yes | yeah | yes")), (QStringList{"yes", "yeah"}));
        QCOMPARE(ways_to_say(QStringLiteral("go [to [the]] shop")),
                 (QStringList{"go to the shop", "go to shop", "go shop"}));
        QCOMPARE(ways_to_say(QStringLiteral("Level 2")), (QStringList{"level two"}));
        QCOMPARE(ways_to_say(QStringLiteral("100 [more]")),
                 (QStringList{"one hundred more", "one hundred", "a hundred more", "a hundred", "hundred more", "hundred"}));
        QCOMPARE(ways_to_say(QStringLiteral("21000")), (QStringList{"twenty one thousand"}));
        QCOMPARE(ways_to_say(QStringLiteral("201000 for 1000")),
                 (QStringList{"two hundred one thousand for one thousand", "two hundred one thousand for a thousand",
                              "two hundred one thousand for thousand"}));
        // Nothing sayable, or only optional words: no way at all rather than an empty one.
        QVERIFY(ways_to_say(QStringLiteral("[ ]")).isEmpty());
        QCOMPARE(ways_to_say(QStringLiteral("[maybe]")), QStringList{"maybe"});
    }

    void broken_voice_texts_still_give_sensible_ways()
    {
        QCOMPARE(ways_to_say(QStringLiteral("cancel [script")), (QStringList{"cancel script", "cancel"}));
        QCOMPARE(ways_to_say(QStringLiteral("stop] now)")), (QStringList{"stop now"}));
        QCOMPARE(ways_to_say(QStringLiteral("(a | | b)")), (QStringList{"a", "b"}));
        // Deep nesting cannot exhaust the stack, and choices are capped.
        const QString deep = QString(100000, QLatin1Char('[')) + QStringLiteral("deep") + QString(100000, QLatin1Char(']'));
        QCOMPARE(ways_to_say(deep).value(0), QStringLiteral("deep"));
        QString many;
        for (int i = 0; i < 12; ++i) many += QStringLiteral("[w%1] ").arg(i);
        QCOMPARE(ways_to_say(many).size(), 64);
        QCOMPARE(ways_to_say(many, 5).size(), 5);
    }

    void grammar_maps_what_is_heard_back_to_the_voice_text()
    {
        const CommandGrammar g = CommandGrammar::build({QStringLiteral("Cancel [Script]"), QStringLiteral("Yes"),
                                                        QStringLiteral("YES please"), QStringLiteral("yes")},
                                                       {QStringLiteral("the"), QStringLiteral("yes"),
                                                        QStringLiteral("Good Morning"), QStringLiteral("")});
        QCOMPARE(g.phrase_for(QStringLiteral("cancel")), QStringLiteral("Cancel [Script]"));
        QCOMPARE(g.phrase_for(QStringLiteral(" cancel  script ")), QStringLiteral("Cancel [Script]"));
        // The first voice text that says it wins; a decoy that is a command is the command.
        QCOMPARE(g.phrase_for(QStringLiteral("yes")), QStringLiteral("Yes"));
        QCOMPARE(g.phrase_for(QStringLiteral("yes please")), QStringLiteral("YES please"));
        QCOMPARE(g.phrase_for(QStringLiteral("the")), QString());
        QCOMPARE(g.phrase_for(QStringLiteral("good morning")), QString());
        QCOMPARE(g.phrase_for(QStringLiteral("elephant")), QString());
        QVERIFY(g.has_commands());
        QCOMPARE(g.words(), (QStringList{"cancel", "script", "yes", "please", "the", "good", "morning"}));
        QCOMPARE(g.ways().size(), 6);

        const QString jsgf = g.jsgf(QStringLiteral("listen7"));
        QVERIFY(jsgf.startsWith(QStringLiteral("#JSGF V1.0;\ngrammar listen7;\npublic <utterance> = ")));
        QVERIFY(jsgf.contains(QStringLiteral("cancel script | cancel | yes | yes please | the | good morning;")));

        // Weights in plain decimals (the grammar reader knows no exponents), and a
        // garbage loop that cannot lead back into a command.
        const CommandGrammar w = CommandGrammar::build({QStringLiteral("yes")}, {QStringLiteral("the")}, {},
                                                       {QStringLiteral("_aa"), QStringLiteral("_b")},
                                                       GrammarWeights{1, 0.001, 1, 1e-12});
        QVERIFY(w.jsgf(QStringLiteral("g")).endsWith(
            QStringLiteral("public <utterance> = /1/ yes | /0.001/ the | <garbage>;\n<garbage> = <first> <sound>*;\n"
                           "<first> = /0.000000000001/ _aa | /0.000000000001/ _b;\n"
                           "<sound> = /0.000000000001/ _aa | /0.000000000001/ _b;\n")));
        QCOMPARE(w.phrase_for(QStringLiteral("_aa _b")), QString());
    }

    void listening_settings_read_numbers_and_report_the_rest()
    {
        QString problems;
        const ListeningTuning t = parse_listening_tuning("# weights\ndecoy 0.5 # weak\ngarbage_sound 1e-9\n"
                                                         "command -2\nloudness 3\ngarbage\nwarp 1\nwarp 1.2\n"
                                                         "warp 3\nwarp_cost 4\nagree 2\nagree 1.5\nnoise_floor 60\n"
                                                         "quiet_kept 120\nbritish_pronunciations 1\ncommand_one 300\n"
                                                         "gaussians 6\ngaussians 2.5\naccent th-stopping\naccent drawl\n"
                                                         "narrowband_rise 3\n",
                                                         &problems);
        QCOMPARE(t.decoy, 0.5);
        QCOMPARE(t.garbage_sound, 1e-9);
        QCOMPARE(t.command, 1.0);  // a bad value keeps the default
        QCOMPARE(t.command_one, 300.0);
        QCOMPARE(t.warps, (QList<double>{1.0, 1.2}));  // warps add up; a wild one is left out
        QCOMPARE(t.warp_cost, 4.0);
        QCOMPARE(t.agree, 2);
        QCOMPARE(t.noise_floor_db, 60.0);
        QCOMPARE(t.quiet_kept_ms, 120.0);
        QVERIFY(t.british_pronunciations);
        QCOMPARE(t.gaussians, 6);
        QCOMPARE(t.narrowband_rise_db, 3.0);
        QCOMPARE(t.accent_rules, QList<AccentRule>{AccentRule::ThStopping});
        QCOMPARE(problems.count(QLatin1Char(';')), 6);
        QVERIFY(problems.contains(QStringLiteral("loudness")));
        // The built-in settings read without a complaint.
        QFile built_in(QStringLiteral(":/speech/listening.txt"));
        QVERIFY(built_in.open(QIODevice::ReadOnly));
        parse_listening_tuning(built_in.readAll(), &problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
        // So does the narrowband fit; a fit cut short is reported and not used.
        QFile fit(QStringLiteral(":/speech/narrowband_fill.txt"));
        QVERIFY(fit.open(QIODevice::ReadOnly));
        const QByteArray fit_text = fit.readAll();
        NarrowbandFill::parse(fit_text, &problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
        std::vector<float> frame(25, 0.0f);
        QVERIFY(NarrowbandFill::parse(fit_text).fill(1.0, frame, 25));
        QVERIFY(!NarrowbandFill::parse(fit_text.left(fit_text.size() - 40), &problems).fill(1.35, frame, 25));
        QVERIFY(!problems.isEmpty());
    }

    void accent_rules_make_the_ways_their_accents_have()
    {
        const QList<AccentRule> all = {AccentRule::ThStopping, AccentRule::GDropping, AccentRule::Monophthongs,
                                       AccentRule::CotCaught, AccentRule::FinalClusters};
        struct Case {
            const char* phones;
            QList<AccentRule> rules;
            QStringList variants;
        };
        const Case cases[] = {
            {"TH R IY", all, {"T R IY"}},                                   // three
            {"DH AE T", all, {"D AE T"}},                                   // that: no cluster at the end
            {"S IH NG IH NG", all, {"S IH NG IH N"}},                       // singing: the last -ing only
            {"G OW T", all, {"G AO T", "G AA T"}},                          // goat: all rules together too
            {"K AA T", all, {"K AO T"}},                                    // cot
            {"HH AE N D", all, {"HH AE N"}},                                // hand
            {"B EH L T", all, {}},                                          // belt: t after a voiced l stays
            {"K AA R D", all, {"K AO R D"}},                                // card: the d after r stays
            {"N EH S T", all, {"N EH S"}},                                  // nest
            {"S T", all, {}},                                               // no vowel to keep: nothing
            {"F EY TH", {AccentRule::Monophthongs}, {"F EH TH"}},           // only the rules asked for
            {"F EY TH", {AccentRule::Monophthongs, AccentRule::ThStopping}, {"F EH TH", "F EY T", "F EH T"}},
        };
        for (const Case& c : cases)
            QCOMPARE(accent_variants(QString::fromLatin1(c.phones), c.rules), c.variants);
        QCOMPARE(accent_rule_named(QStringLiteral("cot-caught")), AccentRule::CotCaught);
        QCOMPARE(accent_rule_named(QStringLiteral("drawl")), std::nullopt);
    }

    void words_that_cannot_be_said_drop_their_ways_only()
    {
        CommandGrammar::Lexicon lexicon;
        lexicon.usable = [](const QString& w) { return w != QLatin1String("zorp"); };
        const CommandGrammar g = CommandGrammar::build({QStringLiteral("zorp [now]"), QStringLiteral("[zorp] jump"),
                                                        QStringLiteral("hop")},
                                                       {QStringLiteral("zorp"), QStringLiteral("um")}, lexicon);
        QStringList ways;
        for (const CommandGrammar::Way& w : g.ways()) ways << w.words;
        QCOMPARE(ways, (QStringList{"jump", "hop", "um"}));
        QCOMPARE(g.phrase_for(QStringLiteral("jump")), QStringLiteral("[zorp] jump"));

        const CommandGrammar only_decoys =
            CommandGrammar::build({QStringLiteral("zorp")}, {QStringLiteral("um")}, lexicon);
        QVERIFY(!only_decoys.has_commands());
        QCOMPARE(only_decoys.ways().size(), 1);
    }

    void decoys_that_sound_like_a_command_are_left_out()
    {
        const QHash<QString, QStringList> dictionary = {
            {"to", {"T UW", "T AH"}}, {"two", {"T UW"}},         {"for", {"F AO R", "F ER"}},
            {"ten", {"T EH N"}},      {"toes", {"T OW Z"}},     {"the", {"DH AH"}},
            {"cancel", {"K AE N S AH L"}}, {"castle", {"K AE S AH L"}}, {"can", {"K AE N"}},
            {"tense", {"T EH N S"}},  {"tent", {"T EH N T"}}};
        CommandGrammar::Lexicon lexicon;
        lexicon.pronunciations = [&dictionary](const QString& w) { return dictionary.value(w); };
        const CommandGrammar g = CommandGrammar::build(
            {QStringLiteral("2"), QStringLiteral("ten toes"), QStringLiteral("cancel")},
            {QStringLiteral("to"), QStringLiteral("for"), QStringLiteral("ten"), QStringLiteral("tense"),
             QStringLiteral("the"), QStringLiteral("castle"), QStringLiteral("can"), QStringLiteral("unknown")},
            lexicon);
        QStringList ways;
        for (const CommandGrammar::Way& w : g.ways()) ways << w.words;
        // Gone: "to" (as "two"), "castle" (one phone short of "cancel"). "ten" and
        // "tense" are two phones from "ten toes"; words we cannot look up stay.
        QCOMPARE(ways, (QStringList{"two", "ten toes", "cancel", "for", "ten", "tense", "the", "can", "unknown"}));
    }

    void decoy_list_reads_words_and_skips_comments()
    {
        QCOMPARE(parse_decoy_list("# heading\n\nthe\n  good   morning  # greeting\r\n#x\nhi"),
                 (QStringList{"the", "good morning", "hi"}));
        const QStringList built_in = default_decoys();
        QVERIFY(built_in.size() >= 10);
        QVERIFY(!built_in.contains(QStringLiteral("#")));
        for (const QString& d : built_in) QVERIFY2(!spoken_words(d).isEmpty(), qPrintable(d));
    }
};

PW_TEST_CLASS(CommandGrammarTest);
#include "test_command_grammar.moc"
