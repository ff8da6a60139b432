#include "engine/script_runner.h"

#include "engine/run_control.h"
#include "engine/run_steps.h"
#include "engine/script_error.h"
#include "engine/script_text.h"
#include "engine/statement_handlers.h"
#include "platform/core/trace.h"

namespace pw::engine {

namespace {

bool is_blank_line(const QString& line)
{
    return line.isEmpty() || line == QLatin1String(" ");
}

// Marks the running line's statement in the editor.
void highlight(ScriptRun& run, const script::ScriptLine& line)
{
    RunHost& host = run.host;
    host.mark_line(run.i, line.statement_column, int(line.written_statement.size()));
    if (!host.hide_forms_checked() && line.written_statement != QLatin1String(" ")) host.focus_editor();
}

}  // namespace

// ---- Starting a run, and Step ----

bool start_run(RunState& state, RunHost& host, const QString& text)
{
    if (state.run_under_way()) return false;
    state.set_runner(std::make_unique<ScriptRunner>(state, host));
    state.runner()->start(text);
    return true;
}

void step_run(RunState& state)
{
    // Only a run waiting for Step takes it: a double click runs one line, not two.
    const ScriptRunner* runner = state.runner();
    const RunWait* wait = runner ? runner->current_wait() : nullptr;
    if (!wait || wait->kind != WaitKind::step) return;
    state.step_pressed = true;
    state.wake_run();
}

// ---- The runner ----

ScriptRunner::ScriptRunner(RunState& state, RunHost& host) : run_(state, host)
{
    look_timer_.setSingleShot(true);
    look_timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look_timer_, &QTimer::timeout, this, [this] { on_look(); });
}

ScriptRunner::~ScriptRunner() = default;

void ScriptRunner::start(const QString& text)
{
    pw::trace::run_start();
    // Prepared from the event loop: the windows get their turn first (the characters'
    // start-up requests finish, so a shown character counts as shown), and a cancel or
    // a question under way is over before the run begins.
    text_ = text;
    phase_ = Phase::preparing;
    run_.state.step_pressed = false;
    wake();
}

void ScriptRunner::wake()
{
    // Posted behind the events already pending (a character going idle right after its
    // request ended), so the run looks once they have all been handled.
    if (phase_ == Phase::over || look_posted_) return;
    look_posted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            look_posted_ = false;
            on_look();
        },
        Qt::QueuedConnection);
}

template <class Action>
void ScriptRunner::guarded(Action&& action)
{
    try {
        action();
    } catch (const WholeScriptError& e) {
        fail(e.why(), true);
    } catch (const ScriptError& e) {
        fail(e.why(), false);
    } catch (const std::exception&) {
        fail(QString(), false);
    }
}

void ScriptRunner::on_look()
{
    // A cancel, the goodbyes or a question asked from a window hold the run; the last
    // of them to end wakes it.
    if (phase_ == Phase::over || run_.state.run_held()) return;
    guarded([this] { look(); });
    step();
}


void ScriptRunner::step()
{
    turn_.start();
    while (waits_.empty() && phase_ != Phase::over && phase_ != Phase::failed) {
        if (run_.state.run_held()) return;
        // Even a loop at interval 0 gives the windows a turn now and then.
        if (phase_ == Phase::line_top && turn_.nsecsElapsed() >= turn_ns) {
            wake();
            return;
        }
        guarded([this] { step_phase(); });
    }
    time_next_look();
    tell_waiting();
}

void ScriptRunner::step_phase()
{
    switch (phase_) {
    case Phase::preparing:
        phase_ = Phase::line_top;
        prepare_run(run_, text_);
        break;
    case Phase::line_top: step_line_top(); break;
    case Phase::line_gate: step_line_gate(); break;
    case Phase::line_begin: step_line_begin(); break;
    case Phase::statement: step_statement(); break;
    case Phase::line_end: step_line_end(); break;
    case Phase::ending: step_ending(); break;
    case Phase::ending_shown: step_ending_shown(); break;
    case Phase::farewell:
        pw::trace::run_end();
        finish();
        run_.state.end_program(0);
        break;
    case Phase::failed:
    case Phase::over: break;
    }
}

void ScriptRunner::look()
{
    std::optional<Flow> flow;
    try {
        flow = waits_.look();
    } catch (const pw::agent::AgentError& e) {
        // As for a statement: a command that exists already is skipped.
        if (e.number() != pw::agent::error::command_already_in_use) throw;
        waits_.clear();
        flow = Flow::next_line;
    }
    if (!flow) return;
    const auto then = std::move(after_wait_);
    after_wait_ = nullptr;
    if (then) then(*flow);
}

void ScriptRunner::wait_for(std::unique_ptr<RunWait> wait, std::function<void(Flow)> then)
{
    waits_.push(std::move(wait));
    after_wait_ = std::move(then);
    look();
}

void ScriptRunner::time_next_look()
{
    if (waits_.empty() || phase_ == Phase::over) return;
    const int ms = waits_.innermost()->look_again_ms();
    if (ms == 0) wake();
    else if (ms > 0) look_timer_.start(ms);
    else look_timer_.stop();
}

void ScriptRunner::tell_waiting()
{
    const WaitKind kind = waits_.empty() || phase_ == Phase::over ? WaitKind::none : waits_.outermost()->kind;
    const QString sentence = kind == WaitKind::none ? QString() : waiting_sentence(kind, waiting_one());
    if (sentence == told_) return;
    told_ = sentence;
    run_.host.show_waiting(sentence);
}

