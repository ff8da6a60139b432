// A script that was never saved survives the end of the program, even a SIGKILL: text
// typed with real keys into a running Pellworks, the process killed once it has kept
// the text, and the next plain start of a second process shows the text again.

#include "running_program.h"
#include "tests/test_classes.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestKeepUnsaved : public QObject {
    Q_OBJECT

private slots:
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

PW_TEST_CLASS(TestKeepUnsaved);
#include "test_keep_unsaved.moc"
