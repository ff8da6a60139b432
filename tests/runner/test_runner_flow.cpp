// The runner's control flow against the fake platform: preparation and ending, loops,
// branch blocks, jumps, sequential waiting, cancelling, pauses and the error path.

#include "engine/script_runner.h"
#include "platform/core/trace.h"
#include "tests/runner/runner_fixture.h"

#include <QTimer>
#include <QTest>

#include <cmath>

using pw::agent::Request;
using pw::fakes::FakeAgent;
using pw::runner_tests::FastClock;
using pw::runner_tests::RunnerFixture;

namespace {

QStringList trace_lines;
void collect_trace(const QString& line) { trace_lines << line.section(QLatin1Char(' '), 2); }

QString speak(const QString& who, const QString& text)
{
    return who + QStringLiteral(" Speak \"") + text + QStringLiteral("\" \"\"");
}

QStringList spoken(RunnerFixture& f)
{
    QStringList out;
    for (const QString& line : f.said()) out << line.section(QLatin1Char('"'), 1, 1);
    return out;
}

const QString branch_script = QStringLiteral(
    "pellwick> speak a gift for you\n"
    "Pellwick> If key=a Then\n"
    "pellwick> speak apple\n"
    "pellwick> elseif key=b then\n"
    "pellwick> speak ball\n"
    "pellwick> else\n"
    "pellwick> speak what\n"
    "pellwick> endif\n"
    "pellwick> if key=c then\n"
    "pellwick> speak cat\n"
    "pellwick> else\n"
    "pellwick> speak different\n"
    "pellwick> endif");

}  // namespace

class TestRunnerFlow : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        trace_lines.clear();
        pw::trace::set_enabled_for_tests(true);
        pw::trace::set_sink(collect_trace);
    }
    void cleanup() { pw::trace::set_sink(nullptr); }

    void do_loop_repeats_and_blocks_do_not_nest();
    void each_if_evaluates_its_own_block_found_by_keyword();
    void interval_pauses_after_lines_and_per_branch_tested();
    void goto_reaches_labels_including_line_zero();
    void sequential_mode_waits_for_completion();
    void cancel_ends_the_run_before_the_next_statement();
    void step_by_step_runs_a_marked_line_per_press();
    void slow_pauses_before_each_line_after_the_first();
    void failures_show_the_spelling_message_and_stop();
    void command_already_defined_is_skipped();
    void faults_of_the_whole_script_are_told_plainly_before_any_line();
    void runout_says_bye_and_ends_the_program();
    void starter_scripts_start_at_once_and_run_to_their_end();
};

void TestRunnerFlow::do_loop_repeats_and_blocks_do_not_nest()
{
    RunnerFixture f;
    f.run(QStringLiteral("pellwick> do\npellwick> speak again\npellwick> loop 3\npellwick> speak done\n"
                         "do\nspeak once\nloop"));
    QCOMPARE(spoken(f), (QStringList{"again", "again", "again", "done", "once"}));
    QVERIFY(f.host.messages.isEmpty());

    // One counter cannot serve two blocks (the outer one would start over for ever):
    // the inner do is reported where it stands.
    f.run(QStringLiteral("pellwick> do\nspeak a\nDo\nspeak b\nloop 2\nloop 2"));
    QCOMPARE(spoken(f), QStringList{"a"});
    QCOMPARE(f.host.messages, QStringList{f.spelling("pellwick", "Do ", 3)});

    // Each pass marks the line that runs, even when an earlier line begins the same way.
    RunnerFixture g;
    g.run(QStringLiteral("do\npellwick> speak hill\nspeak hi\nloop 2"));
    QCOMPARE(g.host.highlights, (QStringList{"do", "speak hill", "speak hi", "loop 2", "speak hill", "speak hi", "loop 2"}));
}

