#include "engine/run_state.h"

#include "agent/api/agent_error.h"
#include "engine/outside_wait.h"
#include "engine/run_events.h"
#include "engine/script_runner.h"
#include "engine/step_chain.h"
#include "platform/core/program_folder.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pw::engine {

using pw::agent::AgentError;
using pw::agent::Character;
using pw::agent::Request;

namespace {

void flush_and_exit(int code)
{
    std::fflush(nullptr);
    // At once: no destructors of windows, no goodbyes of anything else.
    std::_Exit(code);
}

}  // namespace

RunState::RunState(pw::agent::AgentControl& agent)
    : exit_program(flush_and_exit), agent_(agent), random_(std::random_device{}()),
      events_(std::make_unique<RunEvents>(agent, *this))
{
    if (QCoreApplication::instance()) program_folder = pw::folders::program_folder();
}

RunState::~RunState() = default;

void RunState::set_start_defaults()
{
    options.interval_seconds = 5.0f;
    options.report_seconds = 5;
    tickle_step_x = 20;
    tickle_step_y = 20;
    char_count = 200;
}

void RunState::size_slots(int count)
{
    const qsizetype n = qMax(0, count) + 1;
    characters.resize(n);
}

void RunState::set_runner(std::unique_ptr<ScriptRunner> runner)
{
    // The run before may be the caller (a new run started as the last one ends).
    if (runner_) runner_.release()->deleteLater();
    runner_ = std::move(runner);
}

bool RunState::run_under_way() const { return runner_ && !runner_->over(); }

void RunState::wake_run()
{
    ++wakes;
    if (runner_) runner_->wake();
    // A wake only posts a look, so the list cannot change under the loop.
    for (OutsideWait* wait : outside_waits_) wait->wake();
}

void RunState::add_outside_wait(OutsideWait* wait) { outside_waits_.push_back(wait); }

void RunState::remove_outside_wait(OutsideWait* wait) { std::erase(outside_waits_, wait); }

void RunState::release_run()
{
    if (run_holds_ > 0 && --run_holds_ == 0) wake_run();
}

void RunState::sound_ended()
{
    stop_sound = true;
    wake_run();
}

int RunState::char_index(const QString& id) const
{
    const int n = qMin<int>(char_count, slot_count());
    for (int i = 0; i < n; ++i)
        if (characters[i].id.compare(id, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void RunState::ensure_loaded(const QString& id)
{
    if (char_index(id) == -1 && character_loader) character_loader(id);
}

int RunState::char_left(const QString& id) { return agent_.item(id)->left(); }
int RunState::char_top(const QString& id) { return agent_.item(id)->top(); }

int RunState::random_int(int n)
{
    // 53 random bits give a double in [0, 1) that can never round up to 1.
    const double r = double(random_() >> 11) * 0x1.0p-53;
    return int(std::floor(r * (double(n) + 1.0)));
}

Character& RunState::loaded_character(int slot) const
{
    if (slot < 0 || slot >= slot_count() || !characters[slot].agent)
        throw AgentError(pw::agent::error::character_invalid,
                         QStringLiteral("No character is loaded in slot %1.").arg(slot));
    return *characters[slot].agent;
}

void RunState::char_say(int slot, const QString& text)
{
    Character& c = loaded_character(slot);
    current_char = c.name();
    Request request;
    if (text.contains(QLatin1String(".wav"), Qt::CaseInsensitive))
        request = c.speak(QString(), user_folder + QStringLiteral("/wav/") + text);
    else
        request = c.speak(text);
    characters[slot].request = request;
    hold_others(characters[slot].request);
}

void RunState::char_play(int slot, const QString& animation)
{
    Character& c = loaded_character(slot);
    current_char = c.name();
    characters[slot].request = c.play(animation);
    hold_others(characters[slot].request);
}

void RunState::char_move_to(int slot, int16_t x, int16_t y, int32_t speed)
{
    Character& c = loaded_character(slot);
    current_char = c.name();
    characters[slot].request = c.move_to(x, y, speed);
    hold_others(characters[slot].request);
}

void RunState::hold_others(const Request& request)
{
    if (!options.sequential) return;
    const int self = char_index(current_char);
    const int n = qMin<int>(char_count, slot_count());
    for (int i = 0; i < n; ++i) {
        if (i == self || !characters[i].loaded || !characters[i].agent) continue;
        try {
            characters[i].agent->wait(request);
        } catch (const AgentError& e) {
            // A character whose Name differs from its id is not recognised as the
            // speaker above and would be asked to wait for itself: nothing to hold.
            if (e.number() != pw::agent::error::cant_wait_on_self) throw;
        }
    }
}

void RunState::quit_program(int code)
{
    if (quitting_)
        return;
    quitting_ = true;
    hold_run();
    auto* goodbyes = new StepChain(*this, &steps_owner_);
    const int n = qMin<int>(char_count, slot_count());
    for (int i = 0; i < n; ++i) {
        // Ending must not stop half-way: a character that fails here is skipped.
        auto forget = [this, i] {
            characters[i].agent = nullptr;
            characters[i].loaded = false;
        };
        auto said = std::make_shared<bool>(false);
        goodbyes->then([this, i, said, forget]() -> int32_t {
            try {
                if (i >= slot_count() || !characters[i].agent || !characters[i].agent->visible()) return 0;
                char_say(i, QStringLiteral("Goodbye!"));
                *said = true;
                return goodbye_pause_ms;
            } catch (const std::exception&) {
                forget();
                return 0;
            }
        });
        goodbyes->then([this, i, said, forget]() -> int32_t {
            if (!*said || i >= slot_count()) return 0;
            try {
                characters[i].agent = nullptr;
                agent_.unload(characters[i].id);
            } catch (const std::exception&) {
            }
            forget();
            return 0;
        });
    }
    goodbyes->then([this, code]() -> int32_t {
        end_program(code);
        // Only tests get here.
        release_run();
        return 0;
    });
    goodbyes->start();
}

void RunState::end_program(int code)
{
    if (exit_program) exit_program(code);
    else flush_and_exit(code);
}

}  // namespace pw::engine
