#pragma once
// MoveTo(x, y, speed): the Moving animation of the direction brings the character into
// its travel pose, the window glides to the target in `speed` ms while that pose holds
// (or loops), then the character comes back to rest. Speed 0, or a hidden character,
// jumps. Move events (cause: program) come now and then during the glide and at the end.
//
// Direction: the larger of |dx| and |dy| decides; MovingLeft is played when the window
// travels towards the left edge of the screen (the character walks the way it moves,
// as seen by the user).

#include "agent/runtime/request_job.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QTimer>

namespace pw::agent {

class CharacterBody;

class MoveJob : public RequestJob {
public:
    MoveJob(CharacterBody& body, QPoint target, int speed_ms);

    QString operation() const override { return QStringLiteral("MoveTo"); }
    RequestKind kind() const override { return RequestKind::Move; }
    void start() override;
    void interrupt() override;

    // The Moving state for a move from `from` to `to`.
    static QString moving_state(QPoint from, QPoint to);

private:
    void begin_glide();
    void step();

    CharacterBody& body_;
    QPoint target_;
    int speed_ms_;
    QPoint from_;
    QTimer tick_;
    QElapsedTimer clock_;
    qint64 last_event_ms_ = 0;
    bool glide_started_ = false;
    bool moved_ = false;
};

}  // namespace pw::agent
