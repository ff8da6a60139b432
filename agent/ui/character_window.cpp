#include "agent/ui/character_window.h"

#include "agent/ui/window_stacking.h"
#include "agent/ui/x11_desktop.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace pw::agent::ui {

int event_button(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int event_shift(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
           | (modifiers & Qt::AltModifier ? 4 : 0);
}

CharacterWindow::CharacterWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      window_watch_(
          this,
          [this] {
              apply_window_shape();
              flush_x11();
          },
          [this](const QRect& rect, quint32 sequence) { return put_exposed(rect, sequence); })
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    // Without a compositor the window is cut out by its shape and puts its frames
    // straight on the server (see paintEvent).
    setAttribute(Qt::WA_PaintOnScreen, x11_available());
    setWindowTitle(QStringLiteral("Pellworks character"));
}

void CharacterWindow::set_frame(const QImage& frame)
{
    frame_ = frame;
    fit_to_screen(true);
}

void CharacterWindow::place(const QRect& screen_rect)
{
    const bool resized = screen_rect.size() != placed_size_;
    placed_size_ = screen_rect.size();
    placed_pos_ = screen_rect.topLeft();
    fit_to_screen(resized);
}

void CharacterWindow::fit_to_screen(bool new_picture)
{
    // Scripts may make a character thousands of pixels wide: only what the screens show
    // is drawn, so that such a size costs no more than a full screen.
    const QRect whole(placed_pos_, target_size());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect shown = screen ? whole.intersected(screen->virtualGeometry()) : whole;
    if (!shown.isEmpty()) {
        // A walk moves a shown window straight on the server; anything else, or a
        // window Qt places differently, goes through Qt.
        if (shown != window_rect_ && shown.size() == window_rect_.size() && puts_directly())
            move_window(winId(), shown.topLeft());
        else if (shown != geometry())
            setGeometry(shown);
        window_rect_ = shown;
    }
    const QRect part = shown.translated(-placed_pos_);
    if (new_picture || part != shown_part_) {
        shown_part_ = part;
        update_shape();
    }
}

void CharacterWindow::set_wanted_visible(bool on)
{
    wanted_visible_ = on;
    update_shown();
}

void CharacterWindow::set_compositing(bool on)
{
    if (on == compositing_)
        return;
    compositing_ = on;
    applied_ = QRegion();
    setAttribute(Qt::WA_PaintOnScreen, !on && x11_available());
    if (on && x11_available())
        clear_bounding_shape(winId());
    else if (on)
        clearMask();
    else if (windowHandle())
        clear_input_shape(winId());  // the mask takes over; a stale input shape would eat clicks
    update_shape();  // soft edges with a compositor, hard ones for the mask
}

QSize CharacterWindow::target_size() const
{
    return !placed_size_.isEmpty() ? placed_size_ : frame_.isNull() ? QSize(1, 1) : frame_.size();
}

void CharacterWindow::update_shape()
{
    // Off the screen there is nothing to show (and the window hides).
    const FrameShape shape =
        shown_part_.isEmpty() ? FrameShape{} : cache_.shape_for(frame_, target_size(), compositing_, shown_part_);
    const QRect changed = cache_.changed_between(shape_, shape);
    shape_ = shape;
    apply_shape();
    update_shown();
    // On the screen already, a frame goes out at once, with its shape: a repaint through
    // Qt would also flush the window's unused backing store.
    if (!changed.isEmpty() && puts_directly()) {
        painter().put_frame(shape_.image, changed);
        return;
    }
    flush_x11();
    if (!changed.isEmpty())
        update(changed);
}

bool CharacterWindow::puts_directly() const
{
    return testAttribute(Qt::WA_PaintOnScreen) && windowHandle() && windowHandle()->isExposed();
}

X11WindowPainter& CharacterWindow::painter()
{
    if (!painter_ || painter_->window() != winId()) {
        painter_ = std::make_unique<X11WindowPainter>(winId());
        // When the window manager cuts its frame to a new shape after our put, the server
        // shows what the put drew instead of asking for it again.
        keep_covered_pixels(winId());
    }
    return *painter_;
}

