#pragma once
// Draws a pose of a rig into a frame-sized picture with QSvgRenderer, part by part,
// back to front. Each drawing is drawn in its own viewBox coordinates, which the rig
// shares; `offset` places those coordinates in the frame.

#include "tools/charbuild/rig.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPair>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <memory>

class QSvgRenderer;

namespace pw::charbuild {

class PosePainter {
public:
    PosePainter(const Rig& rig, QSize frame, QPointF offset = {});
    ~PosePainter();
    PosePainter(const PosePainter&) = delete;
    PosePainter& operator=(const PosePainter&) = delete;

    // ARGB32 premultiplied, transparent where nothing is drawn. Throws AgentError when
    // a drawing is not valid SVG.
    QImage paint(const Pose& pose) const;
    // Only the listed parts (rig indices) that the pose shows, into a picture of `area`
    // (frame coordinates; it may reach beyond the frame).
    QImage paint_parts(const Pose& pose, const QList<int>& parts, const QRect& area) const;
    // Drawings with their transforms into the frame, back to front, into a picture of
    // `area` (frame coordinates).
    QImage paint_drawings(const QList<QPair<QString, QTransform>>& drawings, const QRect& area) const;
    // Where a drawing puts ink, in its own coordinates.
    QRectF drawn_bounds(const QString& file) const;
    // Maps a part's drawing coordinates into the frame for a pose's transform.
    QTransform to_frame(const QTransform& part) const;
    QSize frame_size() const { return frame_; }

private:
    QSvgRenderer& renderer(const QString& file) const;

    const Rig& rig_;
    QSize frame_;
    QPointF offset_;
    mutable QHash<QString, std::shared_ptr<QSvgRenderer>> renderers_;
    mutable QHash<QString, QRectF> bounds_;
};

}  // namespace pw::charbuild
