// Every case of tests/runtime/cases: the platform plays it with recording windows and
// its transcript must read as <name>.transcript does. With PW_UPDATE_TRANSCRIPTS=1 the
// transcripts are written instead, for a person to read before they are committed.

#include "case_world.h"
#include "tests/case_rows.h"
#include "tests/transcript_file.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString cases = QStringLiteral(PW_SOURCE_DIR "/tests/runtime/cases");

}  // namespace

class RuntimeCases : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void each_case_runs_as_its_transcript_says_data();
    void each_case_runs_as_its_transcript_says();
};

void RuntimeCases::each_case_runs_as_its_transcript_says_data()
{
    QVERIFY(pw::test::add_case_rows(cases, u".case"_s) > 0);
}

void RuntimeCases::each_case_runs_as_its_transcript_says()
{
    QFETCH(QString, name);
    const QStringList actual = pw::runtime_cases::CaseWorld().play(
        pw::test::read_text(cases + u"/standard.sketch"_s), pw::test::read_text(cases + '/' + name + u".case"_s));
    const QString mismatch = pw::test::transcript_mismatch(cases + '/' + name + u".transcript"_s, actual);
    QVERIFY2(mismatch.isEmpty(), qPrintable(name + u".case: "_s + mismatch));
}

QTEST_MAIN(RuntimeCases)
#include "test_runtime_cases.moc"

