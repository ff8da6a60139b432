// Waits until a time of day ("3:45 pm") or for some minutes ("2", "1.5").

#include "engine/clock_time.h"
#include "engine/script_error.h"
#include "engine/script_text.h"
#include "engine/wait_texts.h"
#include "engine/waits.h"

#include <cmath>

namespace pw::engine::waits {

namespace {

constexpr int countdown_interval_ms = 900;

QTime time_of_day(const RunState& state)
{
    return state.time_of_day ? state.time_of_day() : QTime::currentTime();
}

// The end of a minute pass: the countdown, the cancel test, the time left.
Pass minutes_tail(WaitLine& w)
{
    // The last ten seconds are counted down a little faster than once a second.
    if (w.minutes_left < 10.0) w.host.set_report_timer(true, countdown_interval_ms);
    if (w.cancel_seen()) return Pass::cancelled;
    // The quiet wait ends about a second after the time is up.
    if (w.minutes_left > -1.0) w.minutes_left = w.minutes_total - (monotonic_seconds(w.state) - w.minutes_start);
    if (w.minutes_left <= -1.0) w.state.waiting = false;
    return Pass::go_on;
}

}  // namespace

Pass clock_time(WaitLine& w)
{
    RunState& state = w.state;
    if (w.alerted) {
        state.waiting = false;
        state.char_say(w.slot, wait_texts::its_time());
        state.agent_idle = false;
        w.first = std::make_unique<IdleWait>(state);
        return Pass::go_on;
    }
    if (w.due()) {
        w.remind(wait_texts::clock_reminder(w.value));
        w.restart_reminders();
    }
    const DayHalves halves = day_halves();
    const QString now_text = clock_text(time_of_day(state), halves);
    const QString half = now_text.section(QLatin1Char(' '), -1).toLower();
    // A value without the designator of this half of the day never comes true.
    if (clock_hours(now_text) >= clock_hours(w.value) && w.value.toLower().contains(half)) {
        w.line_char().stop_all(QStringLiteral("speak"));
        state.char_play(w.slot, QStringLiteral("alert"));
        // The stopped reminder's balloon closes before "It's time" is waited for.
        w.alerted = true;
        w.first = std::make_unique<TurnWait>();
        return Pass::go_on;
    }
    return w.cancel_seen() ? Pass::cancelled : Pass::go_on;
}

Pass minutes(WaitLine& w)
{
    RunState& state = w.state;
    if (!w.minutes_started) {
        w.minutes_started = true;
        w.minutes_total = script::leading_number(w.value) * 60.0;
        if (!std::isfinite(w.minutes_total)) throw ScriptError(QStringLiteral("That is too long to wait."));
        w.minutes_start = monotonic_seconds(state);
        w.minutes_left = w.minutes_total;
    }
    if (w.minutes_tail_due) {
        w.minutes_tail_due = false;
        return minutes_tail(w);
    }
    if (w.due()) {
        state.report_due = false;
        const QString text = wait_texts::minutes_reminder(w.minutes_left);
        if (text.isEmpty()) {
            w.minutes_left = -1.0;
            w.line_char().stop_all(QStringLiteral("speak"));
            state.char_say(w.slot, wait_texts::times_up());
            state.agent_idle = false;
            w.restart_reminders();
            w.minutes_tail_due = true;
            w.first = std::make_unique<IdleWait>(state);
            return Pass::go_on;
        }
        state.char_say(w.slot, text);
        w.restart_reminders();
    }
    return minutes_tail(w);
}

}  // namespace pw::engine::waits
