#pragma once
// The entries of the stage's action list: the general commands, and per character the
// command templates followed by its animations.

#include <QString>
#include <QStringList>

namespace pw::stage {

QStringList general_commands();
// "<id>> MoveTo (character)", ... in the list's order.
QStringList character_command_lines(const QString& id);
// The character's animations as "<id>> <name>", without show, move and hide (which
// the character does by itself).
QStringList character_animation_lines(const QString& id, const QStringList& animation_names);

}  // namespace pw::stage
