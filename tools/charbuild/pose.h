#pragma once
// A pose: for each part of the rig, how it is moved from where the art draws it and
// which of its drawings is shown. Parts a pose does not mention stay at rest.

#include <QMap>
#include <QString>
#include <optional>

namespace pw::charbuild {

struct PartPose {
    double rot = 0;  // degrees, clockwise on screen, around the part's pivot
    double dx = 0;   // moves the pivot, in the parent's coordinates
    double dy = 0;
    double sx = 1;   // scale around the pivot
    double sy = 1;
    QString art;               // which drawing; empty: the part's default
    std::optional<bool> on;    // shown or hidden; unset: the part's default

    bool is_rest() const
    {
        return rot == 0 && dx == 0 && dy == 0 && sx == 1 && sy == 1 && art.isEmpty() && !on;
    }
    bool operator==(const PartPose&) const = default;
};

struct Pose {
    QMap<QString, PartPose> parts;

    PartPose part(const QString& name) const { return parts.value(name); }
    bool is_rest() const;
    bool operator==(const Pose&) const = default;
    // A stable text form, used to recognise identical poses.
    QString key() const;
};

enum class Ease { Linear, In, Out, InOut };

// Eased progress for t in 0..1.
double ease(Ease e, double t);

// The pose at progress t (0: from, 1: to). Numbers move smoothly; a drawing or a
// visibility switch happens half way.
Pose blend(const Pose& from, const Pose& to, double t);

}  // namespace pw::charbuild
