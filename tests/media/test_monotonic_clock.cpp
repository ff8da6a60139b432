// The timing class: counter halves to numbers, the frequency as the counter gives it,
// and pauses timed by it.

#include "engine/run_state.h"
#include "media/monotonic_clock.h"
#include "tests/fakes/fake_agent.h"
#include "tests/test_classes.h"
#include "windows/window_waits.h"

#include <QElapsedTimer>
#include <QTest>

using pw::media::CounterValue;
using pw::media::MonotonicClock;

namespace {
// A counter the test sets by hand.
CounterValue g_count;
bool g_ok = true;
bool read_by_hand(CounterValue& out)
{
    out = g_count;
    return g_ok;
}
}  // namespace

class TestMonotonicClock : public QObject {
    Q_OBJECT

private slots:
    void halves_with_the_top_bit_set_count_as_positive()
    {
        QCOMPARE(MonotonicClock::count_to_double({int32_t(0x80000000u), 0}), 2147483648.0);
        QCOMPARE(MonotonicClock::count_to_double({-2, -1}), 18446744073709551614.0);
        const uint64_t v = 0x00012345fedcba98ull;
        QCOMPARE(MonotonicClock::count_to_double(CounterValue::from_u64(v)), double(v));
    }

    void counts_become_milliseconds_at_the_programs_frequency()
    {
        double frequency = 0.0;
        MonotonicClock t(frequency, {&read_by_hand, &read_by_hand});
        g_count = CounterValue::from_u64(3579545);
        QCOMPARE(t.Initialise(), 3579545.0);  // unscaled
        frequency = 1000.0;
        g_count = CounterValue::from_u64(0x1'8000'0000ull);
        QCOMPARE(t.GetTime(), 6442450944.0);
        QCOMPARE(t.mark_ticks, 6442450944.0);
        // The program's frequency counts, not the one this object measured.
        frequency = 10000.0;
        QCOMPARE(t.GetTime(), 644245094.4);

        g_ok = false;
        QCOMPARE(t.Initialise(), 0.0);
        QCOMPARE(t.api_result, 0);
        g_ok = true;
    }

    void pauses_are_timed_by_the_real_clock()
    {
        pw::fakes::FakeAgent agent;
        pw::engine::RunState state(agent);
        MonotonicClock t(state.hires_frequency);
        state.hires_timer = &t;
        state.hires_frequency = t.Initialise();
        QCOMPARE(state.hires_frequency, 1e9);  // nanoseconds

        QElapsedTimer wall;
        wall.start();
        const double before = t.GetTime();
        bool over = false;
        pw::windows::after_pause(state, 120, nullptr, [&] { over = true; });
        QTRY_VERIFY(over);
        const double measured = t.GetTime() - before;
        QVERIFY2(measured >= 120.0 && measured <= wall.elapsed() + 1.0, qPrintable(QString::number(measured)));
    }
};

PW_TEST_CLASS(TestMonotonicClock);
#include "test_monotonic_clock.moc"
