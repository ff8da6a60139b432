#pragma once
// The main window: a frame holding the stage and the script editor side by side, the
// sound library below the stage, the audio recorder when asked for (and, while a script
// runs, the clock), and the program's start-up: the clock for pauses, the defaults,
// the command line, and the script file it names.

#include "app/child_windows.h"
#include "app/command_line.h"
#include "app/start_up.h"
#include "media/about_window.h"

#include <QMainWindow>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMdiArea;
class QMenu;
class QMenuBar;
class QMdiSubWindow;
class QTimer;

namespace pw::agent {
class AgentControl;
}
namespace pw::platform {
class KeySource;
}
namespace pw::engine {
class KeyboardHandler;
class RunState;
}
namespace pw::media {
class MonotonicClock;
class SoundWindow;
class SoundLibrary;
}
namespace pw::stage {
class StageWindow;
}

namespace pw::app {

class InfoBar;
class HelpWindow;
class LoadSaveWindow;
class ScriptWindow;

// What only a real start of the program does around the window: entering the
// program's folder and the component check. A window made without them (in tests)
// starts as if every check passed.
struct ProcessStartUp {
    std::function<void()> enter_program_folder;
    std::function<bool()> components_installed;
    std::function<void()> start_component_installer;
};

class Pellworks : public QMainWindow, public ChildWindows, public StartUpSteps {
    Q_OBJECT
public:
    Pellworks(pw::agent::AgentControl& agent, pw::engine::RunState& state, QWidget* parent = nullptr);
    ~Pellworks() override;

    QMdiArea* area() const { return area_; }
    pw::stage::StageWindow* stage() const { return stage_; }
    ScriptWindow* script() const { return script_; }
    QMdiSubWindow* stage_window() const { return stage_window_; }
    QMdiSubWindow* script_window() const { return script_window_; }
    // "Load/Save Script", made when the File button first asks for it; nullptr before.
    LoadSaveWindow* save_dialog() const { return save_; }
    QMdiSubWindow* save_window() const { return save_window_; }
    pw::media::SoundLibrary* sound_library() const { return sounds_; }
    QMdiSubWindow* sounds_window() const { return sounds_window_; }
    // The recorder, once "Record Audio" opened it; nullptr before.
    pw::media::SoundWindow* recorder() const { return audio_; }
    QMdiSubWindow* recorder_window() const { return audio_window_; }

    // Start-up, from the running event loop, in the order of run_start_up(): checks,
    // clock, title, splash, defaults, command line, windows and the stage's characters,
    // then the file (loaded, and run for runout and runin). In runout mode the main
    // window stays hidden. When a check ends the program, it ends here.
    // `arguments` are the program's arguments without its own path.
    void start_up(const QStringList& arguments = {});
    void set_process_start_up(ProcessStartUp process) { process_ = std::move(process); }
    // The splash is left out when PELLWORKS_NO_SPLASH is set (tests and benchmarks).
    int splash_ms = 4000;
    // How long a missing command-line file may take to be said before the end.
    std::chrono::milliseconds missing_file_limit{10000};

    // ---- Start-up steps ----
    void enter_program_folder() override;
    bool components_installed() override;
    void start_component_installer() override;
    void create_clock() override;
    void set_title() override;
    void show_splash(std::function<void()> then) override;
    void set_defaults() override;
    void open_windows(const CommandLine& command_line, std::function<void()> then) override;
    // Start-up has taken its last step.
    bool start_up_over() const { return started_; }
    void open_file(const CommandLine& command_line) override;
    // Another start handed over its arguments (paths made absolute): this window comes
    // to the front, restored when minimised, and loads the file named, running it for
    // runin and runout (in the window: the running program is the child's and does
    // not end). A run under way is cancelled first; during start-up it waits for the
    // end of start-up. The hidden frame of runout stays hidden and takes nothing.
    void take_command_line(const QStringList& arguments);

    // The file handling of start-up for a parsed command line. A missing file makes
    // Pellwick say so and ends the program.
    void open_command_line_file(const CommandLine& command_line);
    // Puts the file's text into the editor; false when it is not there. A file that is
    // there but cannot be read is said and explained, and leaves the editor as it was.
    bool load_script_file(const QString& path);

    // ---- ChildWindows ----
    void hide_forms() override;
    void show_forms() override;
    void show_clock() override;
    void unload_clock() override;
    pw::media::ClockWindow* clock() const override;
    void show_load_save() override;

    static QString missing_file_sentence() { return QStringLiteral("   Can't find that file."); }

    // ---- The menu ----
    QAction* exit = nullptr;
    QMenu* get_character = nullptr;
    QAction* show_all = nullptr;
    QAction* hide_all = nullptr;
    QAction* hide_all_but_pellwick = nullptr;
    QAction* audio = nullptr;  // "Record Audio"
    void exit_clicked();
    // The introduction: Pellwick presents every other character in turn.
    void show_all_clicked();
    void hide_all_clicked();
    // Pellwick alone, in the middle of the screen unless the script is there.
    void hide_all_but_pellwick_clicked();
    // Opens the recorder, idle, at its place.
    void audio_clicked();

