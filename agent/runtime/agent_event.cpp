#include "agent/runtime/agent_event.h"

#include "platform/core/trace.h"

namespace pw::agent {

AgentEvent AgentEvent::request_event(Type type, const QString& id, const Request& r,
                                     const QString& operation)
{
    AgentEvent e;
    e.type = type;
    e.character_id = id;
    e.request = r;
    e.operation = operation;
    e.status = r.status();
    return e;
}

AgentEvent AgentEvent::mouse(Type type, const QString& id, int button, int shift, int x, int y)
{
    AgentEvent e;
    e.type = type;
    e.character_id = id;
    e.button = button;
    e.shift = shift;
    e.x = x;
    e.y = y;
    return e;
}

AgentEvent AgentEvent::simple(Type type, const QString& id)
{
    AgentEvent e;
    e.type = type;
    e.character_id = id;
    return e;
}

AgentEvent AgentEvent::move(const QString& id, int x, int y, int cause)
{
    AgentEvent e = mouse(Move, id, 0, 0, x, y);
    e.cause = cause;
    return e;
}

AgentEvent AgentEvent::listen_complete(const QString& id, int cause)
{
    AgentEvent e = simple(ListenComplete, id);
    e.cause = cause;
    return e;
}

AgentEvent AgentEvent::command(const UserInput& input)
{
    AgentEvent e = simple(Command, input.character_id);
    e.input = input;
    return e;
}

QString AgentEvent::name() const
{
    switch (type) {
    case Click: return QStringLiteral("Click");
    case DblClick: return QStringLiteral("DblClick");
    case DragComplete: return QStringLiteral("DragComplete");
    case RequestStart: return QStringLiteral("RequestStart");
    case RequestComplete: return QStringLiteral("RequestComplete");
    case Command: return QStringLiteral("Command");
    case IdleStart: return QStringLiteral("IdleStart");
    case IdleComplete: return QStringLiteral("IdleComplete");
    case BalloonHide: return QStringLiteral("BalloonHide");
    case Move: return QStringLiteral("Move");
    case ListenComplete: return QStringLiteral("ListenComplete");
    }
    return {};
}

QStringList AgentEvent::trace_args() const
{
    using trace::number;
    switch (type) {
    case Click:
    case DblClick:
    case DragComplete:
        return {character_id, number(button), number(shift), number(x), number(y)};
    case RequestStart:
    case RequestComplete:
        return {number(request.id()), character_id, operation, number(status)};
    case Command:
        return {trace::quote(input.name), input.character_id};
    case IdleStart:
    case IdleComplete:
    case BalloonHide:
        return {character_id};
    case Move:
        return {character_id, number(x), number(y), number(cause)};
    case ListenComplete:
        return {character_id, number(cause)};
    }
    return {};
}

}  // namespace pw::agent
