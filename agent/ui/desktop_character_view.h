#pragma once
// The character view on a real desktop: a character window, a balloon window that
// follows it, and a pop-up menu.

#include "agent/runtime/character_view.h"

#include <QObject>
#include <QTimer>
#include <memory>

class QMenu;

namespace pw::agent {

std::unique_ptr<CharacterView> make_desktop_view();

namespace ui {

class BalloonWindow;
class CharacterWindow;

class DesktopCharacterView final : public QObject, public CharacterView {
    Q_OBJECT
public:
    DesktopCharacterView();
    ~DesktopCharacterView() override;

    void set_listener(CharacterViewListener* listener) override;
    void set_frame(const QImage& frame) override;
    void set_geometry(const QRect& screen_rect) override;
    void set_visible(bool on) override;
    void show_balloon(BalloonKind kind, const QString& text, const acs::BalloonInfo& style) override;
    void reveal_balloon_text(int chars) override;
    void hide_balloon() override;
    void show_menu(const QList<CommandEntry>& entries, QPoint global_pos) override;
    void activate() override;
    void bring_forward() override;

    // Asks the X server whether a compositor runs now and adapts both windows; runs
    // at start, and every few seconds while the character is shown where the server
    // cannot tell when a compositor comes or goes.
    void check_compositor();

    CharacterWindow& character_window() { return *window_; }
    BalloonWindow& balloon_window() { return *balloon_; }
    QMenu& menu() { return *menu_; }

private:
    void set_compositing(bool on);
    void balloon_follow();
    void take_balloon_anchor();

    std::unique_ptr<CharacterWindow> window_;
    std::unique_ptr<BalloonWindow> balloon_;
    std::unique_ptr<QMenu> menu_;
    QTimer compositor_timer_;
    CharacterViewListener* listener_ = nullptr;
    bool balloon_wanted_ = false;
    // The view that came forward last (all views share one desktop).
    static inline DesktopCharacterView* front_ = nullptr;
    // The figure's opaque part in the character's pixels when the balloon appeared:
    // the balloon points at the figure, not at the empty margins of its frames, and
    // does not jump with every frame of an animation.
    QRect balloon_anchor_;
};

}  // namespace ui
}  // namespace pw::agent
