#include "platform/desktop/key_codes.h"

#include <QKeyEvent>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <linux/input-event-codes.h>

namespace pw::platform {

namespace {

constexpr int vk_clear = 12;
constexpr int vk_numpad0 = 96;
constexpr int vk_f1 = 112;

// Punctuation keys of a US keyboard, named by their unshifted character.
int vk_from_punctuation(char c)
{
    switch (c) {
    case ';': return 186;
    case '=': return 187;
    case ',': return 188;
    case '-': return 189;
    case '.': return 190;
    case '/': return 191;
    case '`': return 192;
    case '[': return 219;
    case '\\': return 220;
    case ']': return 221;
    case '\'': return 222;
    default: return 0;
    }
}

}  // namespace

int vk_from_keysym(unsigned long keysym)
{
    if (keysym >= XK_a && keysym <= XK_z) return int('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z) return int('A' + (keysym - XK_A));
    if (keysym >= XK_0 && keysym <= XK_9) return int('0' + (keysym - XK_0));
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return vk_numpad0 + int(keysym - XK_KP_0);
    if (keysym >= XK_F1 && keysym <= XK_F24) return vk_f1 + int(keysym - XK_F1);
    if (keysym >= 0x20 && keysym < 0x7f)
        if (const int vk = vk_from_punctuation(char(keysym))) return vk;

    switch (keysym) {
    case XK_BackSpace: return 8;
    case XK_Tab: case XK_ISO_Left_Tab: return 9;
    case XK_Return: case XK_KP_Enter: return 13;
    case XK_Pause: return 19;
    case XK_Caps_Lock: return 20;
    case XK_Escape: return 27;
    case XK_space: case XK_KP_Space: return 32;
    case XK_Prior: case XK_KP_Prior: return 33;
    case XK_Next: case XK_KP_Next: return 34;
    case XK_End: case XK_KP_End: return 35;
    case XK_Home: case XK_KP_Home: return 36;
    case XK_Left: case XK_KP_Left: return 37;
    case XK_Up: case XK_KP_Up: return 38;
    case XK_Right: case XK_KP_Right: return 39;
    case XK_Down: case XK_KP_Down: return 40;
    case XK_Print: case XK_Sys_Req: return 44;
    case XK_Insert: case XK_KP_Insert: return 45;
    case XK_Delete: case XK_KP_Delete: return 46;
    case XK_KP_Begin: case XK_Clear: return vk_clear;
    case XK_Super_L: return 91;
    case XK_Super_R: return 92;
    case XK_Menu: return 93;
    case XK_KP_Multiply: return 106;
    case XK_KP_Add: return 107;
    case XK_KP_Separator: return 108;
    case XK_KP_Subtract: return 109;
    case XK_KP_Decimal: return 110;
    case XK_KP_Divide: return 111;
    case XK_Num_Lock: return 144;
    case XK_Scroll_Lock: return 145;
    case XK_Shift_L: return 160;
    case XK_Shift_R: return 161;
    case XK_Control_L: return 162;
    case XK_Control_R: return 163;
    case XK_Alt_L: case XK_Meta_L: return 164;
    case XK_Alt_R: case XK_Meta_R: case XK_ISO_Level3_Shift: return 165;
    case XK_less: return 226;  // the extra key beside left Shift on European keyboards
    case XF86XK_Back: return 166;
    case XF86XK_Forward: return 167;
    case XF86XK_Reload: return 168;
    case XF86XK_Stop: return 169;
    case XF86XK_Search: return 170;
    case XF86XK_Favorites: return 171;
    case XF86XK_HomePage: return 172;
    case XF86XK_AudioMute: return 173;
    case XF86XK_AudioLowerVolume: return 174;
    case XF86XK_AudioRaiseVolume: return 175;
    case XF86XK_AudioNext: return 176;
    case XF86XK_AudioPrev: return 177;
    case XF86XK_AudioStop: return 178;
    case XF86XK_AudioPlay: return 179;
    case XF86XK_Mail: return 180;
    default: return 0;
    }
}

bool is_extended_keysym(unsigned long keysym)
{
    switch (keysym) {
    case XK_Control_R: case XK_Alt_R: case XK_ISO_Level3_Shift: case XK_Super_L:
    case XK_Super_R: case XK_Menu: case XK_KP_Enter: case XK_KP_Divide: case XK_Num_Lock:
    case XK_Print: case XK_Insert: case XK_Delete: case XK_Home: case XK_End:
    case XK_Prior: case XK_Next: case XK_Left: case XK_Up: case XK_Right: case XK_Down:
        return true;
    default:
        return false;
    }
}

int vk_from_key_position(int input_code)
{
    static constexpr char top_row[] = "QWERTYUIOP";
    static constexpr char home_row[] = "ASDFGHJKL";
    static constexpr char bottom_row[] = "ZXCVBNM";
    if (input_code >= KEY_1 && input_code <= KEY_9) return '1' + (input_code - KEY_1);
    if (input_code >= KEY_Q && input_code <= KEY_P) return top_row[input_code - KEY_Q];
    if (input_code >= KEY_A && input_code <= KEY_L) return home_row[input_code - KEY_A];
    if (input_code >= KEY_Z && input_code <= KEY_M) return bottom_row[input_code - KEY_Z];
    switch (input_code) {
    case KEY_0: return '0';
    case KEY_MINUS: return vk_from_punctuation('-');
    case KEY_EQUAL: return vk_from_punctuation('=');
    case KEY_LEFTBRACE: return vk_from_punctuation('[');
    case KEY_RIGHTBRACE: return vk_from_punctuation(']');
    case KEY_SEMICOLON: return vk_from_punctuation(';');
    case KEY_APOSTROPHE: return vk_from_punctuation('\'');
    case KEY_GRAVE: return vk_from_punctuation('`');
    case KEY_BACKSLASH: return vk_from_punctuation('\\');
    case KEY_COMMA: return vk_from_punctuation(',');
    case KEY_DOT: return vk_from_punctuation('.');
    case KEY_SLASH: return vk_from_punctuation('/');
    case KEY_102ND: return 226;
    default: return 0;
    }
}

namespace {

// The unshifted US key of a character typed with Shift ('!' is on the 1 key).
int vk_from_shifted_character(int key)
{
    static constexpr char shifted[] = ")!@#$%^&*(";
    for (int digit = 0; digit < 10; ++digit)
        if (key == shifted[digit]) return '0' + digit;
    switch (key) {
    case ':': return vk_from_punctuation(';');
    case '+': return vk_from_punctuation('=');
    case '<': return vk_from_punctuation(',');
    case '_': return vk_from_punctuation('-');
    case '>': return vk_from_punctuation('.');
    case '?': return vk_from_punctuation('/');
    case '~': return vk_from_punctuation('`');
    case '{': return vk_from_punctuation('[');
    case '|': return vk_from_punctuation('\\');
    case '}': return vk_from_punctuation(']');
    case '"': return vk_from_punctuation('\'');
    default: return 0;
    }
}

int vk_from_qt_key(int key, bool keypad)
{
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return vk_numpad0 + (key - Qt::Key_0);
        switch (key) {
        case Qt::Key_Asterisk: return 106;
        case Qt::Key_Plus: return 107;
        case Qt::Key_Minus: return 109;
        case Qt::Key_Period: case Qt::Key_Comma: return 110;
        case Qt::Key_Slash: return 111;
        default: break;
        }
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return vk_f1 + (key - Qt::Key_F1);
    if (key > 0x20 && key < 0x7f) {
        if (const int vk = vk_from_punctuation(char(key))) return vk;
        return vk_from_shifted_character(key);
    }
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return vk_clear;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: case Qt::Key_SysReq: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: case Qt::Key_Super_L: return 91;
    case Qt::Key_Super_R: return 92;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    // Without the native keysym the side is unknown: the left key is the likelier.
    case Qt::Key_Shift: return 160;
    case Qt::Key_Control: return 162;
    case Qt::Key_Alt: return 164;
    case Qt::Key_AltGr: return 165;
    case Qt::Key_Back: return 166;
    case Qt::Key_Forward: return 167;
    case Qt::Key_Refresh: return 168;
    case Qt::Key_Stop: return 169;
    case Qt::Key_Search: return 170;
    case Qt::Key_Favorites: return 171;
    case Qt::Key_HomePage: return 172;
    case Qt::Key_VolumeMute: return 173;
    case Qt::Key_VolumeDown: return 174;
    case Qt::Key_VolumeUp: return 175;
    case Qt::Key_MediaNext: return 176;
    case Qt::Key_MediaPrevious: return 177;
    case Qt::Key_MediaStop: return 178;
    case Qt::Key_MediaPlay: case Qt::Key_MediaTogglePlayPause: return 179;
    case Qt::Key_LaunchMail: return 180;
    default: return 0;
    }
}

}  // namespace

int vk_from_key_event(const QKeyEvent& event)
{
    // On X11 and Wayland the native virtual key is the keysym, which tells left from
    // right and the keypad's digits from its arrows. Printable keysyms are taken after
    // Shift there (Shift+, gives "less"), so those go by the Qt key instead.
    const quint32 keysym = event.nativeVirtualKey();
    if (keysym > 0xff)
        if (const int vk = vk_from_keysym(keysym)) return vk;
    if (const int vk = vk_from_qt_key(event.key(), event.modifiers() & Qt::KeypadModifier))
        return vk;
    // X-style key codes are the Linux input code plus 8.
    if (event.nativeScanCode() > 8)
        if (const int vk = vk_from_key_position(int(event.nativeScanCode()) - 8)) return vk;
    return vk_unmapped;
}

int shift_mask_from(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
           | (modifiers & Qt::AltModifier ? 4 : 0);
}

}  // namespace pw::platform
