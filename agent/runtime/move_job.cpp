#include "agent/runtime/move_job.h"

#include "agent/runtime/character_body.h"

#include <cmath>

namespace pw::agent {

MoveJob::MoveJob(CharacterBody& body, QPoint target, int speed_ms)
    : body_(body), target_(target), speed_ms_(speed_ms)
{
    tick_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick_, &QTimer::timeout, &tick_, [this] { step(); });
}

QString MoveJob::moving_state(QPoint from, QPoint to)
{
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    if (std::abs(dx) >= std::abs(dy))
        return dx < 0 ? QStringLiteral("MOVINGLEFT") : QStringLiteral("MOVINGRIGHT");
    return dy < 0 ? QStringLiteral("MOVINGUP") : QStringLiteral("MOVINGDOWN");
}

void MoveJob::start()
{
    from_ = body_.geometry().topLeft();
    if (from_ == target_) {
        finish();
        return;
    }
    if (speed_ms_ <= 0 || !body_.visible()) {
        body_.move_to(target_);
        body_.post_move(MovedByProgram);
        finish();
        return;
    }
    body_.balloon().hide_now();
    const acs::Animation* moving = body_.state_animation(moving_state(from_, target_));
    if (!moving) {
        begin_glide();
        return;
    }
    body_.runner().run(*moving, AnimationRunner::Owner{[this] { begin_glide(); },
                                                       [this] { begin_glide(); }, true});
}

void MoveJob::interrupt()
{
    tick_.stop();
    if (moved_) body_.post_move(MovedByProgram);
    body_.runner().interrupt();
}

void MoveJob::begin_glide()
{
    if (glide_started_) return;
    glide_started_ = true;
    clock_.start();
    tick_.start(body_.timings().glide_tick_ms);
}

void MoveJob::step()
{
    const qint64 t = clock_.elapsed();
    const double f = std::min(1.0, double(t) / speed_ms_);
    const QPoint at(from_.x() + int(std::lround((target_.x() - from_.x()) * f)),
                    from_.y() + int(std::lround((target_.y() - from_.y()) * f)));
    body_.move_to(at);
    moved_ = true;
    if (f < 1.0) {
        if (t - last_event_ms_ >= body_.timings().move_event_interval_ms) {
            last_event_ms_ = t;
            body_.post_move(MovedByProgram);
        }
        return;
    }
    tick_.stop();
    body_.post_move(MovedByProgram);
    body_.runner().settle([this] { finish(); });
}

}  // namespace pw::agent
