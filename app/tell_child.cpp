#include "app/tell_child.h"

#include "windows/message_box.h"

#include <exception>

namespace pw::app {

int speaker_slot(pw::engine::RunState& state)
{
    auto usable = [&state](int slot) { return slot >= 0 && slot < state.slot_count() && state.characters[slot].agent; };
    int slot = state.char_index(state.current_char);
    if (usable(slot)) return slot;
    slot = state.char_index(QStringLiteral("pellwick"));
    if (!usable(slot)) return -1;
    state.current_char = state.characters[slot].id;
    return slot;
}

void tell_child(pw::engine::RunState& state, const QString& sentence, const QString& reason, QWidget* parent)
{
    const int slot = speaker_slot(state);
    if (slot >= 0) {
        try {
            if (!state.characters[slot].agent->visible()) {
                const pw::agent::Request shown = state.characters[slot].agent->show();
                state.characters[slot].request = shown;
            }
            state.char_say(slot, sentence);
        } catch (const std::exception&) {
        }
    }
    if (!reason.isEmpty()) pw::windows::open_message_box(sentence + QStringLiteral("\n\n") + reason, parent, nullptr);
}

}  // namespace pw::app
