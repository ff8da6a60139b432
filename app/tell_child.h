#pragma once
// How the Load/Save window and start-up tell the child that something went wrong:
// the current character says it (Pellwick when the current one is not there), shown
// first when hidden so that the child sees who speaks; a reason, when given, follows
// in a message box.

#include "app/script_file.h"
#include "engine/run_state.h"

#include <QString>

class QWidget;

namespace pw::app {

inline QString couldnt_open_sentence() { return QStringLiteral("I couldn't open that file."); }
inline QString couldnt_save_sentence() { return QStringLiteral("I couldn't save that file."); }
inline QString not_a_script_sentence() { return QStringLiteral("That file isn't a script."); }
inline QString couldnt_read_sentence(const ScriptRead& read)
{
    return read.not_a_script ? not_a_script_sentence() : couldnt_open_sentence();
}

// The slot of the character that speaks for the windows; -1 when there is nobody.
// The current character becomes that one.
int speaker_slot(pw::engine::RunState& state);

void tell_child(pw::engine::RunState& state, const QString& sentence, const QString& reason = {},
                QWidget* parent = nullptr);

}  // namespace pw::app