bool CharacterWindow::put_exposed(const QRect& rect, quint32 sequence)
{
    // Qt sees the first expose, which tells it the window is on the screen.
    if (!puts_directly())
        return false;
    // A new shape exposes what its frame's put draws anyway.
    if (!painter().already_put(rect, sequence))
        painter().put(shape_.image, rect);
    // Where the server keeps covered pixels, the exposes still to come are the ones a
    // new shape causes, which the frame's put answers anyway: each would only wake the
    // program, about twice a second for a character idling without a compositor.
    if (exposes_heard_by_ != winId()) {
        exposes_heard_by_ = winId();
        stop_exposes_where_kept(winId());
    }
    return true;
}

void CharacterWindow::apply_shape()
{
    if (shape_.region.isEmpty())
        return;  // nothing is shown then (see update_shown); an empty mask means none
    if (shape_.region == applied_)
        return;
    applied_ = shape_.region;
    apply_window_shape();
}

void CharacterWindow::apply_window_shape()
{
    if (compositing_) {
        if (isVisible())
            set_input_shape(winId(), shape_.region);
    } else if (x11_available()) {
        if (!shape_.region.isEmpty())
            set_bounding_shape(winId(), shape_.region);
    } else {
        setMask(shape_.region);
    }
}

void CharacterWindow::update_shown()
{
    // A window without visible pixels would show as a box, so it is hidden instead.
    const bool show_it = wanted_visible_ && !shape_.region.isEmpty();
    if (show_it == isVisible())
        return;
    setVisible(show_it);
    // A window appears on top of the others; a box waiting for an answer goes back
    // above it.
    if (show_it)
        raise_below_dialogs(*this);
}

QPaintEngine* CharacterWindow::paintEngine() const
{
    return testAttribute(Qt::WA_PaintOnScreen) ? nullptr : QWidget::paintEngine();
}

void CharacterWindow::paintEvent(QPaintEvent* event)
{
    if (testAttribute(Qt::WA_PaintOnScreen)) {
        painter().put(shape_.image, event->region());
        return;
    }
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // The picture covers the window but while the window catches up with a new size.
    if (shape_.image.size() != size())
        p.fillRect(rect(), Qt::transparent);
    // Piece by piece: each piece is a plain copy, where one call under a clip of many
    // rectangles would blend line by line (and hand the lines to other threads).
    if (!shape_.image.isNull()) {
        for (const QRect& r : event->region())
            p.drawImage(r.topLeft(), shape_.image, r);
    }
}

void CharacterWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (compositing_)
        apply_window_shape();  // and again when mapped (window_watch_)
}

void CharacterWindow::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button();
    press_global_ = event->globalPosition().toPoint();
    press_window_pos_ = placed_pos_;
    dragging_ = false;
    swallow_release_ = false;
}

void CharacterWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (pressed_ != Qt::LeftButton || swallow_release_)
        return;
    const QPoint delta = event->globalPosition().toPoint() - press_global_;
    if (!dragging_ && delta.manhattanLength() < QApplication::startDragDistance())
        return;
    dragging_ = true;
    const QPoint top_left = press_window_pos_ + delta;
    if (top_left != placed_pos_) {
        placed_pos_ = top_left;
        fit_to_screen();
        emit dragged(top_left);
    }
}

void CharacterWindow::mouseReleaseEvent(QMouseEvent* event)
{
    const Qt::MouseButton button = event->button();
    if (button != pressed_)
        return;
    pressed_ = Qt::NoButton;
    const int shift = event_shift(event->modifiers());
    const QPoint at = event->position().toPoint() + shown_offset();
    if (swallow_release_) {
        swallow_release_ = false;
        return;
    }
    if (dragging_) {
        dragging_ = false;
        emit drag_finished(event_button(button), shift, at);
        return;
    }
    emit clicked(event_button(button), shift, at);
    if (button == Qt::RightButton)
        emit menu_requested(event->globalPosition().toPoint());
}

void CharacterWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Stands in for the second press of a double-click; its release is not a click.
    pressed_ = event->button();
    dragging_ = false;
    swallow_release_ = true;
    emit double_clicked(event_button(event->button()), event_shift(event->modifiers()),
                        event->position().toPoint() + shown_offset());
}

}  // namespace pw::agent::ui
