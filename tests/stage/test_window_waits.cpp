// Waiting while events flow: the event pump sleeps instead of spinning, pauses keep
// timers running and ignore a cancel, wait_idle ends on the flag or its bound.

#include "engine/run_state.h"
#include "tests/fakes/fake_agent.h"
#include "tests/test_classes.h"
#include "windows/event_pump.h"
#include "windows/window_waits.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QTest>

#include <ctime>

using pw::windows::EventPump;
using pw::engine::RunState;
using pw::fakes::FakeAgent;

namespace {

// A high-resolution clock that runs twice as fast as real time.
class DoubleSpeedClock : public pw::engine::HiresClock {
public:
    DoubleSpeedClock() { real_.start(); }
    double get_time() override { ++reads; return 2.0 * double(real_.nsecsElapsed()) / 1e6; }
    double speed() const override { return 2.0; }
    int reads = 0;

private:
    QElapsedTimer real_;
};

double cpu_ms() { return 1000.0 * double(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

class TestWindowWaits : public QObject {
    Q_OBJECT

private slots:
    void do_events_sleeps_between_events();
    void do_events_delivers_posted_events_and_frees_deferred_deletes();
    void pause_ms_keeps_timers_running_and_ignores_cancel();
    void pause_ms_uses_the_hires_clock_only_when_it_has_a_frequency();
    void wait_idle_ends_on_the_flag_or_its_bound();
};

void TestWindowWaits::do_events_sleeps_between_events()
{
    EventPump pump;
    QElapsedTimer t;
    t.start();
    const double cpu_before = cpu_ms();
    int passes = 0;
    while (t.elapsed() < 200) {
        pump.do_events();
        ++passes;
    }
    const double cpu = cpu_ms() - cpu_before;
    // About 200 / keep_alive_ms passes; a spinning loop makes hundreds of thousands.
    QVERIFY2(passes >= 5 && passes <= 40, qPrintable(QString::number(passes)));
    QVERIFY2(cpu < 40.0, qPrintable(QStringLiteral("%1 ms of CPU in 200 ms").arg(cpu)));

    // A pass may sleep less than the keep-alive, never more than asked for.
    t.restart();
    for (int i = 0; i < 10; ++i) pump.do_events(2);
    QVERIFY2(t.elapsed() < 60, qPrintable(QString::number(t.elapsed())));
}

void TestWindowWaits::do_events_delivers_posted_events_and_frees_deferred_deletes()
{
    EventPump pump;
    bool delivered = false;
    QMetaObject::invokeMethod(this, [&] { delivered = true; }, Qt::QueuedConnection);
    QElapsedTimer t;
    t.start();
    pump.do_events();
    QVERIFY(delivered);
    QVERIFY2(t.elapsed() < 8, "a pending event must not wait for the keep-alive");

    pump.let_events_run();  // with nothing pending it returns at once
    QVERIFY(t.elapsed() < 10);

    // An object deleteLater()ed before a long wait is freed during the wait, not
    // only when the main loop is reached again.
    QPointer<QObject> doomed = new QObject;
    doomed->deleteLater();
    for (int i = 0; i < 200 && doomed; ++i) pump.do_events(1);
    QVERIFY(doomed.isNull());
}

void TestWindowWaits::pause_ms_keeps_timers_running_and_ignores_cancel()
{
    FakeAgent agent;
    RunState mod(agent);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    QTimer::singleShot(10, [&] { mod.cancel_requested = true; });
    // An event handler that runs during the pause sees the run state.
    agent.post_click(QStringLiteral("Pellwick"));
    bool clicked = false;
    QObject::connect(&agent, &FakeAgent::Click, [&] { clicked = true; });

    QElapsedTimer t;
    t.start();
    pw::windows::pause_ms(mod, 150);
    const qint64 took = t.elapsed();
    QVERIFY2(took >= 150 && took < 400, qPrintable(QString::number(took)));
    QVERIFY2(ticks >= 4, qPrintable(QString::number(ticks)));
    QVERIFY(mod.cancel_requested);
    QVERIFY(clicked);

    t.restart();
    pw::windows::pause_ms(mod, 0);
    pw::windows::pause_ms(mod, -5);
    QVERIFY(t.elapsed() < 5);
}

void TestWindowWaits::pause_ms_uses_the_hires_clock_only_when_it_has_a_frequency()
{
    FakeAgent agent;
    RunState mod(agent);
    DoubleSpeedClock clock;
    mod.hires_timer = &clock;

    mod.hires_frequency = 0.0;  // no counter: the tick count decides
    QElapsedTimer t;
    t.start();
    pw::windows::pause_ms(mod, 200);
    QVERIFY2(t.elapsed() >= 200, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(clock.reads, 0);

    mod.hires_frequency = 1e9;
    t.restart();
    pw::windows::pause_ms(mod, 200);  // 100 ms of real time on a clock running twice as fast
    QVERIFY2(t.elapsed() >= 95 && t.elapsed() < 190, qPrintable(QString::number(t.elapsed())));
    QVERIFY(clock.reads > 1);
}

void TestWindowWaits::wait_idle_ends_on_the_flag_or_its_bound()
{
    FakeAgent agent;
    RunState mod(agent);
    QCOMPARE(mod.wait_idle_limit, std::chrono::milliseconds(15000));

    mod.agent_idle = true;
    QElapsedTimer t;
    t.start();
    pw::windows::wait_idle(mod);
    QVERIFY(t.elapsed() < 5);

    // Nobody goes idle: the bound ends the wait, measured on the monotonic clock.
    mod.agent_idle = false;
    mod.wait_idle_limit = std::chrono::milliseconds(150);
    t.restart();
    pw::windows::wait_idle(mod);
    QVERIFY2(t.elapsed() >= 150 && t.elapsed() < 400, qPrintable(QString::number(t.elapsed())));

    // The flag set by an event handler ends the wait early.
    mod.wait_idle_limit = std::chrono::milliseconds(5000);
    QObject::connect(&agent, &FakeAgent::IdleStart, [&] { mod.agent_idle = true; });
    QTimer::singleShot(40, [&] { agent.post_idle_start(QStringLiteral("Pellwick")); });
    t.restart();
    pw::windows::wait_idle(mod);
    QVERIFY2(t.elapsed() >= 40 && t.elapsed() < 300, qPrintable(QString::number(t.elapsed())));
}

PW_TEST_CLASS(TestWindowWaits);
#include "test_window_waits.moc"
