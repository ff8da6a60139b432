#pragma once
// The script line composer: a double click on an entry of the stage's action list
// either adds the entry to the script as a new line ("Program") or lets a character
// demonstrate it ("Show me"). The entries are templates such as "Loop (number)" or
// "Pellwick> Waitfor Key=(letter)" whose placeholders the child then fills in.

#include "engine/run_state.h"
#include "engine/run_host.h"

#include <QString>

namespace pw::stage {

// The editor's text after adding an entry: the entry alone when the text is empty;
// otherwise the text, a line break, and the entry, with the blanks at both ends of
// text-and-break trimmed (so an editor ending in a line break gets an empty line).
QString programmed_text(const QString& text, const QString& entry);

// The character (an id, case ignored) demonstrates the command (an entry without its
// prefix). It is shown first when hidden. Failing steps are skipped; it never throws.
// The editor receives the random place of "MoveTo random" in its hidden labels.
void observe(pw::engine::RunState& state, pw::engine::RunHost& editor, const QString& character,
             const QString& command);

// A double click on `entry`: demonstrated when show_me, otherwise added to the editor.
// General commands (no ">") are shown by Pellwick.
void compose(pw::engine::RunState& state, pw::engine::RunHost& editor, bool show_me, const QString& entry);

}  // namespace pw::stage
