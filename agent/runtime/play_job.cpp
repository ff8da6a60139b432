#include "agent/runtime/play_job.h"

#include "agent/runtime/character_body.h"

namespace pw::agent {

PlayJob::PlayJob(CharacterBody& body, const acs::Animation& animation)
    : body_(body), animation_(animation)
{
}

void PlayJob::start()
{
    body_.runner().run(animation_, AnimationRunner::Owner{[this] { finish(); }, {}, false});
}

void PlayJob::interrupt() { body_.runner().interrupt(); }

void PlayJob::request_waiting() { body_.runner().hurry(); }

}  // namespace pw::agent
