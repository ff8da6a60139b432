// Waits for characters bumping into the line's character, or getting off it again.

#include "engine/chars_collide.h"
#include "engine/wait_texts.h"
#include "engine/waits.h"

namespace pw::engine::waits {
namespace {

// A bump ends the wait without any new request, so no request event will mark the
// line done: in sequential mode a quiet wait (nothing said) would leave the next line
// waiting for ever. The wait itself is the line's action, and it is over.
Pass bumped_done(WaitLine& w)
{
    w.state.line_done = true;
    return Pass::done;
}

}  // namespace

Pass collide_with_anybody(WaitLine& w)
{
    RunState& state = w.state;
    if (w.due()) w.remind(wait_texts::bump_by_anybody());

    // One candidate per pass keeps a pass short however many characters there are.
    bool hit = false;
    QString bumper;
    if (w.next_candidate != w.slot) {
        pw::agent::Character& candidate = w.run.slot_char(w.next_candidate);
        if (candidate.visible()) {
            const QString name = candidate.name();
            hit = chars_collide(state, w.run.line_character, name);
            if (hit) bumper = name;
        }
    }
    if (++w.next_candidate >= state.char_count) w.next_candidate = 0;

    if (w.cancel_seen()) return Pass::cancelled;
    if (!hit) return Pass::go_on;

    // Remembered for "if collision=...".
    w.run.collision_a = w.run.line_character;
    w.run.collision_b = bumper;
    w.line_char().stop_all(QStringLiteral("speak"));
    state.agent().item(bumper)->stop_all(QStringLiteral("move"));
    const int n = qMin<int>(state.char_count, state.slot_count());
    for (int i = 0; i < n; ++i) w.run.slot_char(i).stop_all(QStringLiteral("Move"));
    return bumped_done(w);
}

Pass collide_with(WaitLine& w)
{
    if (w.due()) w.remind(wait_texts::bump_by(w.value));
    if (chars_collide(w.state, w.run.line_character, w.value)) {
        w.line_char().stop_all(QStringLiteral("speak"));
        return bumped_done(w);
    }
    return w.cancel_seen() ? Pass::cancelled : Pass::go_on;
}

Pass get_off(WaitLine& w)
{
    RunState& state = w.state;
    const int other = w.run.slot_of(w.value);
    pw::agent::Character& sitter = w.run.slot_char(other);
    if (!sitter.visible()) state.characters[other].request = sitter.show();
    if (w.due()) w.remind(wait_texts::get_off(w.value));
    if (!chars_collide(state, w.run.line_character, w.value)) {
        w.line_char().stop_all(QStringLiteral("speak"));
        return bumped_done(w);
    }
    return w.cancel_seen() ? Pass::cancelled : Pass::go_on;
}

}  // namespace pw::engine::waits