void TestRunnerFlow::each_if_evaluates_its_own_block_found_by_keyword()
{
    const QList<std::pair<QString, QStringList>> cases{
        {"B", {"a gift for you", "ball", "different"}},
        {"a", {"a gift for you", "apple", "different"}},
        {"c", {"a gift for you", "what", "cat"}},
    };
    for (const auto& [key, expected] : cases) {
        RunnerFixture f;
        f.mod.last_key = key;
        f.run(branch_script);
        QCOMPARE(spoken(f), expected);
        QVERIFY(f.host.messages.isEmpty());
    }

    // Inside a do block the chosen branch ends at the next branch line as well.
    RunnerFixture f;
    f.mod.last_key = QStringLiteral("a");
    f.run(QStringLiteral("pellwick> do\nspeak pass\nif key=a then\nspeak apple\nelse\nspeak other\nendif\n"
                         "loop 2\nspeak after"));
    QCOMPARE(spoken(f), (QStringList{"pass", "apple", "pass", "apple", "after"}));
    QCOMPARE(f.host.highlights.count("speak pass"), 2);

    // An if block without endif would send the run back to line 0 for ever: it is
    // reported at the if line instead.
    RunnerFixture g;
    g.mod.last_key = QStringLiteral("z");
    g.run(QStringLiteral("pellwick> speak hi\nif key=a then\nspeak apple\nelse\nspeak other"));
    QCOMPARE(spoken(g), QStringList{"hi"});
    QCOMPARE(g.host.messages, QStringList{g.spelling("pellwick", "if key=a then", 2)});
}

void TestRunnerFlow::interval_pauses_after_lines_and_per_branch_tested()
{
    RunnerFixture f;
    FastClock clock(20.0);
    f.use_clock(clock);
    QHash<QString, double> at;
    f.host.on_highlight = [&](const QString& line) { at.insert(line, clock.get_time()); };
    f.mod.last_key = QStringLiteral("b");
    f.run(QStringLiteral("pellwick> interval 2.5\nspeak a\ninterval 0.4\nspeak b\ninterval 1\n"
                         "if key=a then\nspeak apple\nelseif key=b then\nspeak ball\nendif"));
    QCOMPARE(spoken(f), (QStringList{"a", "b", "ball"}));
    // 2.5 rounds to 2 s; the pause has a wake-up granularity of 12 ms real (240 here).
    const double after_a = at["interval 0.4"] - at["speak a"];
    QVERIFY2(after_a >= 2000 && after_a < 2400, qPrintable(QString::number(after_a)));
    const double after_b = at["interval 1"] - at["speak b"];
    QVERIFY2(after_b < 300, qPrintable(QString::number(after_b)));
    // Two branch lines tested plus the pause after the if line.
    const double to_ball = at["speak ball"] - at["if key=a then"];
    QVERIFY2(to_ball >= 3000 && to_ball < 3800, qPrintable(QString::number(to_ball)));
}

void TestRunnerFlow::goto_reaches_labels_including_line_zero()
{
    RunnerFixture f;
    int hops = 0;
    f.host.on_highlight = [&](const QString& line) {
        if (line == QLatin1String("speak hop") && ++hops == 3) f.mod.cancel_requested = true;
    };
    f.run(QStringLiteral("label 1\npellwick> speak hop\ngoto label 1"));
    QCOMPARE(spoken(f), (QStringList{"hop", "hop"}));
    QCOMPARE(f.agent.log().count(QStringLiteral("Play")), 0);  // a label line does nothing
    QVERIFY(f.host.messages.isEmpty());

    f.run(QStringLiteral("pellwick> goto label 3\nspeak skipped\nspeak skipped too\nlabel 3\nspeak landed"));
    QCOMPARE(spoken(f), QStringList{"landed"});

    f.run(QStringLiteral("pellwick> speak first\ngoto label 4"));
    QCOMPARE(f.host.messages.value(0), f.spelling("pellwick", "goto label 4", 2));
    f.run(QStringLiteral("pellwick> speak never\nlabel 11"));
    QCOMPARE(spoken(f), QStringList{});
    QCOMPARE(f.host.messages.value(1), QStringLiteral("Line 2 says label 11, but labels go from 0 to 10."));
}

void TestRunnerFlow::sequential_mode_waits_for_completion()
{
    // A line that only mentions a keyword waits like any other ("sound" in a sentence).
    for (const bool sequential : {true, false}) {
        for (const char* middle : {"Wave", "speak the sound of the sea"}) {
            RunnerFixture f;
            f.agent.set_completion(FakeAgent::Completion::Manual);
            int ticks = 0;
            QTimer finisher;
            QObject::connect(&finisher, &QTimer::timeout, [&] {
                if (++ticks < 5) return;
                if (ticks == 5) f.agent.log().add(QStringLiteral("*"), QStringLiteral("FinishAll"));
                f.agent.finish_all();
            });
            finisher.start(5);
            f.run(QStringLiteral("pellwick> sequential %1\n%2\nspeak hi").arg(sequential ? "TRUE" : "f", middle));
            const QStringList log = f.agent.log().lines();
            const qsizetype finished = log.indexOf(QStringLiteral("* FinishAll"));
            const qsizetype spoke = log.indexOf(speak("pellwick", "hi"));
            QVERIFY(finished >= 0 && spoke >= 0);
            QCOMPARE(spoke > finished, sequential);
            QCOMPARE(f.agent.log().count(QStringLiteral("Wait"), QStringLiteral("tansy")), sequential ? 2 : 0);
            QVERIFY(f.mod.options.sequential);  // every run ends in sequential mode
        }
    }
}

