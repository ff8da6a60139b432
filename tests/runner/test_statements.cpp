// The character statements: what each asks of the platform and the windows, with which
// arguments, and which faulty arguments end the run with the spelling message.

#include "engine/spoken_questions.h"
#include "engine/statement_handlers.h"
#include "platform/core/trace.h"
#include "tests/runner/runner_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QTest>

using pw::runner_tests::FastClock;
using pw::runner_tests::RunnerFixture;

namespace {

// The log lines of the given operations, without the end-of-run block's.
QStringList calls(RunnerFixture& f, const QStringList& operations)
{
    QStringList out;
    for (const auto& r : f.agent.log().records())
        if (operations.contains(r.operation)) out << r.line();
    if (!out.isEmpty() && out.last().contains(QLatin1String(" MoveTo ")) && out.last().endsWith(QLatin1String(" 1000"))
        && operations.contains(QStringLiteral("MoveTo")))
        out.removeLast();
    return out;
}

// Runs one statement of Pellwick's and returns the message it ended with, if any.
QString run_line(RunnerFixture& f, const QString& statement)
{
    const qsizetype before = f.host.messages.size();
    f.run(QStringLiteral("pellwick> ") + statement);
    return f.host.messages.size() > before ? f.host.messages.last() : QString();
}

}  // namespace

class TestStatements : public QObject {
    Q_OBJECT

private slots:
    void speak_says_lower_case_text_or_a_wave_file();
    void sound_plays_and_waits_for_the_end_or_a_cancel();
    void shell_without_a_yes_skips_every_program();
    void show_hide_load_unload();
    void moveto_reads_speed_place_or_character();
    void charpos_tells_places_or_jumps();
    void charsize_records_the_size_in_slot_zero();
    void tickle_jiggles_within_the_factor();
    void pause_listen_stopmoving_and_animations();
    void cancel_it_stops_visible_characters();
};

void TestStatements::speak_says_lower_case_text_or_a_wave_file()
{
    RunnerFixture f;
    // Arguments come lower-cased; the file is found whatever the case of its name.
    QVERIFY(QFile(f.folder.filePath("wav/Boing.wav")).open(QIODevice::WriteOnly));
    QCOMPARE(run_line(f, "speak Boing.WAV"), QString());
    QCOMPARE(f.said(), QStringList{"pellwick Speak \"\" \"" + f.folder.filePath("wav/Boing.wav") + "\""});
    QCOMPARE(run_line(f, "speak nope.wav"), f.spelling("pellwick", "speak nope.wav"));
    QCOMPARE(f.said(), QStringList{});

    f.run("pellwick> speak Hello  Sam ");
    QCOMPARE(f.said(), QStringList{"pellwick Speak \"hello  sam\" \"\""});
}

void TestStatements::sound_plays_and_waits_for_the_end_or_a_cancel()
{
    RunnerFixture f;
    f.host.wave_ms = 60;
    QVERIFY(QFile(f.folder.filePath("wav/Drum.wav")).open(QIODevice::WriteOnly));
    QElapsedTimer t;
    t.start();
    QCOMPARE(run_line(f, "sound DRUM"), QString());
    QVERIFY2(t.elapsed() >= 55, qPrintable(QString::number(t.elapsed())));
    const qsizetype played = f.host.calls.indexOf("play_wave " + f.mod.user_folder + "/wav/Drum.wav");
    QVERIFY(played >= 0 && f.host.calls.indexOf("stop_wave", played) > played);
    QVERIFY(f.mod.agent_idle);

    f.host.wave_ms = -1;  // never ends by itself
    QTimer::singleShot(30, [&] { pw::engine::cancel_it(f.mod, f.host); });
    f.run("pellwick> sound long\nspeak after");
    QVERIFY(!f.said().contains("pellwick Speak \"after\" \"\""));

    // A cancel ends a sound, a pause and the pause between lines at once, even before
    // the wave device has been stopped (a double click sets cancel_requested first).
    for (const char* script : {"pellwick> sound long\nspeak after", "pellwick> pause 3600\nspeak after",
                               "interval 3600\npellwick> speak after"}) {
        QTimer::singleShot(30, [&] {
            f.mod.cancel_requested = true;
            f.mod.wake_run();
        });
        f.run(script);
        QVERIFY2(!f.said().contains("pellwick Speak \"after\" \"\""), script);
    }
}

