#pragma once
// The user's mouse on a character's window, turned into the character's events:
// Click, DblClick and DragComplete (in screen coordinates), Move events while a drag
// carries the character along (cause 1, spaced out), and the pop-up menu's commands.

#include "agent/api/commands.h"
#include "agent/runtime/character_body.h"
#include "agent/runtime/character_view.h"

#include <QElapsedTimer>
#include <functional>

namespace pw::agent {

class UserMouse : public CharacterViewListener {
public:
    // `drag_ended`: the character may idle again.
    UserMouse(CharacterBody& body, const Commands& commands, std::function<void()> drag_ended);

    bool dragging() const { return dragging_; }

    void view_clicked(int button, int shift, QPoint pos) override;
    void view_double_clicked(int button, int shift, QPoint pos) override;
    void view_dragged(QPoint top_left) override;
    void view_drag_finished(int button, int shift, QPoint pos) override;
    void view_command_chosen(const QString& name) override;
    void view_menu_requested(QPoint global_pos) override;

private:
    CharacterBody& body_;
    const Commands& commands_;
    std::function<void()> drag_ended_;
    QElapsedTimer drag_events_;
    bool dragging_ = false;
};

}  // namespace pw::agent
