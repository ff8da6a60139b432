#include "stage/composer.h"

#include "engine/script_run.h"
#include "engine/script_text.h"
#include "engine/tickle_char.h"
#include "windows/window_waits.h"

#include <exception>
#include <stdexcept>

namespace pw::stage {

using pw::engine::RunState;
using pw::engine::script::str_number;
using pw::engine::script::trim_blanks;

namespace {

// A demonstration goes on past a failing step.
template <typename F> void step(F f)
{
    try {
        f();
    } catch (const std::exception&) {
    }
}

pw::agent::Character& character_in(RunState& state, int slot)
{
    if (slot < 0 || slot >= state.slot_count() || !state.characters[slot].agent) throw std::runtime_error("nobody to show it");
    return *state.characters[slot].agent;
}

// The sizes that the character-size demonstration starts from are slot 0's.
const pw::engine::RunCharacter& slot0(const RunState& state)
{
    if (state.characters.isEmpty()) throw std::runtime_error("no slot 0");
    return state.characters[0];
}

// The second half of the character-size demonstration: back to the current size.
void tell_current_size(RunState& state, int slot)
{
    auto c = [&state, slot]() -> pw::agent::Character& { return character_in(state, slot); };
    step([&] { c().set_width(slot0(state).size.width()); });
    step([&] { c().set_height(slot0(state).size.height()); });
    step([&] {
        state.char_say(slot, c().name() + QStringLiteral(" current width:") + str_number(c().width())
                               + QStringLiteral(" current height:") + str_number(c().height()));
    });
}

// The interval is a single: seven significant digits, as it was typed.
QString single_text(float value)
{
    return str_number(QString::number(value, 'g', 7).toDouble());
}

}  // namespace

QString programmed_text(const QString& text, const QString& entry)
{
    if (text.isEmpty()) return entry;
    return trim_blanks(text + QStringLiteral("\r\n")) + entry;
}

void observe(RunState& state, pw::engine::RunHost& editor, const QString& character, const QString& command)
{
    const int slot = state.char_index(character);
    auto c = [&state, slot]() -> pw::agent::Character& { return character_in(state, slot); };
    auto say = [&](const QString& text) { step([&] { state.char_say(slot, text); }); };
    auto play = [&](const QString& animation) { step([&] { state.char_play(slot, animation); }); };

    state.current_char = character;
    step([&] {
        if (c().visible()) return;
        const pw::agent::Request shown = c().show();
        state.characters[slot].request = shown;
    });

    if (command.startsWith(QLatin1String("MoveTo random"))) {
        int x = 0;
        int y = 0;
        step([&] { x = state.random_int(state.screen_width_px - c().width()); });
        step([&] { y = state.random_int(state.screen_height_px - c().height()); });
        editor.set_convert_labels(QString::number(x), QString::number(y));
        say(QStringLiteral("moveto ") + QStringLiteral(" random: X ") + QString::number(x) + QStringLiteral(", Y ")
            + QString::number(y));
        step([&] { state.char_move_to(slot, pw::engine::checked_int16(x), pw::engine::checked_int16(y), 0); });
        play(QStringLiteral("pleased"));
        say(QStringLiteral("Here I am!"));
    } else if (command == QLatin1String("MoveTo X,Y")) {
        say(QStringLiteral("moveto X,Y"));
    } else if (command == QLatin1String("CharSize (W, H)")) {
        // It grows from nothing to its default size, tells the default size, and once
        // it has said so goes back to its current size and tells that.
        int grow_to = 0;
        step([&] { grow_to = slot0(state).default_size.height(); });
        for (int k = 1; k <= grow_to; ++k) {
            step([&] { c().set_height(k); });
            step([&] { c().set_width(k); });
        }
        step([&] { c().set_width(slot0(state).default_size.width()); });
        step([&] { c().set_height(slot0(state).default_size.height()); });
        step([&] {
            say(c().name() + QStringLiteral(" default width:") + str_number(c().width())
                + QStringLiteral(" default height:") + str_number(c().height()));
        });
        state.agent_idle = false;
        pw::windows::when_idle(state, nullptr, [&state, slot] { tell_current_size(state, slot); });
    } else if (command == QLatin1String("CharPos (X, Y)")) {
        step([&] {
            const pw::agent::Character& ch = c();
            say(ch.name() + QStringLiteral(" current X:") + str_number(ch.left() + ch.width() / 2.0)
                + QStringLiteral(" current Y:") + str_number(ch.top() + ch.height() / 4.0));
        });
    } else if (command == QLatin1String("Tickle (size)")) {
        pw::engine::tickle_char(state, character, 1.0f);
    } else if (command.compare(QLatin1String("speak (words)"), Qt::CaseInsensitive) == 0) {
        say(command);
    } else if (command.compare(QLatin1String("interval (seconds)"), Qt::CaseInsensitive) == 0) {
        say(QStringLiteral("Current program line interval ") + single_text(state.options.interval_seconds)
            + QStringLiteral(" seconds."));
    } else {
        // An animation, or a command with nothing of its own to show: the character
        // tries to play it (quietly failing when it has no such animation) and says it.
        play(command);
        say(command);
    }
}

void compose(RunState& state, pw::engine::RunHost& editor, bool show_me, const QString& entry)
{
    const QString line = trim_blanks(entry);
    if (!show_me) {
        editor.set_editor_text(programmed_text(editor.editor_text(), line));
        return;
    }
    const qsizetype gt = line.indexOf(QLatin1Char('>'));
    if (gt < 0) observe(state, editor, QStringLiteral("pellwick"), line);
    else observe(state, editor, line.left(gt), trim_blanks(line.mid(gt + 1)));
}

}  // namespace pw::stage
