#include "engine/tickle_char.h"

#include "engine/rounding.h"
#include "engine/script_run.h"

#include <exception>
#include <stdexcept>

namespace pw::engine {

namespace {
constexpr int jiggles = 51;

// Runs one step; a failing step is skipped.
template <typename F> void step(F f)
{
    try {
        f();
    } catch (const std::exception&) {
    }
}
}  // namespace

void tickle_char(RunState& state, const QString& name, float factor)
{
    const int s = state.char_index(name);
    auto character = [&state, s]() -> pw::agent::Character& {
        if (s < 0 || s >= state.slot_count() || !state.characters[s].agent)
            throw std::runtime_error("no character to tickle");
        return *state.characters[s].agent;
    };

    step([&] { character().stop(); });
    step([&] { state.char_play(s, QStringLiteral("alert")); });
    double cx = 0.0;
    double cy = 0.0;
    step([&] {
        const pw::agent::Character& c = character();
        cx = c.left() + c.width() / 2.0;
        cy = c.top() + c.height() / 4.0;
    });
    for (int pass = 0; pass < jiggles; ++pass) {
        step([&] {
            pw::agent::Character& c = character();
            const double w = c.width();
            const int dx = state.random_int(checked_int32(w / state.tickle_step_x * factor));
            c.set_left(checked_int16(cx + dx - w / 2.0));
        });
        step([&] {
            pw::agent::Character& c = character();
            const double h = c.height();
            const int dy = state.random_int(checked_int32(h / state.tickle_step_y * factor));
            c.set_top(checked_int16(cy + dy - h / 4.0));
        });
    }
    step([&] { state.char_say(s, QStringLiteral("Hey, that tickled!")); });
    step([&] { state.char_play(s, QStringLiteral("pleased")); });
}

}  // namespace pw::engine
