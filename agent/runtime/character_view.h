#pragma once
// What the playing state of a character needs from the desktop: a window that shows
// a frame at a place and size, a balloon beside it, a pop-up menu, and the user's
// mouse input. The desktop implementation uses real windows; tests use a recording one.

#include "agent/acs/character_data.h"
#include "agent/api/commands.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

namespace pw::agent {

class CharacterViewListener {
public:
    virtual ~CharacterViewListener() = default;
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt; x, y in the
    // character's frame (window pixels).
    virtual void view_clicked(int button, int shift, QPoint pos) = 0;
    virtual void view_double_clicked(int button, int shift, QPoint pos) = 0;
    // The user is dragging the window; top_left is where it stands now (screen pixels).
    virtual void view_dragged(QPoint top_left) = 0;
    virtual void view_drag_finished(int button, int shift, QPoint pos) = 0;
    // The user chose a pop-up menu entry.
    virtual void view_command_chosen(const QString& name) = 0;
    // The pop-up menu is wanted; the listener answers with show_menu().
    virtual void view_menu_requested(QPoint global_pos) = 0;
};

enum class BalloonKind { Speech, Thought };

class CharacterView {
public:
    virtual ~CharacterView() = default;

    virtual void set_listener(CharacterViewListener* listener) = 0;
    // frame: the composed frame at the character's native size; the view scales it to
    // the size of the last set_geometry(). A null image shows nothing.
    virtual void set_frame(const QImage& frame) = 0;
    virtual void set_geometry(const QRect& screen_rect) = 0;
    virtual void set_visible(bool on) = 0;

    virtual void show_balloon(BalloonKind kind, const QString& text, const acs::BalloonInfo& style) = 0;
    // How many characters of the balloon text are visible (words appear as spoken).
    virtual void reveal_balloon_text(int chars) = 0;
    virtual void hide_balloon() = 0;

    virtual void show_menu(const QList<CommandEntry>& entries, QPoint global_pos) = 0;
    // The character acts: it comes in front of the other characters (never in front of
    // a dialog that waits for an answer), without taking the focus.
    virtual void bring_forward() = 0;
    // Raise above other windows and, where the desktop allows, take the focus.
    virtual void activate() = 0;
};

}  // namespace pw::agent
