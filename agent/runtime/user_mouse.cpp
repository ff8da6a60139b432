#include "agent/runtime/user_mouse.h"

namespace pw::agent {

UserMouse::UserMouse(CharacterBody& body, const Commands& commands, std::function<void()> drag_ended)
    : body_(body), commands_(commands), drag_ended_(std::move(drag_ended))
{
}

void UserMouse::view_clicked(int button, int shift, QPoint pos)
{
    const QPoint at = body_.geometry().topLeft() + pos;
    body_.post(AgentEvent::mouse(AgentEvent::Click, body_.id(), button, shift, at.x(), at.y()));
}

void UserMouse::view_double_clicked(int button, int shift, QPoint pos)
{
    const QPoint at = body_.geometry().topLeft() + pos;
    body_.post(AgentEvent::mouse(AgentEvent::DblClick, body_.id(), button, shift, at.x(), at.y()));
}

void UserMouse::view_dragged(QPoint top_left)
{
    const bool first = !std::exchange(dragging_, true);
    body_.move_to(top_left);
    if (first || drag_events_.elapsed() >= body_.timings().move_event_interval_ms) {
        drag_events_.start();
        body_.post_move(MovedByUser);
    }
}

void UserMouse::view_drag_finished(int button, int shift, QPoint pos)
{
    dragging_ = false;
    body_.post_move(MovedByUser);
    const QPoint at = body_.geometry().topLeft() + pos;
    body_.post(AgentEvent::mouse(AgentEvent::DragComplete, body_.id(), button, shift, at.x(), at.y()));
    if (drag_ended_) drag_ended_();
}

void UserMouse::view_command_chosen(const QString& name)
{
    UserInput input;
    input.name = name;
    input.character_id = body_.id();
    body_.post(AgentEvent::command(input));
}

void UserMouse::view_menu_requested(QPoint global_pos)
{
    body_.view().show_menu(commands_.menu_entries(), global_pos);
}

}  // namespace pw::agent
