// The run state's lookups, random numbers, character routines and the end of the
// program, against the recording fake platform.

#include "engine/pellwick_mod.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/slot_setup.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTest>

using pw::agent::AgentError;
using pw::engine::pellwick_mod;
using pw::fakes::FakeTraits;
using pw::fakes::FakeAgent;
using pw::fakes::load_into_slot;

class TestPellwickMod : public QObject {
    Q_OBJECT

private slots:
    void char_index_ignores_case_and_stays_within_char_count();
    void ensure_loaded_asks_the_stage_only_for_unknown_ids();
    void random_int_covers_zero_to_n_from_one_generator();
    void char_say_speaks_text_or_a_wave_file();
    void char_play_and_move_keep_the_request_and_name();
    void hold_others_only_in_sequential_mode_and_only_loaded_others();
    void quit_program_says_goodbye_on_visible_characters_only();
    void quit_program_ends_even_when_goodbye_fails();
};

void TestPellwickMod::char_index_ignores_case_and_stays_within_char_count()
{
    FakeAgent agent;
    pellwick_mod mod(agent);
    load_into_slot(mod, agent, 0, QStringLiteral("Pellwick"));
    load_into_slot(mod, agent, 1, QStringLiteral("Tobble"));

    QCOMPARE(mod.char_index(QStringLiteral("pellwick")), 0);
    QCOMPARE(mod.char_index(QStringLiteral("PELLWICK")), 0);
    QCOMPARE(mod.char_index(QStringLiteral("tOBBLE")), 1);
    QCOMPARE(mod.char_index(QStringLiteral("Nobody")), -1);
    QCOMPARE(mod.char_index(QString()), -1);  // empty ids of unused slots never match

    // Slots at char_count and beyond are outside the searched table.
    mod.char_count = 1;
    QCOMPARE(mod.char_index(QStringLiteral("Tobble")), -1);
    // A char_count larger than the table does not read past it.
    mod.char_count = 200;
    QCOMPARE(mod.char_index(QStringLiteral("Nobody")), -1);
}

void TestPellwickMod::ensure_loaded_asks_the_stage_only_for_unknown_ids()
{
    FakeAgent agent;
    pellwick_mod mod(agent);
    load_into_slot(mod, agent, 0, QStringLiteral("Pellwick"));
    QStringList asked;
    mod.character_loader = [&](const QString& id) { asked << id; };

    mod.ensure_loaded(QStringLiteral("PELLWICK"));
    mod.ensure_loaded(QStringLiteral("tobble"));
    QCOMPARE(asked, QStringList{QStringLiteral("tobble")});

    mod.character_loader = nullptr;  // no stage yet: nothing happens, nothing breaks
    mod.ensure_loaded(QStringLiteral("tobble"));
}

void TestPellwickMod::random_int_covers_zero_to_n_from_one_generator()
{
    FakeAgent agent;
    pellwick_mod mod(agent);

    for (int i = 0; i < 500; ++i) QCOMPARE(mod.random_int(0), 0);

    QList<int> seen(6, 0);
    for (int i = 0; i < 3000; ++i) {
        const int v = mod.random_int(5);
        QVERIFY2(v >= 0 && v <= 5, qPrintable(QString::number(v)));
        ++seen[v];
    }
    for (int v = 0; v <= 5; ++v) QVERIFY2(seen[v] > 300, qPrintable(QStringLiteral("%1 seen %2 times").arg(v).arg(seen[v])));

    // Calls in the same millisecond must not repeat (as a generator re-seeded from
    // the clock on every call would).
    QSet<int> distinct;
    for (int i = 0; i < 200; ++i) distinct.insert(mod.random_int(1000000));
    QVERIFY(distinct.size() > 190);
}

