#pragma once
// Key codes as key waits and window key handlers know them: Windows-style virtual-key
// codes (65-90 letters, 48-57 digits, 13 Return, 27 Esc, 160/161 Shift, 162/163 Ctrl,
// 164/165 Alt, ...), from X keysyms, from key positions and from Qt key events.
// Punctuation follows the US layout.

#include <Qt>

class QKeyEvent;

namespace pw::platform {

// What a key without a code of its own reports.
constexpr int vk_unmapped = 255;

// The code of an X keysym (look up the key's level-0 keysym, so that Shift+1 is still
// 49); 0 when the keysym has none.
int vk_from_keysym(unsigned long keysym);
// Right-hand modifiers, the navigation block, Num Lock, keypad Enter and divide, ...
bool is_extended_keysym(unsigned long keysym);
// The code of the key at this position of a US keyboard, by Linux input code (X
// keycode - 8); 0 outside the letters, digits and punctuation. It serves layouts whose
// level-0 keysyms the keysym table does not know (Cyrillic letters, the French digit row).
int vk_from_key_position(int input_code);

// The code of a Qt key event; vk_unmapped when there is none.
int vk_from_key_event(const QKeyEvent& event);
// Shift 1, Ctrl 2, Alt 4, as window key handlers receive them.
int shift_mask_from(Qt::KeyboardModifiers modifiers);

}  // namespace pw::platform
