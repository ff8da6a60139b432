// Showing and hiding characters by name. The request goes to the named character's
// slot; its events end the line.

#include "engine/statement_handlers.h"

namespace pw::engine::statements {

namespace {

void show_named(ScriptRun& run, bool activate)
{
    const int slot = run.slot_of(run.arguments);
    pw::agent::Character& c = run.slot_char(slot);
    run.state.characters[slot].request = c.show();
    if (activate) c.activate();
}

void hide_slot(ScriptRun& run, int slot)
{
    run.state.characters[slot].request = run.slot_char(slot).hide();
}

}  // namespace

Flow show(ScriptRun& run)
{
    show_named(run, true);
    return Flow::next_line;
}

Flow load(ScriptRun& run)
{
    // Characters are all loaded at start-up: "load" only shows one.
    show_named(run, false);
    return Flow::next_line;
}

Flow unload(ScriptRun& run)
{
    // It only hides: the character stays loaded for later lines.
    hide_slot(run, run.slot_of(run.arguments));
    return Flow::next_line;
}

Flow hide(ScriptRun& run)
{
    if (run.arguments == QLatin1String("all")) {
        for (int slot = 0; slot < run.state.char_count; ++slot) hide_slot(run, slot);
    } else {
        hide_slot(run, run.slot_of(run.arguments));
    }
    return Flow::next_line;
}

}  // namespace pw::engine::statements