void TestPellwickMod::char_say_speaks_text_or_a_wave_file()
{
    FakeAgent agent;
    pellwick_mod mod(agent);
    mod.user_folder = QStringLiteral("/home/ann/.local/share/Pellworks");
    // The Name inside the file differs from the id on purpose.
    load_into_slot(mod, agent, 0, QStringLiteral("Pellwick"), true, FakeTraits{QStringLiteral("Pelly")});

    mod.char_say(0, QStringLiteral("Hi there"));
    mod.char_say(0, QStringLiteral("drum.WAV"));
    mod.char_say(0, QStringLiteral("my.wave is here"));  // ".wav" anywhere counts
    QCOMPARE(agent.log().lines_of(QStringLiteral("Speak")),
             (QStringList{
                 QStringLiteral("Pellwick Speak \"Hi there\" \"\""),
                 QStringLiteral("Pellwick Speak \"\" \"/home/ann/.local/share/Pellworks/wav/drum.WAV\""),
                 QStringLiteral("Pellwick Speak \"\" \"/home/ann/.local/share/Pellworks/wav/my.wave is here\""),
             }));
    QCOMPARE(mod.current_char, QStringLiteral("Pelly"));
    QCOMPARE(mod.characters[0].request, agent.last_request(QStringLiteral("Pellwick")));

    // Speaking does not wait for the speech.
    QCOMPARE(mod.characters[0].request.status(), int(pw::agent::Request::Pending));

    // An empty slot is an error the caller can report, not a crash.
    mod.size_slots(3);
    QVERIFY_THROWS_EXCEPTION(AgentError, mod.char_say(2, QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(AgentError, mod.char_say(-1, QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(AgentError, mod.char_say(99, QStringLiteral("x")));
}

void TestPellwickMod::char_play_and_move_keep_the_request_and_name()
{
    FakeAgent agent;
    pellwick_mod mod(agent);
    load_into_slot(mod, agent, 0, QStringLiteral("Pellwick"), true);
    load_into_slot(mod, agent, 1, QStringLiteral("Tobble"), true);

    mod.char_play(1, QStringLiteral("Wave"));
    QCOMPARE(mod.current_char, QStringLiteral("Tobble"));
    QCOMPARE(mod.characters[1].request, agent.last_request(QStringLiteral("Tobble")));

    mod.char_move_to(0, int16_t(-40), int16_t(300), 0);
    QCOMPARE(mod.current_char, QStringLiteral("Pellwick"));
    QCOMPARE(agent.log().lines_of(QStringLiteral("MoveTo")),
             QStringList{QStringLiteral("Pellwick MoveTo -40 300 0")});
    QCOMPARE(mod.characters[0].request, agent.last_request(QStringLiteral("Pellwick")));
    QCOMPARE(mod.char_left(QStringLiteral("pellwick")), -40);

    // A failed operation keeps the previous request as the slot's last one.
    const pw::agent::Request kept = mod.characters[0].request;
    QVERIFY_THROWS_EXCEPTION(AgentError, mod.char_play(0, QStringLiteral("Cartwheel")));
    QCOMPARE(mod.characters[0].request, kept);
    QVERIFY_THROWS_EXCEPTION(AgentError, mod.char_left(QStringLiteral("Nobody")));
}

void TestPellwickMod::hold_others_only_in_sequential_mode_and_only_loaded_others()
{
    FakeAgent agent;
    pellwick_mod mod(agent);
    load_into_slot(mod, agent, 0, QStringLiteral("Pellwick"), true);
    load_into_slot(mod, agent, 1, QStringLiteral("Tobble"));  // hidden ones wait as well
    load_into_slot(mod, agent, 2, QStringLiteral("Gone"), true);
    mod.characters[2].loaded = false;
    load_into_slot(mod, agent, 3, QStringLiteral("Mira"), true);

    mod.options.sequential = false;
    mod.char_say(0, QStringLiteral("alone"));
    QCOMPARE(agent.log().count(QStringLiteral("Wait")), 0);

    mod.options.sequential = true;
    mod.char_say(0, QStringLiteral("together"));
    const QString id = QString::number(mod.characters[0].request.id());
    QCOMPARE(agent.log().lines_of(QStringLiteral("Wait")),
             (QStringList{QStringLiteral("Tobble Wait ") + id, QStringLiteral("Mira Wait ") + id}));

    // The speaker is found by current_char, case ignored.
    agent.log().clear();
    mod.current_char = QStringLiteral("MIRA");
    mod.hold_others(mod.characters[0].request);
    QCOMPARE(agent.log().lines_of(QStringLiteral("Wait")),
             (QStringList{QStringLiteral("Pellwick Wait ") + id, QStringLiteral("Tobble Wait ") + id}));

    // A character that refuses to wait on itself (its Name differs from its id) does
    // not stop the others from waiting.
    agent.log().clear();
    agent.fail(QStringLiteral("Wait"), pw::agent::error::cant_wait_on_self, QStringLiteral("Pellwick"));
    mod.current_char = QStringLiteral("Pelly");
    mod.hold_others(mod.characters[0].request);
    QCOMPARE(agent.log().count(QStringLiteral("Wait")), 3);
    // Any other error is the caller's to report.
    agent.fail(QStringLiteral("Wait"), 0x80004005, QStringLiteral("Mira"));
    QVERIFY_THROWS_EXCEPTION(AgentError, mod.hold_others(mod.characters[0].request));
}

void TestPellwickMod::quit_program_says_goodbye_on_visible_characters_only()
{
    FakeAgent agent;
    pellwick_mod mod(agent);
    mod.goodbye_pause_ms = 60;
    load_into_slot(mod, agent, 0, QStringLiteral("Pellwick"), true);
    load_into_slot(mod, agent, 1, QStringLiteral("Tobble"), false);
    load_into_slot(mod, agent, 2, QStringLiteral("Mira"), true);
    int exits = 0;
    mod.exit_program = [&](int code) {
        QCOMPARE(code, 0);
        ++exits;
        agent.log().add(QStringLiteral("*"), QStringLiteral("Exit"));
    };

    QElapsedTimer t;
    t.start();
    mod.quit_program();
    QCOMPARE(exits, 0);  // the goodbyes go on from the event loop
    QTRY_COMPARE(exits, 1);
    QVERIFY2(t.elapsed() >= 120, qPrintable(QString::number(t.elapsed())));

    QCOMPARE(agent.log().lines_of(QStringLiteral("Speak")),
             (QStringList{QStringLiteral("Pellwick Speak \"Goodbye!\" \"\""),
                          QStringLiteral("Mira Speak \"Goodbye!\" \"\"")}));
    const QStringList lines = agent.log().lines();
    QVERIFY(lines.indexOf(QStringLiteral("* Unload \"Pellwick\"")) < lines.indexOf(QStringLiteral("Mira Speak \"Goodbye!\" \"\"")));
    QCOMPARE(lines.last(), QStringLiteral("* Exit"));
    QCOMPARE(agent.loaded_ids(), QStringList{QStringLiteral("Tobble")});
    QCOMPARE(mod.characters[0].agent, nullptr);
    QVERIFY(!mod.characters[0].loaded && mod.characters[1].loaded && !mod.characters[2].loaded);
    QCOMPARE(agent.log().count(QStringLiteral("UsedAfterUnload")), 0);

    // Nobody visible: the program ends at once.
    FakeAgent agent2;
    pellwick_mod quiet(agent2);
    load_into_slot(quiet, agent2, 0, QStringLiteral("Pellwick"), false);
    exits = 0;
    quiet.exit_program = [&](int) { ++exits; };
    t.restart();
    quiet.quit_program();
    QVERIFY(t.elapsed() < 50);
    QCOMPARE(exits, 1);
    QVERIFY(agent2.log().lines().isEmpty());
}

void TestPellwickMod::quit_program_ends_even_when_goodbye_fails()
{
    FakeAgent agent;
    pellwick_mod mod(agent);
    mod.goodbye_pause_ms = 1;
    load_into_slot(mod, agent, 0, QStringLiteral("Pellwick"), true);
    load_into_slot(mod, agent, 1, QStringLiteral("Mira"), true);
    agent.fail(QStringLiteral("Speak"), 0x80004005, QStringLiteral("Pellwick"));
    int exits = 0;
    mod.exit_program = [&](int) { ++exits; };

    mod.quit_program();
    QTRY_COMPARE(exits, 1);
    QCOMPARE(agent.log().lines_of(QStringLiteral("Unload")), QStringList{QStringLiteral("* Unload \"Mira\"")});
}

QTEST_GUILESS_MAIN(TestPellwickMod)
#include "test_pellwick_mod.moc"
