#include "agent/ui/balloon_shape.h"

#include <QLineF>
#include <QList>

#include <algorithm>
#include <array>
#include <cmath>

namespace pw::agent::ui {

namespace {

constexpr qreal bubble_spacing = 3;

std::array<qreal, 3> bubble_radii(qreal scallop)
{
    return {std::max(3.5, scallop * 0.6), std::max(2.8, scallop * 0.42), std::max(2.2, scallop * 0.28)};
}

// The point on the body's edge that faces the character, and the direction along that
// edge.
struct Edge {
    QPointF point;
    QPointF along;
};

Edge facing_edge(const QRectF& r, QPointF tip, BalloonSide side, qreal keep_off_corner)
{
    const auto clamp_x = [&](qreal x) {
        return std::clamp(x, r.left() + keep_off_corner, std::max(r.left() + keep_off_corner, r.right() - keep_off_corner));
    };
    const auto clamp_y = [&](qreal y) {
        return std::clamp(y, r.top() + keep_off_corner, std::max(r.top() + keep_off_corner, r.bottom() - keep_off_corner));
    };
    switch (side) {
    case BalloonSide::Above: return {QPointF(clamp_x(tip.x()), r.bottom()), QPointF(1, 0)};
    case BalloonSide::Below: return {QPointF(clamp_x(tip.x()), r.top()), QPointF(1, 0)};
    case BalloonSide::Right: return {QPointF(r.left(), clamp_y(tip.y())), QPointF(0, 1)};
    case BalloonSide::Left: return {QPointF(r.right(), clamp_y(tip.y())), QPointF(0, 1)};
    }
    return {};
}

QPainterPath speech_outline(const BalloonMetrics& m, const QRectF& r, QPointF tip, BalloonSide side)
{
    const qreal radius = std::min({m.radius, r.width() / 2, r.height() / 2});
    QPainterPath box;
    box.addRoundedRect(r, radius, radius);
    if (r.contains(tip))
        return box;  // squeezed onto the character: no room for a tail

    const qreal edge_len = (side == BalloonSide::Above || side == BalloonSide::Below) ? r.width() : r.height();
    const qreal half_base = std::clamp((edge_len - 2 * radius) / 2, 2.0, 9.0);
    const Edge edge = facing_edge(r, tip, side, radius + half_base);
    // The base reaches a little into the box so that the union has no seam.
    const QPointF inward = (r.center() - edge.point) / std::max(1.0, QLineF(r.center(), edge.point).length());
    const QPointF base = edge.point + inward * (m.border * 2);
    const QPointF b1 = base - edge.along * half_base;
    const QPointF b2 = base + edge.along * half_base;
    // Both sides bend the same way: the tail swoops like a drawn one.
    const QPointF bend = edge.along * (half_base * 0.6);
    QPainterPath tail;
    tail.moveTo(b1);
    tail.quadTo((b1 + tip) / 2 + bend, tip);
    tail.quadTo((b2 + tip) / 2 + bend, b2);
    tail.closeSubpath();
    return box.united(tail);
}

QPainterPath cloud_outline(const BalloonMetrics& m, const QRectF& r, QPointF tip, BalloonSide side)
{
    const qreal s = std::min({m.scallop, r.width() / 2, r.height() / 2});
    const QRectF core = r.adjusted(s, s, -s, -s);
    QPainterPath cloud;
    cloud.setFillRule(Qt::WindingFill);
    cloud.addRect(core);
    // Bumps around the edge, a bit smaller between the corners for a livelier rim.
    const auto bumps = [&](QPointF from, QPointF to) {
        const int n = std::max(1, int(std::lround(QLineF(from, to).length() / (s * 1.5))));
        for (int i = 0; i < n; ++i) {
            const QPointF c = from + (to - from) * (qreal(i) / n);
            const qreal rad = (i % 2 == 0) ? s : s * 0.8;
            cloud.addEllipse(c, rad, rad);
        }
    };
    bumps(core.topLeft(), core.topRight());
    bumps(core.topRight(), core.bottomRight());
    bumps(core.bottomRight(), core.bottomLeft());
    bumps(core.bottomLeft(), core.topLeft());
    QPainterPath outline = cloud.simplified();

    if (r.contains(tip))
        return outline;
    const Edge edge = facing_edge(r, tip, side, s);
    const QLineF way(edge.point, tip);
    const auto radii = bubble_radii(m.scallop);
    // Distances from the edge to the bubbles' centres, squeezed when the way is short.
    std::array<qreal, 3> at{};
    qreal d = bubble_spacing;
    for (size_t i = 0; i < radii.size(); ++i) {
        at[i] = d + radii[i];
        d = at[i] + radii[i] + bubble_spacing;
    }
    const qreal squeeze = way.length() > 0 ? std::min(1.0, way.length() / (at.back() + radii.back())) : 0;
    for (size_t i = 0; i < radii.size(); ++i) {
        const QPointF c = way.pointAt(way.length() > 0 ? at[i] * squeeze / way.length() : 0);
        outline.addEllipse(c, radii[i], radii[i]);
    }
    return outline;
}

}  // namespace

BalloonMetrics::BalloonMetrics(BalloonKind k, int font_pixels) : kind(k)
{
    const int px = std::max(1, font_pixels);
    if (kind == BalloonKind::Speech) {
        radius = std::clamp(px * 0.9, 8.0, 16.0);
        const int pad_x = std::max(8, px * 3 / 4) + int(border);
        const int pad_y = std::max(5, px / 2) + int(border);
        text_margins = QMargins(pad_x, pad_y, pad_x, pad_y);
        gap = std::clamp(px + 4, 14, 26);
    } else {
        scallop = std::clamp(std::round(px * 0.9), 10.0, 18.0);
        const int pad_x = int(scallop) + std::max(4, px / 3);
        const int pad_y = int(scallop);
        text_margins = QMargins(pad_x, pad_y, pad_x, pad_y);
        const auto radii = bubble_radii(scallop);
        qreal trail = bubble_spacing;
        for (qreal r : radii)
            trail += 2 * r + bubble_spacing;
        gap = int(std::ceil(trail));
    }
}

QPainterPath balloon_outline(const BalloonMetrics& metrics, const QRectF& body, QPointF tip,
                             BalloonSide side)
{
    // The outline is stroked on the path, so the path keeps half a pen inside the body.
    const qreal inset = metrics.border / 2;
    const QRectF r = body.adjusted(inset, inset, -inset, -inset);
    return metrics.kind == BalloonKind::Speech ? speech_outline(metrics, r, tip, side)
                                               : cloud_outline(metrics, r, tip, side);
}

}  // namespace pw::agent::ui
