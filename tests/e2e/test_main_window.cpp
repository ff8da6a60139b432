// The built program under a real X server as a person meets it: the splash, then the
// main window; a second start hands its file to the first, which comes back from
// being minimised and loads it, and ends at once; every
// menu entry opens from the keyboard, and About closes again.

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A running pellworks whose trace lines are collected as they come.
struct Program {
    QProcess process;
    QStringList trace;
    QByteArray pending;

    explicit Program(const QStringList& arguments = {}, const QString& folder = {})
    {
        process.setWorkingDirectory(folder);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PELLWORKS_TRACE"), QStringLiteral("1"));
        env.remove(QStringLiteral("PELLWORKS_NO_SPLASH"));  // a real start, splash and all
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardError, [this] { take_lines(); });
        process.start(QStringLiteral(PW_PELLWORKS_BIN), arguments);
    }
    ~Program()
    {
        if (process.state() == QProcess::NotRunning) return;
        process.kill();
        process.waitForFinished(5000);
    }
    void take_lines()
    {
        pending += process.readAllStandardError();
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(nl));
            pending.remove(0, nl + 1);
            if (line.startsWith(QLatin1String("pw "))) trace << line;
        }
    }
    int index_of(const QString& pattern) const
    {
        const QRegularExpression rx(pattern);
        for (int i = 0; i < trace.size(); ++i)
            if (rx.match(trace[i]).hasMatch()) return i;
        return -1;
    }
    // Waits until a trace line matches; its index, or -1.
    int await(const QString& pattern, int timeout_ms = 60000)
    {
        (void)QTest::qWaitFor([&] { return index_of(pattern) >= 0 || process.state() == QProcess::NotRunning; }, timeout_ms);
        take_lines();
        return index_of(pattern);
    }
    QString tail() const { return trace.mid(qMax(0, int(trace.size()) - 15)).join(QLatin1Char('\n')); }
};

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
    for (const QString& key : sequence.split(QLatin1Char(' ')))
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void a_person_starts_pellworks_twice_and_uses_every_menu()
    {
        Program first;
        const int painted = first.await(QStringLiteral(" event MainWindowPainted"));
        QVERIFY2(painted >= 0, qPrintable(first.tail()));
        const int shown = first.index_of(QStringLiteral(" event Splash shown"));
        const int gone = first.index_of(QStringLiteral(" event Splash gone"));
        QVERIFY2(shown >= 0 && gone > shown && painted > gone, qPrintable(first.tail()));
        QVERIFY(first.await(QStringLiteral("request Pellwick Speak \"Hi, I'm Pellwick.\"")) > painted);

        // A second start, from another folder with a name of its own there, ends at once
        // without a window; the first one, minimised, comes back and loads the file.
        QTemporaryDir elsewhere;
        QFile script(elsewhere.filePath(QStringLiteral("Zoë's \"tea\".csp")));
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write("pellwick> speak tea\r\n") > 0);
        script.close();
        QVERIFY(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                  QStringLiteral("--name"), QStringLiteral("^Pellworks$"), QStringLiteral("windowminimize")}) == 0);
        QVERIFY(QTest::qWaitFor([] { return window_state().contains(QLatin1String("_NET_WM_STATE_HIDDEN")); }, 10000));
        Program second({QStringLiteral("load"), QFileInfo(script).fileName()}, elsewhere.path());
        QVERIFY(second.process.waitForFinished(30000));
        second.take_lines();
        QCOMPARE(second.process.exitCode(), 0);
        QCOMPARE(second.index_of(QStringLiteral(" event (Splash|MainWindowPainted)")), -1);
        QVERIFY2(first.await(QStringLiteral(" event RaiseRequest minimised")) >= 0, qPrintable(first.tail()));
        QVERIFY2(first.await(QStringLiteral(" event FileLoaded \"%1\"").arg(QRegularExpression::escape(
                                 QFileInfo(script).absoluteFilePath().replace(QLatin1Char('"'), QLatin1String("\\\""))))) >= 0,
                 qPrintable(first.tail()));
        QVERIFY2(QTest::qWaitFor([] { return !window_state().contains(QLatin1String("_NET_WM_STATE_HIDDEN")); }, 10000),
                 qPrintable(window_state()));

        // Each entry from the keyboard, About last; Esc closes About.
        const QList<QPair<QString, QString>> entries{
            {"alt+c s", "Show All"}, {"alt+c h", "Hide All"}, {"alt+c p", "Hide All but Pellwick"},
            {"alt+r", "Record Audio"}, {"alt+h", "Help"}, {"alt+x", "Exit"}, {"alt+a", "About"}};
        for (const auto& [sequence, name] : entries) {
            keys(sequence);
            QVERIFY2(first.await(QStringLiteral(" event Menu \"%1\"").arg(name), 20000) >= 0,
                     qPrintable(name + QLatin1Char('\n') + first.tail()));
        }
        QVERIFY(first.index_of(QStringLiteral("request Pellwick Speak \"Hi, I'm Pellwick. Here are my friends!\"")) >= 0);
        keys(QStringLiteral("Escape"));
        QVERIFY2(first.await(QStringLiteral(" event AboutClosed"), 20000) >= 0, qPrintable(first.tail()));
        QCOMPARE(first.process.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestMainWindow)
#include "test_main_window.moc"
