#pragma once
// Starting another program from a command line, the way a script's `shell` line and
// the menus do: no shell in between (the text is split into the program and its
// arguments, double quotes group words), detached, never waited for.

#include <QString>

namespace pw::platform {

// False when the line names no program or the program cannot be started.
bool start_program(const QString& command_line);

}  // namespace pw::platform
