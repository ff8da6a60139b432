#pragma once
// Everything a character's source folder says, read and checked, before drawing:
//
//   character.json   names, GUID, frame size, voice, balloon, key colours, mouth,
//                    states, and where the rig, poses, animations and sounds are
//   rig.json         the parts (see rig.h)
//   poses.json       named key poses (see pose_library.h)
//   animations/      *.json animations (see animation_scripts.h)
//   sounds/          *.wav, named by frames without the extension
//   parts/           the SVG drawings

#include "agent/acs/character_data.h"
#include "tools/charbuild/animation_source.h"
#include "tools/charbuild/rig.h"

#include <QList>
#include <QMap>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QUuid>
#include <array>

namespace pw::charbuild {

struct CharacterSource {
    QString folder;
    QString id;                            // the file name, without ".acs"
    QUuid guid;
    QSize frame;
    QPointF art_offset;                    // where the drawings' origin sits in the frame
    uint32_t style_flags = 0;
    QList<acs::LocalizedInfo> localized;
    acs::VoiceInfo voice;
    acs::BalloonInfo balloon;
    QList<QRgb> key_colours;
    QString mouth_part;
    std::array<QString, acs::mouth_shape_count> mouth_shapes;  // drawings, by acs::Mouth
    QList<acs::State> states;
    Rig rig;
    QList<AnimationSource> animations;
    QMap<QString, QString> sound_files;    // name -> path
};

// Throws AgentError naming the file and the problem.
CharacterSource load_character_source(const QString& folder);

}  // namespace pw::charbuild
