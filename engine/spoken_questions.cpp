#include "engine/spoken_questions.h"

#include "agent/api/agent_error.h"

#include <exception>
#include <functional>

namespace pw::engine {

using pw::agent::Request;

namespace {

// Shows the character of the slot when hidden, then says the question.
void ask(pellwick_mod& mod, int slot, const QString& question)
{
    if (slot < 0 || slot >= mod.slot_count() || !mod.chars[slot])
        throw pw::agent::AgentError(pw::agent::error::character_invalid, QStringLiteral("Nobody to ask."));
    if (!mod.chars[slot]->visible()) mod.char_request[slot] = mod.chars[slot]->show();
    mod.char_say(slot, question);
}

// Waits while the last request of the slot that `asker` names is under way, then
// stops that character. The slot is looked up at every check.
void wait_for_answer(pellwick_mod& mod, const std::function<int()>& asker)
{
    int slot = asker();
    for (;;) {
        if (slot < 0 || slot >= mod.slot_count()) return;
        const int status = mod.char_request[slot].status();
        if (status != Request::Pending && status != Request::InProgress) break;
        mod.do_events();
        slot = asker();
    }
    if (mod.chars[slot]) mod.chars[slot]->stop_all();
}

// A question may be asked in the middle of a run (the close box, a Shift+click): what
// it changes of the run's state is put back unless the answer ends it all.
struct RunStateAside {
    explicit RunStateAside(const pellwick_mod& mod) : sequential(mod.sequential), current_char(mod.current_char) {}
    void put_back(pellwick_mod& mod) const
    {
        mod.sequential = sequential;
        mod.current_char = current_char;
    }

    bool sequential;
    QString current_char;
};

bool settle(pellwick_mod& mod, bool& question_flag, const RunStateAside& aside)
{
    if (mod.confirm_pending) return true;
    question_flag = false;
    aside.put_back(mod);
    return false;
}

// A question asked by the current character; `flag` is what the double click answers.
// A double click makes the clicked character current; its answer is then the request
// that keeps the question open.
bool ask_current(pellwick_mod& mod, bool& flag, const QString& question)
{
    const RunStateAside aside(mod);
    flag = true;
    mod.confirm_pending = false;
    try {
        auto current = [&mod] { return mod.char_index(mod.current_char); };
        ask(mod, current(), question);
        wait_for_answer(mod, current);
    } catch (const std::exception&) {
    }
    return settle(mod, flag, aside);
}

}  // namespace

QString quit_question()
{
    return QStringLiteral(
        "    Are you sure you want to quit? If yes then double click on me within 3 seconds. "
        "1 Mississippi, 2 Mississippi, 3 Mississippi!");
}

QString clear_question()
{
    return QStringLiteral(
        "Are you sure you want to clear your script? If yes, then double click on me within "
        "3 seconds. 1 Mississippi, 2 Mississippi, 3 Mississippi! ");
}

QString overwrite_question()
{
    return QStringLiteral(
        "This file is on the disk already, do you want to overwrite it? If yes, then double "
        "click on me within 3 seconds. 1 Mississippi, 2 Mississippi, 3 Mississippi! ");
}

QString programs_question(const QStringList& command_lines)
{
    // Every program is named, however many: a yes allows each of them. One sentence
    // each keeps a long list readable in the balloon and easy to follow spoken.
    QString text;
    if (command_lines.size() == 1) {
        text = QStringLiteral("This script wants to start a program: ") + command_lines.first()
            + QStringLiteral(". ");
    } else {
        text = QStringLiteral("This script wants to start %1 programs. ").arg(command_lines.size());
        for (int k = 0; k < command_lines.size(); ++k)
            text += QStringLiteral("Program %1: ").arg(k + 1) + command_lines[k] + QStringLiteral(". ");
    }
    return text + QStringLiteral(
               "A script can start any program on this computer, so say yes only if you trust it. "
               "If yes, then double click on me within 3 seconds. 1 Mississippi, 2 Mississippi, "
               "3 Mississippi! ");
}

QString quit_unsaved_sound_question()
{
    return QStringLiteral(
        "Your new sound is not saved yet. Do you want to quit anyway? If yes then double click on me "
        "within 3 seconds. 1 Mississippi, 2 Mississippi, 3 Mississippi!");
}

QString discard_sound_question()
{
    return QStringLiteral(
        "Your new sound is not saved yet. Do you want to throw it away? If yes, then double click on me "
        "within 3 seconds. 1 Mississippi, 2 Mississippi, 3 Mississippi! ");
}

void confirm_quit(pellwick_mod& mod, const QString& question)
{
    const RunStateAside aside(mod);
    mod.exit_confirm_wait = true;
    mod.current_char = QStringLiteral("pellwick");
    mod.sequential = true;
    try {
        ask(mod, mod.char_index(QStringLiteral("pellwick")), question);
        mod.agent_idle = false;
        mod.wait_idle();
    } catch (const std::exception&) {
        // Without Pellwick nobody asks, and nothing quits.
    }
    // A yes has ended the program by now.
    mod.exit_confirm_wait = false;
    aside.put_back(mod);
}

bool confirm_clear(pellwick_mod& mod)
{
    const RunStateAside aside(mod);
    mod.clear_confirm_wait = true;
    mod.confirm_pending = false;
    try {
        auto pellwick = [&mod] { return mod.char_index(QStringLiteral("pellwick")); };
        ask(mod, pellwick(), clear_question());
        wait_for_answer(mod, pellwick);
    } catch (const std::exception&) {
        // Nobody could ask: the answer is no.
    }
    return settle(mod, mod.clear_confirm_wait, aside);
}

bool confirm_overwrite(pellwick_mod& mod)
{
    return ask_current(mod, mod.save_confirm_wait, overwrite_question());
}

bool confirm_discard_sound(pellwick_mod& mod)
{
    return ask_current(mod, mod.discard_confirm_wait, discard_sound_question());
}

bool confirm_programs(pellwick_mod& mod, int slot, const QStringList& command_lines)
{
    const RunStateAside aside(mod);
    mod.programs_confirm_wait = true;
    mod.confirm_pending = false;
    try {
        ask(mod, slot, programs_question(command_lines));
        // Once answered, the answer is what keeps the question open, and a long list
        // need not be read to its end.
        wait_for_answer(mod,
                        [&mod, slot] { return mod.confirm_pending ? mod.char_index(mod.current_char) : slot; });
        if (mod.confirm_pending && mod.char_index(mod.current_char) != slot && mod.chars[slot])
            mod.chars[slot]->stop_all();
    } catch (const std::exception&) {
        // Nobody could ask: the answer is no.
    }
    const bool yes = mod.confirm_pending;
    mod.programs_confirm_wait = false;
    mod.confirm_pending = false;
    // The run goes on with its own character, whoever answered.
    aside.put_back(mod);
    return yes;
}

}  // namespace pw::engine
