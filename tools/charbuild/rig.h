#pragma once
// The rig: the parts a character is drawn from, back to front. Each part's drawings are
// SVG files in the frame's own coordinates (viewBox 0 0 width height), drawn where the
// part sits at rest. A part hangs from a parent and turns and scales around its pivot,
// so moving the body carries the face, arms and tuft along.

#include "tools/charbuild/pose.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QTransform>

namespace pw::charbuild {

struct RigPart {
    QString name;
    QString parent;                // empty: hangs from the frame itself
    QPointF pivot;
    QMap<QString, QString> art;    // drawing name -> SVG file path (may be empty: a group)
    QString default_art;
    bool shown = true;             // shown unless a pose switches it on or off
    // Stands on the frame's bottom edge (a mound to sink into): it and the parts drawn
    // behind it may reach below the frame.
    bool ground = false;
    // Shown only while another part shows one of the listed drawings (pupils vanish
    // when the lids close).
    QString only_with_part;
    QStringList only_with_art;
};

class Rig {
public:
    // Reads rig.json's object; art paths are relative to `dir`. Throws AgentError.
    static Rig from_json(const QJsonObject& json, const QString& dir, const QString& where);

    const QList<RigPart>& parts() const { return parts_; }
    int index_of(const QString& name) const;
    const RigPart* part(const QString& name) const;

    // Where each part (in rig order) is drawn for a pose.
    QList<QTransform> transforms(const Pose& pose) const;
    // The drawing file of each part for a pose; empty when the part is not drawn.
    QStringList drawings(const Pose& pose) const;
    // The drawing a part shows in a pose.
    QString art_of(const Pose& pose, const QString& part) const;

    // Checks a pose against the rig and drops what merely repeats the defaults, so that
    // equal-looking poses compare equal. Throws AgentError for unknown parts or drawings.
    Pose normalised(const Pose& pose, const QString& where) const;

private:
    QList<RigPart> parts_;
};

}  // namespace pw::charbuild
