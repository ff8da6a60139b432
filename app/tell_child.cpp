#include "app/tell_child.h"

#include "windows/message_box.h"

#include <exception>

namespace pw::app {

int speaker_slot(pw::engine::RunState& mod)
{
    auto usable = [&mod](int slot) { return slot >= 0 && slot < mod.slot_count() && mod.characters[slot].agent; };
    int slot = mod.char_index(mod.current_char);
    if (usable(slot)) return slot;
    slot = mod.char_index(QStringLiteral("pellwick"));
    if (!usable(slot)) return -1;
    mod.current_char = mod.characters[slot].id;
    return slot;
}

void tell_child(pw::engine::RunState& mod, const QString& sentence, const QString& reason, QWidget* parent)
{
    const int slot = speaker_slot(mod);
    if (slot >= 0) {
        try {
            if (!mod.characters[slot].agent->visible()) {
                const pw::agent::Request shown = mod.characters[slot].agent->show();
                mod.characters[slot].request = shown;
            }
            mod.char_say(slot, sentence);
        } catch (const std::exception&) {
        }
    }
    if (!reason.isEmpty()) pw::windows::open_message_box(sentence + QStringLiteral("\n\n") + reason, parent, nullptr);
}

}  // namespace pw::app
