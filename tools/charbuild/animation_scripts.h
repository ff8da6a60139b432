#pragma once
// Animations described in JSON (animations/*.json), turned into frame lists.
//
//   "Wave": {
//     "frames": [
//       { "pose": "rest", "d": 10 },
//       { "pose": "wave_up", "tween": 2, "d": 12 },          two in-betweens first
//       { "pose": "wave_a", "d": 8, "label": "again" },
//       { "pose": "wave_b", "d": 8, "branch": [["again", 50]] },
//       { "pose": "rest", "tween": 2, "d": 10, "mouth": true }
//     ],
//     "return": [ ... ]   frames an interrupted animation plays to get back to rest
//   }
//
// Frame fields: pose, d (hundredths), tween, tween_d, ease (linear|in|out|inout), label,
// loop (a label: always jump there), branch ([label, percent] pairs), exit
// (stop|none|next|prev|return|a label), mouth, empty, sound, use (splice another
// animation's frames). Animation fields: frames, return, transition (none|exit|return),
// return_animation, exit (default exit of the frames), tween_d, copy (same frames as
// another animation).
//
// Defaults: a frame at rest stops at once when interrupted; other frames go to the
// first "return" frame when there is one; "return" frames lead to the next and the
// last one stops.

#include "tools/charbuild/animation_source.h"
#include "tools/charbuild/pose_library.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

namespace pw::charbuild {

class AnimationScripts {
public:
    explicit AnimationScripts(const PoseLibrary& poses) : poses_(poses) {}

    // Adds the animations of a file; a name already known keeps its first definition
    // (compared without case). Throws AgentError.
    void add_file(const QString& path);
    void add(const QString& name, const QJsonObject& definition, const QString& where);

    // In the order they were added.
    const QStringList& names() const { return names_; }
    bool contains(const QString& name) const;

    // Builds and checks one animation. Throws AgentError.
    AnimationSource build(const QString& name) const;

private:
    struct RawFrame;
    QList<RawFrame> expand(const QJsonArray& entries, const QString& where, int depth) const;
    QString key_of(const QString& name) const;

    const PoseLibrary& poses_;
    QStringList names_;
    QMap<QString, QJsonObject> raw_;     // by lower-case name
    QMap<QString, QString> origin_;
};

}  // namespace pw::charbuild
