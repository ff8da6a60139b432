#pragma once
// What a run is waiting for, in a child's words: the Script window's status line shows
// it while the wait lasts ("Pellwick is waiting for you to press a key.").

#include <QString>

namespace pw::engine {

enum class WaitKind {
    none,     // nothing worth telling (a turn of the event loop, a question's answer)
    key,
    word,
    bump,
    get_off,
    clock,
    pause,
    action,   // the character finishing what it does
    sound,
    step,     // step by step: the Step button
};

// The sentence for a kind of wait, naming the character; empty for WaitKind::none.
QString waiting_sentence(WaitKind kind, const QString& character);

}  // namespace pw::engine
