// The command line: which keyword wins, what stays of the path, and the file name
// shown in the status bar.

#include "app/command_line.h"

#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void keyword_and_path_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("path");
        QTest::newRow("bare file") << "/home/kid/a.csp" << 0 << "/home/kid/a.csp";
        QTest::newRow("runin after the path") << "/s/a.csp runin" << 2 << "/s/a.csp";
        // runout wins, and the other keyword stays in the path.
        QTest::newRow("runout and runin") << "runin runout /s/a.csp" << 1 << "runin  /s/a.csp";
        QTest::newRow("runin before load") << "load runin x.csp" << 2 << "load  x.csp";
        QTest::newRow("every occurrence") << "runout x.csp runout" << 1 << "x.csp";
        // A keyword counts only as a whole word, never as letters inside the path.
        QTest::newRow("inside a folder name") << "/home/kid/Downloads/a.csp" << 0 << "/home/kid/Downloads/a.csp";
        QTest::newRow("folder unload") << "load /s/unload/runout.csp" << 3 << "/s/unload/runout.csp";
        QTest::newRow("quoted keyword is path") << "runin \"load\"" << 2 << "load";
        QTest::newRow("keyword glued to quote") << "load\"/s/a.csp\"" << 0 << "load/s/a.csp";
        QTest::newRow("capitals") << "RUNOUT /s/a.csp" << 0 << "RUNOUT /s/a.csp";
        QTest::newRow("quoted with blanks") << "load \"/my scripts/big one.csp\"" << 3 << "/my scripts/big one.csp";
        QTest::newRow("blanks inside quotes") << "runin \"  /s/a.csp \"" << 2 << "  /s/a.csp ";
        QTest::newRow("quote inside") << "load /s/we\"ird.csp" << 3 << "/s/weird.csp";
        QTest::newRow("only blanks trimmed") << "load \t/s/a.csp  " << 3 << "\t/s/a.csp";
    }

    void keyword_and_path()
    {
        QFETCH(QString, arguments);
        QFETCH(int, mode);
        QFETCH(QString, path);
        const pw::app::CommandLine c = pw::app::parse_command_line(arguments);
        QCOMPARE(int(c.mode), mode);
        QCOMPARE(c.path, path);
    }

    void arguments_and_file_names()
    {
        // A path handed over as one argument with a blank in it survives whole.
        const QString text = pw::app::arguments_text({"/usr/bin/pellworks", "/my scripts/a.csp", "runin"});
        QCOMPARE(pw::app::parse_command_line(text).path, QStringLiteral("/my scripts/a.csp"));
        const pw::app::CommandLine one = pw::app::parse_command_line(pw::app::arguments_text({"pw", "/x/ load /a.csp"}));
        QCOMPARE(int(one.mode), 0);
        QCOMPARE(one.path, QStringLiteral("/x/ load /a.csp"));
        QCOMPARE(pw::app::file_name_part("/home/kid/tea.csp"), QStringLiteral("tea.csp"));
        QCOMPARE(pw::app::file_name_part("C:\\kid/x\\tea.csp"), QStringLiteral("tea.csp"));
        QCOMPARE(pw::app::file_name_part("tea.csp"), QStringLiteral("tea.csp"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
