#pragma once
// Starting another program from a command line, the way a script's `shell` line and
// the menus do: no shell in between (the text is split into the program and its
// arguments, double quotes group words), detached, never waited for. The program gets
// the environment Pellworks was started with, not the one it made for itself.

#include <QString>

namespace pw::platform {

// Keeps the environment as it is now for every program started later. Call it first
// thing in main(), before the program changes its own environment; until it is called
// programs get the environment of the moment.
void remember_start_environment();

// False when the line names no program or the program cannot be started.
bool start_program(const QString& command_line);

}  // namespace pw::platform