QString ScriptRunner::waiting_one() const
{
    // The line's character; the lines without a prefix are Pellwick's.
    try {
        const int slot =
            run_.line_character.isEmpty() ? run_.slot_of(QStringLiteral("pellwick")) : run_.line_slot();
        return run_.slot_char(slot).name();
    } catch (const std::exception&) {
        return QStringLiteral("Pellwick");
    }
}

void ScriptRunner::step_line_top()
{
    RunState& state = run_.state;
    if (run_.i > run_.lines.size() - 1) {
        phase_ = Phase::ending;
        return;
    }
    run_.fault_line = run_.i;
    if (is_blank_line(run_.lines[run_.i].text)) state.line_done = true;
    phase_ = Phase::line_begin;
    // Sequential mode: the previous line's action has to finish first (or a cancel
    // ends the run).
    if (state.options.sequential && !state.line_done && !state.cancel_requested) {
        auto wait = std::make_unique<ConditionWait>([&state] { return state.line_done || state.cancel_requested; },
                                                    Flow::next_line);
        wait->kind = WaitKind::action;
        wait_for(std::move(wait), [](Flow) {});
    }
}

void ScriptRunner::step_line_begin()
{
    RunState& state = run_.state;
    const script::ScriptLine& line = run_.lines[run_.i];
    state.line_done = false;
    if (is_blank_line(line.text) || line.label_line) state.line_done = true;

    run_.statement = line.written_statement;
    resumable([&] {
        if (!line.has_prefix) return;
        run_.line_character = line.prefix;
        state.current_char = line.prefix;
        state.ensure_loaded(line.prefix);
    });
    resumable([&] {
        // charpos places a character without showing it.
        if (run_.line_character.isEmpty() || line.keyword == script::Keyword::charpos) return;
        const int slot = run_.line_slot();
        pw::agent::Character& c = run_.slot_char(slot);
        if (!c.visible()) state.characters[slot].request = c.show();
    });
    resumable([&] { highlight(run_, line); });
    if (state.cancel_requested) {
        state.cancel_requested = false;
        phase_ = Phase::ending;
        return;
    }

    run_.statement = line.statement;
    run_.keyword = line.keyword_word;
    run_.arguments = line.arguments;
    run_.written_arguments = line.written_arguments;
    keyword_ = line.keyword;
    if (keyword_ == script::Keyword::sound) state.line_done = true;
    phase_ = Phase::line_gate;
}

void ScriptRunner::step_line_gate()
{
    RunState& state = run_.state;
    phase_ = Phase::statement;
    const script::ScriptLine& line = run_.lines[run_.i];
    // A blank line or a label does nothing to see: no pause and no Step for it.
    if (is_blank_line(line.text) || line.label_line) return;
    const bool first = !a_line_began_;
    a_line_began_ = true;
    // Play (or Step) started the run: the first line goes at once.
    if (first || state.options.speed == RunSpeed::full) return;
    std::unique_ptr<RunWait> wait;
    if (state.options.speed == RunSpeed::slow) {
        wait = std::make_unique<PauseWait>(state, slow_pause_ms, true);
    } else {
        wait = std::make_unique<ConditionWait>(
            [&state] { return state.step_pressed || state.cancel_requested || state.options.speed != RunSpeed::step; },
            Flow::next_line, [&state] { state.step_pressed = false; });
        wait->kind = WaitKind::step;
    }
    // A cancel meanwhile ends the run before the marked line does anything.
    wait_for(std::move(wait), [this](Flow) {
        if (!run_.state.cancel_requested) return;
        run_.state.cancel_requested = false;
        phase_ = Phase::ending;
    });
}

void ScriptRunner::step_statement()
{
    Flow flow = Flow::next_line;
    run_.wait.reset();
    resumable([&] { flow = handler_for(keyword_)(run_); });
    if (run_.wait) {
        wait_for(std::move(run_.wait), [this](Flow f) { statement_done(f); });
        return;
    }
    statement_done(flow);
}

void ScriptRunner::statement_done(Flow flow)
{
    if ((flow == Flow::next_line || flow == Flow::next_line_at_once) && ends_its_own_line(keyword_))
        run_.state.line_done = true;
    switch (flow) {
    case Flow::again: phase_ = Phase::statement; return;
    case Flow::end_run: phase_ = Phase::ending; return;
    case Flow::next_line_at_once: phase_ = Phase::line_end; return;
    case Flow::next_line: break;
    }
    phase_ = Phase::line_end;
    if (const int32_t ms = run_.interval_ms(); ms > 0) {
        auto wait = std::make_unique<PauseWait>(run_.state, ms, true);
        wait->kind = WaitKind::pause;
        wait_for(std::move(wait), [](Flow) {});
    }
}

void ScriptRunner::step_line_end()
{
    // The end of the branch taken: on to the endif line, inside a do block too.
    if (run_.branch_taken && run_.i == run_.branch_end && !run_.branch_lines.isEmpty()) {
        run_.i = run_.branch_lines.last();
        run_.branch_taken = false;
        run_.state.line_done = true;
    }
    ++run_.i;
    phase_ = Phase::line_top;
}

}  // namespace pw::engine
