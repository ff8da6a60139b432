#pragma once
// A round clock face with one needle: the gauge of the clock window. Its value, 0 to
// 59, is the needle's minute position.

#include <QList>
#include <QPixmap>
#include <QWidget>

namespace pw::media {

class ClockDial : public QWidget {
    Q_OBJECT
public:
    static constexpr int minimum = 0;
    static constexpr int maximum = 59;

    explicit ClockDial(QWidget* parent = nullptr);

    int value() const { return value_; }
    // Values outside 0..59 are clamped: the needle never leaves the face.
    void setValue(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void draw_face(QPainter& p) const;
    void draw_needle(QPainter& p) const;
    // Where the needle at `value` is drawn, with its soft edge: a tick repaints only the
    // old needle and the new one.
    QRect needle_area(int value) const;
    // The dial ticks twenty times a second while a script runs, through the same 59
    // pictures: each is drawn once per size, and a tick only copies one.
    const QPixmap& picture();

    int value_ = 0;
    QList<QPixmap> pictures_;  // by value; null until first shown
    QSize pictures_pixels_;
    qreal pictures_dpr_ = 0;
};

}  // namespace pw::media
