#include "agent/ui/balloon_picture.h"

#include "agent/ui/frame_shape.h"

#include <QFontInfo>
#include <QPainter>

#include <algorithm>

namespace pw::agent::ui {

BalloonLook balloon_look(BalloonKind kind, const acs::BalloonInfo& style, const QFont& font)
{
    return BalloonLook{BalloonMetrics(kind, QFontInfo(font).pixelSize()), QColor::fromRgb(style.text_color),
                       QColor::fromRgb(style.background_color), QColor::fromRgb(style.border_color)};
}

QSize balloon_body_size(const BalloonLook& look, const BalloonTextLayout& text)
{
    const QMargins& m = look.metrics.text_margins;
    const int min_side = 2 * int(std::max(look.metrics.radius, look.metrics.scallop)) + 2 * text.line_height();
    return QSize(std::max(text.size().width() + m.left() + m.right(), min_side),
                 std::max(text.size().height() + m.top() + m.bottom(),
                          2 * int(look.metrics.scallop) + text.line_height()));
}

QPoint balloon_text_origin(const BalloonLook& look, const BalloonTextLayout& text,
                           const BalloonPlacement& placement)
{
    const QMargins& m = look.metrics.text_margins;
    const QRect inner = placement.body.translated(-placement.window().topLeft()).marginsRemoved(m);
    // Centred in the body, which may be larger than the text (short texts).
    return inner.topLeft() + QPoint(std::max(0, (inner.width() - text.size().width()) / 2),
                                    std::max(0, (inner.height() - text.size().height()) / 2));
}

QImage draw_balloon(const BalloonLook& look, const BalloonTextLayout& text,
                    const BalloonPlacement& placement, int revealed, bool hard_edges)
{
    const QImage body = draw_balloon_body(look, placement, hard_edges);
    QImage picture = body;
    draw_balloon_text(picture, body, look, text, placement, revealed, body.rect(), hard_edges);
    return picture;
}

QImage draw_balloon_body(const BalloonLook& look, const BalloonPlacement& placement, bool hard_edges)
{
    const QRect window = placement.window();
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    const QPoint offset = -window.topLeft();
    const QRectF body = QRectF(placement.body.translated(offset));
    const QPainterPath outline =
        balloon_outline(look.metrics, body, QPointF(placement.tip + offset), placement.side);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(look.border, look.metrics.border);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(look.fill);
    p.drawPath(outline);
    p.end();
    return hard_edges ? harden_alpha(image) : image;
}

void draw_balloon_text(QImage& picture, const QImage& body, const BalloonLook& look, const BalloonTextLayout& text,
                       const BalloonPlacement& placement, int revealed, const QRect& area, bool hard_edges)
{
    const QRect part = area & picture.rect();
    if (part.isEmpty())
        return;
    QPainter p(&picture);
    p.setClipRect(part);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(part.topLeft(), body, part);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(look.text);
    text.draw(p, QPointF(balloon_text_origin(look, text, placement)), revealed);
    p.end();
    // The text lies on the opaque fill, so the edges stay hard; a glyph that strays
    // past the fill is hardened like them.
    if (hard_edges) {
        const QImage drawn = picture.copy(part);
        const QImage hard = harden_alpha(drawn);
        if (hard.constBits() != drawn.constBits()) {
            QPainter back(&picture);
            back.setCompositionMode(QPainter::CompositionMode_Source);
            back.drawImage(part.topLeft(), hard);
        }
    }
}

}  // namespace pw::agent::ui
