#include "engine/chars_collide.h"

#include "agent/api/agent_error.h"

namespace pw::engine {

namespace {

CharBox box_of(RunState& state, const QString& id)
{
    const int slot = state.char_index(id);
    if (slot < 0 || slot >= state.slot_count() || !state.characters[slot].agent)
        throw pw::agent::AgentError(pw::agent::error::character_invalid,
                                    QStringLiteral("No character \"%1\" is loaded.").arg(id));
    const pw::agent::Character& c = *state.characters[slot].agent;
    return CharBox{double(c.left()), double(c.top()), double(c.width()), double(c.height())};
}

}  // namespace

bool boxes_collide(const CharBox& a, const CharBox& b)
{
    const double xa = a.left + a.width / 2.0;
    const double ya = a.top + a.height * 0.25;
    const double xb = b.left + b.width / 2.0;
    const double yb = b.top + b.height * 0.25;
    return xa - 0.5 * a.width < xb && xb < xa + 0.5 * a.width
           && ya - 0.9 * a.height < yb && yb < ya + 0.9 * a.height;
}

bool chars_collide(RunState& state, const QString& a, const QString& b)
{
    const CharBox box_a = box_of(state, a);
    return boxes_collide(box_a, box_of(state, b));
}

}  // namespace pw::engine
