#pragma once
// Draws a pose of a rig into a frame-sized picture with QSvgRenderer, part by part,
// back to front. Each drawing is drawn in its own viewBox coordinates, which the rig
// shares; `offset` places those coordinates in the frame.

#include "tools/charbuild/rig.h"

#include <QHash>
#include <QImage>
#include <QPointF>
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
    QSize frame_size() const { return frame_; }

private:
    QSvgRenderer& renderer(const QString& file) const;

    const Rig& rig_;
    QSize frame_;
    QPointF offset_;
    mutable QHash<QString, std::shared_ptr<QSvgRenderer>> renderers_;
};

}  // namespace pw::charbuild
