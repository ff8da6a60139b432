#include "media/level_meter.h"

#include <QPainter>
#include <QPainterPath>

namespace pw::media {

namespace {
// How fast the bar sinks: the whole bar in about 0.6 s.
constexpr double fall_per_ms = 1.0 / 600.0;
// Above this share the bar turns orange: loud enough.
constexpr double loud = 0.8;
constexpr double visible_step = 0.005;
}  // namespace

LevelMeter::LevelMeter(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Loudness"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void LevelMeter::set_level(double level)
{
    level = qBound(0.0, level, 1.0);
    const double elapsed = since_update_.isValid() ? double(since_update_.restart()) : 0.0;
    if (!since_update_.isValid()) since_update_.start();
    const double sunk = qMax(0.0, shown_ - elapsed * fall_per_ms);
    const double next = qMax(level, sunk);
    // Repaint only for a change a child could see.
    if (qAbs(next - shown_) < visible_step) return;
    shown_ = next;
    update();
}

void LevelMeter::reset()
{
    shown_ = 0.0;
    since_update_.invalidate();
    update();
}

void LevelMeter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double radius = outer.height() / 2;
    QPainterPath trough;
    trough.addRoundedRect(outer, radius, radius);
    p.fillPath(trough, QColor(0xff, 0xfb, 0xe6));
    if (shown_ > 0.0) {
        p.save();
        p.setClipPath(trough);
        QRectF bar = outer;
        bar.setWidth(outer.width() * shown_);
        p.fillRect(bar, shown_ >= loud ? QColor(0xff, 0x98, 0x38) : QColor(0x45, 0xb0, 0xd8));
        p.restore();
    }
    p.setPen(QPen(QColor(0x1f, 0x25, 0x45), 2));
    p.drawPath(trough);
}

}  // namespace pw::media
