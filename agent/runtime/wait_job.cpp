#include "agent/runtime/wait_job.h"

#include "agent/runtime/request_tracker.h"

namespace pw::agent {

WaitJob::~WaitJob()
{
    if (waiting_) tracker_.cancel_wait(ticket_);
}

void WaitJob::start()
{
    waiting_ = true;
    ticket_ = tracker_.when_finished(other_, [this] {
        waiting_ = false;
        finish();
    });
}

void WaitJob::interrupt()
{
    if (std::exchange(waiting_, false)) tracker_.cancel_wait(ticket_);
}

}  // namespace pw::agent
