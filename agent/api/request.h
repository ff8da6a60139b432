#pragma once
// A request is what a queued character operation returns. Its status changes as the
// character works through its queue; every copy of a Request sees the same status.

#include <QMetaType>
#include <cstdint>
#include <memory>

namespace pw::agent {

class Request {
public:
    enum Status : int {
        Complete = 0,
        Failed = 1,
        Pending = 2,
        Interrupted = 3,
        InProgress = 4,
    };

    Request() = default;  // the null request: no operation behind it

    // Platform side: a new pending request with a process-wide unique id.
    static Request create();

    bool is_null() const { return !d_; }
    int id() const { return d_ ? d_->id : 0; }
    int status() const { return d_ ? d_->status : Complete; }
    uint32_t error_number() const { return d_ ? d_->error : 0; }

    bool is_finished() const
    {
        const int s = status();
        return s == Complete || s == Failed || s == Interrupted;
    }

    void set_status(Status s) { if (d_) d_->status = s; }
    void fail(uint32_t error_number)
    {
        if (!d_) return;
        d_->status = Failed;
        d_->error = error_number;
    }

    // Two requests are the same when they stand for the same operation.
    friend bool operator==(const Request& a, const Request& b) { return a.id() == b.id(); }
    friend bool operator!=(const Request& a, const Request& b) { return !(a == b); }

private:
    struct Data {
        int id = 0;
        int status = Pending;
        uint32_t error = 0;
    };
    std::shared_ptr<Data> d_;
};

}  // namespace pw::agent

Q_DECLARE_METATYPE(pw::agent::Request)
