#pragma once
// Checks on the drawn poses that a person would see at once on the desktop:
//
//  - nothing is cut off at the frame's edge. A part the rig marks "ground" (a mound
//    the character sinks into) may stand on the bottom edge, and what is drawn behind
//    it may sink below that edge;
//  - limbs join their bodies cleanly at every angle. A limb is a part that sticks out
//    of the drawn part it hangs from (its body) and turns around a pivot inside it.
//    Where the limb ends at its joint, the outline a person can see (the limb's end
//    drawn over the body, or poking out from behind it) must be a round cap around the
//    pivot, as wide as the limb, and both the limb and its body must cover the pivot.
//    A square end showing over the body, or a limb pulled off its body, is refused.

#include "tools/charbuild/pose_painter.h"
#include "tools/charbuild/rig.h"

#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>

namespace pw::charbuild {

class DrawingChecks {
public:
    DrawingChecks(const Rig& rig, const PosePainter& painter);

    // Throws AgentError "where: what" for the first fault of the pose.
    void check(const Pose& pose, const QString& where);

private:
    struct Limb {
        int part = -1;
        int body = -1;        // the drawn part it hangs from
        double radius = 0;    // half its width at the pivot, at rest
        QPointF dir;          // from the pivot along the limb, at rest
    };

    void check_frame(const Pose& pose, const QList<QTransform>& where, const QStringList& files,
                     const QString& place) const;
    void check_joint(const Limb& limb, const Pose& pose, const QList<QTransform>& where, const QStringList& files,
                     const QString& place);
    int drawn_ancestor(int part) const;

    const Rig& rig_;
    const PosePainter& painter_;
    QList<Limb> limbs_;
    QHash<QString, QString> joint_results_;   // by what the joint looks like; empty when clean
};

}  // namespace pw::charbuild
