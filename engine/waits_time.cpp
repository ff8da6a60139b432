// Waits until a time of day ("3:45 pm") or for some minutes ("2", "1.5").

#include "engine/clock_time.h"
#include "engine/script_error.h"
#include "engine/script_text.h"
#include "engine/wait_texts.h"
#include "engine/waits.h"

#include <algorithm>
#include <cmath>

namespace pw::engine::waits {

namespace {

constexpr int countdown_interval_ms = 900;

QTime time_of_day(const RunState& state)
{
    return state.time_of_day ? state.time_of_day() : QTime::currentTime();
}

double seconds_left(const WaitLine& w) { return w.minutes_total - (monotonic_seconds(w.state) - w.minutes_start); }

// The time left, as of now; -1 once "Time's up" has been said.
void count_minutes(WaitLine& w)
{
    if (w.minutes_left > -1.0) w.minutes_left = seconds_left(w);
}

// The end of a minute pass: the countdown, the cancel test, the time left.
Pass minutes_tail(WaitLine& w)
{
    // The last ten seconds are counted down a little faster than once a second.
    if (w.minutes_left < 10.0) w.host.set_report_timer(true, countdown_interval_ms);
    if (w.cancel_seen()) return Pass::cancelled;
    // The quiet wait ends about a second after the time is up.
    count_minutes(w);
    if (w.minutes_left <= -1.0) w.state.waiting = false;
    return Pass::go_on;
}

constexpr int look_soon_ms = 40;

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
    } else {
        // Passes come when something wakes the run, not at a steady beat: a reminder
        // says the time left now (the first one, the whole time).
        count_minutes(w);
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

int clock_time_next_look_ms(const WaitLine& w)
{
    // Each second, or at the next minute if sooner: the clock may also be set while
    // the wait goes on.
    const QTime now = time_of_day(w.state);
    return std::min(1000, 60000 - (now.second() * 1000 + now.msec()));
}

int minutes_next_look_ms(const WaitLine& w)
{
    if (w.minutes_left <= -1.0) return look_soon_ms;
    // Just inside the last ten seconds (the countdown), then a second after the end.
    const double left = seconds_left(w);
    const double ms = left >= 10.0 ? (left - 10.0) * 1000.0 + 1.0 : (left + 1.0) * 1000.0;
    return int(std::clamp(std::ceil(ms), 1.0, 24.0 * 3600 * 1000));
}

}  // namespace pw::engine::waits
