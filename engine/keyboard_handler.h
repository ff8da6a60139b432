#pragma once
// The keyboard hook of key waits. A "key" wait installs it; while installed it sees
// every key-down and key-up on the desktop, tells the wait when the awaited key (or any
// key) came, and quits the program on Q followed by the left Ctrl key. It only watches:
// every key still reaches the window that has the focus.

#include "engine/run_state.h"
#include "platform/core/key_source.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>

namespace pw::engine {

// The last key event the hook saw, kept the way a low-level keyboard record holds it.
struct KeyEventRecord {
    static constexpr quint32 flag_extended = 0x01;
    static constexpr quint32 flag_up = 0x80;

    quint32 vk_code = 0;
    quint32 scan_code = 0;
    quint32 flags = 0;
    quint32 time = 0;
    quint32 extra_info = 0;
};

class KeyboardHandler {
public:
    // Neither is owned; both must outlive the handler.
    KeyboardHandler(RunState& state, pw::platform::KeySource& source);
    ~KeyboardHandler();
    KeyboardHandler(const KeyboardHandler&) = delete;
    KeyboardHandler& operator=(const KeyboardHandler&) = delete;

    // Non-zero while the hook is installed.
    quint32 hook_handle = 0;
    KeyEventRecord key_event_buffer;
    // The script editor sets itself here when it loads; until then keys change nothing.
    QPointer<QObject> key_window;
    // The key of the last event that matched nothing.
    int16_t previous_key = 0;

    // Installing again while installed keeps the one hook.
    void install_key_hook();
    void remove_key_hook();

    // Every event of the installed source lands here, key-down and key-up alike.
    void key_hook_proc(const pw::platform::KeyEvent& event);

    // For "anykey" every key counts and key_text becomes the pressed key's character;
    // otherwise the first character of the upper-cased key_text is compared with vk. An empty key_text matches no key;
    // the "anykey" and Q-then-Ctrl rules still apply to it.
    void check_key(QString& key_text, int vk);

    // The character a key code stands for when it is written into a text (Windows-1252
    // for the codes 128 to 159).
    static QString character_of_key(int vk);

private:
    RunState& state_;
    pw::platform::KeySource& source_;
    quint32 next_handle_ = 1;
};

}  // namespace pw::engine
