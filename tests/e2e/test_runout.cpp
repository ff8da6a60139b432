// "pellworks runout <script>" under a real X server: the characters perform the
// starter script on the desktop, say "Bye!" and the program ends by itself; a script
// with a mistake shows the spelling message and ends too; a double click or Esc on a
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

    void a_mistake_shows_the_spelling_message_and_ends()
    {
        // Not the default name: it holds the program's name, and so the keyword
        // "runout", which the command line would take out of the path.
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pw-mistake-XXXXXX"));
        RunningProgram run({QStringLiteral("runout"),
                            write_script(dir, "interval 0\r\npellwick> speak one moment\r\npellwick> jumpjump\r\n"
                                              "pellwick> speak never\r\n")});
        // The message box waits for its OK: bring it forward and press its default
        // button through XTEST.
        QVERIFY2(run.await(QStringLiteral(" message \"There is a spelling error"), 120000) >= 0, qPrintable(run.report()));
        QTest::qWait(700);
        xdotool(QStringLiteral("search --sync --onlyvisible --name ^Pellworks$ windowactivate --sync"));
        xdotool(QStringLiteral("key Return"));
        QVERIFY2(run.finish(120000) == 1, qPrintable(run.report()));
        const QString message = QStringLiteral(
            "There is a spelling error here or pellwick has not learned this trick!  -- jumpjump");
        // The second line names the line at fault.
        const int error = run.index_of(QStringLiteral(" run error \"") + QRegularExpression::escape(message)
                                       + QStringLiteral(" ?\\\\nLook at line 3\\.\"$"));
        QVERIFY2(error >= 0, qPrintable(run.report()));
        QVERIFY(run.index_of(QStringLiteral("request Pellwick Speak \"one moment\"")) >= 0);
        QCOMPARE(run.index_of(QStringLiteral("Speak \"never\"")), -1);
        QCOMPARE(run.index_of(QStringLiteral("Speak \"Bye!\"")), -1);
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
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("home/wav")));
        QVERIFY(pw::test::write_wav(pw::test::silence(180000), dir.filePath(QStringLiteral("home/wav/long.wav"))));
        RunningProgram run({QStringLiteral("runout"),
                            write_script(dir, "interval 0\r\npellwick> charpos 300,300\r\npellwick> speak spin\r\n" + lines)},
                           [&](QProcessEnvironment& env) {
                               env.insert(QStringLiteral("PELLWORKS_HOME"), dir.filePath(QStringLiteral("home")));
                           });
        // Once "spin" has been said (the others wait for it in sequential mode) the line
        // runs; then a double click on Pellwick's body (his frame is 180 by 190), or a
        // click that gives him the focus and Esc, through XTEST like a hand on the mouse
        // and the keyboard.
        const int spoke = run.await(QStringLiteral("request Pellwick Speak \"spin\""));
        QVERIFY2(spoke >= 0 && run.await(QStringLiteral("RequestComplete \\d+ \\w+ Wait 0$"), 60000, spoke + 1) > spoke,
                 qPrintable(run.report()));
        QTest::qWait(500);
        if (stop == QLatin1String("dblclick")) {
            xdotool(QStringLiteral("mousemove 380 410 click --repeat 2 --delay 80 1"));
        } else {
            xdotool(QStringLiteral("mousemove 380 410 click 1"));
            QTest::qWait(300);
            xdotool(QStringLiteral("key Escape"));
        }
        QVERIFY2(run.finish(90000) == 0, qPrintable(run.report()));
        const int cancelled = run.index_of(QStringLiteral("request Pellwick Speak \"I'm cancelled\""));
        const int bye = run.index_of(QStringLiteral("request Pellwick Speak \"Bye!\""));
        const int end = run.index_of(QStringLiteral(" run end$"));
        QVERIFY2(cancelled >= 0 && bye > cancelled && end > bye, qPrintable(run.report()));
        if (stop == QLatin1String("dblclick")) QVERIFY(run.index_of(QStringLiteral(" event DblClick Pellwick ")) >= 0);
        QCOMPARE(run.index_of(QStringLiteral(" run error ")), -1);
    }

    void one_listened_word_is_heard_and_another_is_not_data()
    {
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("heard");
        // Everyday words no listening setting was tuned with, said by espeak-ng. Each is
        // the first word the program hears, which must be heard as well as any later one.
        QTest::newRow("giraffe heard") << "giraffe" << "giraffe" << true;
        QTest::newRow("two heard") << "2" << "two" << true;
        QTest::newRow("pillow turned away") << "giraffe" << "pillow" << false;
    }

    void one_listened_word_is_heard_and_another_is_not()
    {
        QFETCH(QString, listen);
        QFETCH(QString, said);
        QFETCH(bool, heard);
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pw-listen-XXXXXX"));
        const QString mic = dir.filePath(QStringLiteral("said.wav"));
        const pw::test::TestVoice voice{pw::test::TestVoice::Espeak, QStringLiteral("en-us"), 50, 175};
        QVERIFY(pw::test::write_wav(pw::test::spoken(voice, said), mic));
        RunningProgram run({QStringLiteral("runout"),
                            write_script(dir, QStringLiteral("interval 0\r\npellwick> waitfor listen=%1\r\npellwick> if listen=%1 then\r\n"
                                                             "pellwick> speak that is my word\r\npellwick> endif\r\n")
                                                  .arg(listen)
                                                  .toUtf8())},
                           [&](QProcessEnvironment& env) { env.insert(QStringLiteral("PELLWORKS_MIC_FILE"), mic); });
        QVERIFY2(run.finish(120000) == 0, qPrintable(run.report()));
        const int listening = run.index_of(QStringLiteral("request Pellwick Listen True"));
        const int alert = run.index_of(QStringLiteral("request Pellwick Play \"alert\""), listening);
        const int bye = run.index_of(QStringLiteral("request Pellwick Speak \"Bye!\""));
        QVERIFY2(listening >= 0 && alert > listening && bye > alert, qPrintable(run.report()));
        const QString hurray = QStringLiteral("Speak \"Hurray! You said \\\\\"%1\\\\\" \\.\"").arg(listen);
        const QString puzzled = QStringLiteral("Speak \"I didn't understand that word!\"");
        QVERIFY2(run.index_of(heard ? hurray : puzzled, alert) > alert, qPrintable(run.report()));
        QCOMPARE(run.index_of(heard ? puzzled : hurray) >= 0, false);
        QCOMPARE(run.index_of(QStringLiteral("Speak \"that is my word\"")) > alert, heard);
    }

    void a_key_typed_anywhere_ends_a_key_wait()
    {
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pw-key-XXXXXX"));
        RunningProgram run({QStringLiteral("runout"),
                            write_script(dir, "interval 0\r\npellwick> waitfor key=anykey\r\npellwick> if key=b then\r\n"
                                              "pellwick> speak bee\r\npellwick> endif\r\n")});
        // Once the reminder is said, B is typed through XTEST with no window focused.
        QVERIFY2(run.await(QStringLiteral("Speak \"I am waiting for any key to be pressed.\""), 120000) >= 0,
                 qPrintable(run.report()));
        xdotool(QStringLiteral("key b"));
        QVERIFY2(run.finish(120000) == 0, qPrintable(run.report()));
        const int hook = run.index_of(QStringLiteral("KeyHook install"));
        const int hurray = run.index_of(QStringLiteral("request Pellwick Speak \"Hurray! The \\\\\"b\\\\\" key was pressed\\.\""));
        const int bee = run.index_of(QStringLiteral("request Pellwick Speak \"bee\""));
        const int bye = run.index_of(QStringLiteral("request Pellwick Speak \"Bye!\""));
        QVERIFY2(hook >= 0 && hurray > hook && bee > hurray && bye > bee, qPrintable(run.report()));
        QVERIFY(run.index_of(QStringLiteral("request Pellwick Play \"alert\""), hook) > hook);
    }
};

PW_TEST_CLASS(TestRunout);
#include "test_runout.moc"
