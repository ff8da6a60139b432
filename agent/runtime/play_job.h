#pragma once
// Play(animation): done when the animation has ended. A looping animation ends when
// something stops it or another request is queued (then it leaves through its exit
// branches first).

#include "agent/runtime/request_job.h"

namespace pw::acs {
struct Animation;
}

namespace pw::agent {

class CharacterBody;

class PlayJob : public RequestJob {
public:
    PlayJob(CharacterBody& body, const acs::Animation& animation);

    QString operation() const override { return QStringLiteral("Play"); }
    RequestKind kind() const override { return RequestKind::Play; }
    void start() override;
    void interrupt() override;
    void request_waiting() override;

private:
    CharacterBody& body_;
    const acs::Animation& animation_;
};

}  // namespace pw::agent
