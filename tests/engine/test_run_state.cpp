// The run state's lookups, random numbers and holding the others while one acts,
// against the recording fake platform.

#include "tests/answer_table.h"
#include "tests/test_classes.h"
#include "engine/run_state.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/slot_setup.h"

#include <QSet>
#include <QTest>

using pw::agent::AgentError;
using pw::engine::RunState;
using pw::fakes::FakeTraits;
using pw::fakes::FakeAgent;
using pw::fakes::load_into_slot;

class TestRunState : public QObject {
    Q_OBJECT

private slots:
    void char_index_ignores_case_and_stays_within_char_count();
    void random_int_covers_zero_to_n_from_one_generator();
    void hold_others_spares_the_speaker_and_the_unloaded_and_goes_past_a_refusal();
};

void TestRunState::char_index_ignores_case_and_stays_within_char_count()
{
    // Pellwick in slot 0, Tobble in slot 1, and the char_count the question gives.
    const auto answer = [](const QString&, const QStringList& args) {
        FakeAgent agent;
        RunState state(agent);
        load_into_slot(state, agent, 0, QStringLiteral("Pellwick"));
        load_into_slot(state, agent, 1, QStringLiteral("Tobble"));
        state.char_count = int16_t(args.value(1).toInt());
        return QString::number(state.char_index(args.value(0)));
    };
    const QString mismatch = pw::test::table_mismatch(QStringLiteral(PW_SOURCE_DIR "/tests/engine/run_state.table"), answer);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void TestRunState::random_int_covers_zero_to_n_from_one_generator()
{
    FakeAgent agent;
    RunState state(agent);

    for (int i = 0; i < 500; ++i) QCOMPARE(state.random_int(0), 0);

    QList<int> seen(6, 0);
    for (int i = 0; i < 3000; ++i) {
        const int v = state.random_int(5);
        QVERIFY2(v >= 0 && v <= 5, qPrintable(QString::number(v)));
        ++seen[v];
    }
    for (int v = 0; v <= 5; ++v) QVERIFY2(seen[v] > 300, qPrintable(QStringLiteral("%1 seen %2 times").arg(v).arg(seen[v])));

    // Calls in the same millisecond must not repeat (as a generator re-seeded from
    // the clock on every call would).
    QSet<int> distinct;
    for (int i = 0; i < 200; ++i) distinct.insert(state.random_int(1000000));
    QVERIFY(distinct.size() > 190);
}

void TestRunState::hold_others_spares_the_speaker_and_the_unloaded_and_goes_past_a_refusal()
{
    FakeAgent agent;
    RunState state(agent);
    load_into_slot(state, agent, 0, QStringLiteral("Pellwick"), true);
    load_into_slot(state, agent, 1, QStringLiteral("Tobble"));  // hidden ones wait as well
    load_into_slot(state, agent, 2, QStringLiteral("Gone"), true);
    state.characters[2].loaded = false;
    load_into_slot(state, agent, 3, QStringLiteral("Mira"), true);

    state.options.sequential = true;
    state.char_say(0, QStringLiteral("together"));
    const QString id = QString::number(state.characters[0].request.id());

    // The speaker is found by current_char, case ignored.
    agent.log().clear();
    state.current_char = QStringLiteral("MIRA");
    state.hold_others(state.characters[0].request);
    QCOMPARE(agent.log().lines_of(QStringLiteral("Wait")),
             (QStringList{QStringLiteral("Pellwick Wait ") + id, QStringLiteral("Tobble Wait ") + id}));

    // A character that refuses to wait on itself (its Name differs from its id) does
    // not stop the others from waiting.
    agent.log().clear();
    agent.fail(QStringLiteral("Wait"), pw::agent::error::cant_wait_on_self, QStringLiteral("Pellwick"));
    state.current_char = QStringLiteral("Pelly");
    state.hold_others(state.characters[0].request);
    QCOMPARE(agent.log().count(QStringLiteral("Wait")), 3);
    // Any other error is the caller's to report.
    agent.fail(QStringLiteral("Wait"), 0x80004005, QStringLiteral("Mira"));
    QVERIFY_THROWS_EXCEPTION(AgentError, state.hold_others(state.characters[0].request));
}

PW_TEST_CLASS(TestRunState);
#include "test_run_state.moc"
