#include "media/clock_dial.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
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
    const QRect before = needle_area(value_);
    value_ = value;
    // Painted at once: the gauge steps twenty times a second, and a posted update would
    // wake the event loop a second time for each step.
    repaint(before | needle_area(value_));
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

QRect ClockDial::needle_area(int value) const
{
    const qreal side = qMin(width(), height());
    QTransform t;
    t.translate(width() / 2.0, height() / 2.0);
    t.scale(side / 100.0, side / 100.0);
    const QRectF hub = t.mapRect(QRectF(-6, -6, 12, 12));
    t.rotate(value * 6.0);
    const QRectF needle = t.map(QPolygonF({QPointF(0, -36), QPointF(5, 4), QPointF(-5, 4)})).boundingRect();
    return (needle | hub).toAlignedRect().adjusted(-2, -2, 2, 2);
}

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

void ClockDial::draw_needle(QPainter& p) const
{
    // One sixtieth of a turn per step, twelve o'clock at 0.
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

const QPixmap& ClockDial::picture()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (pixels != pictures_pixels_ || dpr != pictures_dpr_) {
        pictures_ = QList<QPixmap>(maximum + 1);
        pictures_pixels_ = pixels;
        pictures_dpr_ = dpr;
    }
    QPixmap& pm = pictures_[value_];
    if (pm.isNull()) {
        pm = QPixmap(pixels);
        pm.setDevicePixelRatio(dpr);
        pm.fill(palette().color(backgroundRole()));
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        to_face_coordinates(p, QSizeF(size()));
        draw_face(p);
        draw_needle(p);
    }
    return pm;
}

void ClockDial::paintEvent(QPaintEvent*)
{
    // The picture covers the whole rectangle, so nothing behind it is painted again.
    QPainter p(this);
    p.drawPixmap(0, 0, picture());
}

}  // namespace pw::media