void TestRunnerFlow::cancel_ends_the_run_before_the_next_statement()
{
    RunnerFixture f;
    FastClock clock(20.0);
    f.use_clock(clock);
    f.mod.options.interval_seconds = 1.0f;
    QTimer::singleShot(20, [&] { pw::engine::cancel_it(f.mod, f.host); });
    f.run(QStringLiteral("pellwick> speak one\ntansy> speak two"));
    QCOMPARE(spoken(f), (QStringList{"one", "I'm cancelled"}));
    QCOMPARE(f.agent.log().count(QStringLiteral("Show"), QStringLiteral("tansy")), 1);
    QCOMPARE(f.host.highlights.last(), QStringLiteral("speak two"));
    QVERIFY(!f.mod.cancel_requested);
    QCOMPARE(trace_lines.last(), QStringLiteral("run end"));

    // Loops with no pause at all still let the cancel in.
    for (const char* loop : {"do\nloop 2000000000", "label 1\ngoto label 1"}) {
        RunnerFixture g;
        g.use_clock(clock);
        QTimer::singleShot(20, [&] { pw::engine::cancel_it(g.mod, g.host); });
        g.run(QStringLiteral("pellwick> speak spin\n") + QLatin1String(loop));
        QCOMPARE(spoken(g), (QStringList{"spin", "I'm cancelled"}));
        QCOMPARE(trace_lines.last(), QStringLiteral("run end"));
    }
}

// The lines marked and what the child did at each wait for Step, in order. Play is the
// first line's press; a label goes without one.
void TestRunnerFlow::step_by_step_runs_a_marked_line_per_press()
{
    using pw::engine::RunSpeed;
    const QString script = QStringLiteral("pellwick> speak one\npellwick> speak two\nlabel 1\ntansy> speak three");
    struct Case {
        QStringList presses, marked_and_pressed, spoken;
        bool press_while_marking = false;  // a press before the wait counts for nothing
    };
    const QList<Case> cases{
        {{"Step", "Step"},
         {"speak one", "speak two", "Step", "label 1", "speak three", "Step"},
         {"one", "two", "three"}},
        {{"Step", "Step"},
         {"speak one", "speak two", "Step", "label 1", "speak three", "Step"},
         {"one", "two", "three"},
         true},
        // Cancel while a line waits: it never runs (Tansy, shown for it, is cancelled too).
        {{"Step", "Cancel"},
         {"speak one", "speak two", "Step", "label 1", "speak three", "Cancel"},
         {"one", "two", "I'm cancelled", "I'm cancelled"}},
        // Full speed again: the run goes on by itself.
        {{"Fast"}, {"speak one", "speak two", "Fast", "label 1", "speak three"}, {"one", "two", "three"}},
    };
    for (const auto& [presses, marked_and_pressed, said, press_while_marking] : cases) {
        RunnerFixture f;
        f.mod.options.speed = RunSpeed::step;
        QStringList transcript;
        QStringList to_press = presses;
        f.host.on_highlight = [&, early = press_while_marking](const QString& line) {
            transcript << line;
            if (early) pw::engine::step_run(f.mod);
        };
        QTimer child;
        QObject::connect(&child, &QTimer::timeout, [&] {
            const pw::engine::RunWait* w = f.mod.runner()->current_wait();
            if (!w || w->kind != pw::engine::WaitKind::step || f.mod.step_pressed || to_press.isEmpty()) return;
            const QString press = to_press.takeFirst();
            transcript << press;
            if (press == QLatin1String("Cancel")) pw::engine::cancel_it(f.mod, f.host);
            else if (press == QLatin1String("Step")) pw::engine::step_run(f.mod);
            else {
                f.mod.options.speed = RunSpeed::full;
                f.mod.wake_run();
            }
        });
        child.start(2);
        f.run(script);
        QCOMPARE(transcript, marked_and_pressed);
        QCOMPARE(spoken(f), said);
        QCOMPARE(f.host.waiting.last(), QString());
    }
}

