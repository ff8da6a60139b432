#pragma once
// Named key poses, read from poses.json files. A pose can build on another one
// ("base") and change only some parts:
//   "wave_up": { "base": "happy", "arm_left": { "rot": -150, "art": "open" } }
// A part's fields: rot, dx, dy, sx, sy, s (both scales), art, on. A pose can also be
// part way between two others: { "blend": ["look_left", "rest"], "t": 0.5 }.

#include "tools/charbuild/pose.h"
#include "tools/charbuild/rig.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QMap>
#include <QString>

namespace pw::charbuild {

class PoseLibrary {
public:
    explicit PoseLibrary(const Rig& rig) : rig_(rig) {}

    // Adds the poses of a file; names already known keep their first definition, so a
    // character's own file, read first, wins over shared ones. Throws AgentError.
    void add_file(const QString& path);
    void add(const QString& name, const QJsonObject& definition, const QString& where);
    bool contains(const QString& name) const { return raw_.contains(name); }
    // Resolves every pose once, so a mistake in a pose no animation uses yet is
    // reported too. Throws AgentError.
    void check_all() const;

    // A pose name, or an object with an optional "base" and part changes.
    Pose resolve(const QJsonValue& value, const QString& where) const;
    Pose named(const QString& name, const QString& where) const;

private:
    Pose build(const QJsonObject& definition, const QString& where, int depth) const;
    Pose named_at_depth(const QString& name, const QString& where, int depth) const;

    const Rig& rig_;
    QMap<QString, QJsonObject> raw_;
    QMap<QString, QString> origin_;
    mutable QMap<QString, Pose> cache_;
};

}  // namespace pw::charbuild
