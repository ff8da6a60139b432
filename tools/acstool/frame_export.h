#pragma once
// Saves every frame of one animation, and each mouth overlay of its speaking frames,
// as PNG files named ANIMATION_NNN.png and ANIMATION_NNN_mouthK.png. Frames that show
// nothing for no time (they only branch) are left out, and the report names them.

#include "agent/acs/character_data.h"

#include <QString>
#include <QTextStream>

namespace pw::acstool {

// Throws AgentError for an unknown animation or a folder that cannot be written.
void export_animation(const acs::CharacterData& data, const QString& name, const QString& folder, QTextStream& out);

}  // namespace pw::acstool
