// "pellworks runout <script>" under a real X server: the characters perform the
// starter script on the desktop, say "Bye!" and the program ends by itself, or ends at
// once with a status that tells why it cannot start; a double click or Esc on a
// character cancels whatever line runs; a script that listens for one word hears it
// from a recording given as the microphone, and turns another word away.

#include "../recognition/speech_fixtures.h"
#include "running_program.h"
#include "tests/test_classes.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QString program_dir()
{
    return qEnvironmentVariable("PELLWORKS_PROGRAM_DIR");
}

QString write_script(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath(QStringLiteral("script.csp"));
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size() ? path : QString();
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
        RunningProgram run({QStringLiteral("runout"), script});
        QVERIFY2(run.finish(360000) == 0, qPrintable(run.report()));

        const QStringList& t = run.trace;
        const int greet = run.index_of(QStringLiteral("request Pellwick Speak \"Hi, I'm Pellwick.\""));
        const int start = run.index_of(QStringLiteral(" run start$"));
        const int end = run.index_of(QStringLiteral(" run end$"));
        const int bye = run.index_of(QStringLiteral("request Pellwick Speak \"Bye!\""));
        QVERIFY2(greet >= 0 && start > greet && end > start && bye > start, qPrintable(run.report()));
        QCOMPARE(run.index_of(QStringLiteral(" run error ")), -1);
        QCOMPARE(run.index_of(QStringLiteral(" message ")), -1);
        QCOMPARE(run.index_of(QStringLiteral(" event MainWindowPainted")), -1);  // only the characters show

        // The script's lines reached the characters in order (what each statement asks
        // of them is the script cases' to check).
        const QStringList expected{
            QStringLiteral("request Pellwick Speak \"hello! i am pellwick\\. watch all the tricks i know!\""),
            QStringLiteral("request Tansy Show"),
            QStringLiteral("request Pellwick MoveTo 700 300 5000"),
            QStringLiteral("request Tansy Speak \"Hey, that tickled!\""),
            QStringLiteral("request Tansy Speak \"what a pretty chime!\""),
            QStringLiteral("request Pellwick Play \"congratulate\""),
        };
        int at = start;
        for (const QString& pattern : expected) {
            const int next = run.index_of(pattern, at + 1);
            QVERIFY2(next > at, qPrintable(QStringLiteral("missing or out of order: ") + pattern + QLatin1Char('\n') + run.report()));
            at = next;
        }
        QVERIFY(at < end);

        // The sound line waited for the chime (0.62 s) before the next line spoke.
        const int tickled = run.index_of(QStringLiteral("Tansy Play \"pleased\""));
        const int chime_answer = run.index_of(QStringLiteral("Tansy Speak \"what a pretty chime!\""));
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
        RunningProgram run(arguments, [&](QProcessEnvironment& env) {
            for (const QString& name : unset) env.remove(name);
            if (!display.isEmpty()) env.insert(QStringLiteral("DISPLAY"), display);
            if (!home.isEmpty()) env.insert(QStringLiteral("PELLWORKS_HOME"), home);
        }, start_folder.path());
        QCOMPARE(run.finish(60000), status);
        if (!home.isEmpty()) QVERIFY(QFileInfo(start_folder.filePath(home + QStringLiteral("/scripts"))).isDir());
        const QString all = QString::fromLocal8Bit(run.process.readAllStandardOutput()) + run.rest + run.trace.join(QLatin1Char('\n'));
        QVERIFY2(all.contains(says), qPrintable(all));
        // A refusal is one clear line, not the toolkit's abort.
        if (status == 1 && arguments.isEmpty()) QCOMPARE(run.rest.trimmed().count(QLatin1Char('\n')), 0);
    }

    void a_run_answers_a_hand_and_a_voice_data()
    {
        QTest::addColumn<QByteArray>("lines");      // after "interval 0"
        QTest::addColumn<QString>("said");          // into the microphone by espeak-ng, if any
        QTest::addColumn<QStringList>("when");      // trace lines awaited in turn, and then
        QTest::addColumn<QStringList>("then");      // a hand on the mouse and keyboard (XTEST)
        QTest::addColumn<QStringList>("expected");  // trace lines in this order
        QTest::addColumn<QStringList>("never");
        // Once "spin" has been said (the others wait for it in sequential mode) the line
        // runs; a double click on Pellwick's body (his frame is 180 by 190), or a click
        // that gives him the focus and Esc, cancels it at once.
        const QByteArray spin = "pellwick> charpos 300,300\r\npellwick> speak spin\r\n";
        const QStringList spun{"request Pellwick Speak \"spin\"", "RequestComplete \\d+ \\w+ Wait 0$"};
        const QStringList dblclick{"mousemove 380 410 click --repeat 2 --delay 80 1"};
        const QStringList cancelled{"request Pellwick Speak \"I'm cancelled\"", "request Pellwick Speak \"Bye!\"", " run end$"};
        const QStringList clicked = QStringList{" event DblClick Pellwick "} + cancelled;
        QTest::newRow("a loop that never pauses, double click") << spin + "do\r\nloop 2000000000\r\n" << "" << spun << dblclick << clicked << QStringList();
        QTest::newRow("a three-minute sound, double click") << spin + "sound long\r\n" << "" << spun << dblclick << clicked << QStringList();
        QTest::newRow("a ten-minute pause, Esc on the character")
            << spin + "pause 600\r\n" << "" << spun << QStringList{"mousemove 380 410 click 1", "key Escape"} << cancelled << QStringList();
        // Everyday words no listening setting was tuned with. Each is the first word the
        // program hears, which must be heard as well as any later one.
        const QString listen = "pellwick> waitfor listen=%1\r\npellwick> if listen=%1 then\r\npellwick> speak that is my word\r\npellwick> endif\r\n";
        const QStringList listened{"request Pellwick Listen True", "request Pellwick Play \"alert\""};
        const QString hurray = "Speak \"Hurray! You said \\\\\"%1\\\\\" \\.\"", puzzled = "Speak \"I didn't understand that word!\"";
        const QString mine = "Speak \"that is my word\"", bye = "request Pellwick Speak \"Bye!\"";
        QTest::newRow("giraffe heard") << listen.arg("giraffe").toUtf8() << "giraffe" << QStringList() << QStringList()
                                       << listened + QStringList{hurray.arg("giraffe"), mine, bye} << QStringList{puzzled};
        QTest::newRow("two heard") << listen.arg("2").toUtf8() << "two" << QStringList() << QStringList()
                                   << listened + QStringList{hurray.arg("2"), mine, bye} << QStringList{puzzled};
        QTest::newRow("pillow turned away") << listen.arg("giraffe").toUtf8() << "pillow" << QStringList() << QStringList()
                                            << listened + QStringList{puzzled, bye} << QStringList{hurray.arg("giraffe"), mine};
        // B typed with no window focused ends a key wait.
        QTest::newRow("a key typed anywhere")
            << QByteArray("pellwick> waitfor key=anykey\r\npellwick> if key=b then\r\npellwick> speak bee\r\npellwick> endif\r\n") << ""
            << QStringList{"Speak \"I am waiting for any key to be pressed.\""} << QStringList{"key b"}
            << QStringList{"KeyHook install", "request Pellwick Play \"alert\"",
                           "request Pellwick Speak \"Hurray! The \\\\\"b\\\\\" key was pressed\\.\"", "request Pellwick Speak \"bee\"", bye}
            << QStringList();
    }

    void a_run_answers_a_hand_and_a_voice()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, said);
        QFETCH(QStringList, when);
        QFETCH(QStringList, then);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, never);
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pw-run-XXXXXX"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("home/wav")));
        QVERIFY(pw::test::write_wav(pw::test::silence(180000), dir.filePath(QStringLiteral("home/wav/long.wav"))));
        const QString mic = dir.filePath(QStringLiteral("said.wav"));
        const pw::test::TestVoice voice{pw::test::TestVoice::Espeak, QStringLiteral("en-us"), 50, 175};
        QVERIFY(said.isEmpty() || pw::test::write_wav(pw::test::spoken(voice, said), mic));
        RunningProgram run({QStringLiteral("runout"), write_script(dir, "interval 0\r\n" + lines)}, [&](QProcessEnvironment& env) {
            env.insert(QStringLiteral("PELLWORKS_HOME"), dir.filePath(QStringLiteral("home")));
            if (!said.isEmpty()) env.insert(QStringLiteral("PELLWORKS_MIC_FILE"), mic);
        });
        int at = 0;
        for (const QString& pattern : when) QVERIFY2((at = run.await(pattern, 120000, at)) >= 0, qPrintable(pattern + '\n' + run.report()));
        for (const QString& command : then) {
            QTest::qWait(500);
            xdotool(command);
        }
        QVERIFY2(run.finish(120000) == 0, qPrintable(run.report()));
        at = 0;
        for (const QString& pattern : expected)
            QVERIFY2((at = run.index_of(pattern, at)) >= 0, qPrintable("missing or out of order: " + pattern + '\n' + run.report()));
        for (const QString& pattern : never) QVERIFY2(run.index_of(pattern) < 0, qPrintable(pattern));
        QCOMPARE(run.index_of(QStringLiteral(" run error ")), -1);
    }
};

PW_TEST_CLASS(TestRunout);
#include "test_runout.moc"
