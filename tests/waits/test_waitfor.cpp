// The waitfor statement against the fake platform and the real stage handlers: each
// kind of wait with its reminders, its success message and its quiet form, and the ways
// a wait ends early (Esc, a double click, a cancel).

#include "engine/window_keys.h"
#include "waits_fixture.h"

#include <QTest>

using pw::waits_tests::WaitsFixture;

namespace {

constexpr int vk_a = 65;
constexpr int vk_b = 66;
constexpr int vk_escape = 27;

const QString key_a_reminder = QStringLiteral("I am waiting for the \"a\" key to be pressed.");

}  // namespace

class TestWaitfor : public QObject {
    Q_OBJECT

private slots:
    void key_wait_ends_on_its_key_with_alert_and_hurray();
    void key_wait_quiet_and_anykey();
    void key_wait_cancelled_removes_the_hook_and_ends_the_run();
    void escape_ends_a_wait_and_cancels_the_run();
    void double_click_ends_a_wait_and_the_script_goes_on();
    void listen_wait_thinks_the_words_and_ends_on_any_command();
    void listen_wait_quiet_unknown_words_and_cancel_script();
    void collide_with_a_named_character();
    void collide_with_anybody_never_tests_the_line_character();
    void collide_with_anybody_takes_the_visible_bumper();
    void getoff_shows_the_other_first_and_ends_when_apart();
    void minutes_wait_counts_down_and_says_times_up();
    void minutes_wait_quiet_says_nothing();
    void clock_time_wait_ends_at_the_time_in_its_half_of_the_day();
    void waits_that_could_never_end_and_bad_lines_fail();
    void the_status_line_tells_each_wait_in_a_childs_words();
};

void TestWaitfor::key_wait_ends_on_its_key_with_alert_and_hurray()
{
    WaitsFixture f;
    // B does not count; A does, after some reminders have come.
    f.when([&] { return f.count_said(key_a_reminder) >= 3; }, [&] {
        f.key_source.tap(vk_b);
        QVERIFY(f.mod.waiting);
        f.key_source.tap(vk_a);
    });
    f.run(QStringLiteral("pellwick> waitfor key=a\npellwick> speak after"));

    QVERIFY(f.host.messages.isEmpty());
    const QStringList said = f.said();
    QCOMPARE(said.first(), key_a_reminder);
    QVERIFY(said.count(key_a_reminder) >= 3);
    QCOMPARE(said.mid(said.size() - 2),
             (QStringList{QStringLiteral("Hurray! The \"a\" key was pressed."), QStringLiteral("after")}));
    QCOMPARE(f.agent.log().lines_of(QStringLiteral("Play")), QStringList{QStringLiteral("pellwick Play \"alert\"")});
    QCOMPARE(f.agent.log().count(QStringLiteral("Activate"), QStringLiteral("pellwick")), 1);
    // The hook came with the wait and went with the key.
    QCOMPARE(f.host.count(QStringLiteral("install_key_hook")), 1);
    QVERIFY(!f.key_source.installed());
    QVERIFY(!f.mod.waiting);
    // Reminders every report_seconds: the timer was set to 5 s.
    QVERIFY(f.host.calls.contains(QStringLiteral("report_timer 1 5000")));
}

void TestWaitfor::key_wait_quiet_and_anykey()
{
    {
        WaitsFixture f;
        f.after(100, [&] { f.key_source.tap(vk_a); });
        f.run(QStringLiteral("pellwick> waitfor key=a quiet"));
        // Quiet silences the reminders, not the success.
        QCOMPARE(f.said().first(), QStringLiteral("Hurray! The \"a\" key was pressed."));
    }
    {
        WaitsFixture f;
        // A, the first letter of "anykey", is just the key that was pressed.
        f.when([&] { return f.said().size() >= 1; }, [&] { f.key_source.tap(vk_a); });
        f.run(QStringLiteral("pellwick> waitfor key=anykey\npellwick> if key=a then\npellwick> speak apple\n"
                             "pellwick> endif"));
        QCOMPARE(f.said().first(), QStringLiteral("I am waiting for any key to be pressed."));
        QVERIFY(f.has_said(QStringLiteral("Hurray! The \"a\" key was pressed.")));
        QCOMPARE(f.said().last(), QStringLiteral("apple"));
        QCOMPARE(f.mod.last_key, QStringLiteral("a"));
    }
}