void TestStatements::shell_without_a_yes_skips_every_program()
{
    // Nobody answers (a double click allows them: see the answers' tests). The
    // question names each program once, before the first.
    RunnerFixture f;
    f.run(QStringLiteral("pellwick> shell xdg-open /home/Ann/Story.txt\ntansy> shell Touch  \"A b\" \n"
                         "pellwick> shell xdg-open /home/Ann/Story.txt\npellwick> speak after"));
    const QString question =
        pw::engine::programs_question({"xdg-open /home/Ann/Story.txt", "Touch  \"A b\""});
    QVERIFY(question.startsWith("This script wants to start 2 programs. Program 1: xdg-open /home/Ann/Story.txt. "
                                "Program 2: Touch  \"A b\". "));
    QCOMPARE(f.host.count("start_program"), 0);
    QCOMPARE(f.said(), (QStringList{"pellwick Speak " + pw::trace::quote(question) + " \"\"",
                                     "pellwick Speak \"I'm not allowed to start that.\" \"\"",
                                     "tansy Speak \"I'm not allowed to start that.\" \"\"",
                                     "pellwick Speak \"I'm not allowed to start that.\" \"\"",
                                     "pellwick Speak \"after\" \"\""}));
    QVERIFY(f.host.messages.isEmpty());
    QCOMPARE(run_line(f, "shell"), f.spelling("pellwick", "shell "));
}

void TestStatements::show_hide_load_unload()
{
    RunnerFixture f;
    const QStringList ops{"Show", "Hide", "Activate"};
    run_line(f, "show Tansy");
    QCOMPARE(calls(f, ops), (QStringList{"tansy Show False", "tansy Activate 1"}));
    QCOMPARE(f.mod.characters[1].request, f.agent.last_request("tansy"));
    run_line(f, "unload tansy");
    QCOMPARE(calls(f, ops), QStringList{"tansy Hide False"});
    run_line(f, "load tansy");
    QCOMPARE(calls(f, ops), QStringList{"tansy Show False"});
    run_line(f, "hide tansy");
    QCOMPARE(calls(f, ops), QStringList{"tansy Hide False"});
    f.pellwick->set_shown(true);
    run_line(f, "hide all");
    QCOMPARE(calls(f, ops), (QStringList{"pellwick Hide False", "tansy Hide False"}));

    QCOMPARE(run_line(f, "show nobody"), f.spelling("pellwick", "show nobody"));
    f.mod.size_slots(2);
    f.mod.char_count = 3;  // slot 2 holds no character
    QCOMPARE(run_line(f, "hide all"), f.spelling("pellwick", "hide all"));
}

void TestStatements::moveto_reads_speed_place_or_character()
{
    const QList<std::pair<QString, QString>> cases{
        {"moveto 100,200 fast", "pellwick MoveTo 100 200 500"},
        {"moveto faster 10,10", "pellwick MoveTo 10 10 200"},
        {"moveto fastest -5,7.5", "pellwick MoveTo -5 8 30"},
        {"moveto 100abc, 20", "pellwick MoveTo 100 20 1000"},
        {"moveto slowest Tansy", "pellwick MoveTo 300 40 5000"},
        {"moveto ,", "pellwick MoveTo 0 0 1000"},
    };
    for (const auto& [statement, expected] : cases) {
        RunnerFixture f;
        f.tansy->place(300, 40);
        QCOMPARE(run_line(f, statement), QString());
        QCOMPARE(calls(f, {"MoveTo"}), QStringList{expected});
    }
    for (const char* bad : {"moveto 150", "moveto slow", "moveto 40000,1", "moveto nobody"}) {
        RunnerFixture f;
        QCOMPARE(run_line(f, bad), f.spelling("pellwick", bad));
    }
    RunnerFixture f;
    for (int i = 0; i < 20; ++i) {
        run_line(f, "moveto random slower");
        const QStringList move = calls(f, {"MoveTo"}).value(0).split(' ');
        QCOMPARE(move.value(4), QStringLiteral("3000"));
        QVERIFY(move.value(2).toInt() <= 1024 - 128 && move.value(3).toInt() <= 768 - 128);
        QCOMPARE(f.host.convert_x + ' ' + f.host.convert_y, move.value(2) + ' ' + move.value(3));
    }
}

void TestStatements::charpos_tells_places_or_jumps()
{
    RunnerFixture f;
    f.pellwick->place(100, 50);
    f.pellwick->set_width(100);
    f.pellwick->set_height(250);
    run_line(f, "charpos x,y");
    QCOMPARE(f.said(), QStringList{"pellwick Speak \"I am at X: 150 and Y:  112.5\" \"\""});

    const QStringList sets{"set Left", "set Top", "Show"};
    f.tansy->place(7, 9);
    run_line(f, "charpos tansy");
    QCOMPARE(calls(f, sets), (QStringList{"pellwick set Left 7", "pellwick set Top 9"}));
    f.run("tansy> charpos  12 , -34.5");  // placing does not show a hidden character
    QCOMPARE(calls(f, sets), (QStringList{"tansy set Left 12", "tansy set Top -34"}));
    run_line(f, "charpos random");
    QVERIFY(f.pellwick->left() <= 1024 - 100 && f.pellwick->top() <= 768 - 250);
    QCOMPARE(f.host.convert_x, QString::number(f.pellwick->left()));
    QVERIFY(!f.mod.agent_idle);

    for (const char* bad : {"charpos 100abc,20", "charpos 5", "charpos 5,", "charpos 1,99999"})
        QCOMPARE(run_line(f, bad), f.spelling("pellwick", bad));
}

