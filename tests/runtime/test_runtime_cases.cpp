// Every case of tests/runtime/cases: the platform plays it with recording windows and
// its transcript must read as <name>.transcript does. With PW_UPDATE_TRANSCRIPTS=1 the
// transcripts are written instead, for a person to read before they are committed.

#include "case_world.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString cases = QStringLiteral(PW_SOURCE_DIR "/tests/runtime/cases");

QString read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString difference(const QStringList& expected, const QStringList& actual)
{
    qsizetype k = 0;
    while (k < expected.size() && k < actual.size() && expected[k] == actual[k]) ++k;
    QString out = u"the transcripts part at line %1:\n"_s.arg(k + 1);
    for (qsizetype j = qMax<qsizetype>(0, k - 3); j < k; ++j) out += u"    "_s + expected[j] + '\n';
    out += u"  - "_s + expected.value(k, u"(end)"_s) + '\n';
    for (qsizetype j = k; j < qMin(actual.size(), k + 4); ++j) out += u"  + "_s + actual[j] + '\n';
    return out;
}

}  // namespace

class RuntimeCases : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void each_case_runs_as_its_transcript_says_data();
    void each_case_runs_as_its_transcript_says();
};

void RuntimeCases::each_case_runs_as_its_transcript_says_data()
{
    QTest::addColumn<QString>("name");
    const QStringList names = QDir(cases).entryList({u"*.case"_s}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names) QTest::newRow(qPrintable(name)) << name.chopped(5);
}

void RuntimeCases::each_case_runs_as_its_transcript_says()
{
    QFETCH(QString, name);
    const QStringList actual = pw::runtime_cases::CaseWorld().play(
        read(cases + u"/standard.sketch"_s), read(cases + '/' + name + u".case"_s));
    const QString path = cases + '/' + name + u".transcript"_s;
    if (qEnvironmentVariableIntValue("PW_UPDATE_TRANSCRIPTS")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write((actual.join('\n') + '\n').toUtf8());
        return;
    }
    QStringList expected = read(path).split('\n');
    if (!expected.isEmpty() && expected.last().isEmpty()) expected.removeLast();
    QVERIFY2(actual == expected, qPrintable(name + u".case: "_s + difference(expected, actual)));
}

QTEST_MAIN(RuntimeCases)
#include "test_runtime_cases.moc"