void TestWaitfor::key_wait_cancelled_removes_the_hook_and_ends_the_run()
{
    WaitsFixture f;
    f.when([&] { return f.said().size() >= 1; }, [&] { pw::engine::cancel_it(f.mod, f.host); });
    f.run(QStringLiteral("pellwick> waitfor key=a\npellwick> speak never"));
    QVERIFY(!f.has_said(QStringLiteral("never")));
    QVERIFY(f.has_said(QStringLiteral("I'm cancelled")));
    QVERIFY(!f.key_source.installed());
    QVERIFY(!f.mod.cancel_requested);
    QVERIFY(!f.mod.script_running);  // ended through the end-of-run block
}

void TestWaitfor::escape_ends_a_wait_and_cancels_the_run()
{
    WaitsFixture f;
    f.when([&] { return f.said().size() >= 1; }, [&] {
        pw::engine::Form_KeyUp(f.mod, f.keys, f.host, vk_escape, 0);
    });
    f.run(QStringLiteral("pellwick> waitfor key=a\npellwick> speak never"));
    QVERIFY(!f.has_said(QStringLiteral("never")));
    QVERIFY(f.has_said(QStringLiteral("I'm cancelled")));
    QVERIFY(!f.mod.waiting && !f.mod.script_running);
    // Esc ended the wait before its own cancel test: the hook stays for the next wait.
    QVERIFY(f.key_source.installed());
}

void TestWaitfor::double_click_ends_a_wait_and_the_script_goes_on()
{
    WaitsFixture f;
    f.when([&] { return f.mod.listening; }, [&] { f.agent.post_dbl_click(QStringLiteral("pellwick")); });
    f.run(QStringLiteral("pellwick> waitfor listen=yes\npellwick> speak goes on"));
    const QStringList said = f.said();
    QVERIFY(said.contains(QStringLiteral("OK, I'll stop waiting now.")));
    QCOMPARE(said.last(), QStringLiteral("goes on"));
    QVERIFY(!f.mod.listening);
    QVERIFY(!f.pellwick->is_listening());
}

void TestWaitfor::listen_wait_thinks_the_words_and_ends_on_any_command()
{
    WaitsFixture f;
    f.when([&] { return f.mod.listening; }, [&] {
        f.agent.post_command(QStringLiteral("no"), QStringLiteral("pellwick"), QStringLiteral("no"));
    });
    f.run(QStringLiteral("pellwick> waitfor listen=yes\npellwick> if listen=no then\npellwick> speak nope\n"
                         "pellwick> endif"));
    QVERIFY2(f.host.messages.isEmpty(), qPrintable(f.host.messages.join('\n')));
    // The thought balloon names every word the script listens for.
    QCOMPARE(f.texts(QStringLiteral("Think")).first(),
             QStringLiteral("I am waiting for \"yes, or no, or cancel script \" to be spoken."));
    QVERIFY(f.agent.log().count(QStringLiteral("Listen")) >= 2);
    QVERIFY(f.agent.log().lines_of(QStringLiteral("Play")).contains(QStringLiteral("pellwick Play \"alert\"")));
    QCOMPARE(f.said(), (QStringList{QStringLiteral("Hurray! You said \"no\" ."), QStringLiteral("nope")}));
    QVERIFY(!f.mod.listening);
}

