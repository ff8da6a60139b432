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

pw::agent::Character& character_in(RunState& mod, int slot)
{
    if (slot < 0 || slot >= mod.slot_count() || !mod.characters[slot].agent) throw std::runtime_error("nobody to show it");
    return *mod.characters[slot].agent;
}

// The sizes that the character-size demonstration starts from are slot 0's.
const pw::engine::RunCharacter& slot0(const RunState& mod)
{
    if (mod.characters.isEmpty()) throw std::runtime_error("no slot 0");
    return mod.characters[0];
}

// The second half of the character-size demonstration: back to the current size.
void tell_current_size(RunState& mod, int slot)
{
    auto c = [&mod, slot]() -> pw::agent::Character& { return character_in(mod, slot); };
    step([&] { c().set_width(slot0(mod).size.width()); });
    step([&] { c().set_height(slot0(mod).size.height()); });
    step([&] {
        mod.char_say(slot, c().name() + QStringLiteral(" current width:") + str_number(c().width())
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

void observe(RunState& mod, pw::engine::RunHost& editor, const QString& character, const QString& command)
{
    const int slot = mod.char_index(character);
    auto c = [&mod, slot]() -> pw::agent::Character& { return character_in(mod, slot); };
    auto say = [&](const QString& text) { step([&] { mod.char_say(slot, text); }); };
    auto play = [&](const QString& animation) { step([&] { mod.char_play(slot, animation); }); };

    mod.current_char = character;
    step([&] {
        if (c().visible()) return;
        const pw::agent::Request shown = c().show();
        mod.characters[slot].request = shown;
    });

    if (command.startsWith(QLatin1String("MoveTo random"))) {
        int x = 0;
        int y = 0;
        step([&] { x = mod.random_int(mod.screen_width_px - c().width()); });
        step([&] { y = mod.random_int(mod.screen_height_px - c().height()); });
        editor.set_convert_labels(QString::number(x), QString::number(y));
        say(QStringLiteral("moveto ") + QStringLiteral(" random: X ") + QString::number(x) + QStringLiteral(", Y ")
            + QString::number(y));
        step([&] { mod.char_move_to(slot, pw::engine::checked_int16(x), pw::engine::checked_int16(y), 0); });
        play(QStringLiteral("pleased"));
        say(QStringLiteral("Here I am!"));
    } else if (command == QLatin1String("MoveTo X,Y")) {
        say(QStringLiteral("moveto X,Y"));
    } else if (command == QLatin1String("CharSize (W, H)")) {
        // It grows from nothing to its default size, tells the default size, and once
        // it has said so goes back to its current size and tells that.
        int grow_to = 0;
        step([&] { grow_to = slot0(mod).default_size.height(); });
        for (int k = 1; k <= grow_to; ++k) {
            step([&] { c().set_height(k); });
            step([&] { c().set_width(k); });
        }
        step([&] { c().set_width(slot0(mod).default_size.width()); });
        step([&] { c().set_height(slot0(mod).default_size.height()); });
        step([&] {
            say(c().name() + QStringLiteral(" default width:") + str_number(c().width())
                + QStringLiteral(" default height:") + str_number(c().height()));
        });
        mod.agent_idle = false;
        pw::windows::when_idle(mod, nullptr, [&mod, slot] { tell_current_size(mod, slot); });
    } else if (command == QLatin1String("CharPos (X, Y)")) {
        step([&] {
            const pw::agent::Character& ch = c();
            say(ch.name() + QStringLiteral(" current X:") + str_number(ch.left() + ch.width() / 2.0)
                + QStringLiteral(" current Y:") + str_number(ch.top() + ch.height() / 4.0));
        });
    } else if (command == QLatin1String("Tickle (size)")) {
        pw::engine::tickle_char(mod, character, 1.0f);
    } else if (command.compare(QLatin1String("speak (words)"), Qt::CaseInsensitive) == 0) {
        say(command);
    } else if (command.compare(QLatin1String("interval (seconds)"), Qt::CaseInsensitive) == 0) {
        say(QStringLiteral("Current program line interval ") + single_text(mod.options.interval_seconds)
            + QStringLiteral(" seconds."));
    } else {
        // An animation, or a command with nothing of its own to show: the character
        // tries to play it (quietly failing when it has no such animation) and says it.
        play(command);
        say(command);
    }
}

void compose(RunState& mod, pw::engine::RunHost& editor, bool show_me, const QString& entry)
{
    const QString line = trim_blanks(entry);
    if (!show_me) {
        editor.set_editor_text(programmed_text(editor.editor_text(), line));
        return;
    }
    const qsizetype gt = line.indexOf(QLatin1Char('>'));
    if (gt < 0) observe(mod, editor, QStringLiteral("pellwick"), line);
    else observe(mod, editor, line.left(gt), trim_blanks(line.mid(gt + 1)));
}

}  // namespace pw::stage
