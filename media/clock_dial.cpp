#include "media/clock_dial.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace pw::media {

ClockDial::ClockDial(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(24, 24);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ClockDial::setValue(int value)
{
    value = qBound(minimum, value, maximum);
    if (value == value_) return;
    value_ = value;
    update();
}

namespace {
// The face is drawn on a 100 x 100 square around its centre.
void to_face_coordinates(QPainter& p, const QSizeF& size)
{
    const qreal side = qMin(size.width(), size.height());
    p.translate(size.width() / 2.0, size.height() / 2.0);
    p.scale(side / 100.0, side / 100.0);
}
}  // namespace

void ClockDial::draw_face(QPainter& p) const
{
    // A warm yellow disc with a dark rim.
    p.setPen(QPen(QColor(60, 50, 40), 4));
    p.setBrush(QColor(255, 226, 120));
    p.drawEllipse(QPointF(0, 0), 46, 46);

    // Hour marks, longer at the quarters.
    for (int i = 0; i < 12; ++i) {
        p.save();
        p.rotate(i * 30.0);
        const bool quarter = i % 3 == 0;
        p.setPen(QPen(QColor(60, 50, 40), quarter ? 5 : 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, -40), QPointF(0, quarter ? -31 : -35));
        p.restore();
    }
}

const QPixmap& ClockDial::face()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (face_.size() != pixels || face_.devicePixelRatio() != dpr) {
        face_ = QPixmap(pixels);
        face_.setDevicePixelRatio(dpr);
        face_.fill(palette().color(backgroundRole()));
        QPainter p(&face_);
        p.setRenderHint(QPainter::Antialiasing);
        to_face_coordinates(p, QSizeF(size()));
        draw_face(p);
    }
    return face_;
}

void ClockDial::paintEvent(QPaintEvent*)
{
    // The dial ticks twenty times a second while a script runs: it paints its whole
    // rectangle from a ready face, so nothing behind it has to be painted again.
    QPainter p(this);
    p.drawPixmap(0, 0, face());
    p.setRenderHint(QPainter::Antialiasing);
    to_face_coordinates(p, QSizeF(size()));

    // The needle: one sixtieth of a turn per step, twelve o'clock at 0.
    p.save();
    p.rotate(value_ * 6.0);
    QPainterPath needle;
    needle.moveTo(0, -36);
    needle.lineTo(5, 4);
    needle.lineTo(-5, 4);
    needle.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    p.drawPath(needle);
    p.restore();

    p.setBrush(QColor(60, 50, 40));
    p.drawEllipse(QPointF(0, 0), 6, 6);
}

}  // namespace pw::media
