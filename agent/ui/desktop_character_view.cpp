#include "agent/ui/desktop_character_view.h"

#include "agent/ui/balloon_window.h"
#include "agent/ui/character_menu.h"
#include "agent/ui/character_window.h"
#include "agent/ui/window_stacking.h"
#include "agent/ui/x11_desktop.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace pw::agent {

std::unique_ptr<CharacterView> make_desktop_view()
{
    return std::make_unique<ui::DesktopCharacterView>();
}

namespace ui {

namespace {

// Compositors come and go rarely; where the server cannot tell, a look now and then.
constexpr int compositor_check_ms = 3000;

QRect screen_of(const QRect& character)
{
    QScreen* screen = QGuiApplication::screenAt(character.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

}  // namespace

DesktopCharacterView::DesktopCharacterView()
    : window_(std::make_unique<CharacterWindow>()),
      balloon_(std::make_unique<BalloonWindow>()),
      menu_(std::make_unique<QMenu>())
{
    connect(window_.get(), &CharacterWindow::clicked, this, [this](int button, int shift, QPoint pos) {
        if (listener_)
            listener_->view_clicked(button, shift, pos);
    });
    connect(window_.get(), &CharacterWindow::double_clicked, this, [this](int button, int shift, QPoint pos) {
        if (listener_)
            listener_->view_double_clicked(button, shift, pos);
    });
    connect(window_.get(), &CharacterWindow::dragged, this, [this](QPoint top_left) {
        balloon_follow();
        if (listener_)
            listener_->view_dragged(top_left);
    });
    connect(window_.get(), &CharacterWindow::drag_finished, this, [this](int button, int shift, QPoint pos) {
        if (listener_)
            listener_->view_drag_finished(button, shift, pos);
    });
    connect(window_.get(), &CharacterWindow::menu_requested, this, [this](QPoint global_pos) {
        if (listener_)
            listener_->view_menu_requested(global_pos);
    });
    connect(menu_.get(), &QMenu::triggered, this, [this](QAction* action) {
        if (listener_)
            listener_->view_command_chosen(action->data().toString());
    });

    connect(&CompositorWatch::instance(), &CompositorWatch::changed, this, &DesktopCharacterView::set_compositing);
    compositor_timer_.setInterval(compositor_check_ms);
    connect(&compositor_timer_, &QTimer::timeout, this, &DesktopCharacterView::check_compositor);
    check_compositor();
}

DesktopCharacterView::~DesktopCharacterView()
{
    if (front_ == this)
        front_ = nullptr;
}

void DesktopCharacterView::set_listener(CharacterViewListener* listener)
{
    listener_ = listener;
}

void DesktopCharacterView::set_frame(const QImage& frame)
{
    window_->set_frame(frame);
}

void DesktopCharacterView::set_geometry(const QRect& screen_rect)
{
    const QRect was = window_->placed_rect();
    window_->place(screen_rect);
    const QRect now = window_->placed_rect();
    if (now == was)
        return;
    if (now.size() != was.size() && balloon_wanted_)
        take_balloon_anchor();
    balloon_follow();
    bring_forward();
}

void DesktopCharacterView::set_visible(bool on)
{
    const bool appears = on && !window_->wanted_visible();
    window_->set_wanted_visible(on);
    balloon_->set_wanted_visible(on && balloon_wanted_);
    if (appears)
        bring_forward();
    if (on && x11_available() && !CompositorWatch::instance().hears_changes()) {
        check_compositor();
        compositor_timer_.start();
    } else {
        compositor_timer_.stop();
    }
}

void DesktopCharacterView::show_balloon(BalloonKind kind, const QString& text, const acs::BalloonInfo& style)
{
    balloon_->set_content(kind, text, style);
    balloon_wanted_ = true;
    take_balloon_anchor();
    balloon_follow();
    balloon_->set_wanted_visible(window_->wanted_visible());
}

void DesktopCharacterView::reveal_balloon_text(int chars)
{
    balloon_->set_revealed(chars);
}

void DesktopCharacterView::hide_balloon()
{
    balloon_wanted_ = false;
    balloon_->set_wanted_visible(false);
    balloon_->clear_content();
}

void DesktopCharacterView::show_menu(const QList<CommandEntry>& entries, QPoint global_pos)
{
    fill_command_menu(*menu_, entries);
    if (menu_->actions().isEmpty())
        return;
    menu_->popup(global_pos);
}

void DesktopCharacterView::activate()
{
    front_ = nullptr;
    bring_forward();
    window_->activateWindow();
}

void DesktopCharacterView::bring_forward()
{
    // Characters act many times a second while they walk; the window system only
    // needs to hear when another one comes forward.
    if (front_ == this)
        return;
    front_ = this;
    raise_below_dialogs(*window_);
    // Balloons stay readable above every character, this one's on top.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w != balloon_.get() && qobject_cast<BalloonWindow*>(w) && w->isVisible())
            raise_below_dialogs(*w);
    }
    if (balloon_->isVisible())
        raise_below_dialogs(*balloon_);
}

void DesktopCharacterView::check_compositor()
{
    set_compositing(compositor_running());
}

void DesktopCharacterView::set_compositing(bool on)
{
    window_->set_compositing(on);
    balloon_->set_compositing(on);
}

void DesktopCharacterView::take_balloon_anchor()
{
    balloon_anchor_ = window_->shape_region().boundingRect().translated(window_->shown_offset());
}

void DesktopCharacterView::balloon_follow()
{
    const QRect window = window_->placed_rect();
    const QRect figure = balloon_anchor_.isEmpty() ? window : balloon_anchor_.translated(window.topLeft());
    balloon_->follow(figure, screen_of(window));
}

}  // namespace ui
}  // namespace pw::agent
