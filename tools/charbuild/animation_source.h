#pragma once
// An animation as the builder sees it after reading its description: every frame with
// its final pose, duration, branches and exit, before any picture is drawn.

#include "agent/acs/character_data.h"
#include "tools/charbuild/pose.h"

#include <QList>
#include <QString>

namespace pw::charbuild {

struct FrameSource {
    Pose pose;
    bool empty = false;          // draws nothing (a puff that has gone, a skip frame)
    uint16_t duration = 10;      // hundredths of a second
    int16_t exit_frame = acs::exit_none;
    QList<acs::Branch> branches;
    bool mouth = false;          // gets the seven mouth overlays
    QString sound;               // name of a sound in the source folder, or empty
    QString where;               // file and frame entry it came from, for messages
    QString entry;               // which entry of the animation it is, for messages
};

struct AnimationSource {
    QString name;
    acs::Transition transition = acs::Transition::None;
    QString return_animation;
    QList<FrameSource> frames;
    QString where;               // file and animation name, for messages
};

}  // namespace pw::charbuild
