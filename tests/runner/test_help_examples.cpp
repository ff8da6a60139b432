// Every "Try it" example of the help book runs to its end without the spelling
// message, with the tricks our characters really have. A wait in an example is
// cancelled as soon as it has started (it would wait for a child); the lines after it
// are run once more with the wait left out.

#include "app/help_book.h"
#include "tests/runner/runner_fixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QTest>

using pw::runner_tests::FastClock;
using pw::runner_tests::RunnerFixture;

namespace {

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

struct ExampleRun {
    RunnerFixture f;
    FastClock clock{1000.0};
    QTimer cancel_waits;
    int lines = 0;

    explicit ExampleRun(const QStringList& tricks) : f(tricks)
    {
        f.use_clock(clock);
        QFile chime(f.folder.filePath(QStringLiteral("wav/chime.wav")));
        if (!chime.open(QIODevice::WriteOnly)) qWarning("no wav folder for the sound examples");
        // A wait has begun: nobody will press the key, so the run is cancelled there.
        cancel_waits.setInterval(1);
        QObject::connect(&cancel_waits, &QTimer::timeout, [this] {
            if (f.mod.waiting) f.mod.cancel_requested = true;
        });
        cancel_waits.start();
        // An example that never ends is a fault of its own.
        f.host.on_highlight = [this](const QString&) {
            if (++lines > 500) f.mod.cancel_requested = true;
        };
    }
};

}  // namespace

class TestHelpExamples : public QObject {
    Q_OBJECT

private slots:
    void every_example_runs_without_the_spelling_message();
};

void TestHelpExamples::every_example_runs_without_the_spelling_message()
{
    const pw::app::HelpBook book(QStringLiteral(PW_SOURCE_DIR "/data/help"));
    const QStringList tricks = shared_tricks();
    QVERIFY(tricks.contains(QStringLiteral("Wave")));
    int examples = 0;
    for (const auto& page : book.contents()) {
        for (const QString& example : pw::app::HelpBook::examples(book.page_html(page.file))) {
            ++examples;
            QStringList without_waits = example.split(QLatin1Char('\n'));
            for (QString& line : without_waits)
                if (line.contains(QLatin1String("waitfor "))) line = QStringLiteral(";");
            for (const QString& script : {example, without_waits.join(QLatin1Char('\n'))}) {
                ExampleRun run(tricks);
                run.f.run(script);
                const QString where = page.file + QStringLiteral(":\n") + script;
                QVERIFY2(run.f.host.messages.isEmpty(), qPrintable(where + QStringLiteral("\n") + run.f.host.messages.join('\n')));
                QVERIFY2(run.lines <= 500, qPrintable(where));
            }
        }
    }
    QVERIFY(examples >= 30);
}

QTEST_MAIN(TestHelpExamples)
#include "test_help_examples.moc"
