#pragma once
// What a script run needs of the windows around it: the script editor's text,
// selection, focus and read-only state, the "hide" check box, the clock, the two
// hidden position labels, hiding and showing the windows, the wave device, starting
// programs and message boxes. The script editor window provides it in the program;
// tests use a recording one. The engine never sees a widget.

#include <QString>

#include <functional>

namespace pw::engine {

class RunHost {
public:
    virtual ~RunHost() = default;

    // ---- The script editor (script_text) ----
    virtual QString editor_text() const = 0;
    virtual void set_editor_text(const QString& text) = 0;
    // Marks and selects `length` characters from `column` of line `line` (both counted
    // from 0): the running line, or what is at fault.
    virtual void mark_line(int line, int column, int length) = 0;
    // Takes the mark away; the cursor stays where it began.
    virtual void clear_line_mark() = 0;
    virtual void focus_editor() = 0;
    virtual void repaint_editor() = 0;
    virtual void set_editor_read_only(bool on) = 0;
    // The "hide" check box: hide the windows while a script plays.
    virtual bool hide_forms_checked() const = 0;
    // The two hidden labels convert(0) and convert(1): the last random X and Y.
    virtual void set_convert_labels(const QString& x, const QString& y) = 0;

    // ---- The clock: the editor's 50 ms timer and the clock window ----
    virtual void set_clock_ticking(bool on) = 0;
    virtual void show_clock() = 0;
    virtual void unload_clock() = 0;

    // ---- The stage, the script editor and the sound library windows ----
    virtual void hide_forms() = 0;
    virtual void show_forms() = 0;

    // ---- The wave device ----
    // Starts playing a wave file; when playback is done (or cannot happen) the host
    // calls sound_ended() on the run state, from the event loop.
    virtual void play_wave(const QString& path) = 0;
    virtual void stop_wave() = 0;

    // ---- Keys (the global key hook of key waits) ----
    virtual void install_key_hook() = 0;
    virtual void remove_key_hook() = 0;

    // ---- The waits' reminder timer (report_timer) ----
    // Each tick sets report_due on the run state. It ticks only while enabled with an
    // interval above 0. Setting the interval it already has keeps its rhythm (a wait
    // sets it on every pass); a new interval, or switching it on, counts afresh.
    virtual void set_report_timer(bool enabled, int interval_ms) = 0;

    // ---- The desktop ----
    // Starts a command line as a new process, minimised and focused where the desktop
    // allows; does not wait. False when it could not be started.
    virtual bool start_program(const QString& command_line) = 0;
    // A message box titled with the program's title and an OK button (traced). Returns
    // at once; `closed` runs once the child has closed it.
    virtual void message_box(const QString& text, std::function<void()> closed) = 0;

    // ---- The run ----
    // What the run is waiting for, in a child's words; empty once it waits no more.
    virtual void show_waiting(const QString& sentence) { (void)sentence; }
    // The script's lines are read and it runs: a cancel from now on is kept.
    virtual void run_started() {}
    // The run is over (ended, cancelled or failed): Play may start another.
    virtual void run_over() {}
};

}  // namespace pw::engine
