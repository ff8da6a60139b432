#pragma once
// The clock window: a tiny window whose dial ticks while a script runs. The script
// editor's timer moves the needle; the main window opens it at its top right corner
// when a run starts and closes it when the run ends.

#include <QPoint>
#include <QWidget>

namespace pw::media {

class ClockDial;

class ClockWindow : public QWidget {
    Q_OBJECT
public:
    explicit ClockWindow(QWidget* parent = nullptr);

    ClockDial* dial = nullptr;

    // One tick of the running clock: the needle moves on, and after 58 starts over at
    // 0, so it never shows 59.
    void advance();

    // Where the window goes inside an area `area_width` pixels wide: 850 twips left of
    // the area's right edge, 50 twips from the top; a window wider than that margin
    // is moved left so that it stays whole.
    static QPoint top_right_position(int area_width, int window_width, const QWidget* for_dpi);

Q_SIGNALS:
    // The window came onto the screen or left it, itself or with the main window.
    void shown_or_hidden();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static constexpr int last_value = 58;
};

}  // namespace pw::media
