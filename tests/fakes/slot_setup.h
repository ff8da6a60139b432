#pragma once
// Puts a fake character straight into a slot of the run state's table, as if the
// stage had loaded it.

#include "engine/run_state.h"
#include "tests/fakes/fake_agent.h"

namespace pw::fakes {

inline FakeCharacter* load_into_slot(pw::engine::RunState& mod, FakeAgent& agent, int slot,
                                     const QString& id, bool visible = false,
                                     FakeTraits traits = {})
{
    if (mod.slot_count() <= slot) mod.size_slots(slot);
    if (mod.char_count <= slot) mod.char_count = int16_t(slot + 1);
    FakeCharacter* c = agent.add_loaded(id, std::move(traits));
    c->set_shown(visible);
    mod.characters[slot].id = id;
    mod.characters[slot].agent = c;
    mod.characters[slot].loaded = true;
    mod.characters[slot].size = mod.characters[slot].default_size = QSize(c->width(), c->height());
    return c;
}

}  // namespace pw::fakes