void TestRunnerFlow::slow_pauses_before_each_line_after_the_first()
{
    RunnerFixture f;
    FastClock clock(50.0);
    f.use_clock(clock);
    f.mod.options.speed = pw::engine::RunSpeed::slow;
    QStringList transcript;
    f.host.on_highlight = [&](const QString& line) { transcript << line; };
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const auto* w = dynamic_cast<const pw::engine::PauseWait*>(f.mod.runner()->current_wait());
        if (w && transcript.last() != QLatin1String("(pause)")) transcript << QStringLiteral("(pause)");
    });
    watch.start(1);
    f.run(QStringLiteral("pellwick> speak one\npellwick> speak two\nlabel 1\ntansy> speak three"));
    QCOMPARE(transcript, (QStringList{"speak one", "speak two", "(pause)", "label 1", "speak three", "(pause)"}));
    QCOMPARE(spoken(f), (QStringList{"one", "two", "three"}));
}

void TestRunnerFlow::failures_show_the_spelling_message_and_stop()
{
    RunnerFixture f;
    f.run(QStringLiteral("speak hi\npellwick> speak never"));
    QCOMPARE(f.host.messages, QStringList{f.spelling("", "speak hi")});
    QCOMPARE(f.said(), QStringList{});
    QCOMPARE(trace_lines, (QStringList{"run start", "run error " + pw::trace::quote(f.spelling("", "speak hi")),
                                       "message " + pw::trace::quote(f.spelling("", "speak hi"))}));
    // The run stops where it failed: no end-of-run block, windows back.
    QVERIFY(f.mod.script_running);
    QVERIFY(f.host.calls.contains("show_forms") && !f.host.clock_ticking && !f.host.clock_shown);
    QCOMPARE(f.host.count("remove_key_hook"), 0);
    QCOMPARE(f.agent.log().count(QStringLiteral("MoveTo")), 0);

    // An unknown animation, after a key condition: the key hook goes too.
    f.mod.command_line_mode = 1;
    f.run(QStringLiteral("pellwick> if key=a then\nendif\nDance"));
    QCOMPARE(f.host.messages.last(), f.spelling("pellwick", "Dance ", 3));
    QCOMPARE(f.host.count("remove_key_hook"), 1);
    QCOMPARE(f.exits, QList<int>{1});  // runout ends telling the run failed

    // A prefix naming no character: the loader is asked, then the line fails.
    QStringList asked;
    f.mod.character_loader = [&](const QString& id) { asked << id; };
    f.run(QStringLiteral("Nobody> speak hi"));
    QCOMPARE(asked, QStringList{"Nobody"});
    QCOMPARE(f.host.messages.last(), f.spelling("Nobody", "speak hi"));
}

void TestRunnerFlow::command_already_defined_is_skipped()
{
    RunnerFixture f;
    f.mod.heard_word = QStringLiteral("yes");
    f.agent.fail(QStringLiteral("Show"), pw::agent::error::command_already_in_use, QStringLiteral("tansy"));
    // "yes" is added twice to every character; the hidden Tansy's show fails the same way.
    f.run(QStringLiteral("pellwick> if listen=yes then\nspeak one\nendif\nif listen=yes then\n"
                         "tansy> speak two\nendif"));
    QVERIFY2(f.host.messages.isEmpty(), qPrintable(f.host.messages.join('\n')));
    QCOMPARE(f.said(), (QStringList{speak("pellwick", "one"), speak("tansy", "two")}));
}

