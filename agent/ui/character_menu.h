#pragma once
// The character's pop-up menu, filled from its commands.

#include "agent/api/commands.h"

#include <QList>

class QMenu;

namespace pw::agent::ui {

// Replaces the menu's actions by one per visible entry ("&" marks the accelerator,
// disabled entries are greyed); each action's data is the command's name.
void fill_command_menu(QMenu& menu, const QList<CommandEntry>& entries);

}  // namespace pw::agent::ui
