#include "engine/keyboard_handler.h"

#include "platform/core/trace.h"

namespace pw::engine {

namespace {

constexpr int vk_q = 81;
constexpr int vk_left_control = 162;

}  // namespace

KeyboardHandler::KeyboardHandler(RunState& state, pw::platform::KeySource& source)
    : state_(state), source_(source)
{
}

KeyboardHandler::~KeyboardHandler()
{
    if (hook_handle != 0) source_.remove();
}

void KeyboardHandler::install_key_hook()
{
    // A wait ended by Esc leaves the hook in place; the next key wait reuses it rather
    // than stacking a second one that would see every key twice.
    if (hook_handle != 0) return;
    source_.install([this](const pw::platform::KeyEvent& event) { key_hook_proc(event); });
    hook_handle = next_handle_++;
    if (next_handle_ == 0) next_handle_ = 1;
    pw::trace::event(QStringLiteral("KeyHook"), {QStringLiteral("install")});
}

void KeyboardHandler::remove_key_hook()
{
    if (hook_handle == 0) return;
    source_.remove();
    hook_handle = 0;
    pw::trace::event(QStringLiteral("KeyHook"), {QStringLiteral("remove")});
}

void KeyboardHandler::key_hook_proc(const pw::platform::KeyEvent& event)
{
    key_event_buffer.vk_code = quint32(event.vk);
    key_event_buffer.scan_code = quint32(event.scan);
    key_event_buffer.flags = (event.extended ? KeyEventRecord::flag_extended : 0u)
                             | (event.down ? 0u : KeyEventRecord::flag_up);
    key_event_buffer.time = event.time;
    key_event_buffer.extra_info = 0;
    if (pw::trace::enabled())
        pw::trace::event(QStringLiteral("Key"),
                         {pw::trace::number(event.vk),
                          event.down ? QStringLiteral("down") : QStringLiteral("up")});
    check_key(state_.last_key, event.vk);
}

void KeyboardHandler::check_key(QString& key_text, int vk)
{
    if (!key_window) return;
    const QString upper = key_text.toUpper();
    // "anykey" first: its own first letter would otherwise take A for the key "anykey".
    if (key_text.toLower() == QLatin1String("anykey")) {
        remove_key_hook();
        state_.key_pressed = true;
        key_text = character_of_key(vk).toLower();
        state_.wake_run();
    } else if (!upper.isEmpty() && int(upper.at(0).unicode()) == vk) {
        remove_key_hook();
        state_.key_pressed = true;
        state_.wake_run();
    } else if (previous_key == vk_q && vk == vk_left_control) {
        remove_key_hook();
        state_.quit_program();
    } else {
        previous_key = int16_t(vk);
    }
}

QString KeyboardHandler::character_of_key(int vk)
{
    // Where Windows-1252 differs from Latin-1; the F17-F24, Num Lock and Scroll Lock
    // codes fall in this range.
    static constexpr char16_t windows_1252_80_to_9f[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (vk >= 0x80 && vk <= 0x9F) return QString(QChar(windows_1252_80_to_9f[vk - 0x80]));
    return QString(QChar(char16_t(vk)));
}

}  // namespace pw::engine
