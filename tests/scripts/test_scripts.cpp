// Every case of tests/scripts: the script runs on the step machine against the fake
// platform and its transcript must read as <name>.transcript does. With
// PW_UPDATE_TRANSCRIPTS=1 the transcripts are written instead, for a person to read
// before they are committed.

#include "app/help_book.h"
#include "tests/fakes/slot_setup.h"
#include "tests/scripts/script_world.h"
#include "tests/case_rows.h"
#include "tests/transcript_file.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QRegularExpression>

#include <memory>

using pw::script_tests::ScriptWorld;

namespace {

const QString cases = QStringLiteral(PW_SOURCE_DIR "/tests/scripts");

// The animation names of characters/common, which every character is built with.
QStringList shared_tricks()
{
    QStringList names;
    const QDir dir(QStringLiteral(PW_SOURCE_DIR "/characters/common/animations"));
    for (const QString& file : dir.entryList({QStringLiteral("*.json")})) {
        QFile f(dir.filePath(file));
        if (!f.open(QIODevice::ReadOnly)) continue;
        for (const QString& key : QJsonDocument::fromJson(f.readAll()).object().keys())
            if (!key.startsWith(QLatin1Char('_'))) names << key;
    }
    return names;
}

// Plays a script as the program would, with the tricks our characters really have; a
// wait in it is ended by Esc (nobody is there to press the key).
QStringList play_with_tricks(const QString& script, const QStringList& tricks, float interval = 0.0f)
{
    ScriptWorld world(tricks);
    world.state.options.interval_seconds = interval;
    world.wave_ms = 1;
    pw::fakes::FakeTraits traits;
    traits.animations = tricks;
    pw::fakes::load_into_slot(world.state, world.agent, 2, QStringLiteral("nubbin"), false, traits);
    if (!QFile(world.folder.filePath(QStringLiteral("wav/chime.wav"))).open(QIODevice::WriteOnly)) return {};
    for (int second = 1; second <= 600; ++second)
        world.events << pw::script_tests::CaseEvent{second * 1000.0, QStringLiteral("end the wait")};
    world.play(QString(script).replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    return world.transcript.lines;
}

}  // namespace

class TestScripts : public QObject {
    Q_OBJECT

private slots:
    void each_case_runs_as_its_transcript_says_data();
    void each_case_runs_as_its_transcript_says();
    void help_examples_and_starter_scripts_run_without_a_spelling_message();
};

void TestScripts::each_case_runs_as_its_transcript_says_data()
{
    QVERIFY(pw::test::add_case_rows(cases, QStringLiteral(".csp")) > 0);
}

void TestScripts::each_case_runs_as_its_transcript_says()
{
    QFETCH(QString, name);
    ScriptWorld world;
    const QString script = world.read_case(pw::test::read_text(cases + '/' + name + QStringLiteral(".csp")));
    QVERIFY2(!script.startsWith(QLatin1Char('!')), qPrintable(name + QStringLiteral(".csp: not understood: ") + script.mid(1)));
    world.play(script);
    const QStringList actual = world.transcript.lines;

    const QString mismatch = pw::test::transcript_mismatch(cases + '/' + name + QStringLiteral(".transcript"), actual);
    QVERIFY2(mismatch.isEmpty(), qPrintable(name + QStringLiteral(".csp: ") + mismatch));
}

void TestScripts::help_examples_and_starter_scripts_run_without_a_spelling_message()
{
    const QStringList tricks = shared_tricks();
    QVERIFY(tricks.contains(QStringLiteral("Wave")));
    auto fault = [](const QStringList& transcript) {
        for (const QString& line : transcript)
            if (line.startsWith(QLatin1String("message ")) || line.startsWith(QLatin1String("!!"))) return line;
        return QString();
    };
    // Every "Try it" example of the help book, and again with its waits left out.
    const pw::app::HelpBook book(QStringLiteral(PW_SOURCE_DIR "/data/help"));
    int examples = 0;
    for (const auto& page : book.contents()) {
        for (const QString& example : pw::app::HelpBook::examples(book.page_html(page.file))) {
            ++examples;
            QStringList without_waits = example.split(QLatin1Char('\n'));
            for (QString& line : without_waits)
                if (line.contains(QLatin1String("waitfor "))) line = QStringLiteral(";");
            for (const QString& script : {example, without_waits.join(QLatin1Char('\n'))}) {
                const QString wrong = fault(play_with_tricks(script, tricks));
                QVERIFY2(wrong.isEmpty(), qPrintable(page.file + QStringLiteral(":\n") + script + '\n' + wrong));
            }
        }
    }
    QVERIFY(examples >= 30);

    // The starter scripts run to their end, and after Play no line pays a pause before
    // a character first does something.
    const QDir starters(QStringLiteral(PW_SOURCE_DIR "/data/scripts"));
    for (const QString& name : starters.entryList({QStringLiteral("*.csp")})) {
        const QStringList transcript =
            play_with_tricks(pw::test::read_text(starters.filePath(name)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), tricks, 5.0f);
        QVERIFY2(fault(transcript).isEmpty(), qPrintable(name + ": " + fault(transcript)));
        const qsizetype first_act = transcript.indexOf(QRegularExpression(QStringLiteral("\\w+ [A-Z].*")));
        const qsizetype first_pause = transcript.indexOf(QRegularExpression(QStringLiteral("@ .*")));
        QVERIFY2(first_act >= 0 && (first_pause < 0 || first_act < first_pause),
                 qPrintable(name + '\n' + transcript.mid(0, 12).join('\n')));
        if (name == QLatin1String("all_the_tricks.csp"))
            QVERIFY(transcript.contains(QStringLiteral("pellwick Speak \"that was all my tricks. bye!\" \"\"")));
    }
}

QTEST_MAIN(TestScripts)
#include "test_scripts.moc"
