#pragma once
// The script editor: the script's text, and the buttons that play, cancel and clear
// it. It is also what a running script sees of the windows (engine::RunHost): the
// running line is marked in the text, the text is locked while it runs, the clock
// ticks, sounds play on its wave device.

#include "engine/run_state.h"
#include "engine/report_timer.h"
#include "engine/run_host.h"

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;

namespace pw::engine {
class KeyboardHandler;
}
namespace pw::voice {
class WaveDevice;
}

namespace pw::app {

class Autosave;
class ChildWindows;
class ScriptEdit;
class SpeedRow;

class ScriptWindow : public QWidget, public pw::engine::RunHost {
    Q_OBJECT
public:
    explicit ScriptWindow(pw::engine::RunState& state, QWidget* parent = nullptr);
    ~ScriptWindow() override;

    // ---- Controls ----
    QPlainTextEdit* script_text = nullptr;
    QPushButton* file_button = nullptr;  // "File": the Load/Save window
    QPushButton* play_pellwick = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* clear = nullptr;
    QCheckBox* hideit = nullptr;
    QWidget* button_row = nullptr;  // the buttons and the hide box, along the top
    SpeedRow* speed_row = nullptr;  // the run's speed, below them, and the Step button
    QTimer* clock_timer = nullptr;
    QStatusBar* status_bar = nullptr;
    QLabel* status_panel1 = nullptr;  // panel 1 of status_bar: the current file
    QLabel* not_kept_panel = nullptr;  // shown while the unsaved text cannot be kept
    QLabel* waiting_panel = nullptr;  // what the run waits for; the file panel gives way
    std::array<QLabel*, 2> convert{};  // the last random X and Y; never shown
    pw::voice::WaveDevice* wave_player = nullptr;

    // The main window, for hiding the windows and for the clock; may stay unset (a
    // lone editor then has no clock and nothing else to hide).
    void set_child_windows(ChildWindows* windows) { windows_ = windows; }
    // The keyboard hook of key waits; the main window owns it. Set before prepare,
    // which makes this window the one the hook reports to.
    void set_keyboard_handler(pw::engine::KeyboardHandler* keys) { keys_ = keys; }

    // ---- Handlers ----
    void prepare();
    // Runs the script; returns when the run is over.
    void play_pellwick_clicked();
    // Step by step: the marked line runs; with no run under way, the run starts.
    void step_clicked();
    void cancel_clicked();
    void cancel_it();
    // Asks before it empties a script; a double click on a character says yes.
    void clear_clicked();
    // Opens "Load/Save Script" and returns at once.
    void file_button_clicked();
    void clock_timer_ticked();
    void wave_player_done();
    // clock_timer runs while a run wants the clock ticking and the clock is on the screen.
    void clock_shown_or_hidden();

    // The cursor goes to the end of the script, which scrolls into view: where the
    // composer has just added a line.
    void show_last_line();

    // Panel 1 of the status bar.
    void set_current_file(const QString& file_name);
    QString current_file_text() const;

    // ---- Keeping the script ----
    // At a plain start: a script kept from an earlier session that was not saved
    // comes back (the status says "Not saved yet"), and the cursor waits in the
    // editor, ready for typing.
    void start_editing();
    // A file's text replaces the editor's; what was typed until now is kept first.
    void show_file_text(const QString& text, const QString& file_name);
    // The editor's text went to the file of that name.
    void text_saved_as(const QString& file_name);
    Autosave& autosave() const { return *autosave_; }
    ScriptEdit& edit() const { return *edit_; }
    static QString not_saved_text() { return QStringLiteral("Not saved yet"); }
    static QString not_kept_text() { return QStringLiteral("Not kept! Save with File"); }
    static QString not_kept_sentence()
    {
        return QStringLiteral("I can't keep a copy of your script. Please save it with the File button!");
    }

    static QString clear_question();
    // Design size of the window, in twips.
    static constexpr int design_width_twips = 4740;
    static constexpr int design_height_twips = 6330;

    // ---- engine::RunHost ----
    QString editor_text() const override;
    void set_editor_text(const QString& text) override;
    void mark_line(int line, int column, int length) override;
    void clear_line_mark() override;
    void focus_editor() override;
    void repaint_editor() override;
    void set_editor_read_only(bool on) override;
    bool hide_forms_checked() const override;
    void set_convert_labels(const QString& x, const QString& y) override;
    void set_clock_ticking(bool on) override;
    void show_clock() override;
    void unload_clock() override;
    void hide_forms() override;
    void show_forms() override;
    void play_wave(const QString& path) override;
    void stop_wave() override;
    void install_key_hook() override;
    void remove_key_hook() override;
    void set_report_timer(bool enabled, int interval_ms) override;
    bool start_program(const QString& command_line) override;
    void message_box(const QString& text, std::function<void()> closed) override;
    void show_waiting(const QString& sentence) override;
    void run_started() override;
    void run_over() override;

signals:
    void script_started();
    void run_finished();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void build_controls();
    void place_controls();
    void mark_running_line(int doc_start, int doc_end);
    // Empties the editor and forgets its file.
    void clear_script();
    void keeping_failed(const QString& reason);

    pw::engine::RunState& state_;
    ScriptEdit* edit_ = nullptr;
    Autosave* autosave_ = nullptr;
    bool clock_wanted_ = false;  // a run is on and its clock ticks
    bool told_not_kept_ = false;  // the child hears it once, the panel shows it on
    // How the program ended before this window kept the script on the way out.
    std::function<void(int)> exit_before_;
    ChildWindows* windows_ = nullptr;
    pw::engine::KeyboardHandler* keys_ = nullptr;
    // The waits' reminder timer.
    pw::engine::ReportTimer report_timer_;
};

}  // namespace pw::app
