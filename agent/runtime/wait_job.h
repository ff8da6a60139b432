#pragma once
// Wait(other): holds this character's queue until another character's request has
// ended, however it ended.

#include "agent/runtime/request_job.h"

namespace pw::agent {

class RequestTracker;

class WaitJob : public RequestJob {
public:
    WaitJob(RequestTracker& tracker, const Request& other) : tracker_(tracker), other_(other) {}
    ~WaitJob() override;

    QString operation() const override { return QStringLiteral("Wait"); }
    RequestKind kind() const override { return RequestKind::Wait; }
    void start() override;
    void interrupt() override;

private:
    RequestTracker& tracker_;
    Request other_;
    int ticket_ = 0;
    bool waiting_ = false;
};

}  // namespace pw::agent
