// A script that was never saved survives the end of the program, even a SIGKILL: text
// typed with real keys into a running Pellworks, the process killed once it has kept
// the text, and the next plain start of a second process shows the text again.

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// A running program whose trace lines are collected as they come.
struct Program {
    QProcess process;
    QStringList trace;
    QByteArray pending;

    explicit Program(const QString& home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PELLWORKS_TRACE"), QStringLiteral("1"));
        env.insert(QStringLiteral("PELLWORKS_HOME"), home);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardError, [this] {
            pending += process.readAllStandardError();
            qsizetype nl;
            while ((nl = pending.indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(pending.left(nl));
                pending.remove(0, nl + 1);
                if (line.startsWith(QStringLiteral("pw "))) trace << line;
            }
        });
        process.start(QStringLiteral(PW_PELLWORKS_BIN), {});
    }
    ~Program()
    {
        if (process.state() == QProcess::NotRunning) return;
        process.kill();
        process.waitForFinished(5000);
    }
    bool saw(const QString& pattern) const
    {
        const QRegularExpression rx(pattern);
        for (const QString& line : trace)
            if (rx.match(line).hasMatch()) return true;
        return false;
    }
    QString last_lines() const { return trace.mid(qMax(0, int(trace.size()) - 8)).join(QLatin1Char('\n')); }
};

const QString greeting = QStringLiteral("request Pellwick Speak \"Hi, I'm Pellwick\\.\"");

}  // namespace

class TestKeepUnsaved : public QObject {
    Q_OBJECT

private slots:
    void typed_text_survives_a_kill_and_comes_back()
    {
        QTemporaryDir home;
        {
            Program first(home.path());
            QTRY_VERIFY2_WITH_TIMEOUT(first.saw(greeting), qPrintable(first.last_lines()), 60000);
            // Real keys, to whatever has the focus in the main window: the editor.
            QProcess::execute(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                               QStringLiteral("--name"), QStringLiteral("^Pellworks$"), QStringLiteral("windowactivate"),
                               QStringLiteral("--sync")});
            QProcess::execute(QStringLiteral("xdotool"),
                              {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                               QStringLiteral("pellwick> speak never lost")});
            QTRY_VERIFY2_WITH_TIMEOUT(first.saw(QStringLiteral(" script kept ")), qPrintable(first.last_lines()),
                                      30000);
            ::kill(pid_t(first.process.processId()), SIGKILL);
            QVERIFY(first.process.waitForFinished(10000));
            QCOMPARE(first.process.exitStatus(), QProcess::CrashExit);
        }
        Program second(home.path());
        QTRY_VERIFY2_WITH_TIMEOUT(second.saw(QStringLiteral(" script restored \"pellwick> speak never lost\"$")),
                                  qPrintable(second.last_lines()), 60000);
    }
};

QTEST_GUILESS_MAIN(TestKeepUnsaved)
#include "test_keep_unsaved.moc"
