#pragma once
// A round clock face with one needle: the gauge of the clock window. Its value, 0 to
// 59, is the needle's minute position.

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
    // The face does not change while the needle turns: drawn once per size.
    void draw_face(QPainter& p) const;
    const QPixmap& face();

    int value_ = 0;
    QPixmap face_;
};

}  // namespace pw::media
