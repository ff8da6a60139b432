#pragma once
// Tickling a character: it stops, looks alert, jiggles in place and says it was
// tickled. Used by the tickle statement, a double click on a character and the
// composer's demonstration.

#include "engine/run_state.h"

#include <QString>

namespace pw::engine {

// name: a character id; factor scales the jiggle (1.0: up to a twentieth of the
// character's size). A failing step is skipped and the next one runs: it never throws.
void tickle_char(RunState& state, const QString& name, float factor);

}  // namespace pw::engine
