// The timing class: counter halves to numbers, the frequency as the counter gives it,
// and pauses timed by it; the clock window, whose needle cycles 0..58 as the editor's
// timer ticks, drawn where the value says.

#include "engine/run_state.h"
#include "media/clock_dial.h"
#include "media/clock_window.h"
#include "media/monotonic_clock.h"
#include "tests/fakes/fake_agent.h"
#include "tests/test_classes.h"
#include "windows/window_waits.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTest>

#include <cmath>

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

    void the_needle_cycles_and_never_shows_59()
    {
        pw::media::ClockWindow form;
        QList<int> seen;
        for (int i = 0; i < 200; ++i) {
            form.advance();
            seen << form.dial->value();
        }
        QVERIFY(!seen.contains(59));
        // One step a tick, from 58 straight back to 0: 59 ticks a turn.
        QCOMPARE(seen.mid(55, 5), (QList<int>{56, 57, 58, 0, 1}));
        QCOMPARE(seen[57 + 59], 58);

        form.dial->setValue(75);  // a value from outside stays on the face
        QCOMPARE(form.dial->value(), 59);
        form.advance();
        QCOMPARE(form.dial->value(), 0);
    }

    void the_dial_draws_the_needle_at_its_value()
    {
        pw::media::ClockDial dial;
        dial.resize(120, 120);
        // The needle is the only red on the face: look for it along a minute's ray.
        auto red_towards = [](const QImage& img, int minute) {
            const double a = minute * 6.0 * M_PI / 180.0;
            for (double r = 15; r <= 36; r += 3) {
                const QRgb c = img.pixel(60 + int(std::sin(a) * r), 60 - int(std::cos(a) * r));
                if (qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110) return true;
            }
            return false;
        };
        for (int minute : {0, 15, 30, 45}) {
            dial.setValue(minute);
            const QImage img = dial.grab().toImage();
            QVERIFY2(red_towards(img, minute) && !red_towards(img, minute + 30), qPrintable(QString::number(minute)));
        }
    }
};

PW_TEST_CLASS(TestMonotonicClock);
#include "test_monotonic_clock.moc"
