#pragma once
// A bar that shows how loud the microphone hears the child: it jumps up with the
// voice and sinks back gently, so that a word can be seen, not just a flicker.

#include <QElapsedTimer>
#include <QWidget>

namespace pw::media {

class LevelMeter : public QWidget {
    Q_OBJECT
public:
    explicit LevelMeter(QWidget* parent = nullptr);

    // 0 silence .. 1 loudest. A lower level than shown lets the bar sink at its own
    // pace; reset() empties it at once.
    void set_level(double level);
    void reset();
    double shown_level() const { return shown_; }

    QSize sizeHint() const override { return {160, 22}; }
    QSize minimumSizeHint() const override { return {60, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double shown_ = 0.0;
    QElapsedTimer since_update_;
};

}  // namespace pw::media
