// Waiting for something to happen before the script goes on: a key, a spoken word, a
// bump, a time. The run holds the wait and makes a pass at every look.

#include "engine/clock_time.h"
#include "engine/script_error.h"
#include "engine/script_text.h"
#include "engine/statement_handlers.h"
#include "engine/waits.h"

#include <QElapsedTimer>

#include <limits>
#include <optional>

namespace pw::engine {

WaitLine::WaitLine(ScriptRun& r, QString k, QString v, bool q)
    : run(r), state(r.state), host(r.host), kind(std::move(k)), value(std::move(v)), quiet(q)
{
}

int WaitLine::report_interval_ms() const
{
    const qint64 ms = qint64(state.options.report_seconds) * 1000;
    // A negative period never ticks; a huge one is as good as never.
    return int(qBound(qint64(0), ms, qint64(std::numeric_limits<int>::max())));
}

void WaitLine::restart_reminders() { host.set_report_timer(true, report_interval_ms()); }

void WaitLine::remind(const QString& text)
{
    state.report_due = false;
    state.char_say(slot, text);
    restart_reminders();
}

bool WaitLine::cancel_seen()
{
    if (!state.cancel_requested) return false;
    state.cancel_requested = false;
    return true;
}

double monotonic_seconds(RunState& state)
{
    if (state.hires_frequency != 0.0 && state.hires_timer) return state.hires_timer->get_time() / 1000.0;
    static QElapsedTimer since_start = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return double(since_start.nsecsElapsed()) / 1e9;
}

namespace {

using PassFunction = Pass (*)(WaitLine&);

// The pass of the wait's kind. A wait that could never end (a kind we do not know, a
// clock time in neither half of the day) is a fault of the line, told before it starts.
PassFunction pass_for(const WaitLine& w)
{
    if (w.kind == QLatin1String("collide"))
        return w.value == QLatin1String("anybody") ? waits::collide_with_anybody : waits::collide_with;
    if (w.kind == QLatin1String("getoff")) return waits::get_off;
    if (w.kind == QLatin1String("key")) return waits::key;
    if (w.kind == QLatin1String("listen")) return waits::listen;
    if (w.kind == QLatin1String("time")) {
        if (!w.value.contains(QLatin1Char('m'))) return waits::minutes;
        if (!names_half_of_day(w.value, day_halves()))
            throw ScriptError(QStringLiteral("A clock time needs am or pm."));
        return waits::clock_time;
    }
    throw ScriptError(QStringLiteral("A wait is for a key, listen, collide, getoff or time."));
}

WaitKind kind_of(PassFunction pass)
{
    if (pass == waits::key) return WaitKind::key;
    if (pass == waits::listen) return WaitKind::word;
    if (pass == waits::collide_with_anybody || pass == waits::collide_with) return WaitKind::bump;
    if (pass == waits::get_off) return WaitKind::get_off;
    if (pass == waits::clock_time) return WaitKind::clock;
    return WaitKind::pause;  // some minutes
}

// The waitfor line's wait: a pass of its kind at every look. A key, a heard word, a
// reminder, a listening period's end and a cancel each wake the run; a clock time or a
// count of minutes looks again when it can next have changed. A bump or a getting off
// looks every keep_alive_ms while characters may be moving: while a request runs, for
// settle_s after the run was last woken (a character that glides or is dragged wakes it
// five times a second), and until each character has been a candidate since then.
class WaitforWait : public RunWait {
public:
    WaitforWait(std::unique_ptr<WaitLine> line, PassFunction pass) : w_(std::move(line)), pass_(pass)
    {
        kind = kind_of(pass);
        watches_moves_ = kind == WaitKind::bump || kind == WaitKind::get_off;
        w_->state.watching_moves = watches_moves_;
        wakes_seen_ = w_->state.wakes - 1;
    }
    ~WaitforWait() override
    {
        if (watches_moves_) w_->state.watching_moves = false;
    }

    static constexpr int keep_alive_ms = 40;
    static constexpr double settle_s = 0.25;

    WaitState look() override
    {
        if (pending_) {
            // The pass that left a wait first goes on where it stopped.
            const Pass p = *pending_;
            pending_.reset();
            if (p != Pass::go_on || !w_->state.waiting) return ended(p);
        }
        if (!w_->state.waiting) return finished();
        const Pass p = pass_(*w_);
        if (watches_moves_) note_changes();
        if (w_->first) {
            pending_ = p;
            return WaitState::after(std::move(w_->first));
        }
        return ended(p);
    }
    int look_again_ms() const override
    {
        switch (kind) {
        case WaitKind::key:
        case WaitKind::word: return -1;
        case WaitKind::clock: return waits::clock_time_next_look_ms(*w_);
        case WaitKind::pause: return waits::minutes_next_look_ms(*w_);
        default: return moves_possible_ ? keep_alive_ms : -1;
        }
    }

private:
    void note_changes()
    {
        RunState& state = w_->state;
        const double now = monotonic_seconds(state);
        if (state.wakes != wakes_seen_) {
            wakes_seen_ = state.wakes;
            woken_at_ = now;
            quiet_passes_ = 0;
        } else {
            ++quiet_passes_;
        }
        moves_possible_ = state.request_busy || now - woken_at_ < settle_s || quiet_passes_ < state.char_count;
    }

    WaitState ended(Pass p)
    {
        switch (p) {
        case Pass::go_on: return w_->state.waiting ? WaitState::waiting() : finished();
        case Pass::done: w_->state.waiting = false; return WaitState::done(Flow::next_line_at_once);
        case Pass::cancelled: return WaitState::done(Flow::end_run);
        }
        return finished();
    }
    WaitState finished()
    {
        w_->state.line_done = true;
        w_->state.waiting = false;
        return WaitState::done(Flow::next_line);
    }

    std::unique_ptr<WaitLine> w_;
    PassFunction pass_;
    std::optional<Pass> pending_;
    bool watches_moves_ = false;
    bool moves_possible_ = true;
    quint64 wakes_seen_ = 0;
    double woken_at_ = 0.0;
    int quiet_passes_ = 0;
};

}  // namespace

namespace statements {

Flow waitfor(ScriptRun& run)
{
    const auto condition = script::wait_condition(run.arguments);
    if (!condition) throw ScriptError(QStringLiteral("The wait has no \"=\"."));
    run.last_condition_name = condition->name;
    RunState& state = run.state;
    auto w = std::make_unique<WaitLine>(run, condition->name, condition->value, condition->quiet);
    const PassFunction pass = pass_for(*w);

    state.waiting = true;
    w->restart_reminders();
    state.report_due = true;  // the first reminder comes at once
    state.key_pressed = false;
    if (w->kind == QLatin1String("key")) {
        state.last_key = w->value;
        run.host.install_key_hook();
    }
    state.word_heard = false;
    state.heard_word.clear();
    w->slot = run.line_slot();
    w->line_char().activate();
    run.wait = std::make_unique<WaitforWait>(std::move(w), pass);
    return Flow::next_line;
}

Flow timeout(ScriptRun&)
{
    // Accepted for old scripts; no wait uses it.
    return Flow::next_line;
}

}  // namespace statements
}  // namespace pw::engine
