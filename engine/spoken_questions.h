#pragma once
// Yes/no questions asked by speech: the character asks, and a double click on any
// character while it asks means yes (the stage's double-click handler answers and sets
// the flags read here). No clock counts the three seconds the question mentions.
// A question can come in the middle of a run; unless it is answered yes, it leaves
// sequential mode and current_char as they were before it. The run asks its own
// question (may it start programs?) as a wait; the windows ask theirs in stage/.

#include "engine/run_state.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace pw::engine {

class RunWait;

QString quit_question();
QString clear_question();
QString overwrite_question();
// Names every program (command line) a script would start, one short sentence each.
QString programs_question(const QStringList& command_lines);
QString quit_unsaved_sound_question();
QString discard_sound_question();

// Shows the character of the slot when hidden, then says the question; an AgentError
// when the slot holds nobody.
void ask_question(RunState& state, int slot, const QString& question);
// The last request of the slot is pending or under way.
bool question_open(RunState& state, int slot);

// What a question changes of the run's state, put back unless the answer ends it all.
struct RunStateAside {
    explicit RunStateAside(const RunState& state) : sequential(state.options.sequential), current_char(state.current_char) {}
    void put_back(RunState& state) const
    {
        state.options.sequential = sequential;
        state.current_char = current_char;
    }

    bool sequential;
    QString current_char;
};

// The character of the slot asks whether a run may start these programs; the wait is
// over once the question is, and `answer` gets true when a double click said yes. A
// double click meanwhile answers it and neither ends a wait nor cancels the run. The
// run's mode and current_char are put back either way. The wait ends with
// Flow::again: the statement that asked runs again with its answer.
std::unique_ptr<RunWait> programs_question_wait(RunState& state, int slot, const QStringList& command_lines,
                                                std::function<void(bool)> answer);

}  // namespace pw::engine
