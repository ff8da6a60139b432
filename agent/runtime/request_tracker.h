#pragma once
// Knows which character each unfinished request belongs to, and who waits for it.
// Wait() in one character's queue ends when a request of another character finishes.

#include "agent/api/request.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>

namespace pw::agent {

class RequestTracker {
public:
    using Waiter = std::function<void()>;

    void track(const Request& request, const QString& owner_id);
    // The owner of an unfinished request; empty when finished or unknown.
    QString owner(const Request& request) const;
    // Forget the request and run its waiters (the request's status is already final).
    void finished(const Request& request);

    // Runs `waiter` when `request` finishes; at once when it is not tracked (finished
    // already, or a request from elsewhere that is final). Returns a ticket.
    int when_finished(const Request& request, Waiter waiter);
    void cancel_wait(int ticket);

private:
    struct Wait {
        int ticket = 0;
        Waiter waiter;
    };
    QHash<int, QString> owners_;            // request id -> character id
    QHash<int, QList<Wait>> waits_;         // request id -> who waits
    int next_ticket_ = 1;
};

}  // namespace pw::agent
