// Waits for a key press anywhere on the desktop, and for a spoken word.

#include "engine/wait_texts.h"
#include "engine/waits.h"

namespace pw::engine::waits {

Pass key(WaitLine& w)
{
    RunState& state = w.state;
    if (!w.alerted && w.due()) w.remind(wait_texts::key_reminder(w.value));
    if (state.key_pressed && !w.alerted) {
        w.line_char().stop_all(QStringLiteral("speak"));
        state.char_play(w.slot, QStringLiteral("alert"));
        // The stopped reminder's balloon closes before the Hurray is waited for.
        w.alerted = true;
        w.first = std::make_unique<TurnWait>();
        return Pass::go_on;
    }
    if (w.alerted) {
        // Said even when quiet: the child should know which key counted.
        state.char_say(w.slot, wait_texts::key_pressed(state.last_key));
        state.waiting = false;
        state.agent_idle = false;
        w.first = std::make_unique<IdleWait>(state);
        return Pass::done;
    }
    if (w.cancel_seen()) {
        w.host.remove_key_hook();
        return Pass::cancelled;
    }
    return Pass::go_on;
}

Pass listen(WaitLine& w)
{
    RunState& state = w.state;
    // The thought balloon shows the words to say, quiet or not; after its pause the
    // pass goes on to listen.
    if (w.thought_shown) {
        w.thought_shown = false;
        w.host.set_report_timer(true, w.report_interval_ms());
        w.restart_reminders();
    } else if (state.report_due) {
        state.report_due = false;
        state.characters[w.slot].request = w.line_char().think(wait_texts::to_be_spoken(w.run.voice_words));
        w.thought_shown = true;
        w.first = std::make_unique<PauseWait>(state, 3000, true);
        return Pass::go_on;
    }
    if (state.word_heard) {
        pw::agent::Character& c = w.line_char();
        c.listen(false);
        state.listening = false;
        c.stop_all(QStringLiteral("speak"));
        state.char_play(w.slot, QStringLiteral("alert"));
        // Any command ends the wait; the if lines after it tell the words apart.
        if (state.heard_word.isEmpty()) state.char_say(w.slot, wait_texts::not_understood());
        else if (!w.quiet) state.char_say(w.slot, wait_texts::you_said(state.heard_word));
        return Pass::done;
    }
    if (state.cancel_requested || state.heard_word.toLower() == QLatin1String("cancel script")) {
        state.cancel_requested = false;
        w.line_char().listen(false);
        state.listening = false;
        return Pass::cancelled;
    }
    // Asked on every pass: a listening period ends by itself after a while. Not once
    // the word is heard, which would open the microphone again for a moment.
    w.line_char().listen(true);
    state.listening = true;
    return Pass::go_on;
}

}  // namespace pw::engine::waits
