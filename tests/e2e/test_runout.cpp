// "pellworks runout <script>" under a real X server: the characters perform the
// starter script on the desktop, say "Bye!" and the program ends by itself; a script
// with a mistake shows the spelling message and ends too; a double click or Esc on a
// character cancels whatever line runs; a script that listens for one word hears it
// from a recording given as the microphone, and turns another word away.

#include "../recognition/speech_fixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    QStringList trace;  // the "pw ..." lines
    QString rest;       // everything else on standard error
    QString out;        // standard output
    int exit_code = -1;
    bool finished = false;
    qint64 took_ms = 0;
};

QString program_dir()
{
    return qEnvironmentVariable("PELLWORKS_PROGRAM_DIR");
}

// Runs the program; `on_line` sees each trace line as it comes and may act on it.
// `change_environment` may alter what the program is started with; it starts in
// `start_folder` (the test's own when empty).
Run run_pellworks(const QStringList& arguments, int timeout_ms,
                  const std::function<void(const QString&)>& on_line = {},
                  const std::function<void(QProcessEnvironment&)>& change_environment = {},
                  const QString& start_folder = {})
{
    QProcess p;
    p.setWorkingDirectory(start_folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PELLWORKS_TRACE"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    if (change_environment) change_environment(env);
    p.setProcessEnvironment(env);
    p.setProgram(QStringLiteral(PW_PELLWORKS_BIN));
    p.setArguments(arguments);

    Run run;
    QByteArray pending;
    auto take_lines = [&] {
        pending += p.readAllStandardError();
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(nl));
            pending.remove(0, nl + 1);
            if (line.startsWith(QStringLiteral("pw "))) {
                run.trace << line;
                if (on_line) on_line(line);
            } else {
                run.rest += line + QLatin1Char('\n');
            }
        }
    };
    QObject::connect(&p, &QProcess::readyReadStandardError, take_lines);

    QElapsedTimer t;
    t.start();
    p.start();
    if (!p.waitForStarted(10000)) return run;
    run.finished = p.waitForFinished(timeout_ms);
    take_lines();
    run.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    run.took_ms = t.elapsed();
    if (!run.finished) {
        p.kill();
        p.waitForFinished(5000);
    } else {
        run.exit_code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    // Test messages are cut short: the whole trace of the last run stays on disk.
    QFile keep(QDir::current().filePath(QStringLiteral("e2e_last_trace.txt")));
    if (keep.open(QIODevice::WriteOnly | QIODevice::Truncate))
        keep.write((run.trace.join(QLatin1Char('\n')) + QStringLiteral("\n--- other output:\n") + run.rest).toUtf8());
    return run;
}

int index_of(const QStringList& lines, const QString& pattern, int from = 0)
{
    if (from < 0) return -1;  // after a line that was not found
    const QRegularExpression rx(pattern);
    for (int i = from; i < lines.size(); ++i)
        if (rx.match(lines[i]).hasMatch()) return i;
    return -1;
}

QString report(const Run& run)
{
    return QStringLiteral("exit %1 after %2 ms; the whole trace is in e2e_last_trace.txt; it ends:\n")
               .arg(run.exit_code)
               .arg(run.took_ms)
           + run.trace.mid(qMax(0, int(run.trace.size()) - 12)).join(QLatin1Char('\n'));
}

}  // namespace

