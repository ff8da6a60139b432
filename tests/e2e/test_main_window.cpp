// The built program under a real X server as a person meets it: the splash, then the
// main window; a second start hands its file to the first, which comes back from
// being minimised and loads it, and ends at once; every menu entry opens from the
// keyboard, and About closes again. A script never saved survives a SIGKILL: typed
// with real keys, kept, and shown again at the next plain start.

#include "running_program.h"
#include "tests/test_classes.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// A real start, splash and all.
void with_splash(QProcessEnvironment& env)
{
    env.remove(QStringLiteral("PELLWORKS_NO_SPLASH"));
}

// The window manager's state of the main window ("_NET_WM_STATE_HIDDEN" when minimised).
QString window_state()
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^Pellworks$")});
    search.waitForFinished(10000);
    // The toolkit's own unmapped window has the same title, and no class.
    for (const QString& id : QString::fromLatin1(search.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("WM_CLASS"), QStringLiteral("_NET_WM_STATE")});
        xprop.waitForFinished(10000);
        const QString state = QString::fromLatin1(xprop.readAllStandardOutput());
        if (state.contains(QLatin1String("WM_CLASS(STRING)"))) return state;
    }
    return QString();
}

void keys(const QString& sequence)
{
    for (const QString& key : sequence.split(QLatin1Char(' '))) xdotool(QStringLiteral("key --clearmodifiers ") + key);
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void a_person_starts_pellworks_twice_and_uses_every_menu()
    {
        RunningProgram first({}, with_splash);
        const int painted = first.await(QStringLiteral(" event MainWindowPainted"));
        QVERIFY2(painted >= 0, qPrintable(first.report()));
        const int shown = first.index_of(QStringLiteral(" event Splash shown"));
        const int gone = first.index_of(QStringLiteral(" event Splash gone"));
        QVERIFY2(shown >= 0 && gone > shown && painted > gone, qPrintable(first.report()));
        QVERIFY(first.await(QStringLiteral("request Pellwick Speak \"Hi, I'm Pellwick.\"")) > painted);

        // A second start, from another folder with a name of its own there, ends at once
        // without a window; the first one, minimised, comes back and loads the file.
        QTemporaryDir elsewhere;
        QFile script(elsewhere.filePath(QStringLiteral("Zoë's \"tea\".csp")));
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write("pellwick> speak tea\r\n") > 0);
        script.close();
        xdotool(QStringLiteral("search --onlyvisible --name ^Pellworks$ windowminimize"));
        QVERIFY(QTest::qWaitFor([] { return window_state().contains(QLatin1String("_NET_WM_STATE_HIDDEN")); }, 10000));
        RunningProgram second({QStringLiteral("load"), QFileInfo(script).fileName()}, with_splash, elsewhere.path());
        QCOMPARE(second.finish(30000), 0);
        QCOMPARE(second.index_of(QStringLiteral(" event (Splash|MainWindowPainted)")), -1);
        QVERIFY2(first.await(QStringLiteral(" event RaiseRequest minimised")) >= 0, qPrintable(first.report()));
        QVERIFY2(first.await(QStringLiteral(" event FileLoaded \"%1\"").arg(QRegularExpression::escape(
                                 QFileInfo(script).absoluteFilePath().replace(QLatin1Char('"'), QLatin1String("\\\""))))) >= 0,
                 qPrintable(first.report()));
        QVERIFY2(QTest::qWaitFor([] { return !window_state().contains(QLatin1String("_NET_WM_STATE_HIDDEN")); }, 10000),
                 qPrintable(window_state()));

        // Each entry from the keyboard, About last; Esc closes About.
        const QList<QPair<QString, QString>> entries{
            {"alt+c s", "Show All"}, {"alt+c h", "Hide All"}, {"alt+c p", "Hide All but Pellwick"},
            {"alt+r", "Record Audio"}, {"alt+h", "Help"}, {"alt+x", "Exit"}, {"alt+a", "About"}};
        for (const auto& [sequence, name] : entries) {
            keys(sequence);
            QVERIFY2(first.await(QStringLiteral(" event Menu \"%1\"").arg(name), 20000) >= 0,
                     qPrintable(name + QLatin1Char('\n') + first.report()));
        }
        QVERIFY(first.index_of(QStringLiteral("request Pellwick Speak \"Hi, I'm Pellwick. Here are my friends!\"")) >= 0);
        keys(QStringLiteral("Escape"));
        QVERIFY2(first.await(QStringLiteral(" event AboutClosed"), 20000) >= 0, qPrintable(first.report()));
        QCOMPARE(first.process.state(), QProcess::Running);
    }

    void typed_text_survives_a_kill_and_comes_back()
    {
        QTemporaryDir home;
        const auto in_home = [&](QProcessEnvironment& env) { env.insert(QStringLiteral("PELLWORKS_HOME"), home.path()); };
        {
            RunningProgram first({}, in_home);
            QVERIFY2(first.await(QStringLiteral("request Pellwick Speak \"Hi, I'm Pellwick\\.\"")) >= 0, qPrintable(first.report()));
            // Real keys, to whatever has the focus in the main window: the editor.
            xdotool(QStringLiteral("search --sync --onlyvisible --name ^Pellworks$ windowactivate --sync"));
            QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                                                          QStringLiteral("pellwick> speak never lost")});
            QVERIFY2(first.await(QStringLiteral(" script kept "), 30000) >= 0, qPrintable(first.report()));
            ::kill(pid_t(first.process.processId()), SIGKILL);
            QVERIFY(first.process.waitForFinished(10000));
            QCOMPARE(first.process.exitStatus(), QProcess::CrashExit);
        }
        RunningProgram second({}, in_home);
        QVERIFY2(second.await(QStringLiteral(" script restored \"pellwick> speak never lost\"$")) >= 0,
                 qPrintable(second.report()));
    }
};

PW_TEST_CLASS(TestMainWindow);
#include "test_main_window.moc"