void TestWaitfor::listen_wait_quiet_unknown_words_and_cancel_script()
{
    {
        WaitsFixture f;
        f.when([&] { return f.mod.listening; }, [&] { f.agent.post_command(QStringLiteral("yes"), QStringLiteral("pellwick")); });
        f.run(QStringLiteral("pellwick> waitfor listen=yes quiet"));
        // Quiet keeps the thought balloon but not the Hurray.
        QCOMPARE(f.texts(QStringLiteral("Think")).size(), 1);
        QCOMPARE(f.said(), QStringList{});
        QCOMPARE(f.agent.log().count(QStringLiteral("Play")), 1);
    }
    {
        WaitsFixture f;
        f.when([&] { return f.mod.listening; }, [&] { f.agent.post_command(QString(), QStringLiteral("pellwick")); });
        f.run(QStringLiteral("pellwick> waitfor listen=yes quiet"));
        QCOMPARE(f.said(), QStringList{QStringLiteral("I didn't understand that word!")});
    }
    {
        WaitsFixture f;
        f.when([&] { return f.mod.listening; }, [&] {
            f.agent.post_command(QStringLiteral("Cancel Script"), QStringLiteral("pellwick"));
        });
        f.run(QStringLiteral("pellwick> waitfor listen=yes\npellwick> speak never"));
        QVERIFY(!f.has_said(QStringLiteral("never")));
        QVERIFY(!f.has_said(QStringLiteral("Hurray! You said \"Cancel Script\" .")));
        QVERIFY(f.has_said(QStringLiteral("I'm cancelled")));
        QVERIFY(!f.mod.listening && !f.mod.script_running);
        QVERIFY(!f.pellwick->is_listening());
    }
}

void TestWaitfor::collide_with_a_named_character()
{
    WaitsFixture f;
    f.pellwick->place(100, 100);  // reference point (164, 132), box x 100..228, y 16.8..247.2
    f.tansy->place(400, 400);
    f.tansy->set_shown(true);
    f.when([&] { return f.said().size() >= 2; }, [&] { f.tansy->place(150, 150); });
    f.run(QStringLiteral("pellwick> waitfor collide=tansy\npellwick> speak ouch"));
    const QStringList said = f.said();
    QCOMPARE(said.first(), QStringLiteral("I am waiting for  tansy to bump me."));
    QCOMPARE(said.last(), QStringLiteral("ouch"));
    QVERIFY(f.agent.log().lines_of(QStringLiteral("StopAll"), QStringLiteral("pellwick"))
                .contains(QStringLiteral("pellwick StopAll \"speak\"")));

    // Quiet: no reminder; already touching: over at once. Nothing was said and no
    // request ends, yet the next line still runs in sequential mode.
    f.run(QStringLiteral("pellwick> waitfor collide=tansy quiet\npellwick> speak after"));
    QCOMPARE(f.said(), QStringList{QStringLiteral("after")});
    QVERIFY(!f.mod.script_running && !f.mod.waiting);
}

void TestWaitfor::collide_with_anybody_never_tests_the_line_character()
{
    WaitsFixture f;
    // Nobody else is visible; the line's character always touches itself.
    f.when([&] { return f.said().size() >= 3; }, [&] { f.agent.post_dbl_click(QStringLiteral("tansy")); });
    f.run(QStringLiteral("pellwick> waitfor collide=anybody\npellwick> speak done"));
    QCOMPARE(f.said().first(), QStringLiteral("I am waiting for any body to bump me."));
    QVERIFY(f.said().count(QStringLiteral("I am waiting for any body to bump me.")) >= 3);
    QCOMPARE(f.said().last(), QStringLiteral("done"));
}

void TestWaitfor::collide_with_anybody_takes_the_visible_bumper()
{
    WaitsFixture f;
    pw::fakes::FakeTraits traits;
    auto* far = pw::fakes::load_into_slot(f.mod, f.agent, 2, QStringLiteral("far"), true, traits);
    auto* near = pw::fakes::load_into_slot(f.mod, f.agent, 3, QStringLiteral("near"), true, traits);
    f.mod.char_count = 4;
    f.pellwick->place(100, 100);
    f.tansy->place(110, 110);  // touching, but hidden: not a candidate
    far->place(600, 600);
    near->place(120, 90);
    f.run(QStringLiteral("pellwick> waitfor collide=anybody\n"
                         "pellwick> if collision=pellwick near then\npellwick> speak near one\n"
                         "pellwick> endif"));
    QVERIFY2(f.host.messages.isEmpty(), qPrintable(f.host.messages.join('\n')));
    QCOMPARE(f.said().last(), QStringLiteral("near one"));
    // The bumper's walk stops, and every character's.
    QVERIFY(f.agent.log().lines().contains(QStringLiteral("near StopAll \"move\"")));
    for (const QString id : {"pellwick", "tansy", "far", "near"})
        QVERIFY2(f.agent.log().lines().contains(id + QStringLiteral(" StopAll \"Move\"")), qPrintable(id));

    // A candidate slot without a character fails the line.
    f.mod.characters[2].agent = nullptr;
    near->place(900, 900);
    f.run(QStringLiteral("pellwick> waitfor collide=anybody quiet"));
    QCOMPARE(f.host.messages.size(), 1);
}

