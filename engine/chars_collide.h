#pragma once
// Whether one character bumps into another: b's reference point (the middle of its
// width, a quarter down its height) lies strictly inside a box around a's reference
// point, half a's width to each side and 0.9 of a's height up and down. Only a's size
// counts, so the test is not symmetric.

#include "engine/run_state.h"

#include <QString>

namespace pw::engine {

struct CharBox {
    double left = 0, top = 0, width = 0, height = 0;
};

bool boxes_collide(const CharBox& a, const CharBox& b);

// a and b are character ids (or Names that char_index finds). A character that is not
// loaded makes the platform call fail: AgentError.
bool chars_collide(RunState& state, const QString& a, const QString& b);

}  // namespace pw::engine
