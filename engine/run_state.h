#pragma once
// The run state of the program and the small routines everybody shares: finding a
// character's slot, random numbers, making a character speak, play or walk, waking the
// run, and ending the program. The program makes one; every test makes its own.

#include "agent/api/agent_control.h"
#include "agent/api/character.h"
#include "agent/api/request.h"
#include "engine/hires_clock.h"
#include "engine/open_questions.h"
#include "engine/run_character.h"
#include "engine/run_options.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTime>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace pw::engine {

class OutsideWait;
class RunEvents;
class ScriptRunner;

class RunState {
public:
    explicit RunState(pw::agent::AgentControl& agent);
    ~RunState();
    RunState(const RunState&) = delete;
    RunState& operator=(const RunState&) = delete;

    pw::agent::AgentControl& agent() { return agent_; }

    // ---- State of the running script ----
    bool script_running = false;
    bool cancel_requested = false;
    bool step_pressed = false;  // step by step: the next line may run
    RunOptions options;
    bool line_done = false;
    bool request_busy = false;
    bool agent_idle = false;
    bool report_due = false;
    int16_t command_line_mode = 0;  // 0 none, 1 runout, 2 runin, 3 load
    bool waiting = false;
    bool key_pressed = false;
    QString last_key;
    bool listening = false;
    // A bump wait is under way: a character moving wakes the run.
    bool watching_moves = false;
    // How often the run was woken: a wait that looks on its own as well can tell
    // whether anything happened since its last look.
    quint64 wakes = 0;
    bool word_heard = false;
    QString heard_word;
    bool stop_sound = false;
    // A cancel is under way (a second one changes nothing).
    bool cancelling = false;
    QString current_char;

    // ---- The character table: one slot per character ----
    int16_t char_count = 0;
    QList<RunCharacter> characters;

    int32_t screen_height_px = 0;
    int32_t screen_width_px = 0;
    int32_t tickle_step_x = 0;
    int32_t tickle_step_y = 0;
    HiresClock* hires_timer = nullptr;  // not owned
    double hires_frequency = 0.0;       // 0: no high-resolution clock, use the tick
    QString version_text;
    bool char_clicked = false;
    bool intro_playing = false;
    pw::agent::Request intro_request;
    OpenQuestions questions;

    // ---- Settings of this object (not run state) ----
    // Where the program's own chars/ and starter files live; the executable's folder by
    // default.
    QString program_folder;
    // The child's own writable folder with scripts/ and wav/ (the program sets it).
    QString user_folder;
    // Loads (or reloads) a character by id; the stage provides it.
    std::function<void(const QString& id)> character_loader;
    // Ends the process at once. The default stops nothing it does not know about:
    // it flushes the standard streams and exits. Tests replace it and it returns.
    std::function<void(int code)> exit_program;
    // The longest a run waits for the characters to go idle.
    std::chrono::milliseconds wait_idle_limit{15000};
    // How long quit_program lets each character say goodbye.
    int goodbye_pause_ms = 4000;
    // The time of day, read only by waits for a clock time; the system's when unset.
    std::function<QTime()> time_of_day;

    // The values the program starts with (interval 5, report 5, tickle steps 20,
    // 200 slots).
    void set_start_defaults();
    // Gives the table slots 0..count and leaves char_count alone.
    void size_slots(int count);
    int slot_count() const { return int(characters.size()); }

    // ---- The run ----
    // The run under way, or the last one (over); null before the first.
    ScriptRunner* runner() const { return runner_.get(); }
    // Takes a new run; the one before must be over.
    void set_runner(std::unique_ptr<ScriptRunner> runner);
    bool run_under_way() const;
    // Something a run may wait for has changed: the run looks again, from the event loop,
    // and so do the waits outside a run (a question a window asks).
    void wake_run();
    void add_outside_wait(OutsideWait* wait);
    void remove_outside_wait(OutsideWait* wait);
    // While a cancel, the goodbyes or a question asked from a window are under way, the
    // run takes no step; the last release wakes it.
    void hold_run() { ++run_holds_; }
    void release_run();
    bool run_held() const { return run_holds_ > 0; }
    // The wave device's playback is over.
    void sound_ended();
    // Owns what goes on from the event loop for this run state (the goodbyes, a cancel).
    QObject& steps_owner() { return steps_owner_; }

    // ---- Lookups ----
    // The slot of a character id, case ignored; -1 when no slot holds it.
    int char_index(const QString& id) const;
    void ensure_loaded(const QString& id);
    int char_left(const QString& id);
    int char_top(const QString& id);

    // A whole number from 0 to n, both included (0 for n = 0).
    int random_int(int n);
    void seed_random(uint64_t seed) { random_.seed(seed); }

    // ---- Character routines: each keeps the new request as the slot's last one ----
    void char_say(int slot, const QString& text);
    void char_play(int slot, const QString& animation);
    void char_move_to(int slot, int16_t x, int16_t y, int32_t speed);
    // In sequential mode every other loaded character queues a wait for the request.
    void hold_others(const pw::agent::Request& request);

    // ---- Ending the program ----
    // Visible characters say goodbye one after the other and are unloaded, then the
    // process ends with `code` (not 0 when it ends because something failed). Returns at
    // once; the goodbyes go on from the event loop and hold any run meanwhile. Asked
    // again while they go on (Ctrl+Q seen by the key hook and by a window), it does
    // nothing more.
    void quit_program(int code = 0);
    void end_program(int code = 0);

private:
    pw::agent::Character& loaded_character(int slot) const;

    pw::agent::AgentControl& agent_;
    std::mt19937_64 random_;
    // Before steps_owner_: the waits it owns leave this list as they go.
    std::vector<OutsideWait*> outside_waits_;
    QObject steps_owner_;
    int run_holds_ = 0;
    bool quitting_ = false;
    std::unique_ptr<RunEvents> events_;
    std::unique_ptr<ScriptRunner> runner_;
};

}  // namespace pw::engine
