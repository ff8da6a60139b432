// Every case of tests/scripts: the script runs on the step machine against the fake
// platform and its transcript must read as <name>.transcript does. With
// PW_UPDATE_TRANSCRIPTS=1 the transcripts are written instead, for a person to read
// before they are committed.

#include "tests/scripts/script_world.h"

#include <QDir>
#include <QFile>
#include <QTest>

using pw::script_tests::ScriptWorld;

namespace {

const QString cases = QStringLiteral(PW_SOURCE_DIR "/tests/scripts");

QString read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Where two transcripts part, with a few lines before it.
QString difference(const QStringList& expected, const QStringList& actual)
{
    qsizetype k = 0;
    while (k < expected.size() && k < actual.size() && expected[k] == actual[k]) ++k;
    QString out = QStringLiteral("the transcripts part at line %1:\n").arg(k + 1);
    for (qsizetype j = qMax<qsizetype>(0, k - 3); j < k; ++j) out += QStringLiteral("    ") + expected[j] + '\n';
    out += QStringLiteral("  - ") + expected.value(k, QStringLiteral("(end)")) + '\n';
    for (qsizetype j = k; j < qMin(actual.size(), k + 4); ++j) out += QStringLiteral("  + ") + actual[j] + '\n';
    return out;
}

}  // namespace

class TestScripts : public QObject {
    Q_OBJECT

private slots:
    void each_case_runs_as_its_transcript_says_data();
    void each_case_runs_as_its_transcript_says();
};

void TestScripts::each_case_runs_as_its_transcript_says_data()
{
    QTest::addColumn<QString>("name");
    const QStringList names = QDir(cases).entryList({QStringLiteral("*.csp")}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names) QTest::newRow(qPrintable(name)) << name.chopped(4);
}

void TestScripts::each_case_runs_as_its_transcript_says()
{
    QFETCH(QString, name);
    ScriptWorld world;
    const QString script = world.read_case(read(cases + '/' + name + QStringLiteral(".csp")));
    QVERIFY2(!script.startsWith(QLatin1Char('!')), qPrintable(name + QStringLiteral(".csp: not understood: ") + script.mid(1)));
    world.play(script);
    const QStringList actual = world.transcript.lines;

    const QString path = cases + '/' + name + QStringLiteral(".transcript");
    if (qEnvironmentVariableIntValue("PW_UPDATE_TRANSCRIPTS")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write((actual.join('\n') + '\n').toUtf8());
        return;
    }
    QStringList expected = read(path).split('\n');
    if (!expected.isEmpty() && expected.last().isEmpty()) expected.removeLast();
    QVERIFY2(actual == expected, qPrintable(name + QStringLiteral(".csp: ") + difference(expected, actual)));
}

QTEST_MAIN(TestScripts)
#include "test_scripts.moc"
