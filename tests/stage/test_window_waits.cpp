// A wait outside a run hands over a continuation: it comes from the event loop, after
// whatever the run state is woken for, and not at all once its context has gone.

#include "engine/run_state.h"
#include "tests/fakes/fake_agent.h"
#include "tests/test_classes.h"
#include "windows/window_waits.h"

#include <QTest>

#include <memory>

using pw::engine::RunState;
using pw::fakes::FakeAgent;

class TestWindowWaits : public QObject {
    Q_OBJECT

private slots:
    void a_wait_goes_on_when_woken_or_at_its_bound()
    {
        FakeAgent agent;
        RunState state(agent);
        QStringList done;
        auto gone = std::make_unique<QObject>();
        state.agent_idle = false;
        pw::windows::when_idle(state, gone.get(), [&] { done << "gone"; });
        pw::windows::when_idle(state, nullptr, [&] { done << "idle"; });
        // A cancel does not end a pause of the windows.
        state.cancel_requested = true;
        pw::windows::after_pause(state, 1, nullptr, [&] { done << "paused"; });
        QVERIFY(done.isEmpty());  // never before the call returns
        gone.reset();
        QTRY_COMPARE(done, QStringList{"paused"});

        // The character going idle wakes the run state, and the wait with it.
        agent.post_idle_start(QStringLiteral("Pellwick"));
        QTRY_COMPARE(done, (QStringList{"paused", "idle"}));

        // Nobody goes idle: the bound ends it.
        state.agent_idle = false;
        state.wait_idle_limit = std::chrono::milliseconds(1);
        pw::windows::when_idle(state, nullptr, [&] { done << "bound"; });
        QTRY_COMPARE(done.last(), QStringLiteral("bound"));
    }
};

PW_TEST_CLASS(TestWindowWaits);
#include "test_window_waits.moc"
