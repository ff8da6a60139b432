// The main window's script files named on a command line: its own at start-up, or one
// that a second start hands over while this one runs.

#include "app/pellworks_window.h"

#include "agent/api/agent_control.h"
#include "app/command_line.h"
#include "app/script_file.h"
#include "app/script_window.h"
#include "app/tell_child.h"
#include "engine/run_state.h"
#include "platform/core/trace.h"
#include "stage/stage_window.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include <exception>
#include <utility>

namespace pw::app {

void Pellworks::open_file(const CommandLine& command_line)
{
    open_command_line_file(command_line);
    if (command_line.mode != 1) activateWindow();
}

void Pellworks::take_command_line(const QStringList& arguments)
{
    pw::trace::event(QStringLiteral("RaiseRequest"), {isMinimized() ? QStringLiteral("minimised") : QStringLiteral("shown")});
    if (state_.command_line_mode == 1) return;
    if (!started_ || run_under_way()) {
        // Acted on once start-up or the run is over; the run is asked to stop.
        const bool waiting = handed_over_.has_value();
        handed_over_ = arguments;
        if (started_ && !waiting) cancel_run_for_hand_over();
        return;
    }
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    const CommandLine command_line = parse_command_line(arguments);
    if (command_line.mode == 0) return;
    if (!load_script_file(command_line.path)) {
        say_missing_file();
        return;
    }
    if (command_line.mode != 3) script_->play_pellwick_clicked();
}

bool Pellworks::run_under_way() const
{
    // The Play button comes back only once the run has wound up completely.
    return state_.script_running || !script_->play_pellwick->isEnabled();
}

void Pellworks::cancel_run_for_hand_over()
{
    // Once, and only once the script runs: its preparation forgets a cancel made
    // before it. A run already winding up just ends.
    if (!state_.script_running || run_cancelled_) return;
    run_cancelled_ = true;
    script_->cancel_clicked();
}

void Pellworks::take_handed_over()
{
    if (!handed_over_ || !started_ || run_under_way()) return;
    run_cancelled_ = false;
    take_command_line(*std::exchange(handed_over_, std::nullopt));
}

void Pellworks::say_missing_file(std::function<void()> then)
{
    // Pellwick says it, whichever slot he has.
    pw::agent::Request said;
    try {
        stage_->get_char(QStringLiteral("pellwick"));
        const int slot = state_.char_index(QStringLiteral("pellwick"));
        if (slot >= 0) {
            state_.char_say(slot, missing_file_sentence());
            said = state_.characters[slot].request;
        }
    } catch (const std::exception&) {
    }
    if (!then) return;
    if (said.is_null() || said.is_finished()) {
        then();
        return;
    }
    auto* limit = new QTimer(this);
    limit->setSingleShot(true);
    auto over = [limit, then] {
        const std::function<void()> next = then;
        limit->disconnect();
        limit->deleteLater();
        next();
    };
    connect(limit, &QTimer::timeout, limit, over);
    connect(&state_.agent(), &pw::agent::AgentControl::RequestComplete, limit, [said, over] {
        if (said.is_finished()) over();
    });
    limit->start(missing_file_limit);
}

void Pellworks::open_command_line_file(const CommandLine& command_line)
{
    // A relative path means the folder the program was started in.
    const QString path = command_line.path.isEmpty() || start_folder_.isEmpty()
                             ? command_line.path
                             : QDir(start_folder_).absoluteFilePath(command_line.path);
    if (!load_script_file(path)) {
        // Start-up goes on past failing steps; the end comes regardless, once Pellwick
        // has said why (or after the limit, should the sentence never end).
        say_missing_file([this] { state_.quit_program(1); });
        return;
    }
    if (command_line.mode == 1 || command_line.mode == 2) script_->play_pellwick_clicked();
}

bool Pellworks::load_script_file(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
    // A file that cannot be read is told; start-up goes on as if it were empty.
    const ScriptRead read = read_script_file(path);
    if (read.ok) {
        script_->show_file_text(read.text, file_name_part(path));
        pw::trace::event(QStringLiteral("FileLoaded"), {pw::trace::quote(path)});
    } else {
        tell_child(state_, couldnt_read_sentence(read), read.reason, this);
    }
    return true;
}

}  // namespace pw::app
