#include "tools/charbuild/drawing_checks.h"

#include "tools/charbuild/palette_builder.h"
#include "tools/charbuild/source_json.h"

#include <algorithm>
#include <cmath>

namespace pw::charbuild {

namespace {

// How far the outline of a joint's cap may stray from its circle: a pixel for the
// raster, half a pixel for anti-aliasing. A square end's corners stray by 40 % of
// the limb's half width, several pixels on any limb a child can see.
constexpr double cap_tolerance_px = 1.5;

bool drawn_at(const QImage& image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return false;
    return is_drawn(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]);
}

bool drawn_at(const QImage& image, const QPointF& p)
{
    return drawn_at(image, int(std::floor(p.x())), int(std::floor(p.y())));
}

// A drawn pixel with an undrawn neighbour; pixels at the picture's edge do not count,
// their neighbours are unknown.
bool on_outline(const QImage& image, int x, int y)
{
    if (x <= 0 || y <= 0 || x >= image.width() - 1 || y >= image.height() - 1 || !drawn_at(image, x, y)) return false;
    return !drawn_at(image, x - 1, y) || !drawn_at(image, x + 1, y) || !drawn_at(image, x, y - 1) ||
           !drawn_at(image, x, y + 1);
}

// The smallest and largest stretch a transform gives (its singular values).
std::pair<double, double> scales(const QTransform& t)
{
    const double sum = t.m11() * t.m11() + t.m12() * t.m12() + t.m21() * t.m21() + t.m22() * t.m22();
    const double det = std::abs(t.m11() * t.m22() - t.m12() * t.m21());
    const double root = std::sqrt(std::max(0.0, sum * sum / 4 - det * det));
    return {std::sqrt(std::max(0.0, sum / 2 - root)), std::sqrt(sum / 2 + root)};
}

QString transform_key(const QTransform& t)
{
    return QStringLiteral("%1,%2,%3,%4,%5,%6")
        .arg(t.m11(), 0, 'f', 4)
        .arg(t.m12(), 0, 'f', 4)
        .arg(t.m21(), 0, 'f', 4)
        .arg(t.m22(), 0, 'f', 4)
        .arg(t.dx(), 0, 'f', 2)
        .arg(t.dy(), 0, 'f', 2);
}

const char* edge_name(const QRect& frame, const QPoint& p)
{
    if (p.y() < frame.top()) return "top";
    if (p.y() > frame.bottom()) return "bottom";
    return p.x() < frame.left() ? "left" : "right";
}

}  // namespace

DrawingChecks::DrawingChecks(const Rig& rig, const PosePainter& painter) : rig_(rig), painter_(painter)
{
    // Find the limbs in the drawings as they are at rest.
    const QRect frame(QPoint(0, 0), painter_.frame_size());
    const QTransform at_rest = painter_.to_frame(QTransform());
    for (int i = 0; i < rig_.parts().size(); ++i) {
        const RigPart& p = rig_.parts()[i];
        const int body = drawn_ancestor(i);
        if (!p.shown || p.default_art.isEmpty() || body < 0) continue;  // props come and go
        const RigPart& b = rig_.parts()[body];
        const QImage limb = painter_.paint_drawings({qMakePair(p.art.value(p.default_art), at_rest)}, frame);
        const QImage host = painter_.paint_drawings({qMakePair(b.art.value(b.default_art), at_rest)}, frame);
        const QPointF pivot = at_rest.map(p.pivot);
        if (!drawn_at(limb, pivot) || !drawn_at(host, pivot)) continue;  // hangs in the air: not a joint
        bool sticks_out = false;
        QPointF sum;
        int count = 0;
        for (int y = 0; y < limb.height(); ++y)
            for (int x = 0; x < limb.width(); ++x)
                if (drawn_at(limb, x, y)) {
                    sticks_out = sticks_out || !drawn_at(host, x, y);
                    sum += QPointF(x + 0.5, y + 0.5);
                    ++count;
                }
        if (!sticks_out) continue;  // a feature drawn on the body: eyes, cheeks
        QPointF dir = sum / count - pivot;
        const double length = std::hypot(dir.x(), dir.y());
        if (length < 1) continue;
        dir /= length;
        // Half the limb's width at the pivot: its outline straight across from there.
        QList<double> across;
        for (int y = 0; y < limb.height(); ++y)
            for (int x = 0; x < limb.width(); ++x) {
                const QPointF d = QPointF(x + 0.5, y + 0.5) - pivot;
                if (on_outline(limb, x, y) && std::abs(d.x() * dir.x() + d.y() * dir.y()) <= 0.75)
                    across << std::hypot(d.x(), d.y());
            }
        if (across.isEmpty()) continue;
        std::sort(across.begin(), across.end());
        limbs_ << Limb{i, body, across[across.size() / 2], dir};
    }
}

int DrawingChecks::drawn_ancestor(int part) const
{
    for (QString at = rig_.parts()[part].parent; !at.isEmpty(); at = rig_.part(at)->parent) {
        const RigPart* p = rig_.part(at);
        if (!p->default_art.isEmpty()) return p->shown ? rig_.index_of(at) : -1;
    }
    return -1;
}

