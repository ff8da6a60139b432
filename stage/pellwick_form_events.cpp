// The character platform's events on the stage. They only set run-state fields, which
// the runner and the waits poll; they run nested inside whatever routine lets events run.

#include "stage/pellwick_form.h"

namespace pw::stage {

void pellwick_form::MyAgent_Click(const QString& character_id, int, int shift, int, int)
{
    mod_.current_char = character_id;
    // Shift alone: the main window's timer asks whether to quit.
    if (shift == 1) mod_.char_clicked = true;
}

void pellwick_form::MyAgent_DblClick(const QString& character_id, int, int, int, int)
{
    mod_.current_char = character_id;
}

void pellwick_form::MyAgent_Command(const pw::agent::UserInput& input)
{
    const QString name = input.name.toLower();
    auto stop_listening = [&] {
        try {
            MyAgent.item(input.character_id)->listen(false);
        } catch (const std::exception&) {
        }
        mod_.listening = false;
    };

    if (name == QLatin1String("quit")) {
        mod_.quit_program();
    } else if (name == QLatin1String("cancel script")) {
        if (mod_.listening) stop_listening();
        Q_EMIT cancel_script_wanted();
    }
    if (mod_.listening) {
        stop_listening();
        mod_.heard_word = input.name;
        mod_.word_heard = true;
    }
    mod_.agent_idle = true;
}

void pellwick_form::MyAgent_RequestStart(const pw::agent::Request&)
{
    mod_.request_busy = true;
    if (!mod_.sequential) mod_.line_done = true;
}

void pellwick_form::MyAgent_RequestComplete(const pw::agent::Request& request)
{
    if (mod_.intro_playing && request == mod_.intro_request) mod_.intro_playing = false;
    mod_.request_busy = false;
    mod_.line_done = true;
}

void pellwick_form::MyAgent_IdleStart(const QString&)
{
    mod_.agent_idle = true;
    mod_.let_events_run();
}

void pellwick_form::MyAgent_IdleComplete(const QString&)
{
    mod_.agent_idle = false;
    mod_.let_events_run();
}

void pellwick_form::MyAgent_BalloonHide(const QString&)
{
    mod_.agent_idle = true;
    mod_.let_events_run();
}

void pellwick_form::MyAgent_Move(const QString& character_id, int, int, int)
{
    mod_.current_char = character_id;
    mod_.let_events_run();
}

}  // namespace pw::stage