void TestWaitfor::getoff_shows_the_other_first_and_ends_when_apart()
{
    WaitsFixture f;
    f.pellwick->place(100, 100);
    f.tansy->place(500, 500);
    // Not touching: over at once, after Tansy has been shown.
    f.run(QStringLiteral("pellwick> waitfor getoff=tansy quiet\npellwick> speak free"));
    QCOMPARE(f.agent.log().count(QStringLiteral("Show"), QStringLiteral("tansy")), 1);
    QCOMPARE(f.said(), QStringList{QStringLiteral("free")});

    f.tansy->place(110, 120);
    f.when([&] { return f.said().size() >= 2; }, [&] { f.tansy->place(700, 100); });
    f.run(QStringLiteral("pellwick> waitfor getoff=tansy\npellwick> speak free"));
    QCOMPARE(f.said().first(), QStringLiteral("I am waiting for  tansy to get off me."));
    QCOMPARE(f.said().last(), QStringLiteral("free"));
}

void TestWaitfor::minutes_wait_counts_down_and_says_times_up()
{
    WaitsFixture f;
    // "Time's up" needs a reminder tick in the last second; at a hundred times real
    // speed that second is 10 ms, which a busy machine can miss. Ten times is safe.
    pw::fakes::FastClock clock(10.0);
    f.mod.hires_timer = &clock;
    f.host.report_speed = 10.0;
    f.run(QStringLiteral("pellwick> waitfor time=0.25\npellwick> speak next"));
    const QStringList said = f.said();
    QCOMPARE(said.first(), QStringLiteral("I am waiting for  15 seconds to pass."));
    QCOMPARE(said.mid(said.size() - 2), (QStringList{QStringLiteral("Hurray! Time's up!"), QStringLiteral("next")}));
    // The last ten seconds are counted down, never upwards (a tick each 0.9 s may say
    // a number twice).
    QList<int> counted;
    for (const QString& s : said)
        if (s.size() == 2 && s.startsWith(QLatin1Char(' '))) counted << s.mid(1).toInt();
    QVERIFY2(counted.size() >= 5, qPrintable(said.join('|')));
    for (int i = 1; i < counted.size(); ++i) QVERIFY2(counted[i] <= counted[i - 1], qPrintable(said.join(QLatin1Char('|'))));
    QVERIFY(f.host.calls.contains(QStringLiteral("report_timer 1 900")));
}

void TestWaitfor::minutes_wait_quiet_says_nothing()
{
    // The one wait on the real clock: 0.1 minutes and the last second.
    WaitsFixture f;
    f.mod.hires_frequency = 0.0;
    f.mod.hires_timer = nullptr;
    QElapsedTimer t;
    t.start();
    f.run(QStringLiteral("pellwick> waitfor time=0.1 quiet"));
    const qint64 ms = t.elapsed();
    QVERIFY2(ms >= 6900 && ms < 7600, qPrintable(QString::number(ms)));
    QCOMPARE(f.said(), QStringList{});
}

