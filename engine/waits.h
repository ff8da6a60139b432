#pragma once
// The waitfor statement's parts: one waiting line and one pass of each kind of wait.
// Internal to the engine; statements_waits.cpp makes the wait the run holds, which
// makes a pass at each look.

#include "engine/run_wait.h"
#include "engine/script_run.h"

#include <QString>

#include <memory>

namespace pw::engine {

// How a pass of a wait ends.
enum class Pass {
    go_on,      // the wait goes on while `waiting` holds
    done,       // success: the next line at once, without the pause between lines
    cancelled,  // the run ends as a cancel
};

struct WaitLine {
    WaitLine(ScriptRun& r, QString k, QString v, bool q);

    ScriptRun& run;
    RunState& state;
    RunHost& host;
    QString kind;
    QString value;
    bool quiet = false;
    int slot = -1;           // the line's character
    int next_candidate = 0;  // the slot the "anybody" bump test tries next
    // A pass that has to wait before the wait goes on (a pause, the characters going
    // idle) leaves that wait here; the pass's result counts once it is over.
    std::unique_ptr<RunWait> first;
    // Between passes: the thought balloon of a listening wait has had its pause; the
    // minutes of a timed wait.
    bool thought_shown = false;
    // The alert of a key or a clock time has been played and its events handled.
    bool alerted = false;
    double minutes_start = 0.0;
    double minutes_total = 0.0;
    double minutes_left = 0.0;
    bool minutes_started = false;
    bool minutes_tail_due = false;

    pw::agent::Character& line_char() const { return run.slot_char(slot); }
    int report_interval_ms() const;
    // Not quiet, and the reminder timer has ticked.
    bool due() const { return !quiet && state.report_due; }
    // Says the text and times the next reminder report_seconds from now.
    void remind(const QString& text);
    void restart_reminders();
    // The cancel test of a pass: clears the cancel and tells the wait to end the run.
    bool cancel_seen();
};

namespace waits {
Pass collide_with_anybody(WaitLine& w);
Pass collide_with(WaitLine& w);
Pass get_off(WaitLine& w);
Pass key(WaitLine& w);
Pass listen(WaitLine& w);
Pass clock_time(WaitLine& w);
// Counts the minutes down pass by pass; ends with `waiting` False.
Pass minutes(WaitLine& w);
// How long until the clock's minute changes, or until the minutes' countdown or end is
// due: a clock or a count changes without waking the run, so it looks again then.
int clock_time_next_look_ms(const WaitLine& w);
int minutes_next_look_ms(const WaitLine& w);
}  // namespace waits

// Seconds on a monotonic clock: the high-resolution one when the program has it.
double monotonic_seconds(RunState& state);

}  // namespace pw::engine
