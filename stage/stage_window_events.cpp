// What a person does to the characters: clicks, double clicks (the answers to the
// spoken questions), the pop-up menu's Quit and Cancel Script, dragging. The events a
// run waits for are the engine's (engine/run_events.h).

#include "stage/stage_window.h"

#include "engine/script_text.h"
#include "engine/tickle_char.h"

#include <cmath>

namespace pw::stage {

namespace {

// Each step of a double click runs even when an earlier one failed.
template <typename F> void step(F f)
{
    try {
        f();
    } catch (const std::exception&) {
    }
}

}  // namespace

void StageWindow::agent_clicked(const QString& character_id, int, int shift, int, int)
{
    state_.current_char = character_id;
    // Shift alone: the main window's timer asks whether to quit.
    if (shift == 1) state_.char_clicked = true;
}

void StageWindow::agent_double_clicked(const QString& character_id, int, int, int, int)
{
    state_.current_char = character_id;
    const int slot = state_.char_index(character_id);
    auto stop_listening = [&] {
        step([&] { agent_.item(character_id)->listen(false); });
        state_.listening = false;
    };

    step([&] { pw::engine::tickle_char(state_, character_id, 1.0f); });
    // A run that asks whether it may start its programs gets its yes, and goes on.
    // Otherwise a first double click ends a wait and the script goes on; a second one
    // cancels.
    if (state_.questions.programs) {
        step([&] { state_.char_say(slot, QStringLiteral("OK, I trust this script!")); });
        state_.questions.yes.programs = true;
        state_.questions.programs = false;
    } else if (state_.waiting) {
        step([&] { state_.char_say(slot, QStringLiteral("OK, I'll stop waiting now.")); });
        state_.waiting = false;
        stop_listening();
    } else if (state_.script_running) {
        // The same as the Cancel button: everybody stops at once, a sound too.
        state_.cancel_requested = true;
        stop_listening();
        Q_EMIT cancel_script_wanted();
    }
    // The answers to the spoken questions.
    if (state_.questions.quit) state_.quit_program();
    if (state_.questions.overwrite) {
        step([&] { state_.char_say(slot, QStringLiteral("OK, I saved it!")); });
        state_.questions.yes.overwrite = true;
        state_.questions.overwrite = false;
    }
    if (state_.questions.discard_sound) {
        step([&] { state_.char_say(slot, QStringLiteral("OK, I'll throw it away!")); });
        state_.questions.yes.discard_sound = true;
        state_.questions.discard_sound = false;
    }
    if (state_.questions.clear) {
        step([&] { state_.char_say(slot, QStringLiteral("OK, I'll clear it!")); });
        state_.questions.yes.clear = true;
        state_.questions.clear = false;
    }
    state_.wake_run();
    Q_EMIT main_window_wanted();
}

void StageWindow::agent_command_heard(const pw::agent::UserInput& input)
{
    const QString name = input.name.toLower();
    auto stop_listening = [&] {
        step([&] { agent_.item(input.character_id)->listen(false); });
        state_.listening = false;
    };

    if (name == QLatin1String("quit")) {
        state_.quit_program();
    } else if (name == QLatin1String("cancel script")) {
        if (state_.listening) stop_listening();
        Q_EMIT cancel_script_wanted();
    }
}

void StageWindow::agent_request_complete(const pw::agent::Request& request)
{
    if (state_.intro_playing && request == state_.intro_request) state_.intro_playing = false;
}

void StageWindow::agent_moved(const QString& character_id, int, int, int)
{
    state_.current_char = character_id;
    step([&] {
        const pw::agent::Character& c = *agent_.item(character_id);
        Q_EMIT character_position_text(position_text(c.left(), c.top(), c.width(), c.height()));
    });
}

QString StageWindow::position_text(int left, int top, int width, int height)
{
    using pw::engine::script::str_number;
    return QStringLiteral(" Character X:") + str_number(left + width / 2.0) + QStringLiteral(", Y:")
           + str_number(top + std::floor(height * 0.25)) + QStringLiteral("   ");
}

}  // namespace pw::stage
