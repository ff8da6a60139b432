#pragma once
// One queued operation of a character while it waits and while it runs. The queue
// starts it; it reports its end once through finish(); a request that is stopped
// while it runs gets interrupt() instead and reports nothing.

#include "agent/api/request.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace pw::agent {

// The kinds StopAll can name. Show and Hide count as "Play", Think as "Speak".
enum class RequestKind { Play, Speak, Move, Wait, Other };

class RequestJob {
public:
    using Finish = std::function<void(Request::Status status, uint32_t error)>;

    virtual ~RequestJob() = default;
    // "Play", "Speak"... as named in events and the trace.
    virtual QString operation() const = 0;
    virtual RequestKind kind() const = 0;
    virtual void start() = 0;
    // The request is stopped while it runs: leave the character tidy, report nothing.
    virtual void interrupt() = 0;
    // Another request has been queued behind this one.
    virtual void request_waiting() {}

    void set_finish(Finish finish) { finish_ = std::move(finish); }

protected:
    void finish(Request::Status status = Request::Complete, uint32_t error = 0)
    {
        if (Finish f = std::exchange(finish_, nullptr)) f(status, error);
    }

private:
    Finish finish_;
};

// Whether a comma-separated StopAll list ("Move, Speak"; case ignored; empty: all)
// names this kind.
bool stop_types_match(const QString& types, RequestKind kind);

}  // namespace pw::agent
