#include "windows/window_waits.h"

#include "engine/run_wait.h"
#include "engine/spoken_questions.h"
#include "windows/event_pump.h"

#include <QElapsedTimer>

#include <exception>
#include <functional>

namespace pw::windows {

using pw::engine::RunState;
using pw::engine::RunStateAside;

namespace {

EventPump& pump()
{
    static EventPump p;
    return p;
}

// A question asked from a window holds the run meanwhile, as a wait of the window.
struct RunHold {
    explicit RunHold(RunState& m) : mod(m) { mod.hold_run(); }
    ~RunHold() { mod.release_run(); }
    RunHold(const RunHold&) = delete;
    RunHold& operator=(const RunHold&) = delete;
    RunState& mod;
};

// Waits while the last request of the slot that `asker` names is under way, then
// stops that character. The slot is looked up at every check.
void wait_for_answer(RunState& mod, const std::function<int()>& asker)
{
    int slot = asker();
    for (;;) {
        if (slot < 0 || slot >= mod.slot_count()) return;
        if (!pw::engine::question_open(mod, slot)) break;
        do_events();
        slot = asker();
    }
    if (mod.characters[slot].agent) mod.characters[slot].agent->stop_all();
}

bool settle(RunState& mod, bool& question_flag, const RunStateAside& aside)
{
    if (mod.questions.answered_yes) return true;
    question_flag = false;
    aside.put_back(mod);
    return false;
}

// A question asked by the current character; `flag` is what the double click answers.
// A double click makes the clicked character current; its answer is then the request
// that keeps the question open.
bool ask_current(RunState& mod, bool& flag, const QString& question)
{
    const RunHold hold(mod);
    const RunStateAside aside(mod);
    flag = true;
    mod.questions.answered_yes = false;
    try {
        auto current = [&mod] { return mod.char_index(mod.current_char); };
        pw::engine::ask_question(mod, current(), question);
        wait_for_answer(mod, current);
    } catch (const std::exception&) {
    }
    return settle(mod, flag, aside);
}

}  // namespace

void do_events() { pump().do_events(); }
void let_events_run() { pump().let_events_run(); }

void pause_ms(RunState& mod, int32_t ms)
{
    // Sleeps until the deadline or the next event instead of waking every few ms.
    pw::engine::PauseWait pause(mod, ms, false);
    while (!pause.look().over) pump().sleep_until_event(pause.look_again_ms());
}

void wait_idle(RunState& mod)
{
    pw::engine::IdleWait idle(mod);
    while (!idle.look().over) pump().do_events(qMin(idle.look_again_ms(), EventPump::keep_alive_ms));
}

void confirm_quit(RunState& mod) { confirm_quit(mod, pw::engine::quit_question()); }

void confirm_quit(RunState& mod, const QString& question)
{
    const RunHold hold(mod);
    const RunStateAside aside(mod);
    mod.questions.quit = true;
    mod.current_char = QStringLiteral("pellwick");
    mod.options.sequential = true;
    try {
        pw::engine::ask_question(mod, mod.char_index(QStringLiteral("pellwick")), question);
        mod.agent_idle = false;
        wait_idle(mod);
    } catch (const std::exception&) {
        // Without Pellwick nobody asks, and nothing quits.
    }
    // A yes has started the goodbyes by now.
    mod.questions.quit = false;
    aside.put_back(mod);
}

bool confirm_clear(RunState& mod)
{
    const RunHold hold(mod);
    const RunStateAside aside(mod);
    mod.questions.clear = true;
    mod.questions.answered_yes = false;
    try {
        auto pellwick = [&mod] { return mod.char_index(QStringLiteral("pellwick")); };
        pw::engine::ask_question(mod, pellwick(), pw::engine::clear_question());
        wait_for_answer(mod, pellwick);
    } catch (const std::exception&) {
        // Nobody could ask: the answer is no.
    }
    return settle(mod, mod.questions.clear, aside);
}

bool confirm_overwrite(RunState& mod)
{
    return ask_current(mod, mod.questions.overwrite, pw::engine::overwrite_question());
}

bool confirm_discard_sound(RunState& mod)
{
    return ask_current(mod, mod.questions.discard_sound, pw::engine::discard_sound_question());
}

}  // namespace pw::windows
