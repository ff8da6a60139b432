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

QTime time_of_day(const pellwick_mod& mod)
{
    return mod.time_of_day ? mod.time_of_day() : QTime::currentTime();
}

}  // namespace

Pass clock_time(WaitLine& w)
{
    pellwick_mod& mod = w.mod;
    if (w.due()) {
        w.remind(wait_texts::clock_reminder(w.value));
        mod.do_events();
        w.restart_reminders();
    }
    const DayHalves halves = day_halves();
    const QString now_text = clock_text(time_of_day(mod), halves);
    const QString half = now_text.section(QLatin1Char(' '), -1).toLower();
    // A value without the designator of this half of the day never comes true.
    if (clock_hours(now_text) >= clock_hours(w.value) && w.value.toLower().contains(half)) {
        w.line_char().stop_all(QStringLiteral("speak"));
        mod.waiting = false;
        mod.char_play(w.slot, QStringLiteral("alert"));
        mod.char_say(w.slot, wait_texts::its_time());
        mod.agent_idle = false;
        mod.wait_idle();
    }
    mod.do_events();
    return w.cancel_seen() ? Pass::cancelled : Pass::go_on;
}

Pass minutes(WaitLine& w)
{
    pellwick_mod& mod = w.mod;
    mod.waiting = true;
    const double total = script::leading_number(w.value) * 60.0;
    if (!std::isfinite(total)) throw ScriptError(QStringLiteral("That is too long to wait."));
    const double start = monotonic_seconds(mod);
    double remaining = total;

    while (remaining > -1.0 && mod.waiting) {
        if (w.due()) {
            mod.report_due = false;
            const QString text = wait_texts::minutes_reminder(remaining);
            if (text.isEmpty()) {
                remaining = -1.0;
                w.line_char().stop_all(QStringLiteral("speak"));
                mod.char_say(w.slot, wait_texts::times_up());
                mod.agent_idle = false;
                mod.wait_idle();
            } else {
                mod.char_say(w.slot, text);
            }
            w.restart_reminders();
        }
        // The last ten seconds are counted down a little faster than once a second.
        if (remaining < 10.0) w.host.set_report_timer(true, countdown_interval_ms);
        if (w.cancel_seen()) return Pass::cancelled;
        // The quiet wait ends about a second after the time is up.
        if (remaining > -1.0) remaining = total - (monotonic_seconds(mod) - start);
        mod.do_events();
    }
    mod.waiting = false;
    mod.do_events();
    return Pass::go_on;
}

}  // namespace pw::engine::waits
