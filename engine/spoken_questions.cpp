#include "engine/spoken_questions.h"

#include "agent/api/agent_error.h"
#include "engine/run_wait.h"

#include <exception>

namespace pw::engine {

using pw::agent::Request;

void ask_question(RunState& state, int slot, const QString& question)
{
    if (slot < 0 || slot >= state.slot_count() || !state.characters[slot].agent)
        throw pw::agent::AgentError(pw::agent::error::character_invalid, QStringLiteral("Nobody to ask."));
    if (!state.characters[slot].agent->visible()) state.characters[slot].request = state.characters[slot].agent->show();
    state.char_say(slot, question);
}

bool question_open(RunState& state, int slot)
{
    if (slot < 0 || slot >= state.slot_count()) return false;
    const int status = state.characters[slot].request.status();
    return status == Request::Pending || status == Request::InProgress;
}

namespace {

// The run's own question: open while the asker's last request is under way (or, once
// answered, the answerer's), then the answer is told and the run state put back.
class ProgramsQuestion : public RunWait {
public:
    ProgramsQuestion(RunState& state, int slot, std::function<void(bool)> answer)
        : state_(state), slot_(slot), aside_(state), answer_(std::move(answer))
    {
    }

    bool ask(const QStringList& command_lines)
    {
        state_.questions.programs = true;
        state_.questions.yes.programs = false;
        try {
            ask_question(state_, slot_, programs_question(command_lines));
            return true;
        } catch (const std::exception&) {
            // Nobody could ask: the answer is no.
            return false;
        }
    }

    WaitState look() override
    {
        try {
            // Once answered, the answer is what keeps the question open, and a long
            // list need not be read to its end.
            const int slot = state_.questions.yes.programs ? state_.char_index(state_.current_char) : slot_;
            if (question_open(state_, slot)) return WaitState::waiting();
            if (slot >= 0 && slot < state_.slot_count() && state_.characters[slot].agent) state_.characters[slot].agent->stop_all();
            if (state_.questions.yes.programs && state_.char_index(state_.current_char) != slot_ && state_.characters[slot_].agent)
                state_.characters[slot_].agent->stop_all();
        } catch (const std::exception&) {
        }
        return answered();
    }

    WaitState answered()
    {
        const bool yes = state_.questions.yes.programs;
        state_.questions.programs = false;
        state_.questions.yes.programs = false;
        // The run goes on with its own character, whoever answered.
        aside_.put_back(state_);
        answer_(yes);
        return WaitState::done(Flow::again);
    }

private:
    RunState& state_;
    int slot_;
    RunStateAside aside_;
    std::function<void(bool)> answer_;
};

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

std::unique_ptr<RunWait> programs_question_wait(RunState& state, int slot, const QStringList& command_lines,
                                                std::function<void(bool)> answer)
{
    auto question = std::make_unique<ProgramsQuestion>(state, slot, std::move(answer));
    if (!question->ask(command_lines)) {
        question->answered();
        return std::make_unique<ConditionWait>([] { return true; }, Flow::again);
    }
    return question;
}

}  // namespace pw::engine
