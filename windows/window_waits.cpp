#include "windows/window_waits.h"

#include "engine/outside_wait.h"
#include "engine/spoken_questions.h"

#include <QObject>
#include <QPointer>

#include <exception>
#include <memory>
#include <utility>
#include <vector>

namespace pw::windows {

using pw::engine::ConditionWait;
using pw::engine::Flow;
using pw::engine::RunState;
using pw::engine::RunStateAside;
using pw::engine::RunWait;

namespace {

// A question asked from a window. While it is open it holds the run; unless the answer
// is yes, it puts the run's mode and current character back when it ends. One of each
// kind is open at a time: a child of the run state's steps owner, named after its kind.
class OpenQuestion : public QObject {
public:
    OpenQuestion(RunState& state, const QString& kind) : QObject(&state.steps_owner()), state_(state), aside_(state)
    {
        setObjectName(kind);
        state_.hold_run();
    }

    static OpenQuestion* find(RunState& state, const QString& kind)
    {
        return dynamic_cast<OpenQuestion*>(state.steps_owner().findChild<QObject*>(kind, Qt::FindDirectChildrenOnly));
    }

    void join(QObject* context, Answer answer)
    {
        if (answer) answers_.push_back({QPointer<QObject>(context), context != nullptr, std::move(answer)});
    }

    // Once the wait is over, `yes` tells the answer and the question ends.
    void until(std::unique_ptr<RunWait> wait, std::function<bool()> yes)
    {
        new pw::engine::OutsideWait(state_, std::move(wait), [self = QPointer<OpenQuestion>(this), yes = std::move(yes)] {
            if (self) self->end(yes());
        });
    }

    void end(bool yes)
    {
        if (!yes) aside_.put_back(state_);
        // Gone first, so that an answer may ask again.
        setObjectName(QString());
        deleteLater();
        state_.release_run();
        for (const Asker& a : std::exchange(answers_, {}))
            if (!a.had_context || a.context) a.answer(yes);
    }

private:
    struct Asker {
        QPointer<QObject> context;
        bool had_context;
        Answer answer;
    };

    RunState& state_;
    RunStateAside aside_;
    std::vector<Asker> answers_;
};

// A question answered by a double click (which sets `yes` and clears `flag`),
// asked by the character whose slot `asker` names. It lasts while that character's
// last request is under way (the slot is looked up at each look: a double click makes
// the clicked character current, and its answer is then the request that keeps the
// question open); then that character stops.
void ask_and_wait(RunState& state, const QString& kind, bool& flag, bool& yes, const std::function<int()>& asker,
                  const QString& question, QObject* context, Answer answer)
{
    if (OpenQuestion* open = OpenQuestion::find(state, kind)) {
        open->join(context, std::move(answer));
        return;
    }
    auto* asked = new OpenQuestion(state, kind);
    asked->join(context, std::move(answer));
    flag = true;
    yes = false;
    std::unique_ptr<RunWait> wait;
    try {
        pw::engine::ask_question(state, asker(), question);
        wait = std::make_unique<ConditionWait>(
            [&state, asker] {
                const int slot = asker();
                if (slot < 0 || slot >= state.slot_count()) return true;
                if (pw::engine::question_open(state, slot)) return false;
                if (state.characters[slot].agent) state.characters[slot].agent->stop_all();
                return true;
            },
            Flow::next_line);
    } catch (const std::exception&) {
        // Nobody could ask: the answer is no.
        wait = std::make_unique<ConditionWait>([] { return true; }, Flow::next_line);
    }
    asked->until(std::move(wait), [&flag, &yes] {
        if (std::exchange(yes, false)) return true;
        flag = false;
        return false;
    });
}

}  // namespace

void after_pause(RunState& state, int32_t ms, QObject* context, std::function<void()> then)
{
    pw::engine::wait_outside_run(state, std::make_unique<pw::engine::PauseWait>(state, ms, false), context, std::move(then));
}

void when_idle(RunState& state, QObject* context, std::function<void()> then)
{
    pw::engine::wait_outside_run(state, std::make_unique<pw::engine::IdleWait>(state), context, std::move(then));
}

void confirm_quit(RunState& state) { confirm_quit(state, pw::engine::quit_question()); }

void confirm_quit(RunState& state, const QString& question)
{
    const QString kind = QStringLiteral("quit question");
    if (OpenQuestion::find(state, kind)) return;
    auto* asked = new OpenQuestion(state, kind);
    state.questions.quit = true;
    state.current_char = QStringLiteral("pellwick");
    state.options.sequential = true;
    // A yes has started the goodbyes by the time it ends; the answer itself is no one's.
    auto over = [&state] {
        state.questions.quit = false;
        return false;
    };
    try {
        pw::engine::ask_question(state, state.char_index(QStringLiteral("pellwick")), question);
        state.agent_idle = false;
        asked->until(std::make_unique<pw::engine::IdleWait>(state), over);
    } catch (const std::exception&) {
        // Without Pellwick nobody asks, and nothing quits.
        asked->end(over());
    }
}

void confirm_clear(RunState& state, QObject* context, Answer answer)
{
    ask_and_wait(
        state, QStringLiteral("clear question"), state.questions.clear, state.questions.yes.clear,
        [&state] { return state.char_index(QStringLiteral("pellwick")); }, pw::engine::clear_question(), context,
        std::move(answer));
}

void confirm_overwrite(RunState& state, QObject* context, Answer answer)
{
    ask_and_wait(
        state, QStringLiteral("overwrite question"), state.questions.overwrite, state.questions.yes.overwrite,
        [&state] { return state.char_index(state.current_char); }, pw::engine::overwrite_question(), context,
        std::move(answer));
}

void confirm_discard_sound(RunState& state, QObject* context, Answer answer)
{
    ask_and_wait(
        state, QStringLiteral("discard sound question"), state.questions.discard_sound,
        state.questions.yes.discard_sound,
        [&state] { return state.char_index(state.current_char); }, pw::engine::discard_sound_question(), context,
        std::move(answer));
}

}  // namespace pw::windows
