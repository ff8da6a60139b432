// Waits for a key press anywhere on the desktop, and for a spoken word.

#include "engine/wait_texts.h"
#include "engine/waits.h"

namespace pw::engine::waits {

Pass key(WaitLine& w)
{
    pellwick_mod& mod = w.mod;
    if (w.due()) w.remind(wait_texts::key_reminder(w.value));
    if (mod.key_pressed) {
        w.line_char().stop_all(QStringLiteral("speak"));
        mod.char_play(w.slot, QStringLiteral("alert"));
        // Said even when quiet: the child should know which key counted.
        mod.char_say(w.slot, wait_texts::key_pressed(mod.last_key));
        mod.waiting = false;
        mod.agent_idle = false;
        mod.wait_idle();
        return Pass::done;
    }
    if (w.cancel_seen()) {
        w.host.remove_key_hook();
        return Pass::cancelled;
    }
    mod.do_events();
    return Pass::go_on;
}

Pass listen(WaitLine& w)
{
    pellwick_mod& mod = w.mod;
    // The thought balloon shows the words to say, quiet or not.
    if (mod.report_due) {
        mod.report_due = false;
        mod.char_request[w.slot] = w.line_char().think(wait_texts::to_be_spoken(w.run.voice_words));
        mod.pause_ms_unless_cancelled(3000);
        w.host.set_report_timer(true, w.report_interval_ms());
        mod.do_events();
        w.restart_reminders();
    }
    // Asked on every pass: a listening period ends by itself after a while.
    w.line_char().listen(true);
    mod.listening = true;
    mod.do_events();

    if (mod.word_heard) {
        pw::agent::Character& c = w.line_char();
        c.listen(false);
        mod.listening = false;
        c.stop_all(QStringLiteral("speak"));
        mod.char_play(w.slot, QStringLiteral("alert"));
        // Any command ends the wait; the if lines after it tell the words apart.
        if (mod.heard_word.isEmpty()) mod.char_say(w.slot, wait_texts::not_understood());
        else if (!w.quiet) mod.char_say(w.slot, wait_texts::you_said(mod.heard_word));
        return Pass::done;
    }
    if (mod.cancel_requested || mod.heard_word.toLower() == QLatin1String("cancel script")) {
        mod.cancel_requested = false;
        w.line_char().listen(false);
        mod.listening = false;
        return Pass::cancelled;
    }
    return Pass::go_on;
}

}  // namespace pw::engine::waits
