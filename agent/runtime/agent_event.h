#pragma once
// One event of a character, captured when it happens and delivered later from the
// event loop. Requests keep the status they had when the event was raised, so the
// trace says what happened even if the request has moved on by delivery time.

#include "agent/api/agent_control.h"
#include "agent/api/request.h"

#include <QString>
#include <QStringList>

namespace pw::agent {

struct AgentEvent {
    enum Type {
        Click, DblClick, DragComplete, RequestStart, RequestComplete, Command,
        IdleStart, IdleComplete, BalloonHide, Move, ListenComplete,
    };

    Type type = Click;
    QString character_id;
    Request request;         // RequestStart, RequestComplete
    QString operation;       // RequestStart, RequestComplete: "Play", "Speak"...
    int status = 0;          // RequestStart, RequestComplete: the status when raised
    int button = 0;          // Click, DblClick, DragComplete
    int shift = 0;
    int x = 0;               // Click, DblClick, DragComplete, Move
    int y = 0;
    int cause = 0;           // Move, ListenComplete
    UserInput input;         // Command

    static AgentEvent request_event(Type type, const QString& id, const Request& r,
                                    const QString& operation);
    static AgentEvent mouse(Type type, const QString& id, int button, int shift, int x, int y);
    static AgentEvent simple(Type type, const QString& id);
    static AgentEvent move(const QString& id, int x, int y, int cause);
    static AgentEvent listen_complete(const QString& id, int cause);
    static AgentEvent command(const UserInput& input);

    QString name() const;
    // The trace arguments of the event ("event <name> <arguments>").
    QStringList trace_args() const;
};

}  // namespace pw::agent