void TestRunnerFlow::faults_of_the_whole_script_are_told_plainly_before_any_line()
{
    // Trailing empty lines do not count toward the 201 a script may have. What is at
    // fault is marked in the editor.
    const QString line = QStringLiteral("pellwick> timeout 1\n");
    const QString nothing = QStringLiteral("There is nothing to play yet. Write a line first, for example:\n\n"
                                           "pellwick> speak Hello!");
    struct Case {
        QString script, message, marked;
    };
    const QList<Case> cases{
        {line.repeated(201).chopped(1), {}, {}},
        {line.repeated(201), {}, {}},
        {line.repeated(201) + "\n;\n\n", {}, {}},
        {line.repeated(202).chopped(1),
         "This script has 202 lines, but a script can have at most 201 lines. Please make it shorter.", {}},
        {"", nothing, {}},
        {";just a note\n\n", nothing, {}},
        {"pellwick> speak hi\nif key=a\n" + QStringLiteral("else\n").repeated(50) + "endif",
         "The if on line 2 has too many branches. An if can have at most 49 elseif and else lines before its endif.",
         "if key=a"},
        // Lines of the Actions window not filled in yet.
        {"pellwick> speak hi\nPellwick> Speak (words)",
         "Line 2 still has (words) in it. Write what Pellwick should say here.", "(words)"},
        {"tansy> MoveTo X,Y fast", "Line 1 still has X,Y in it. Write two numbers here for the place, like 300,200.",
         "X,Y"},
        {"Loop (number)", "Line 1 still has (number) in it. Write how many times to repeat here, like 3.",
         "(number)"},
    };
    for (const Case& c : cases) {
        RunnerFixture f;
        f.mod.cancel_requested = true;  // a cancel from before the run is forgotten
        f.run(c.script);
        QCOMPARE(f.host.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        QCOMPARE(f.said(), QStringList());
        if (c.message.isEmpty()) QCOMPARE(f.host.highlights.size(), 201);
        else QCOMPARE(f.host.highlights, c.marked.isEmpty() ? QStringList() : QStringList{c.marked});
        // The child's next keys replace what is marked.
        if (!c.marked.isEmpty()) QVERIFY(f.host.calls.contains("focus"));
    }
}

void TestRunnerFlow::runout_says_bye_and_ends_the_program()
{
    RunnerFixture f;
    f.mod.command_line_mode = 1;
    f.run(QStringLiteral("tansy> speak hi"));
    QCOMPARE(f.said(), (QStringList{speak("tansy", "hi"), speak("tansy", "Bye!")}));
    QCOMPARE(f.exits, QList<int>{0});
    QCOMPARE(trace_lines.last(), QStringLiteral("run end"));

    // A script without any prefix, cancelled (a double click) in its endless loop:
    // Pellwick says goodbye and the run ends as a cancel does.
    f.host.on_highlight = [&](const QString& line) {
        if (line.startsWith(QLatin1String("loop"))) f.mod.cancel_requested = true;
    };
    f.run(QStringLiteral("do\nloop 2000000000"));
    QVERIFY2(f.host.messages.isEmpty(), qPrintable(f.host.messages.join('\n')));
    QCOMPARE(f.said(), QStringList{speak("pellwick", "Bye!")});
    QCOMPARE(f.exits, (QList<int>{0, 0}));
}

void TestRunnerFlow::starter_scripts_start_at_once_and_run_to_their_end()
{
    // After Play no line pays a pause before a character first does something: notes
    // and set-up lines cost a whole interval each.
    const QDir starters(QStringLiteral(PW_SOURCE_DIR "/data/scripts"));
    for (const QString& name : starters.entryList({QStringLiteral("*.csp")})) {
        QFile file(starters.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        RunnerFixture f;
        f.mod.options.interval_seconds = 5.0f;  // as at program start
        qsizetype before = -1;          // what the characters were asked before the first line
        f.host.on_highlight = [&](const QString& line) {
            if (f.mod.cancel_requested) return;
            const bool first_line = before < 0;
            if (first_line) before = f.agent.log().records().size();
            // A character has done something: the start is over.
            f.mod.cancel_requested = f.agent.log().records().size() > before;
            // Else the pause just paid came before anything happened.
            QVERIFY2(first_line || f.mod.cancel_requested || std::nearbyint(f.mod.options.interval_seconds) == 0,
                     qPrintable(name + ": " + line));
        };
        f.run(QString::fromUtf8(file.readAll()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QVERIFY2(f.agent.log().records().size() > before, qPrintable(name));
    }

    QFile file(starters.filePath(QStringLiteral("all_the_tricks.csp")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    RunnerFixture f;
    FastClock clock(500.0);  // its interval of 1 s takes 2 ms here
    f.use_clock(clock);
    f.host.wave_ms = 1;
    f.run(QString::fromUtf8(file.readAll()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QVERIFY2(f.host.messages.isEmpty(), qPrintable(f.host.messages.join('\n')));
    QCOMPARE(spoken(f).last(), QStringLiteral("that was all my tricks. bye!"));
}

QTEST_GUILESS_MAIN(TestRunnerFlow)
#include "test_runner_flow.moc"
