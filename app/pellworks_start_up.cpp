// The main window's start-up: the steps of run_start_up, from the program folder to
// the windows opening.

#include "app/pellworks_window.h"

#include "app/script_window.h"
#include "engine/run_state.h"
#include "media/monotonic_clock.h"
#include "media/sound_library.h"
#include "media/splash_window.h"
#include "platform/core/trace.h"
#include "platform/core/user_folders.h"
#include "stage/stage_window.h"
#include "windows/message_box.h"
#include "windows/twips.h"
#include "windows/window_waits.h"

#include <QDir>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

#include <utility>

namespace pw::app {

namespace {
// How long start-up lets the frame paint before the characters load.
constexpr int first_paint_wait_ms = 500;
}  // namespace

void Pellworks::start_up(const QStringList& arguments)
{
    const StartUpEnd end = run_start_up(*this, arguments, [this] {
        started_ = true;
        if (const std::optional<QStringList> waiting = std::exchange(handed_over_, std::nullopt))
            take_command_line(*waiting);
    });
    if (end != StartUpEnd::Started) state_.end_program(0);
}

// ---- Start-up steps ----

void Pellworks::enter_program_folder()
{
    start_folder_ = QDir::currentPath();
    if (process_.enter_program_folder) process_.enter_program_folder();
}

bool Pellworks::components_installed()
{
    return !process_.components_installed || process_.components_installed();
}

void Pellworks::start_component_installer()
{
    // The installer is a detached process of its own: nothing here waits for it.
    if (process_.start_component_installer) process_.start_component_installer();
}

void Pellworks::create_clock()
{
    hires_timer_ = std::make_unique<pw::media::MonotonicClock>(state_.hires_frequency);
    state_.hires_timer = hires_timer_.get();
    state_.hires_frequency = hires_timer_->Initialise();
    state_.char_count = 200;
    state_.version_text = QStringLiteral(PW_VERSION_TEXT);
}

void Pellworks::set_title()
{
    setWindowTitle(pw::windows::program_title);
}

void Pellworks::show_splash(std::function<void()> then)
{
    if (splash_ms <= 0 || !qEnvironmentVariableIsEmpty("PELLWORKS_NO_SPLASH")) {
        then();
        return;
    }
    QPointer<pw::media::SplashWindow> splash = new pw::media::SplashWindow;
    splash->prepare(pw::windows::program_title, state_.version_text);
    splash->version_label->setText(QStringLiteral("v. ") + state_.version_text);
    splash->show();
    pw::trace::event(QStringLiteral("Splash"), {QStringLiteral("shown")});
    // A key or a click closes it sooner; start-up still waits the whole time.
    pw::windows::after_pause(state_, splash_ms, this, [splash, then = std::move(then)] {
        if (splash) splash->close();
        pw::trace::event(QStringLiteral("Splash"), {QStringLiteral("gone")});
        then();
    });
}

void Pellworks::set_defaults()
{
    state_.set_start_defaults();
    // The child's scripts and sounds, with the starters that came with the program.
    if (!pw::folders::provide_starter_files(state_.program_folder, state_.user_folder))
        qWarning("Pellworks cannot make its folder %s: scripts and sounds cannot be kept.",
                 qPrintable(state_.user_folder));
}

void Pellworks::open_windows(const CommandLine& command_line, std::function<void()> then)
{
    state_.command_line_mode = command_line.mode;
    sounds_->prepare();

    // Runout: the characters perform on the desktop and the frame stays out of sight.
    stage_window_->show();
    script_window_->show();
    sounds_window_->show();
    auto load_characters = [this, mode = command_line.mode, then = std::move(then)] {
        load_characters_after_paint(mode);
        then();
    };
    if (command_line.mode != 1) showMaximized();
    if (command_line.mode == 1 || painted_) {
        load_characters();
        return;
    }
    // Loading the characters takes a moment: the frame is on the screen first, or at
    // least given the time to get there.
    after_first_paint_ = std::move(load_characters);
    QTimer::singleShot(first_paint_wait_ms, this, [this] { go_on_after_first_paint(); });
}

void Pellworks::go_on_after_first_paint()
{
    if (const auto go_on = std::exchange(after_first_paint_, nullptr)) go_on();
}

void Pellworks::load_characters_after_paint(int16_t mode)
{
    // The stage loads its characters before any file can run.
    stage_->prepare();
    // A plain start brings back a script kept from before; a named file comes next
    // (open_file) and leaves the kept one for a later plain start.
    if (mode == 0) script_->start_editing();
    if (mode != 1) activateWindow();
}

}  // namespace pw::app
