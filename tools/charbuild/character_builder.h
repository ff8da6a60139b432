#pragma once
// Builds the character description that becomes a .acs file from a source folder:
// every frame drawn from its pose, one shared palette, images cut out of the frames
// and stored once, mouth overlays, states, voice, balloon and names.

#include "agent/acs/character_data.h"
#include "tools/charbuild/character_source.h"

#include <QString>
#include <QStringList>

namespace pw::charbuild {

struct BuildOptions {
    QStringList only_animations;  // empty: all (a quick preview builds only a few)
};

// Throws AgentError naming the file and the problem.
acs::CharacterData build_character(const QString& source_folder, const BuildOptions& options = {});
acs::CharacterData build_character(const CharacterSource& source, const BuildOptions& options = {});

}  // namespace pw::charbuild