void TestStatements::charsize_records_the_size_in_slot_zero()
{
    RunnerFixture f;
    f.run("tansy> charsize 200, 300.5");
    QCOMPARE(calls(f, {"set Width", "set Height"}), (QStringList{"tansy set Width 200", "tansy set Height 300"}));
    QCOMPARE(f.mod.characters[0].size, QSize(200, 300));
    QCOMPARE(f.mod.characters[1].size.width(), 128);
    QCOMPARE(run_line(f, "charsize 200"), f.spelling("pellwick", "charsize 200"));
    QCOMPARE(run_line(f, "charsize 2x,3"), f.spelling("pellwick", "charsize 2x,3"));
}

void TestStatements::tickle_jiggles_within_the_factor()
{
    for (const int factor : {0, 2}) {
        RunnerFixture f;
        f.pellwick->place(100, 100);
        run_line(f, QStringLiteral("tickle %1").arg(factor ? "2" : ""));
        const QStringList log = calls(f, {"Stop", "Play", "Speak", "set Left", "set Top"});
        QCOMPARE(log.size(), 2 + 51 * 2 + 2);
        QCOMPARE(log.mid(0, 2), (QStringList{"pellwick Stop 0", "pellwick Play \"alert\""}));
        QCOMPARE(log.mid(104), (QStringList{"pellwick Speak \"Hey, that tickled!\" \"\"", "pellwick Play \"pleased\""}));
        int widest = 0;
        for (int i = 2; i < 104; ++i) {
            QVERIFY(log[i].startsWith(i % 2 ? "pellwick set Top " : "pellwick set Left "));
            const int offset = log[i].section(' ', 3).toInt() - 100;
            QVERIFY2(offset >= 0 && offset <= (factor ? 13 : 0), qPrintable(log[i]));
            widest = qMax(widest, offset);
        }
        // 128 / 20 * 2 = 12.8 rounds to 13: 102 draws from 0..13 reach 13 (all but surely).
        QCOMPARE(widest, factor ? 13 : 0);
    }
    // Tickling never fails the run, even with no character to tickle.
    RunnerFixture f;
    f.run("tickle 1\npellwick> speak on");
    QVERIFY(f.host.messages.isEmpty());
}

void TestStatements::pause_listen_stopmoving_and_animations()
{
    RunnerFixture f;
    FastClock clock(20.0);
    f.use_clock(clock);
    QHash<QString, double> at;
    f.host.on_highlight = [&](const QString& line) { at.insert(line, clock.get_time()); };
    f.run("pellwick> pause 0.5\nlisten\nstopmoving\nWAVE hello \ngreet");
    const double paused = at["listen"] - at["pause 0.5"];
    QVERIFY2(paused >= 500 && paused < 800, qPrintable(QString::number(paused)));
    QCOMPARE(calls(f, {"Listen", "StopAll", "Play"}),
             (QStringList{"pellwick Listen True", "pellwick StopAll \"Move\"",
                          "pellwick Play \"WAVE hello\""}));
    QCOMPARE(f.host.messages, QStringList{f.spelling("pellwick", "WAVE hello ", 4)});
}

void TestStatements::cancel_it_stops_visible_characters()
{
    RunnerFixture f;
    FastClock clock(20.0);
    f.use_clock(clock);
    pw::engine::cancel_it(f.mod, f.host);
    // The characters take their turns from the event loop.
    QVERIFY(!f.mod.cancel_requested && f.mod.run_held());
    QTRY_VERIFY(f.mod.cancel_requested && !f.mod.run_held());
    QCOMPARE(calls(f, {"Listen", "StopAll", "Speak"}),
             (QStringList{"pellwick Listen False", "pellwick StopAll \"\"",
                          "pellwick Speak \"I'm cancelled\" \"\"", "tansy Listen False"}));
    QVERIFY(f.mod.cancel_requested && f.mod.stop_sound && !f.mod.listening);
    QCOMPARE(f.host.calls, QStringList{"stop_wave"});

    // Play at once after a cancel: the run begins once the cancel is over.
    pw::engine::cancel_it(f.mod, f.host);
    f.run("pellwick> speak after");
    QVERIFY(f.said().contains("pellwick Speak \"after\" \"\""));
}

QTEST_GUILESS_MAIN(TestStatements)
#include "test_statements.moc"
