#pragma once
// A stand-in for the windows around a script run: it keeps the editor's text, the
// marked lines, the random place's labels and the messages, plays waves for wave_ms
// and starts no programs.

#include "engine/run_state.h"
#include "engine/run_host.h"
#include "engine/run_control.h"

#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace pw::fakes {

class RecordingRunHost : public pw::engine::RunHost {
public:
    explicit RecordingRunHost(pw::engine::RunState& state) : state_(state) {}

    // ---- Set-up ----
    QString text;                  // the editor's text
    bool hide_box = false;         // the "hide" check box
    bool programs_start = true;    // what start_program answers
    // A wave file "plays" this long, then stop_sound is set from the event loop;
    // negative: it never ends by itself.
    int wave_ms = 0;
    // Called when the run is over.
    std::function<void()> on_run_over;

    // ---- What happened ----
    QStringList messages;
    QStringList highlights;        // the editor text of each mark, trimmed
    QString convert_x, convert_y;

    // ---- RunHost ----
    QString editor_text() const override { return text; }
    void set_editor_text(const QString& t) override { text = t; }
    void mark_line(int line, int column, int length) override;
    void clear_line_mark() override {}
    void focus_editor() override {}
    void repaint_editor() override {}
    void set_editor_read_only(bool) override {}
    bool hide_forms_checked() const override { return hide_box; }
    void set_convert_labels(const QString& x, const QString& y) override
    {
        convert_x = x;
        convert_y = y;
    }
    void set_clock_ticking(bool) override {}
    void show_clock() override {}
    void unload_clock() override {}
    void hide_forms() override {}
    void show_forms() override {}
    void play_wave(const QString& path) override;
    void stop_wave() override {}
    void install_key_hook() override {}
    void remove_key_hook() override {}
    // The reminders never tick: nothing waits for them here.
    void set_report_timer(bool, int) override {}
    bool start_program(const QString&) override { return programs_start; }
    void run_over() override
    {
        if (on_run_over) on_run_over();
    }
    // Closes the box at once.
    void message_box(const QString& text, std::function<void()> closed) override;

private:
    pw::engine::RunState& state_;
    QObject timers_;  // owns the pending end-of-playback timers
    QString split_text_;  // the text that text_lines_ was cut from
    QStringList text_lines_;
};

// Starts a run and lets events run until the host hears that it is over, as the
// program's event loop would. The host has an on_run_over to set.
template <typename Host> void run_to_end(pw::engine::RunState& state, Host& host, const QString& text)
{
    QEventLoop loop;
    host.on_run_over = [&loop] { loop.quit(); };
    if (pw::engine::start_run(state, host, text) && state.run_under_way()) loop.exec();
    host.on_run_over = nullptr;
}

}  // namespace pw::fakes
