#pragma once
// One script run on the engine's step machine against the recording fake platform, on
// a clock of its own: time moves only when the run has to wait, straight to the next
// moment something can happen, so a ten-minute wait takes no time. Everything the run
// asks of the characters and the windows, and everything the case does to it, goes
// into one transcript, in order.
//
// A case is a script file whose first lines, each starting with "#", set the scene and
// say what happens when (see README.md beside the cases).

#include "engine/keyboard_handler.h"
#include "engine/run_state.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/recording_run_host.h"

#include <QTemporaryDir>

#include <limits>
#include <memory>

namespace pw::stage {
class StageWindow;
}

namespace pw::script_tests {

constexpr double never = std::numeric_limits<double>::infinity();

// The program's clock, moved by the driver. The pauses of a cancel and of the goodbyes
// look again on real timers after (time left / speed) real milliseconds: while they run
// the clock claims to be fast, so that they look again at once.
class DriverClock : public pw::engine::HiresClock {
public:
    explicit DriverClock(const pw::engine::RunState& state) : state_(state) {}
    double get_time() override
    {
        ++reads;
        return now;
    }
    double speed() const override { return state_.run_held() ? 1e6 : 1.0; }

    double now = 0.0;
    int reads = 0;

private:
    const pw::engine::RunState& state_;
};

class Transcript {
public:
    explicit Transcript(const DriverClock& clock) : clock_(clock) {}
    // A line, after the time when it differs from the last line's.
    void add(const QString& line);
    QStringList lines;

private:
    const DriverClock& clock_;
    double shown_ = 0.0;
};

// Key events straight from the case, as the desktop's source delivers them.
class CaseKeys : public pw::platform::KeySource {
public:
    void install(Handler h) override { handler_ = std::move(h); }
    void remove() override { handler_ = nullptr; }
    bool installed() const override { return bool(handler_); }
    void send(int vk, bool down);

private:
    Handler handler_;
};

class ScriptWorld;

// The windows around the run, recording into the transcript; the reminder timer and
// the wave device run on the driver's clock.
class CaseHost : public pw::fakes::RecordingRunHost {
public:
    explicit CaseHost(ScriptWorld& w);
    void mark_line(int line, int column, int length) override;
    void message_box(const QString& text, std::function<void()> closed) override;
    void play_wave(const QString& path) override;
    void stop_wave() override;
    void install_key_hook() override;
    void remove_key_hook() override;
    void set_report_timer(bool enabled, int interval_ms) override;
    bool start_program(const QString& command_line) override;
    void show_waiting(const QString& sentence) override;
    void set_convert_labels(const QString& x, const QString& y) override;
    void hide_forms() override;
    void show_forms() override;
    void run_over() override { over = true; }

    int tick_ms() const { return tick_ms_; }

    bool over = false;
    // A loop that never waits marks its lines more or fewer times before an event.
    bool show_marks = true;
    double next_tick = never;
    double wave_end = never;

private:
    ScriptWorld& w_;
    bool ticking_ = false;
    int tick_ms_ = 0;
};

struct CaseEvent {
    double at = 0.0;
    QString what;
};

class ScriptWorld {
public:
    // Pellwick (slot 0, shown) and Tansy (slot 1, hidden) know `tricks`.
    explicit ScriptWorld(const QStringList& tricks = {QStringLiteral("RestPose"), QStringLiteral("Wave"),
                                                      QStringLiteral("Greet"), QStringLiteral("Alert"),
                                                      QStringLiteral("Pleased"), QStringLiteral("Surprised"),
                                                      QStringLiteral("Congratulate")});
    ~ScriptWorld();

    // Reads the case's set-up and events; returns the script itself (CR LF line ends),
    // or an error text starting with "!" when a line of the set-up is not understood.
    QString read_case(const QString& file_text);
    // Plays the script to its end and everything after it the case asks for; false
    // (with a reason in the transcript) when the run would wait for ever.
    bool play(const QString& script);
    // "~" for the case's folder, ordinals for request numbers.
    QString tidy(const QString& text) const;

    pw::fakes::FakeAgent agent;
    pw::engine::RunState state{agent};
    DriverClock clock{state};
    Transcript transcript{clock};
    CaseHost host{*this};
    CaseKeys key_source;
    pw::engine::KeyboardHandler keys{state, key_source};
    QObject editor;
    QTemporaryDir folder;
    std::unique_ptr<pw::stage::StageWindow> stage;
    QList<CaseEvent> events;
    int wave_ms = 0;  // negative: a sound never ends by itself

private:
    bool set_up(const QString& line);
    bool add_character(const QStringList& words);
    void happen(const QString& what);
    void press(const QString& key, bool in_window);
    // Lets every pending event be handled; false when the run keeps the loop busy.
    bool settle();
    // When the run's own wait wants to look again; never when only events end it.
    double run_looks_at() const;
    double next_moment() const;
    QTime clock_base_;
    bool exited_ = false;
    bool requests_wait_ = false;     // they end when the case says so
    bool requests_end_now_ = false;
};

}  // namespace pw::script_tests
