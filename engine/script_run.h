#pragma once
// The tables and position of one run of a script, shared by the runner and the
// statement handlers. It lives only while the run lasts; what outlives a run is in
// RunState.

#include "agent/api/character.h"
#include "engine/run_state.h"
#include "engine/run_host.h"
#include "engine/script_lines.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

namespace pw::engine {

// What the runner does after a statement.
enum class Flow {
    next_line,          // the per-line pause, the end-of-branch test, the next line
    next_line_at_once,  // the same without the per-line pause (a wait that succeeded)
    end_run,            // straight to the end-of-run block (a cancel noticed by a wait)
    again,              // the statement runs again once its wait is over
};

class RunWait;

struct ScriptRun {
    ScriptRun(RunState& m, RunHost& h);
    ~ScriptRun();
    ScriptRun(const ScriptRun&) = delete;
    ScriptRun& operator=(const ScriptRun&) = delete;

    RunState& state;
    RunHost& host;

    // ---- Tables made by the preparation ----
    QList<script::ScriptLine> lines;  // read once, no empty lines at the end
    static constexpr int no_label = -1;
    static constexpr int label_count = 11;  // label 0 to 10
    QList<int> label_lines = QList<int>(label_count, no_label);
    static constexpr int max_branch_lines = 51;
    QList<int> branch_lines;  // if, elseif and else lines, then the endif line
    QString voice_words;

    // ---- Where the run is ----
    int i = 0;                 // the line being executed
    int fault_line = -1;       // the line a failure points at; -1 when none does
    QString line_character;    // id of the most recent prefix
    QString statement;         // the line after its prefix (leading blanks removed)
    QString keyword;
    QString arguments;         // lower-cased, as every statement takes them
    QString written_arguments; // as written (shell keeps the case of paths)
    bool branch_taken = false;
    int branch_end = 0;
    int do_line = 0;
    int32_t loop_count = 0;
    int32_t loop_limit = 0;
    QString collision_a;       // set by a collision wait
    QString collision_b;
    QString last_condition_name;  // of the last if or waitfor read
    QStringList programs;      // every distinct command line of the shell lines
    // Whether this run may start them: asked once, at its first shell line.
    std::optional<bool> programs_allowed;
    // What the statement just run has to wait for before the run goes on; the runner
    // takes it. The Flow the statement returned is then the wait's to tell.
    std::unique_ptr<RunWait> wait;

    // The slot of the line's character; a ScriptError when it has none.
    int line_slot() const;
    pw::agent::Character& line_char() const;
    // The loaded character in a slot; an AgentError when the slot holds none.
    pw::agent::Character& slot_char(int slot) const;
    // The slot of a named character; a ScriptError when no slot holds it.
    int slot_of(const QString& id) const;
    // The pause after each line: the interval rounded to whole seconds.
    int32_t interval_ms() const;
};

// Whole numbers from script numbers; out of range is a fault of the script.
int32_t checked_int32(double value);
int16_t checked_int16(double value);

}  // namespace pw::engine