class TestRunout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!program_dir().isEmpty(), "PELLWORKS_PROGRAM_DIR is not set");
        QVERIFY(QFile::exists(program_dir() + QStringLiteral("/chars/Pellwick.acs")));
    }

    void the_starter_script_plays_through_and_the_program_ends()
    {
        const QString script = program_dir() + QStringLiteral("/scripts/all_the_tricks.csp");
        QVERIFY(QFile::exists(script));
        const Run run = run_pellworks({QStringLiteral("runout"), script}, 360000);
        QVERIFY2(run.finished, qPrintable(report(run)));
        QVERIFY2(run.exit_code == 0, qPrintable(report(run)));

        const QStringList& t = run.trace;
        const int greet = index_of(t, QStringLiteral("request Pellwick Speak \"Hi, I'm Pellwick.\""));
        const int start = index_of(t, QStringLiteral(" run start$"));
        const int end = index_of(t, QStringLiteral(" run end$"));
        const int bye = index_of(t, QStringLiteral("request Pellwick Speak \"Bye!\""));
        QVERIFY2(greet >= 0 && start > greet && end > start && bye > start, qPrintable(report(run)));
        QCOMPARE(index_of(t, QStringLiteral(" run error ")), -1);
        QCOMPARE(index_of(t, QStringLiteral(" message ")), -1);

        // The script's lines reached the characters in order, each kind of statement.
        const QStringList expected{
            QStringLiteral("request Pellwick Speak \"hello! i am pellwick\\. watch all the tricks i know!\""),
            QStringLiteral("request Pellwick Play \"wave\""),
            QStringLiteral("request Tansy set Left 700"),
            QStringLiteral("request Tansy Show"),
            QStringLiteral("request Pellwick MoveTo 200 300 2000"),
            QStringLiteral("request Tansy MoveTo 200 300 500"),
            QStringLiteral("request Tansy Speak \"I am at X: "),
            QStringLiteral("request Pellwick MoveTo 700 300 5000"),
            QStringLiteral("request Pellwick StopAll \"Move\""),
            QStringLiteral("request Pellwick set Width 240"),
            QStringLiteral("request Tansy Speak \"Hey, that tickled!\""),
            QStringLiteral("request Tansy Speak \"what a pretty chime!\""),
            QStringLiteral("request Tansy Hide"),
            QStringLiteral("request Pellwick Hide"),
            QStringLiteral("request Pellwick Speak \"peekaboo!\""),
            QStringLiteral("request Pellwick Play \"congratulate\""),
        };
        int at = start;
        for (const QString& pattern : expected) {
            const int next = index_of(t, pattern, at + 1);
            QVERIFY2(next > at, qPrintable(QStringLiteral("missing or out of order: ") + pattern + QLatin1Char('\n') + report(run)));
            at = next;
        }
        QVERIFY(at < end);
        // Three hops in the do block, all quick.
        QCOMPARE(t.filter(QRegularExpression(QStringLiteral("request Pellwick MoveTo \\d+ \\d+ 500$"))).size(), 3);

        // The sound line waited for the chime (0.62 s) before the next line spoke.
        const int tickled = index_of(t, QStringLiteral("Tansy Play \"pleased\""));
        const int chime_answer = index_of(t, QStringLiteral("Tansy Speak \"what a pretty chime!\""));
        auto ms = [&t](int i) { return t[i].section(QLatin1Char(' '), 1, 1).toLongLong(); };
        QVERIFY(ms(chime_answer) - ms(tickled) >= 620);
    }

    void ends_at_once_with_a_status_that_tells_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("unset");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("home");  // a relative PELLWORKS_HOME
        const QStringList none;
        QTest::newRow("help") << QStringList{"--help"} << none << QString() << 0 << "Usage: pellworks" << QString();
        QTest::newRow("h") << QStringList{"load", "-h"} << none << QString() << 0 << "PELLWORKS_CHARS" << QString();
        QTest::newRow("unknown option") << QStringList{"--fast"} << none << QString() << 2
                                        << "unknown option --fast" << QString();
        const QStringList desktop{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
        QTest::newRow("no desktop") << QStringList{} << desktop << QString() << 1 << "needs a graphical desktop" << QString();
        QTest::newRow("display gone") << QStringList{} << none << ":97" << 1 << "cannot be reached" << QString();
        // The child's folder is made where the program was started, not in its own.
        QTest::newRow("missing file") << QStringList{"runout", "/nowhere/at/all.csp"} << none << QString() << 1
                                      << "Can't find that file." << "relative-home";
    }

    void ends_at_once_with_a_status_that_tells()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, unset);
        QFETCH(QString, display);
        QFETCH(int, status);
        QFETCH(QString, says);
        QFETCH(QString, home);
        QTemporaryDir start_folder;
        const Run run = run_pellworks(arguments, 60000, {}, [&](QProcessEnvironment& env) {
            for (const QString& name : unset) env.remove(name);
            if (!display.isEmpty()) env.insert(QStringLiteral("DISPLAY"), display);
            if (!home.isEmpty()) env.insert(QStringLiteral("PELLWORKS_HOME"), home);
        }, start_folder.path());
        if (!home.isEmpty()) QVERIFY(QFileInfo(start_folder.filePath(home + QStringLiteral("/scripts"))).isDir());
        QVERIFY2(run.finished, qPrintable(report(run)));
        QCOMPARE(run.exit_code, status);
        const QString all = run.out + run.rest + run.trace.join(QLatin1Char('\n'));
        QVERIFY2(all.contains(says), qPrintable(all));
        // A refusal is one clear line, not the toolkit's abort.
        if (status == 1 && arguments.isEmpty()) QCOMPARE(run.rest.trimmed().count(QLatin1Char('\n')), 0);
    }

    void a_mistake_shows_the_spelling_message_and_ends()
    {
        // Not the default name: it holds the program's name, and so the keyword
        // "runout", which the command line would take out of the path.
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pw-mistake-XXXXXX"));
        const QString script = dir.filePath(QStringLiteral("oops.csp"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("interval 0\r\npellwick> speak one moment\r\npellwick> jumpjump\r\npellwick> speak never\r\n");
        f.close();

        // The message box waits for its OK: press it once it is there.
        bool pressed = false;
        const Run run = run_pellworks({QStringLiteral("runout"), script}, 120000, [&](const QString& line) {
            if (pressed || !line.contains(QStringLiteral(" message \"There is a spelling error"))) return;
            pressed = true;
            QTest::qWait(700);
            // Bring the box forward, then press its default button through XTEST.
            QProcess::execute(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                               QStringLiteral("--name"), QStringLiteral("^Pellworks$"), QStringLiteral("windowactivate"),
                               QStringLiteral("--sync")});
            QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
        });
        QVERIFY2(run.finished, qPrintable(report(run)));
        QVERIFY2(run.exit_code == 1, qPrintable(report(run)));
        const QString message = QStringLiteral(
            "There is a spelling error here or pellwick has not learned this trick!  -- jumpjump");
        // The second line names the line at fault.
        const int error = index_of(run.trace, QStringLiteral(" run error \"") + QRegularExpression::escape(message)
                                                  + QStringLiteral(" ?\\\\nLook at line 3\\.\"$"));
        QVERIFY2(error >= 0, qPrintable(report(run)));
        QVERIFY(index_of(run.trace, QStringLiteral("request Pellwick Speak \"one moment\"")) >= 0);
        QCOMPARE(index_of(run.trace, QStringLiteral("Speak \"never\"")), -1);
        QCOMPARE(index_of(run.trace, QStringLiteral("Speak \"Bye!\"")), -1);
    }

    void a_double_click_or_esc_cancels_at_once_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("stop");
        QTest::newRow("a loop that never pauses, double click") << QByteArray("do\r\nloop 2000000000\r\n") << "dblclick";
        QTest::newRow("a three-minute sound, double click") << QByteArray("sound long\r\n") << "dblclick";
        QTest::newRow("a ten-minute pause, Esc on the character") << QByteArray("pause 600\r\n") << "esc";
    }

    void a_double_click_or_esc_cancels_at_once()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, stop);
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pw-stop-XXXXXX"));
        const QString script = dir.filePath(QStringLiteral("stop.csp"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("interval 0\r\npellwick> charpos 300,300\r\npellwick> speak spin\r\n" + lines);
        f.close();
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("home/wav")));
        QVERIFY(pw::test::write_wav(pw::test::silence(180000), dir.filePath(QStringLiteral("home/wav/long.wav"))));

        // Once "spin" has been said the line runs; then a double click on Pellwick's body (his
        // frame is 180 by 190), or a click that gives him the focus and Esc, through
        // XTEST like a hand on the mouse and the keyboard.
        bool clicked = false;
        bool spoke = false;
        auto xdotool = [](const char* args) {
            QProcess::execute(QStringLiteral("xdotool"), QString::fromLatin1(args).split(QLatin1Char(' ')));
        };
        const Run run = run_pellworks(
            {QStringLiteral("runout"), script}, 90000,
            [&](const QString& line) {
                if (line.contains(QStringLiteral("request Pellwick Speak \"spin\""))) spoke = true;
                // The others wait for "spin" (sequential mode) and go on when it is said.
                if (clicked || !spoke || !line.contains(QRegularExpression(QStringLiteral("RequestComplete \\d+ \\w+ Wait 0$"))))
                    return;
                clicked = true;
                QTest::qWait(500);
                if (stop == QLatin1String("dblclick")) {
                    xdotool("mousemove 380 410 click --repeat 2 --delay 80 1");
                } else {
                    xdotool("mousemove 380 410 click 1");
                    QTest::qWait(300);
                    xdotool("key Escape");
                }
            },
            [&](QProcessEnvironment& env) { env.insert(QStringLiteral("PELLWORKS_HOME"), dir.filePath(QStringLiteral("home"))); });
        QVERIFY2(run.finished && run.exit_code == 0, qPrintable(report(run)));
        const QStringList& t = run.trace;
        const int cancelled = index_of(t, QStringLiteral("request Pellwick Speak \"I'm cancelled\""));
        const int bye = index_of(t, QStringLiteral("request Pellwick Speak \"Bye!\""));
        const int end = index_of(t, QStringLiteral(" run end$"));
        QVERIFY2(cancelled >= 0 && bye > cancelled && end > bye, qPrintable(report(run)));
        if (stop == QLatin1String("dblclick")) QVERIFY(index_of(t, QStringLiteral(" event DblClick Pellwick ")) >= 0);
        QCOMPARE(index_of(t, QStringLiteral(" run error ")), -1);
    }

    void one_listened_word_is_heard_and_another_is_not_data()
    {
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("heard");
        // Everyday words no listening setting was tuned with, said by espeak-ng. Each is
        // the first word the program hears, which must be heard as well as any later one.
        QTest::newRow("giraffe heard") << "giraffe" << "giraffe" << true;
        QTest::newRow("rabbit heard") << "rabbit" << "rabbit" << true;
        QTest::newRow("two heard") << "2" << "two" << true;
        QTest::newRow("ten heard") << "10" << "ten" << true;
        QTest::newRow("pillow turned away") << "giraffe" << "pillow" << false;
        QTest::newRow("dolphin turned away") << "2" << "dolphin" << false;
    }

    void one_listened_word_is_heard_and_another_is_not()
    {
        QFETCH(QString, listen);
        QFETCH(QString, said);
        QFETCH(bool, heard);
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pw-listen-XXXXXX"));
        const QString script = dir.filePath(QStringLiteral("listen.csp"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("interval 0\r\npellwick> waitfor listen=%1\r\npellwick> if listen=%1 then\r\n"
                               "pellwick> speak that is my word\r\npellwick> endif\r\n")
                    .arg(listen)
                    .toUtf8());
        f.close();
        const QString mic = dir.filePath(QStringLiteral("said.wav"));
        const pw::test::TestVoice voice{pw::test::TestVoice::Espeak, QStringLiteral("en-us"), 50, 175};
        QVERIFY(pw::test::write_wav(pw::test::spoken(voice, said), mic));

        const Run run = run_pellworks({QStringLiteral("runout"), script}, 120000, {}, [&](QProcessEnvironment& env) {
            env.insert(QStringLiteral("PELLWORKS_MIC_FILE"), mic);
        });
        QVERIFY2(run.finished && run.exit_code == 0, qPrintable(report(run)));
        const QStringList& t = run.trace;
        const int listening = index_of(t, QStringLiteral("request Pellwick Listen True"));
        const int alert = index_of(t, QStringLiteral("request Pellwick Play \"alert\""), listening);
        const int bye = index_of(t, QStringLiteral("request Pellwick Speak \"Bye!\""));
        QVERIFY2(listening >= 0 && alert > listening && bye > alert, qPrintable(report(run)));
        const QString hurray = QStringLiteral("Speak \"Hurray! You said \\\\\"%1\\\\\" \\.\"").arg(listen);
        const QString puzzled = QStringLiteral("Speak \"I didn't understand that word!\"");
        QVERIFY2(index_of(t, heard ? hurray : puzzled, alert) > alert, qPrintable(report(run)));
        QCOMPARE(index_of(t, heard ? puzzled : hurray) >= 0, false);
        QCOMPARE(index_of(t, QStringLiteral("Speak \"that is my word\"")) > alert, heard);
    }

    void a_key_typed_anywhere_ends_a_key_wait()
    {
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pw-key-XXXXXX"));
        const QString script = dir.filePath(QStringLiteral("keys.csp"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("interval 0\r\npellwick> waitfor key=anykey\r\npellwick> if key=b then\r\n"
                "pellwick> speak bee\r\npellwick> endif\r\n");
        f.close();

        // Once the reminder is said, B is typed through XTEST with no window focused.
        bool typed = false;
        const Run run = run_pellworks({QStringLiteral("runout"), script}, 120000, [&](const QString& line) {
            if (typed || !line.contains(QStringLiteral("Speak \"I am waiting for any key to be pressed.\""))) return;
            typed = true;
            QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("b")});
        });
        QVERIFY2(run.finished && run.exit_code == 0, qPrintable(report(run)));
        const QStringList& t = run.trace;
        const int hook = index_of(t, QStringLiteral("KeyHook install"));
        const int hurray = index_of(t, QStringLiteral("request Pellwick Speak \"Hurray! The \\\\\"b\\\\\" key was pressed\\.\""));
        const int bee = index_of(t, QStringLiteral("request Pellwick Speak \"bee\""));
        const int bye = index_of(t, QStringLiteral("request Pellwick Speak \"Bye!\""));
        QVERIFY2(hook >= 0 && hurray > hook && bee > hurray && bye > bee, qPrintable(report(run)));
        QVERIFY(index_of(t, QStringLiteral("request Pellwick Play \"alert\""), hook) > hook);
    }
};

QTEST_GUILESS_MAIN(TestRunout)
#include "test_runout.moc"