void TestWaitfor::clock_time_wait_ends_at_the_time_in_its_half_of_the_day()
{
    WaitsFixture f;
    QTime now(15, 44, 30);
    f.mod.time_of_day = [&now] { return now; };
    f.after(80, [&] { now = QTime(15, 45, 0); });
    f.run(QStringLiteral("pellwick> waitfor time=3:45 pm quiet\npellwick> speak tea"));
    // Said even when quiet, once.
    QCOMPARE(f.said(), (QStringList{QStringLiteral("Hurray! It's Time!"), QStringLiteral("tea")}));
    QCOMPARE(f.agent.log().count(QStringLiteral("Play")), 1);

    // Not quiet: the reminder names the time. 12:30 pm is before 1:15 pm.
    now = QTime(12, 30);
    f.when([&] { return f.said().size() >= 2; }, [&] { now = QTime(13, 15); });
    f.run(QStringLiteral("pellwick> waitfor time=1:15 pm\npellwick> speak lunch"));
    const QStringList said = f.said();
    QCOMPARE(said.first(), QStringLiteral("I am waiting for 1:15 pm"));
    QVERIFY(said.count(QStringLiteral("I am waiting for 1:15 pm")) >= 2);
    QCOMPARE(said.mid(said.size() - 2), (QStringList{QStringLiteral("Hurray! It's Time!"), QStringLiteral("lunch")}));

    // The morning's 9:00 am is not reached in the afternoon: only Esc ends it.
    now = QTime(15, 0);
    f.when([&] { return f.said().size() >= 2; }, [&] {
        pw::engine::Form_KeyUp(f.mod, f.keys, f.host, vk_escape, 0);
    });
    f.run(QStringLiteral("pellwick> waitfor time=9:00 am\npellwick> speak never"));
    QVERIFY(!f.has_said(QStringLiteral("Hurray! It's Time!")));
    QVERIFY(!f.has_said(QStringLiteral("never")));
}

void TestWaitfor::waits_that_could_never_end_and_bad_lines_fail()
{
    // A kind we do not know, a clock time in neither half of the day, no "=": each
    // is told at its line, before anything waits.
    WaitsFixture f;
    for (const char* line : {"waitfor snow=yes", "waitfor time=2 minutes", "waitfor key"}) {
        f.host.messages.clear();
        f.run(QStringLiteral("pellwick> %1\npellwick> speak never").arg(QLatin1String(line)));
        QCOMPARE(f.host.messages, QStringList{QStringLiteral(
                                      "There is a spelling error here or pellwick has not learned this trick!  -- ")
                                  + QLatin1String(line) + QStringLiteral("\nLook at line 1.")});
        QCOMPARE(f.said(), QStringList{});
        QVERIFY(!f.mod.waiting);
    }
    f.run(QStringLiteral("waitfor key=a"));
    QCOMPARE(f.host.messages.size(), 2);
    // The key hook of the failed key wait goes on the error path.
    QVERIFY(!f.key_source.installed());
}

QTEST_MAIN(TestWaitfor)
// Each kind of wait, cancelled once the status line tells it; cleared when the run ends.
void TestWaitfor::the_status_line_tells_each_wait_in_a_childs_words()
{
    const QList<std::pair<QString, QString>> cases{
        {"pellwick> waitfor key=a", "pellwick is waiting for you to press a key."},
        {"tansy> waitfor listen=yes", "tansy is listening for you to say a word."},
        {"pellwick> waitfor collide=anybody", "pellwick is waiting for a bump."},
        {"pellwick> waitfor getoff=tansy", "pellwick is waiting for the other one to move away."},
        {"pellwick> waitfor time=3:17 am", "pellwick is waiting for the clock to say the right time."},
        {"pellwick> waitfor time=5", "pellwick is having a little rest."},
        {"pellwick> pause 60", "pellwick is having a little rest."},
        {"pellwick> sound tune", "pellwick is waiting for the sound to end."},
        {"tansy> wave\ntansy> speak done", "tansy is finishing what it is doing."},
        {"step:pellwick> speak a\npellwick> speak b", "pellwick is waiting for you to press Step."},
    };
    for (const auto& [script, sentence] : cases) {
        WaitsFixture f;
        // Wave goes on until the test finishes it.
        if (script.contains(QLatin1String("wave"))) f.agent.set_completion(pw::fakes::FakeAgent::Completion::Manual);
        f.host.wave_ms = -1;
        if (script.startsWith(QLatin1String("step:"))) f.mod.options.speed = pw::engine::RunSpeed::step;
        f.when([&] { return f.host.waiting.contains(sentence); }, [&] { pw::engine::cancel_it(f.mod, f.host); });
        f.after(50, [&] { f.agent.finish_all(); });
        f.after(5000, [&] { pw::engine::cancel_it(f.mod, f.host); });
        f.run(script.section(QLatin1Char(':'), script.startsWith(QLatin1String("step:")) ? 1 : 0));
        QVERIFY2(f.host.waiting.contains(sentence), qPrintable(f.host.waiting.join(QLatin1Char('|'))));
        QCOMPARE(f.host.waiting.last(), QString());
    }
}

#include "test_waitfor.moc"
