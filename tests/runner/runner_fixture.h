#pragma once
// A run-ready world for runner tests: the fake platform with Pellwick (slot 0, shown)
// and Tansy (slot 1, hidden), the stage's event handling, a recording editor, a program
// folder with a wav/ folder, no pause between lines, and an exit that only records.

#include "engine/hires_clock.h"
#include "engine/pellwick_mod.h"
#include "engine/run_script.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/fast_clock.h"
#include "tests/fakes/recording_run_host.h"
#include "tests/fakes/slot_setup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

namespace pw::runner_tests {

using pw::fakes::FastClock;

struct RunnerFixture {
    pw::fakes::FakeAgent agent;
    pw::engine::pellwick_mod mod{agent};
    pw::fakes::RecordingRunHost host{mod};
    QTemporaryDir folder;
    pw::fakes::FakeCharacter* pellwick = nullptr;
    pw::fakes::FakeCharacter* tansy = nullptr;
    QList<int> exits;

    // The characters know `tricks` besides the fake's own few.
    explicit RunnerFixture(const QStringList& tricks = {QStringLiteral("Alert"), QStringLiteral("Pleased"),
                                                        QStringLiteral("Surprised"), QStringLiteral("Congratulate")})
    {
        mod.set_start_defaults();
        pw::fakes::FakeTraits traits;
        traits.animations << tricks;
        pellwick = pw::fakes::load_into_slot(mod, agent, 0, QStringLiteral("pellwick"), true, traits);
        tansy = pw::fakes::load_into_slot(mod, agent, 1, QStringLiteral("tansy"), false, traits);
        mod.char_count = 2;
        mod.options.interval_seconds = 0.0f;
        mod.current_char = QStringLiteral("Pellwick");
        mod.screen_width_px = 1024;
        mod.screen_height_px = 768;
        mod.user_folder = folder.path();
        QDir(folder.path()).mkdir(QStringLiteral("wav"));
        mod.exit_program = [this](int code) { exits << code; };
        mod.wait_idle_limit = std::chrono::milliseconds(50);
    }

    void use_clock(pw::engine::HiresClock& clock)
    {
        mod.hires_timer = &clock;
        mod.hires_frequency = 1.0;
    }

    // Runs a script written with "\n" line breaks (the editor's CR LF are put in).
    void run(const QString& script)
    {
        QString text = script;
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        host.text = text;
        agent.log().clear();
        pw::fakes::run_to_end(mod, host, text);
    }

    QStringList said() { return agent.log().lines_of(QStringLiteral("Speak")); }
    // The message of a failure at a line (counted from 1; 0 when no line is at fault),
    // with its reason when the statement alone does not explain it.
    QString spelling(const QString& who, const QString& statement, int line = 1, const QString& reason = {}) const
    {
        const QString where = line > 0 ? QStringLiteral("\nLook at line %1").arg(line) + (reason.isEmpty() ? "." : ": ")
                                        : QStringLiteral("\n");
        return QStringLiteral("There is a spelling error here or %1 has not learned this trick!  -- %2")
                   .arg(who, statement)
               + where + reason;
    }
};

}  // namespace pw::runner_tests