void DrawingChecks::check(const Pose& pose, const QString& where)
{
    const QList<QTransform> transforms = rig_.transforms(pose);
    const QStringList files = rig_.drawings(pose);
    check_frame(pose, transforms, files, where);
    for (const Limb& limb : std::as_const(limbs_)) check_joint(limb, pose, transforms, files, where);
}

void DrawingChecks::check_frame(const Pose& pose, const QList<QTransform>& where, const QStringList& files,
                                const QString& place) const
{
    const QRect frame(QPoint(0, 0), painter_.frame_size());
    int ground = -1;
    for (int i = 0; i < files.size(); ++i)
        if (!files[i].isEmpty() && rig_.parts()[i].ground) ground = i;
    for (int i = 0; i < files.size(); ++i) {
        if (files[i].isEmpty()) continue;
        const QRectF bounds = painter_.to_frame(where[i]).mapRect(painter_.drawn_bounds(files[i]));
        if (QRectF(frame).contains(bounds)) continue;
        // The box of a turned drawing is larger than the drawing: look at the pixels.
        const QRect area = bounds.toAlignedRect().adjusted(-1, -1, 1, 1) | frame;
        const QImage alone = painter_.paint_parts(pose, {i}, area);
        for (int y = 0; y < alone.height(); ++y)
            for (int x = 0; x < alone.width(); ++x) {
                const QPoint p = area.topLeft() + QPoint(x, y);
                if (frame.contains(p) || !drawn_at(alone, x, y)) continue;
                if (i <= ground && p.y() > frame.bottom()) continue;  // sunk into the ground
                source_error(place, QStringLiteral("part %1 is cut off at the frame's %2 edge (at %3, %4 of the "
                                                   "%5 x %6 frame); keep the pose inside the frame or make the "
                                                   "frame larger")
                                        .arg(rig_.parts()[i].name, QLatin1String(edge_name(frame, p)))
                                        .arg(p.x())
                                        .arg(p.y())
                                        .arg(frame.width())
                                        .arg(frame.height()));
            }
    }
}

void DrawingChecks::check_joint(const Limb& limb, const Pose& pose, const QList<QTransform>& where,
                                const QStringList& files, const QString& place)
{
    if (files[limb.part].isEmpty() || files[limb.body].isEmpty()) return;
    const QTransform w = painter_.to_frame(where[limb.part]);
    const QTransform b = painter_.to_frame(where[limb.body]);
    const QString key = files[limb.part] + QLatin1Char('|') + files[limb.body] + QLatin1Char('|') +
                        transform_key(w) + QLatin1Char('|') + transform_key(b);
    QString fault;
    if (const auto it = joint_results_.constFind(key); it != joint_results_.cend()) {
        fault = *it;
    } else {
        const RigPart& part = rig_.parts()[limb.part];
        const RigPart& body = rig_.parts()[limb.body];
        const auto [least, most] = scales(w);
        const QPointF pivot = w.map(part.pivot);
        const int half = int(std::ceil(2.5 * limb.radius * most)) + 3;
        const QRect area(int(std::floor(pivot.x())) - half, int(std::floor(pivot.y())) - half, 2 * half + 1, 2 * half + 1);
        const QImage l = painter_.paint_drawings({qMakePair(files[limb.part], w)}, area);
        const QImage h = painter_.paint_drawings({qMakePair(files[limb.body], b)}, area);
        const QPointF local_pivot = pivot - area.topLeft();
        if (!drawn_at(l, local_pivot) || !drawn_at(h, local_pivot)) {
            fault = QStringLiteral("%1 comes away from %2: the joint at its pivot shows a gap; keep the pivot inside "
                                   "both drawings")
                        .arg(part.name, body.name);
        } else {
            // The outline a person sees on the far side of the pivot, taken back into
            // the limb's own drawing, must lie on the circle of its width.
            const bool behind = limb.part < limb.body;
            const QTransform back = w.inverted();
            const double tolerance = cap_tolerance_px / std::min(1.0, least);
            for (int y = 0; y < l.height() && fault.isEmpty(); ++y)
                for (int x = 0; x < l.width() && fault.isEmpty(); ++x) {
                    if (!on_outline(l, x, y) || (behind && drawn_at(h, x, y))) continue;
                    const QPointF q = back.map(area.topLeft() + QPointF(x + 0.5, y + 0.5)) - part.pivot;
                    if (q.x() * limb.dir.x() + q.y() * limb.dir.y() >= 0) continue;
                    const double d = std::hypot(q.x(), q.y());
                    if (d > 2 * limb.radius || std::abs(d - limb.radius) <= tolerance) continue;
                    fault = QStringLiteral("%1 shows a corner at its joint with %2 (%3 %4 px from the pivot where "
                                           "its round end would be %5 px); round the end of the drawing around "
                                           "its pivot, or hide it under %2")
                                .arg(part.name, body.name, behind ? QStringLiteral("peeking out") : QStringLiteral("drawn over it"))
                                .arg(d, 0, 'f', 1)
                                .arg(limb.radius, 0, 'f', 1);
                }
        }
        joint_results_.insert(key, fault);
    }
    if (!fault.isEmpty())
        source_error(place, fault + QStringLiteral(" (turned %1 degrees)").arg(pose.part(rig_.parts()[limb.part].name).rot));
}

}  // namespace pw::charbuild
