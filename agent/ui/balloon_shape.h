#pragma once
// The outlines of the two balloons: a speech balloon is a rounded box with a curved
// tail to the character; a thought balloon is a cloud with small bubbles trailing
// towards the character's head.

#include "agent/runtime/character_view.h"
#include "agent/ui/balloon_placement.h"

#include <QMargins>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

namespace pw::agent::ui {

// Sizes that depend on the kind of balloon and the size of its font.
struct BalloonMetrics {
    BalloonMetrics(BalloonKind kind, int font_pixels);

    BalloonKind kind;
    qreal border = 2;   // outline width
    qreal radius = 0;   // corner radius of the speech box
    qreal scallop = 0;  // radius of the cloud's bumps
    QMargins text_margins;  // from the body's edge to the text
    int gap = 0;        // room for the tail between balloon and character
};

// body and tip in the same coordinates (window pixels); the outline stays inside
// body except for the tail, which ends at tip.
QPainterPath balloon_outline(const BalloonMetrics& metrics, const QRectF& body, QPointF tip,
                             BalloonSide side);

}  // namespace pw::agent::ui
