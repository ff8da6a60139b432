// Walking, jumping to a place, telling the place, and changing size.

#include "engine/script_error.h"
#include "engine/script_text.h"
#include "engine/statement_handlers.h"

#include <array>

namespace pw::engine::statements {

using pw::agent::Character;
using script::leading_number;

namespace {

struct SpeedWord {
    const char* word;
    int32_t ms;
};
// Looked for in this order, so "fastest" is not taken for "fast".
constexpr std::array<SpeedWord, 7> speed_words{{
    {"fastest", 30}, {"faster", 200}, {"fast", 500}, {"slowest", 5000},
    {"slower", 3000}, {"slow", 2000}, {"medium", 1000},
}};
constexpr int32_t default_speed = 1000;

// Takes the first speed word found out of the argument; the walk's duration in ms.
int32_t take_speed_word(QString& argument)
{
    for (const SpeedWord& s : speed_words) {
        const QString word = QLatin1String(s.word);
        if (!argument.contains(word)) continue;
        argument = script::trim_blanks(argument.remove(word));
        return s.ms;
    }
    return default_speed;
}

// A character id starts with a character above "9"; anything else is a place.
bool names_a_character(const QString& argument)
{
    if (argument.isEmpty()) throw ScriptError(QStringLiteral("A place or a character is missing."));
    return argument[0].unicode() > u'9';
}

qsizetype comma_of(const QString& argument)
{
    const qsizetype c = argument.indexOf(QLatin1Char(','));
    if (c < 0) throw ScriptError(QStringLiteral("Two numbers with a comma are needed."));
    return c;
}

int16_t strict_part(const QString& text)
{
    const auto v = script::strict_int16(text);
    if (!v) throw ScriptError(QStringLiteral("\"%1\" is not a number.").arg(text));
    return *v;
}

void show_random_place(ScriptRun& run, int x, int y)
{
    run.host.set_convert_labels(QString::number(x), QString::number(y));
}

}  // namespace

Flow moveto(ScriptRun& run)
{
    RunState& state = run.state;
    const int slot = run.line_slot();
    QString argument = run.arguments;
    const int32_t speed = take_speed_word(argument);

    if (argument == QLatin1String("random")) {
        Character& c = run.slot_char(slot);
        const int x = state.random_int(state.screen_width_px - c.width());
        const int y = state.random_int(state.screen_height_px - c.height());
        state.char_move_to(slot, checked_int16(x), checked_int16(y), speed);
        show_random_place(run, x, y);
        state.agent_idle = false;
    } else if (names_a_character(argument)) {
        // Onto the other character's top-left corner.
        state.char_move_to(slot, checked_int16(state.char_left(argument)),
                         checked_int16(state.char_top(argument)), speed);
    } else {
        // Lenient: a part without a leading number counts 0.
        const qsizetype comma = comma_of(argument);
        const int16_t x = checked_int16(leading_number(argument.left(comma)));
        const int16_t y = checked_int16(leading_number(argument.mid(comma + 1)));
        state.char_move_to(slot, x, y, speed);
    }
    return Flow::next_line;
}

Flow stopmoving(ScriptRun& run)
{
    run.line_char().stop_all(QStringLiteral("Move"));
    return Flow::next_line;
}

Flow charpos(ScriptRun& run)
{
    RunState& state = run.state;
    const int slot = run.line_slot();
    const QString& argument = run.arguments;

    if (argument == QLatin1String("x,y")) {
        const Character& c = run.slot_char(slot);
        // The reference point, unrounded: a half pixel is told as .5.
        const double x = c.left() + c.width() / 2.0;
        const double y = c.top() + c.height() / 4.0;
        state.char_say(slot, QStringLiteral("I am at X:") + script::str_number(x)
                               + QStringLiteral(" and Y: ") + script::str_number(y));
    } else if (argument == QLatin1String("random")) {
        Character& c = run.slot_char(slot);
        const int x = state.random_int(state.screen_width_px - c.width());
        const int y = state.random_int(state.screen_height_px - c.height());
        c.set_left(checked_int16(x));
        c.set_top(checked_int16(y));
        show_random_place(run, x, y);
    } else if (names_a_character(argument)) {
        const int16_t x = checked_int16(state.char_left(argument));
        const int16_t y = checked_int16(state.char_top(argument));
        Character& c = run.slot_char(slot);
        c.set_left(x);
        c.set_top(y);
    } else {
        // Strict: both parts must be numbers.
        const qsizetype comma = comma_of(argument);
        const int16_t x = strict_part(argument.left(comma));
        const int16_t y = strict_part(argument.mid(comma + 1));
        Character& c = run.slot_char(slot);
        c.set_left(x);
        c.set_top(y);
    }
    state.agent_idle = false;
    return Flow::next_line;
}

Flow charsize(ScriptRun& run)
{
    RunState& state = run.state;
    Character& c = run.line_char();
    const qsizetype comma = comma_of(run.arguments);
    const int16_t w = strict_part(run.arguments.left(comma));
    const int16_t h = strict_part(run.arguments.mid(comma + 1));
    c.set_width(w);
    c.set_height(h);
    // Recorded in slot 0 whoever changed size: the composer reads the size from there.
    if (state.slot_count() > 0) {
        state.characters[0].size = QSize(c.width(), c.height());
    }
    state.agent_idle = false;
    return Flow::next_line;
}

}  // namespace pw::engine::statements
