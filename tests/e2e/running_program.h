#pragma once
// The built program started under the test's X server with its trace on; the trace
// lines are collected as they come, and the whole trace of the last one to end stays
// on disk (e2e_last_trace.txt), since test messages are cut short.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <functional>

struct RunningProgram {
    QProcess process;
    QStringList trace;  // the "pw ..." lines
    QString rest;       // everything else on standard error
    QByteArray pending;
    QElapsedTimer clock;

    // `change_environment` may alter what it starts with; it starts in `folder` (the
    // test's own when empty).
    explicit RunningProgram(const QStringList& arguments,
                            const std::function<void(QProcessEnvironment&)>& change_environment = {},
                            const QString& folder = {})
    {
        process.setWorkingDirectory(folder);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PELLWORKS_TRACE"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (change_environment) change_environment(env);
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardError, [this] { take_lines(); });
        clock.start();
        process.start(QStringLiteral(PW_PELLWORKS_BIN), arguments);
    }
    ~RunningProgram()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
        QFile keep(QDir::current().filePath(QStringLiteral("e2e_last_trace.txt")));
        if (keep.open(QIODevice::WriteOnly | QIODevice::Truncate))
            keep.write((trace.join(QLatin1Char('\n')) + QStringLiteral("\n--- other output:\n") + rest).toUtf8());
    }

    void take_lines()
    {
        pending += process.readAllStandardError();
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(nl));
            pending.remove(0, nl + 1);
            if (line.startsWith(QLatin1String("pw "))) trace << line;
            else rest += line + QLatin1Char('\n');
        }
    }
    // The first trace line from `from` on that matches, or -1.
    int index_of(const QString& pattern, int from = 0) const
    {
        if (from < 0) return -1;  // after a line that was not found
        const QRegularExpression rx(pattern);
        for (int i = from; i < trace.size(); ++i)
            if (rx.match(trace[i]).hasMatch()) return i;
        return -1;
    }
    // Waits until a trace line from `from` on matches (or the program ends); its
    // index, or -1.
    int await(const QString& pattern, int timeout_ms = 60000, int from = 0)
    {
        (void)QTest::qWaitFor([&] { return index_of(pattern, from) >= 0 || process.state() == QProcess::NotRunning; },
                              timeout_ms);
        take_lines();
        return index_of(pattern, from);
    }
    // Waits for the end: the exit code, or -1 for a crash or no end in time.
    int finish(int timeout_ms)
    {
        if (process.state() != QProcess::NotRunning && !QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeout_ms))
            return -1;
        take_lines();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QString report() const
    {
        return QStringLiteral("after %1 ms; the whole trace is in e2e_last_trace.txt; it ends:\n").arg(clock.elapsed())
               + trace.mid(qMax(0, int(trace.size()) - 12)).join(QLatin1Char('\n'));
    }
};

// A hand on the mouse and keyboard, through XTEST: xdotool with blank-separated arguments.
inline void xdotool(const QString& args)
{
    QProcess::execute(QStringLiteral("xdotool"), args.split(QLatin1Char(' ')));
}
