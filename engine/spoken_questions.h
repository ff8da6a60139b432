#pragma once
// Yes/no questions asked by speech: the character asks, and a double click on any
// character while it asks means yes (the stage's double-click handler answers and sets
// the flags read here). No clock counts the three seconds the question mentions.
// A question can come in the middle of a run; unless it is answered yes, it leaves
// sequential mode and current_char as they were before it.

#include "engine/pellwick_mod.h"

#include <QString>
#include <QStringList>

namespace pw::engine {

QString quit_question();
QString clear_question();
QString overwrite_question();
// Names every program (command line) a script would start, one short sentence each.
QString programs_question(const QStringList& command_lines);
QString quit_unsaved_sound_question();
QString discard_sound_question();

// Pellwick asks whether to quit (quit_question(), or another question that a yes to it
// means quitting); a double click meanwhile ends the program. Returns when his balloon
// closes, or at the latest after wait_idle's bound.
void confirm_quit(pellwick_mod& mod, const QString& question = quit_question());

// Pellwick asks whether to clear the script; true when a double click said yes. The
// question lasts while his last request is pending or in progress (an answer given to
// him makes it last until the answer has been said), and ends as well when it fails or
// is interrupted. Unanswered, the flag is put back so that a later double click does
// not answer an old question.
bool confirm_clear(pellwick_mod& mod);

// The same for writing over a script file, asked by the current character.
bool confirm_overwrite(pellwick_mod& mod);

// The character of the slot asks whether a run may start these programs; true when a
// double click said yes. A double click meanwhile answers it and neither ends a wait
// nor cancels the run. The run's mode and current_char are put back either way.
bool confirm_programs(pellwick_mod& mod, int slot, const QStringList& command_lines);
// The same for throwing away a recording that is not saved yet, asked by the current
// character.
bool confirm_discard_sound(pellwick_mod& mod);

}  // namespace pw::engine
