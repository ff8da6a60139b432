// acstool from the outside: what it prints, the files it writes, and exit code 1 with
// a message on bad input.

#include "tiny_source.h"
#include "tests/test_classes.h"

#include <QDir>
#include <QProcess>
#include <QTest>

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run acstool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(PW_ACSTOOL), args);
    if (!p.waitForFinished(60000)) qFatal("acstool did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

class AcstoolTest : public QObject {
    Q_OBJECT

private slots:
    void builds_describes_and_exports_a_character()
    {
        TinySource tiny;
        // Return frames put an empty frame of no time first, which only branches.
        tiny.add_animations(R"("Loop": { "frames": [ { "pose": "hop", "d": 6, "label": "a" },
            { "pose": "hatted", "d": 7, "loop": "a" } ], "return": [ { "pose": "rest", "d": 3 } ] })");
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("Tiny.acs"));
        const Run built = acstool({QStringLiteral("build"), tiny.path(), file});
        QCOMPARE(built.code, 0);
        QVERIFY(QFileInfo(file).size() > 0);

        const Run info = acstool({QStringLiteral("info"), file});
        QCOMPARE(info.code, 0);
        QVERIFY(info.out.contains(QStringLiteral("Tiny")));
        QVERIFY(info.out.contains(QStringLiteral("frame 40 x 40")));
        QVERIFY(info.out.contains(QStringLiteral("HIDING: HIDE")));
        // Show: 10 + 5 + 5 + 5 hundredths; the walk plays its way in and one round of its loop.
        QVERIFY2(info.out.contains(QRegularExpression(QStringLiteral("Show +4 frames +250 ms"))), qPrintable(info.out));
        QVERIFY2(info.out.contains(QRegularExpression(QStringLiteral("Walk +5 frames +210 ms"))), qPrintable(info.out));

        const QString frames = out.filePath(QStringLiteral("frames"));
        QCOMPARE(acstool({QStringLiteral("frames"), file, QStringLiteral("restpose"), frames}).code, 0);
        const QStringList pngs = QDir(frames).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
        QCOMPARE(pngs.size(), 8);  // the frame and its seven mouths
        QCOMPARE(pngs.first(), QStringLiteral("RestPose_000.png"));
        QVERIFY(pngs.contains(QStringLiteral("RestPose_000_mouth6.png")));
        QCOMPARE(QImage(QDir(frames).filePath(pngs.first())).size(), QSize(40, 40));

        // The branching frame is left out and named; an empty frame that lasts is kept.
        const Run loop = acstool({QStringLiteral("frames"), file, QStringLiteral("Loop"), frames});
        QCOMPARE(loop.code, 0);
        QVERIFY2(loop.out.contains(QStringLiteral("skipped frame 0")), qPrintable(loop.out));
        QVERIFY(!QFileInfo::exists(QDir(frames).filePath(QStringLiteral("Loop_000.png"))));
        QVERIFY(QFileInfo::exists(QDir(frames).filePath(QStringLiteral("Loop_001.png"))));
        QCOMPARE(acstool({QStringLiteral("frames"), file, QStringLiteral("Hide"), frames}).code, 0);
        QVERIFY(QFileInfo::exists(QDir(frames).filePath(QStringLiteral("Hide_001.png"))));

        const Run fly = acstool({QStringLiteral("frames"), file, QStringLiteral("Fly"), frames});
        QCOMPARE(fly.code, 1);
        QVERIFY(fly.err.contains(QStringLiteral("\"Fly\"")) && fly.err.contains(QStringLiteral("0x80042003")));
    }

    void bad_input_exits_with_one_and_says_why_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList{} << "usage";
        QTest::newRow("unknown command") << QStringList{"dance"} << "unknown command";
        QTest::newRow("too few") << QStringList{"frames", "x.acs"} << "expected: acstool frames";
        QTest::newRow("missing file") << QStringList{"info", "/nonexistent/x.acs"} << "/nonexistent/x.acs";
        QTest::newRow("not a character") << QStringList{"info", QStringLiteral(PW_ACSTOOL)} << "not a character file";
        QTest::newRow("bad source") << QStringList{"build", "/nonexistent", "/tmp/x.acs"} << "no such folder";
    }
    void bad_input_exits_with_one_and_says_why()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = acstool(args);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }
};

PW_TEST_CLASS(AcstoolTest);
#include "test_acstool.moc"
