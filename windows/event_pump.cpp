#include "windows/event_pump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace pw::windows {
namespace {
// Objects deleteLater()ed inside a nested wait are freed only when control gets back
// to the main loop; a long wait would otherwise hoard them.
constexpr int passes_between_deferred_deletes = 64;
}  // namespace

EventPump::EventPump() = default;
EventPump::~EventPump() = default;

void EventPump::do_events(int max_wait_ms)
{
    sleep_until_event(std::min(max_wait_ms, keep_alive_ms));
}

void EventPump::sleep_until_event(int max_wait_ms)
{
    if (max_wait_ms <= 0) {
        let_events_run();
        return;
    }
    if (!keep_alive_) {
        keep_alive_ = std::make_unique<QTimer>();
        keep_alive_->setSingleShot(true);
        keep_alive_->setTimerType(Qt::PreciseTimer);
    }
    // The timer only wakes the dispatcher; nothing is connected to it.
    keep_alive_->start(max_wait_ms);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    flush_deferred_deletes_now_and_then();
}

void EventPump::let_events_run()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    flush_deferred_deletes_now_and_then();
}

void EventPump::flush_deferred_deletes_now_and_then()
{
    if (++passes_ < passes_between_deferred_deletes) return;
    passes_ = 0;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace pw::windows
