#pragma once
// Finding a branch block: the if line, its elseif and else lines and the endif line,
// recognised by their keyword.

#include "engine/script_lines.h"

#include <QList>

namespace pw::engine {

// The first line whose keyword is if, elseif, else or endif; -1 when there is none.
int first_branch_line(const QList<script::ScriptLine>& lines);

// The block that starts at line `first`: `first`, then every elseif and else line after
// it up to and including the first endif. Without an endif the block has the full 51
// entries, those not found being 0. More than 51 entries is a ScriptError.
QList<int> scan_branch_block(const QList<script::ScriptLine>& lines, int first);

}  // namespace pw::engine
