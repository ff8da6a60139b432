#pragma once
// Draws a balloon into an image the size of its window: outline, fill and the
// revealed part of the text.

#include "agent/acs/character_data.h"
#include "agent/ui/balloon_placement.h"
#include "agent/ui/balloon_shape.h"
#include "agent/ui/balloon_text_layout.h"

#include <QImage>

namespace pw::agent::ui {

struct BalloonLook {
    BalloonMetrics metrics;
    QColor text;
    QColor fill;
    QColor border;
};

BalloonLook balloon_look(BalloonKind kind, const acs::BalloonInfo& style, const QFont& font);

// hard_edges: every pixel fully opaque or fully transparent, for a window cut out by a
// mask; otherwise the outline is antialiased against transparency (for a compositor).
QImage draw_balloon(const BalloonLook& look, const BalloonTextLayout& text,
                    const BalloonPlacement& placement, int revealed, bool hard_edges);
// The same in two steps: the outline and fill, then the text. While a speech reveals
// word after word only the second step runs again, and only over `area` of `picture`
// (window pixels), which it first sets back to the body.
QImage draw_balloon_body(const BalloonLook& look, const BalloonPlacement& placement, bool hard_edges);
void draw_balloon_text(QImage& picture, const QImage& body, const BalloonLook& look, const BalloonTextLayout& text,
                       const BalloonPlacement& placement, int revealed, const QRect& area, bool hard_edges);

// Where the text area's top-left corner lies in the balloon's window.
QPoint balloon_text_origin(const BalloonLook& look, const BalloonTextLayout& text,
                           const BalloonPlacement& placement);

// The balloon's body size for a text: the text plus the margins, never so small
// that the rounded corners or the cloud's bumps would crowd the text.
QSize balloon_body_size(const BalloonLook& look, const BalloonTextLayout& text);

}  // namespace pw::agent::ui
