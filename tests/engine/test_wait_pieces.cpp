// The small parts of the waits: what the minute wait says, reading clock times and the
// bump test (the questions and answers are in wait_pieces.table), and the rhythm of the
// reminder timer.

#include "tests/answer_table.h"
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

namespace {

QString answer(const QString& verb, const QStringList& args)
{
    if (verb == QLatin1String("minutes left")) return pw::test::quoted(minutes_reminder(args.value(0).toDouble()));
    if (verb == QLatin1String("hours")) return QString::number(clock_hours(args.value(0)));
    if (verb == QLatin1String("clock")) {
        const pw::engine::DayHalves halves{QStringLiteral("AM"), QStringLiteral("PM")};
        return pw::engine::clock_text(QTime::fromString(args.value(0), QStringLiteral("h:mm:ss")), halves);
    }
    if (verb == QLatin1String("bumps")) {
        // Each box as "left top width height".
        const auto box = [](const QString& text) {
            const QStringList n = text.split(QLatin1Char(' '));
            return CharBox{n.value(0).toDouble(), n.value(1).toDouble(), n.value(2).toDouble(), n.value(3).toDouble()};
        };
        return boxes_collide(box(args.value(0)), box(args.value(1))) ? QStringLiteral("yes") : QStringLiteral("no");
    }
    return QStringLiteral("(not a question)");
}

}  // namespace

class TestWaitPieces : public QObject {
    Q_OBJECT

private slots:
    void answers_as_on_file();
    void reminder_timer_keeps_its_rhythm();
};

void TestWaitPieces::answers_as_on_file()
{
    const QString mismatch = pw::test::table_mismatch(QStringLiteral(PW_SOURCE_DIR "/tests/engine/wait_pieces.table"), answer);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
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
