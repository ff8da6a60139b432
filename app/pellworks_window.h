#pragma once
// The main window: a frame holding the stage and the script editor side by side, the
// sound library below the stage, the audio recorder when asked for (and, while a script
// runs, the clock), and the program's start-up: the clock for pauses, the defaults,
// the command line, and the script file it names.

#include "app/child_windows.h"
#include "app/command_line.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QMdiArea;
class QMenu;
class QMdiSubWindow;
class QTimer;

namespace pw::agent {
class AgentControl;
}
namespace pw::engine {
class KeySource;
class Keyboardhandler;
class pellwick_mod;
}
namespace pw::media {
class CTime;
class audio_form;
class sounds;
}
namespace pw::stage {
class pellwick_form;
}

namespace pw::app {

class help_window;
class save;
class script_form;

class Pellworks : public QMainWindow, public ChildWindows {
    Q_OBJECT
public:
    Pellworks(pw::agent::AgentControl& agent, pw::engine::pellwick_mod& mod, QWidget* parent = nullptr);
    ~Pellworks() override;

    QMdiArea* area() const { return area_; }
    pw::stage::pellwick_form* stage() const { return stage_; }
    script_form* script() const { return script_; }
    QMdiSubWindow* stage_window() const { return stage_window_; }
    QMdiSubWindow* script_window() const { return script_window_; }
    // "Load/Save Script", made when the File button first asks for it; nullptr before.
    save* save_dialog() const { return save_; }
    QMdiSubWindow* save_window() const { return save_window_; }
    pw::media::sounds* sound_library() const { return sounds_; }
    QMdiSubWindow* sounds_window() const { return sounds_window_; }
    // The recorder, once "Record Audio" opened it; nullptr before.
    pw::media::audio_form* recorder() const { return audio_; }
    QMdiSubWindow* recorder_window() const { return audio_window_; }

    // Start-up, from the running event loop: clock, defaults, command line, windows,
    // the stage's characters, then the file (loaded, and run for runout and runin).
    // In runout mode the main window stays hidden.
    void MDIForm_Load(const QString& arguments);

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
    pw::media::clock_form* clock() const override;
    void show_load_save() override;

    static QString missing_file_sentence() { return QStringLiteral("   Can't find that file."); }

    // ---- The menu ----
    QAction* exit = nullptr;
    QMenu* get_character = nullptr;
    QAction* show_all = nullptr;
    QAction* hide_all = nullptr;
    QAction* hide_all_but_pellwick = nullptr;
    QAction* audio = nullptr;  // "Record Audio"
    void exit_Click();
    // The introduction: Pellwick presents every other character in turn.
    void show_all_Click();
    void hide_all_Click();
    // Pellwick alone, in the middle of the screen unless the script is there.
    void hide_all_but_pellwick_Click();
    // Opens the recorder, idle, at its place.
    void audio_Click();

    // ---- Quitting: the spoken question, from the close box and a Shift+click ----
    QTimer* current_timer = nullptr;  // every second
    void current_timer_Timer();
    void confirm_quit();
    pw::engine::Keyboardhandler& keys() const { return *keys_; }

    // ---- The Window menu and the help book (pellworks_help.cpp) ----
    QMenu* window_menu = nullptr;  // "Window": brings back a closed child
    QAction* show_script = nullptr;
    QAction* show_actions = nullptr;
    QAction* show_sounds = nullptr;
    QAction* show_clock_window = nullptr;  // only while a script runs
    QAction* help = nullptr;  // "Help"
    // Where the book's pages are; empty: help/ in the program folder.
    QString help_folder;
    // Opens the help book at its first page.
    void show_help_book();
    // Opens the page of the statement of a script line (F1 in the Script window).
    void show_help_for(const QString& line);
    help_window* help_book() const { return help_; }
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
    void build_window_and_help_menus();
    // Shows a child again (a closed one is only hidden) and brings it to the front.
    void bring_back(QMdiSubWindow* sub);
    help_window* open_help_window();
    void place_children();
    // The script editor stands beside the stage, however wide the stage has become,
    // and the Sounds window below it.
    void place_script_beside_stage();
    // The script grows taller with the frame.
    void grow_children();

    pw::engine::pellwick_mod& mod_;
    // The key source outlives the hook that uses it.
    std::unique_ptr<pw::engine::KeySource> key_source_;
    std::unique_ptr<pw::engine::Keyboardhandler> keys_;
    QMdiArea* area_ = nullptr;
    pw::stage::pellwick_form* stage_ = nullptr;
    script_form* script_ = nullptr;
    QMdiSubWindow* stage_window_ = nullptr;
    QMdiSubWindow* script_window_ = nullptr;
    save* save_ = nullptr;
    QMdiSubWindow* save_window_ = nullptr;
    pw::media::sounds* sounds_ = nullptr;
    QMdiSubWindow* sounds_window_ = nullptr;
    pw::media::audio_form* audio_ = nullptr;
    QMdiSubWindow* audio_window_ = nullptr;
    QPointer<QMdiSubWindow> clock_window_;
    pw::media::clock_form* clock_ = nullptr;
    std::unique_ptr<pw::media::CTime> hires_timer_;
    help_window* help_ = nullptr;
    QMdiSubWindow* help_window_ = nullptr;
};

}  // namespace pw::app