    // ---- Quitting: the spoken question, from the close box and a Shift+click ----
    QTimer* current_timer = nullptr;  // every second
    void current_timer_ticked();
    void confirm_quit();
    pw::engine::KeyboardHandler& keys() const { return *keys_; }

    // ---- The menu (continued) ----
    QAction* help = nullptr;
    QAction* about = nullptr;
    void help_clicked();
    // Opens the help book at its first page.
    void show_help_book();
    // About Pellworks, with "V." and the version and the free-program note.
    void about_clicked();
    pw::media::AboutWindow* about_window() const { return about_; }
    // "Sys Info..." in About.
    void show_system_information();
    QWidget* system_information() const { return sysinfo_; }

    // ---- The status bar ----
    InfoBar* info() const { return info_; }

    // ---- The Window menu and the help book (pellworks_help.cpp) ----
    QMenu* window_menu = nullptr;  // "Window": brings back a closed child
    QAction* show_script = nullptr;
    QAction* show_actions = nullptr;
    QAction* show_sounds = nullptr;
    QAction* show_clock_window = nullptr;  // only while a script runs
    // Where the book's pages are; empty: help/ in the program folder.
    QString help_folder;
    // Opens the page of the statement of a script line (F1 in the Script window).
    void show_help_for(const QString& line);
    HelpWindow* help_book() const { return help_; }
    QMdiSubWindow* help_book_window() const { return help_window_; }
    // A "Try it" example goes to the end of the script, never over it.
    void try_example(const QString& script);

protected:
    // Closing from the title bar only asks; a double click on a character then quits.
    void closeEvent(QCloseEvent* event) override;
    // Esc and Ctrl+Q released in the stage or the script editor.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Adds a window that hides instead of being destroyed when closed.
    QMdiSubWindow* add_child(QWidget* widget);
    void build_menu();
    void build_window_menu();
    // Shows a child again (a closed one is only hidden) and brings it to the front.
    void bring_back(QMdiSubWindow* sub);
    HelpWindow* open_help_window();
    // Moves a child that opens to the nearest place from `wanted` (in the frame) where
    // no character stands over it, as message boxes are; it may get smaller, down to
    // `smallest`, to find one.
    void place_clear_of_characters(QMdiSubWindow* sub, QPoint wanted, QSize smallest = {});
    // Help and System information still read well this small.
    static constexpr QSize smallest_reading_window{520, 300};
    void place_children();
    // The script editor stands beside the stage, however wide the stage has become,
    // and the Sounds window below it.
    void place_script_beside_stage();
    // The script grows taller with the frame.
    void grow_children();
    // Pellwick says the command line's file is not there; `then` comes once the
    // sentence has ended, or the limit has passed.
    void say_missing_file(std::function<void()> then = {});
    // A command line handed over during a run cancels it once it runs; the run's end
    // then takes the command line.
    void cancel_run_for_hand_over();
    void take_handed_over();
    bool run_under_way() const;
    // Start-up goes on: the stage loads its characters, the editor takes the kept script.
    void go_on_after_first_paint();
    void load_characters_after_paint(int16_t mode);

    pw::engine::RunState& state_;
    // The key source outlives the hook that uses it.
    std::unique_ptr<pw::platform::KeySource> key_source_;
    std::unique_ptr<pw::engine::KeyboardHandler> keys_;
    QMdiArea* area_ = nullptr;
    pw::stage::StageWindow* stage_ = nullptr;
    ScriptWindow* script_ = nullptr;
    QMdiSubWindow* stage_window_ = nullptr;
    QMdiSubWindow* script_window_ = nullptr;
    LoadSaveWindow* save_ = nullptr;
    QMdiSubWindow* save_window_ = nullptr;
    pw::media::SoundLibrary* sounds_ = nullptr;
    QMdiSubWindow* sounds_window_ = nullptr;
    pw::media::SoundWindow* audio_ = nullptr;
    QMdiSubWindow* audio_window_ = nullptr;
    QPointer<QMdiSubWindow> clock_window_;
    pw::media::ClockWindow* clock_ = nullptr;
    std::unique_ptr<pw::media::MonotonicClock> hires_timer_;
    ProcessStartUp process_;
    QString start_folder_;  // where the program was started: relative paths mean there
    bool started_ = false;  // start-up is over
    std::optional<QStringList> handed_over_;  // waits for the end of start-up or of a run
    bool run_cancelled_ = false;              // for it
    InfoBar* info_ = nullptr;
    bool painted_ = false;
    // The rest of opening the windows, once the frame has painted (or had the time to).
    std::function<void()> after_first_paint_;
    // The last Esc was pressed in a menu, a list or a question box, which took it.
    bool escape_taken_elsewhere_ = false;
    QMenuBar* menu_bar_ = nullptr;
    QPointer<pw::media::AboutWindow> about_;
    QPointer<QWidget> sysinfo_;
    HelpWindow* help_ = nullptr;
    QMdiSubWindow* help_window_ = nullptr;
};

}  // namespace pw::app
