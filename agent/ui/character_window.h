#pragma once
// The window that shows a character: frameless, always on top, never stealing the
// focus when it appears, placed exactly in screen pixels. Only the figure is visible
// and clickable: a mask from the frame's alpha without a compositor, real alpha plus
// an input shape with one. Mouse gestures come out as signals.

#include "agent/ui/frame_shape.h"
#include "agent/ui/x11_desktop.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <memory>

namespace pw::agent::ui {

// Mouse buttons and modifier keys as the character events report them.
int event_button(Qt::MouseButton button);  // 1 left, 2 right, 4 middle, 0 other
int event_shift(Qt::KeyboardModifiers modifiers);  // 1 Shift, 2 Ctrl, 4 Alt

class CharacterWindow : public QWidget {
    Q_OBJECT
public:
    CharacterWindow();

    // The frame at the character's own size; it is scaled to the window size.
    void set_frame(const QImage& frame);
    void place(const QRect& screen_rect);
    // Shows the window while wanted and there is something to show.
    void set_wanted_visible(bool on);
    bool wanted_visible() const { return wanted_visible_; }

    // With a compositor the window keeps its alpha (soft edges) and gets an input
    // shape; without one it is cut out by a mask.
    void set_compositing(bool on);
    bool compositing() const { return compositing_; }

    // The current cut-out in window pixels.
    const QRegion& shape_region() const { return shape_.region; }
    const QImage& shown_image() const { return shape_.image; }
    const FrameShapeCache& shape_cache() const { return cache_; }
    // The character's screen rectangle as last placed (or dragged) by us. The window
    // covers only the part of it that is on the screen, which starts shown_offset()
    // into the character.
    QRect placed_rect() const { return QRect(placed_pos_, target_size()); }
    QPoint shown_offset() const { return shown_part_.topLeft(); }

signals:
    void clicked(int button, int shift, QPoint pos);
    void double_clicked(int button, int shift, QPoint pos);
    void dragged(QPoint top_left);
    void drag_finished(int button, int shift, QPoint pos);
    void menu_requested(QPoint global_pos);

protected:
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QSize target_size() const;
    // Puts the window over the part of the character that the screen shows, and
    // builds its picture when that part changed or `new_picture`.
    void fit_to_screen(bool new_picture = false);
    void update_shape();
    void apply_shape();
    // Gives the window system the shape: where clicks land with a compositor, where
    // the window is seen without one.
    void apply_window_shape();
    void update_shown();
    // True while frames go straight to the X server (no compositor, window on screen).
    bool puts_directly() const;
    X11WindowPainter& painter();
    bool put_exposed(const QRect& rect, quint32 sequence);

    QImage frame_;
    // Where we put the window. Qt's own geometry() can read (0,0) after a window
    // manager maps a window that was placed while hidden, so we keep our own.
    QPoint placed_pos_;
    QSize placed_size_;
    QRect window_rect_;  // where the window was last put (Qt hears of a move later)
    // The part of the character on the screen, in the character's own pixels.
    QRect shown_part_;
    FrameShapeCache cache_;
    FrameShape shape_;
    QRegion applied_;  // what the mask or input shape was last set to
    X11WindowWatch window_watch_;
    std::unique_ptr<X11WindowPainter> painter_;  // while the window puts its own frames
    WId exposes_heard_by_ = 0;  // the window that last heard an expose
    bool compositing_ = false;
    bool wanted_visible_ = false;

    // Mouse gesture state.
    Qt::MouseButton pressed_ = Qt::NoButton;
    QPoint press_global_;
    QPoint press_window_pos_;
    bool dragging_ = false;
    bool swallow_release_ = false;  // the release that ends a double-click
};

}  // namespace pw::agent::ui
