// The small parts of the waits: what the minute wait says, reading clock times, the
// bump test and the rhythm of the reminder timer.

#include "tests/test_classes.h"
#include "engine/chars_collide.h"
#include "engine/clock_time.h"
#include "engine/report_timer.h"
#include "engine/wait_texts.h"
#include "tests/fakes/fake_agent.h"

#include <QTest>

using pw::engine::CharBox;
using pw::engine::boxes_collide;
using pw::engine::clock_hours;
using namespace pw::engine::wait_texts;

class TestWaitPieces : public QObject {
    Q_OBJECT

private slots:
    void minute_reminders_data();
    void minute_reminders();
    void clock_times_on_the_twelve_hour_clock();
    void bumping_is_strict_and_one_sided();
    void reminder_timer_keeps_its_rhythm();
};

void TestWaitPieces::minute_reminders_data()
{
    QTest::addColumn<double>("remaining");
    QTest::addColumn<QString>("text");
    QTest::newRow("two minutes") << 120.0 << "I am waiting for  2 minutes  to pass.";
    QTest::newRow("one minute") << 60.4 << "I am waiting for  1 minute  to pass.";
    QTest::newRow("minutes and seconds") << 179.9 << "I am waiting for  2 minutes and  59 seconds to pass.";
    QTest::newRow("seconds") << 59.9 << "I am waiting for  59 seconds to pass.";
    QTest::newRow("countdown") << 9.99 << " 9";
    QTest::newRow("up") << 0.0 << "";
    QTest::newRow("past") << -0.7 << "";
}

void TestWaitPieces::minute_reminders()
{
    QFETCH(double, remaining);
    QFETCH(QString, text);
    QCOMPARE(minutes_reminder(remaining), text);
}

void TestWaitPieces::clock_times_on_the_twelve_hour_clock()
{
    QCOMPARE(clock_hours(QStringLiteral("3:45 pm")), 3.75);
    QCOMPARE(clock_hours(QStringLiteral("10:06am")), 10.1);
    // Only two characters of minutes are read; no colon is no time.
    QCOMPARE(clock_hours(QStringLiteral("3:455 pm")), 3.75);
    QCOMPARE(clock_hours(QStringLiteral("3 pm")), 0.0);
    // Twelve o'clock comes first in its half of the day.
    QVERIFY(clock_hours(QStringLiteral("12:30 pm")) < clock_hours(QStringLiteral("1:15 pm")));
    QVERIFY(clock_hours(QStringLiteral("12:59 am")) < clock_hours(QStringLiteral("1:00 am")));

    const pw::engine::DayHalves halves{QStringLiteral("AM"), QStringLiteral("PM")};
    QCOMPARE(pw::engine::clock_text(QTime(15, 7, 59), halves), QStringLiteral("3:07 PM"));
    QCOMPARE(pw::engine::clock_text(QTime(0, 5), halves), QStringLiteral("12:05 AM"));
    QCOMPARE(pw::engine::clock_text(QTime(12, 0), halves), QStringLiteral("12:00 PM"));
    QCOMPARE(pw::engine::clock_text(QTime(9, 30), halves), QStringLiteral("9:30 AM"));
}

void TestWaitPieces::bumping_is_strict_and_one_sided()
{
    // a's reference point is (150, 125); its box is x 100..200, y 35..215, open.
    const CharBox a{100, 100, 100, 100};
    auto point = [](double x, double y) { return CharBox{x - 5, y - 2.5, 10, 10}; };  // ref point (x, y)
    QVERIFY(boxes_collide(a, point(150, 125)));
    QVERIFY(boxes_collide(a, point(100.5, 35.5)));
    QVERIFY(!boxes_collide(a, point(100, 125)));
    QVERIFY(!boxes_collide(a, point(200, 125)));
    QVERIFY(!boxes_collide(a, point(150, 35)));
    QVERIFY(!boxes_collide(a, point(150, 215)));
    QVERIFY(boxes_collide(a, point(199.9, 214.9)));

    // A big character whose point stays outside a small one's box: no bump that way,
    // although the small one's point lies inside the big one's box.
    const CharBox small{0, 0, 20, 20};
    const CharBox big{-100, -40, 260, 260};  // ref point (30, 25)
    QVERIFY(!boxes_collide(small, big));
    QVERIFY(boxes_collide(big, small));
}

void TestWaitPieces::reminder_timer_keeps_its_rhythm()
{
    pw::fakes::FakeAgent agent;
    pw::engine::RunState state(agent);
    pw::engine::ReportTimer timer(state);

    // Interval 0 and switched off never tick.
    timer.set(true, 0);
    QVERIFY(!timer.ticking());
    timer.set(false, 40);
    QVERIFY(!timer.ticking());

    timer.set(true, 60);
    QElapsedTimer since;
    since.start();
    // The same setting again and again, as a wait does on every pass, does not hold
    // the tick back.
    while (!state.report_due && since.elapsed() < 1000) {
        timer.set(true, 60);
        QTest::qWait(5);
    }
    QVERIFY(state.report_due);

    // A new interval counts afresh.
    state.report_due = false;
    timer.set(true, 400);
    QTest::qWait(100);
    timer.set(true, 30);
    QTRY_VERIFY_WITH_TIMEOUT(state.report_due, 200);
    timer.set(false, 30);
    state.report_due = false;
    QTest::qWait(80);
    QVERIFY(!state.report_due);
}

PW_TEST_CLASS(TestWaitPieces);
#include "test_wait_pieces.moc"
