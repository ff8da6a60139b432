// The command line: the keyword and the path, the path handed to a
// running Pellworks, and the file name shown in the status bar.

#include "app/command_line.h"
#include "tests/test_classes.h"

#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void keyword_and_path_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("path");
        QTest::newRow("bare file") << QStringList{"/home/kid/a.csp"} << 0 << "/home/kid/a.csp";
        QTest::newRow("runin after the path") << QStringList{"/s/a.csp", "runin"} << 2 << "/s/a.csp";
        QTest::newRow("runout") << QStringList{"runout", "x.csp"} << 1 << "x.csp";
        // A keyword counts only as a whole argument, never as letters inside the path.
        QTest::newRow("inside a folder name") << QStringList{"/home/kid/Downloads/a.csp"} << 0 << "/home/kid/Downloads/a.csp";
        QTest::newRow("folder unload") << QStringList{"load", "/s/unload/runout.csp"} << 3 << "/s/unload/runout.csp";
        // A file name arrives whole, with its blanks and quotes.
        QTest::newRow("blanks and quotes") << QStringList{"load", "/my scripts/Zoë's \"big\" one.csp"} << 3
                                           << "/my scripts/Zoë's \"big\" one.csp";
        QTest::newRow("typed without quotes") << QStringList{"runin", "my", "tea.csp"} << 2 << "my tea.csp";
        // The desktop's menu runs "load %f" without a file: a plain start.
        QTest::newRow("keyword alone") << QStringList{"load"} << 0 << "";
        QTest::newRow("nothing") << QStringList{} << 0 << "";
    }

    void keyword_and_path()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, mode);
        QFETCH(QString, path);
        const pw::app::CommandLine c = pw::app::parse_command_line(arguments);
        QCOMPARE(int(c.mode), mode);
        QCOMPARE(c.path, path);
    }

    void handed_over_paths_and_file_names()
    {
        // Another process gets the path made absolute against the start folder.
        QCOMPARE(pw::app::with_absolute_path({"my", "tea.csp", "runin"}, "/home/kid"),
                 (QStringList{"runin", "/home/kid/my tea.csp"}));
        QCOMPARE(pw::app::with_absolute_path({"load", "/s/a.csp"}, "/home/kid"), (QStringList{"load", "/s/a.csp"}));
        QCOMPARE(pw::app::with_absolute_path({"load"}, "/home/kid"), QStringList{"load"});
        QCOMPARE(pw::app::file_name_part("/home/kid/tea.csp"), QStringLiteral("tea.csp"));
        QCOMPARE(pw::app::file_name_part("tea.csp"), QStringLiteral("tea.csp"));
    }
};

PW_TEST_CLASS(TestCommandLine);
#include "test_command_line.moc"
