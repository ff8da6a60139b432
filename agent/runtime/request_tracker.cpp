#include "agent/runtime/request_tracker.h"

namespace pw::agent {

void RequestTracker::track(const Request& request, const QString& owner_id)
{
    if (!request.is_null()) owners_.insert(request.id(), owner_id);
}

QString RequestTracker::owner(const Request& request) const
{
    return owners_.value(request.id());
}

void RequestTracker::finished(const Request& request)
{
    owners_.remove(request.id());
    const QList<Wait> waits = waits_.take(request.id());
    for (const Wait& w : waits) w.waiter();
}

int RequestTracker::when_finished(const Request& request, Waiter waiter)
{
    const int ticket = next_ticket_++;
    if (!owners_.contains(request.id())) {
        waiter();
        return ticket;
    }
    waits_[request.id()].append(Wait{ticket, std::move(waiter)});
    return ticket;
}

void RequestTracker::cancel_wait(int ticket)
{
    for (auto it = waits_.begin(); it != waits_.end(); ++it) {
        QList<Wait>& list = it.value();
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (list[i].ticket == ticket) {
                list.removeAt(i);
                if (list.isEmpty()) waits_.erase(it);
                return;
            }
        }
    }
}

}  // namespace pw::agent
