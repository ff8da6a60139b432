// The program finds its characters, scripts and sounds from its own binary: beside it
// in a build, in ../share/pellworks when installed, wherever the installed tree is.

#include "platform/core/program_folder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestProgramFolder : public QObject {
    Q_OBJECT

private slots:
    void found_from_the_binary_data()
    {
        QTest::addColumn<QStringList>("folders");  // made under a temporary root
        QTest::addColumn<QString>("binary");
        QTest::addColumn<QString>("expected");
        QTest::newRow("build") << QStringList{"build/bin/chars"} << "build/bin" << "build/bin";
        QTest::newRow("installed") << QStringList{"usr/bin", "usr/share/pellworks/chars"} << "usr/bin"
                                   << "usr/share/pellworks";
        QTest::newRow("unpacked elsewhere") << QStringList{"home/ann/tmp/x/usr/bin", "home/ann/tmp/x/usr/share/pellworks/chars"}
                                            << "home/ann/tmp/x/usr/bin" << "home/ann/tmp/x/usr/share/pellworks";
        // A build's own folder wins over an installed tree next to it.
        QTest::newRow("both") << QStringList{"p/bin/chars", "p/share/pellworks/chars"} << "p/bin" << "p/bin";
        QTest::newRow("neither") << QStringList{"lost/bin"} << "lost/bin" << "lost/bin";
    }

    void found_from_the_binary()
    {
        QFETCH(QStringList, folders);
        QFETCH(QString, binary);
        QFETCH(QString, expected);
        QTemporaryDir root;
        for (const QString& f : folders) QVERIFY(QDir(root.path()).mkpath(f));
        QCOMPARE(pw::folders::program_folder_for(root.filePath(binary)), QDir(root.filePath(expected)).absolutePath());
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "test_program_folder.moc"
