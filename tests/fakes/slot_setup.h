#pragma once
// Puts a fake character straight into a slot of the run state's table, as if the
// stage had loaded it.

#include "engine/run_state.h"
#include "tests/fakes/fake_agent.h"

namespace pw::fakes {

inline FakeCharacter* load_into_slot(pw::engine::RunState& state, FakeAgent& agent, int slot,
                                     const QString& id, bool visible = false,
                                     FakeTraits traits = {})
{
    if (state.slot_count() <= slot) state.size_slots(slot);
    if (state.char_count <= slot) state.char_count = int16_t(slot + 1);
    FakeCharacter* c = agent.add_loaded(id, std::move(traits));
    c->set_shown(visible);
    state.characters[slot].id = id;
    state.characters[slot].agent = c;
    state.characters[slot].loaded = true;
    state.characters[slot].size = state.characters[slot].default_size = QSize(c->width(), c->height());
    return c;
}

}  // namespace pw::fakes
