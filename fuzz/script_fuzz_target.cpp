// Fuzz entry for scripts: every line goes through the script reader, then the whole
// text runs against the fake platform with no pause between lines, a clock that makes
// every pause end at once, waits bounded to a millisecond, waitfor lines ended as Esc
// ends them, and a cancel after a few thousand lines (a script may loop for ever on
// purpose, or by a missing endif).

#include "engine/hires_clock.h"
#include "engine/run_state.h"
#include "engine/run_control.h"
#include "engine/script_text.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/recording_run_host.h"
#include "tests/fakes/slot_setup.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace {

// Each reading is three billion milliseconds after the last: longer than any pause a
// script can ask for (a 32-bit number of milliseconds). Every line pauses after itself,
// even for 0 ms, so the readings also count the lines run.
class LeapingClock : public pw::engine::HiresClock {
public:
    std::function<void()> on_reading;
    double get_time() override
    {
        if (on_reading) on_reading();
        return now_ += 3e9;
    }

private:
    double now_ = 0.0;
};

constexpr int most_clock_readings = 6000;

void read_every_line(const QString& text)
{
    using namespace pw::engine::script;
    QStringList lines = split_lines(text);
    drop_trailing_empty_lines(lines);
    for (const QString& line : lines) {
        const LinePieces pieces = split_prefix(line);
        const Statement s = cut_statement(pieces.statement);
        find_keyword(s.keyword);
        if_condition(s.arguments);
        wait_condition(s.arguments);
        str_number(leading_number(s.arguments));
        const qsizetype comma = s.arguments.indexOf(QLatin1Char(','));
        strict_int16(s.arguments.left(comma));
        strict_int16(s.arguments.mid(comma + 1));
    }
}

const QString& program_folder()
{
    static QTemporaryDir folder;
    static const bool made = [] {
        QDir(folder.path()).mkdir(QStringLiteral("wav"));
        QFile f(folder.filePath(QStringLiteral("wav/boing.wav")));
        return f.open(QIODevice::WriteOnly);
    }();
    Q_UNUSED(made);
    static const QString path = folder.path();
    return path;
}

void run_against_fakes(const QString& text)
{
    pw::fakes::FakeAgent agent;
    pw::engine::RunState state(agent);
    pw::fakes::RecordingRunHost host(state);
    LeapingClock clock;

    state.set_start_defaults();
    pw::fakes::FakeTraits traits;
    traits.animations << QStringLiteral("Alert") << QStringLiteral("Pleased");
    pw::fakes::load_into_slot(state, agent, 0, QStringLiteral("pellwick"), true, traits);
    pw::fakes::load_into_slot(state, agent, 1, QStringLiteral("tansy"), false, traits);
    state.char_count = 2;
    state.current_char = QStringLiteral("Pellwick");
    state.screen_width_px = 1024;
    state.screen_height_px = 768;
    state.options.interval_seconds = 0.0f;
    state.hires_timer = &clock;
    state.hires_frequency = 1.0;
    state.wait_idle_limit = std::chrono::milliseconds(1);
    state.program_folder = program_folder();
    state.user_folder = program_folder();
    state.exit_program = [](int) {};

    int readings = 0;
    clock.on_reading = [&] {
        // The runner looks at a cancel at the start of every line.
        if (++readings >= most_clock_readings) state.cancel_requested = true;
    };
    // Nobody presses keys or speaks here: every waitfor ends soon, as Esc ends it.
    QTimer esc;
    QObject::connect(&esc, &QTimer::timeout, [&state] {
        if (!state.waiting) return;
        state.waiting = false;
        state.cancel_requested = true;
        state.wake_run();
    });
    esc.start(2);
    host.text = text;
    pw::fakes::run_to_end(state, host, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_script";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    read_every_line(text);
    run_against_fakes(text);
    return 0;
}
