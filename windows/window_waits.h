#pragma once
// Waits of the windows outside a run: the splash's pause, the composer's sample, and
// the spoken questions a window asks (quit, clear, overwrite, throw a sound away). Each
// returns at once; what comes after the wait is handed over as a continuation, which
// runs from the event loop once the wait is over (never before the call returns), and
// not at all when its `context` has gone by then.

#include "engine/run_state.h"

#include <QString>

#include <cstdint>
#include <functional>

class QObject;

namespace pw::windows {

// After ms milliseconds on the program's clock; a cancel does not shorten it.
void after_pause(pw::engine::RunState& state, int32_t ms, QObject* context, std::function<void()> then);
// Once agent_idle is set, or at the latest after wait_idle_limit.
void when_idle(pw::engine::RunState& state, QObject* context, std::function<void()> then);

// The answer to a spoken question: true when a double click said yes.
using Answer = std::function<void(bool yes)>;

// Pellwick asks whether to quit (quit_question(), or another question that a yes to it
// means quitting); a double click until his balloon closes (or wait_idle's bound has
// passed) ends the program. Asked again while open, nothing more is asked.
void confirm_quit(pw::engine::RunState& state, const QString& question);
void confirm_quit(pw::engine::RunState& state);

// Pellwick asks whether to clear the script. The question lasts while his last request
// is pending or in progress (an answer given to him makes it last until the answer has
// been said), and ends as well when it fails or is interrupted. Unanswered, the flag is
// put back so that a later double click does not answer an old question. Asked again
// while open, the new asker waits for the same answer.
void confirm_clear(pw::engine::RunState& state, QObject* context, Answer answer);

// The same for writing over a file, asked by the current character.
void confirm_overwrite(pw::engine::RunState& state, QObject* context, Answer answer);
// The same for throwing away a recording that is not saved yet, asked by the current
// character.
void confirm_discard_sound(pw::engine::RunState& state, QObject* context, Answer answer);

}  // namespace pw::windows
