#pragma once
// One run of a script as a step machine. It steps through the lines until one has to
// wait, keeps that wait and returns to the event loop; wake() makes it look at the wait
// again from the event loop, and once the wait is over it steps on. Nothing in it ever
// runs an event loop of its own. A run that never waits (a loop at interval 0) still
// hands control back about once a millisecond, so that Cancel, Esc and a double click
// reach it.

#include "engine/run_host.h"
#include "engine/run_wait.h"
#include "engine/script_run.h"
#include "engine/script_text.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace pw::engine {

class ScriptRunner : public QObject {
public:
    ScriptRunner(RunState& state, RunHost& host);
    ~ScriptRunner() override;

    // The run's first step (its preparation) comes from the event loop.
    void start(const QString& text);
    // Something the run may be waiting for has happened: it looks again soon, from the
    // event loop (never inside the caller).
    void wake();
    bool over() const { return phase_ == Phase::over; }
    // The wait the run is held by, the innermost first; empty while it steps.
    const RunWait* current_wait() const { return waits_.innermost(); }
    const ScriptRun& run() const { return run_; }

    // How long a run may step without handing control back.
    static constexpr qint64 turn_ns = 1'000'000;
    // Slow: the pause after each line. A second lets a child see the marked line move
    // and what the character did, and a ten-line script still ends in ten seconds.
    static constexpr int slow_pause_ms = 1000;

private:
    enum class Phase {
        preparing,     // the tables of the run (run_preparation.cpp)
        line_top,      // the next line, or the end of the run
        line_begin,    // prefix, auto-show, highlight, cutting the statement
        line_gate,     // the line is marked; slow: a pause first; step: the Step button
        statement,     // the statement itself
        line_end,      // the end of a branch taken, the step to the next line
        ending,        // the end-of-run block, up to Pellwick's last step
        ending_shown,  // the windows back; in "runout" mode the goodbye
        farewell,      // "runout": the process ends
        failed,        // the message of a failure is shown
        over,
    };

    void on_look();
    void step();
    // One step of the current phase.
    void step_phase();
    // Looks at the innermost wait and unwinds the ones that are over.
    void look();
    void wait_for(std::unique_ptr<RunWait> wait, std::function<void(Flow)> then);
    void statement_done(Flow flow);
    void fail(const QString& reason, bool whole_script);
    // Runs `action`; a fault it throws ends the run with its message.
    template <class Action>
    void guarded(Action&& action);
    void finish();
    void time_next_look();

    // The status line tells what the run waits for now, once it changes.
    void tell_waiting();
    QString waiting_one() const;

    void step_line_top();
    void step_line_gate();
    void step_line_begin();
    void step_statement();
    void step_line_end();
    void step_ending();
    void step_ending_shown();

    ScriptRun run_;
    Phase phase_ = Phase::preparing;
    script::Keyword keyword_ = script::Keyword::empty;
    QString text_;
    WaitStack waits_;
    std::function<void(Flow)> after_wait_;
    QTimer look_timer_;  // the wait's own clock
    bool look_posted_ = false;
    bool windows_back_ = false;
    bool a_line_began_ = false;  // slow and step: the first line goes at once
    QString told_;               // the waiting sentence shown
    QElapsedTimer turn_;
};

}  // namespace pw::engine
