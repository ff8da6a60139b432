// Runner benchmark against the fake platform (requests complete as soon as events run).
//
// 1. A 200-line script at interval 0, timed over 21 runs. Each run pays the
//    preparation, 200 lines (prefix, highlight, statement) and the end-of-run block.
//    Goal for charpos lines: a median of at most 20 ms. Speak lines add a queued request
//    per line, with the other character waiting for it and the sequential wait for its
//    completion.
// 2. A tight loop: "do" and "loop 200000" at interval 0, the fastest a script can spin.
//    The run hands control back to the event loop about once a millisecond, so that
//    Cancel, Esc and a double click still reach it; the wall-clock and CPU medians over
//    7 runs show what that costs. Goal: no more than twice the time of a loop that never
//    let events run.

#include "engine/run_state.h"
#include "engine/run_control.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/recording_run_host.h"
#include "tests/fakes/slot_setup.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int runs = 21;
constexpr int lines = 200;

// Pellwick and Tansy, both shown, no pause between lines.
struct World {
    pw::fakes::FakeAgent agent;
    pw::engine::RunState state{agent};

    World()
    {
        state.set_start_defaults();
        pw::fakes::load_into_slot(state, agent, 0, QStringLiteral("pellwick"), true);
        pw::fakes::load_into_slot(state, agent, 1, QStringLiteral("tansy"), true);
        state.char_count = 2;
        state.options.interval_seconds = 0.0f;
        state.current_char = QStringLiteral("Pellwick");
    }
};

// An editor that keeps only its selection: recording 200,000 lines would measure the
// recording.
class QuietHost : public pw::engine::RunHost {
public:
    QString text;
    int highlights = 0;
    int messages = 0;
    std::function<void()> on_run_over;

    QString editor_text() const override { return text; }
    void set_editor_text(const QString& t) override { text = t; }
    void mark_line(int, int, int) override { ++highlights; }
    void clear_line_mark() override {}
    void focus_editor() override {}
    void repaint_editor() override {}
    void set_editor_read_only(bool) override {}
    bool hide_forms_checked() const override { return false; }
    void set_convert_labels(const QString&, const QString&) override {}
    void set_clock_ticking(bool) override {}
    void show_clock() override {}
    void unload_clock() override {}
    void hide_forms() override {}
    void show_forms() override {}
    void play_wave(const QString&) override {}
    void stop_wave() override {}
    void install_key_hook() override {}
    void remove_key_hook() override {}
    void set_report_timer(bool, int) override {}
    bool start_program(const QString&) override { return false; }
    void run_over() override
    {
        if (on_run_over) on_run_over();
    }
    void message_box(const QString&, std::function<void()> closed) override
    {
        ++messages;
        if (closed) closed();
    }
};

double cpu_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool bench(const char* what, const QString& line_pattern)
{
    QString script;
    for (int i = 0; i < lines; ++i)
        script += line_pattern.arg(10 + i % 50).arg(20 + i % 30) + QStringLiteral("\r\n");
    script.chop(2);

    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        World w;
        pw::fakes::RecordingRunHost host(w.state);
        host.text = script;

        QElapsedTimer t;
        t.start();
        pw::fakes::run_to_end(w.state, host, script);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (!host.messages.isEmpty() || host.highlights.size() != lines) {
            std::fprintf(stderr, "the %s script did not run as expected\n", what);
            return false;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("bench_runner: %d %s lines at interval 0, %d runs: median %.2f ms, min %.2f ms, max %.2f ms\n",
                lines, what, runs, ms[ms.size() / 2], ms.front(), ms.back());
    return true;
}

bool bench_tight_loop()
{
    constexpr int passes = 200000;
    constexpr int loop_runs = 7;
    const QString script = QStringLiteral("do\r\nloop %1").arg(passes);
    std::vector<double> wall, cpu;
    for (int r = 0; r < loop_runs; ++r) {
        World w;
        QuietHost host;
        host.text = script;
        QElapsedTimer t;
        const double cpu_before = cpu_ms();
        t.start();
        pw::fakes::run_to_end(w.state, host, script);
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
        cpu.push_back(cpu_ms() - cpu_before);
        // The do line, then the loop line once per pass.
        if (host.messages != 0 || host.highlights != passes + 1) {
            std::fprintf(stderr, "the loop did not run as expected (%d lines marked)\n", host.highlights);
            return false;
        }
    }
    const double m = median(wall);
    std::printf("bench_runner: do / loop %d at interval 0, %d runs: median %.1f ms (%.2f us a line), "
                "CPU median %.1f ms, min %.1f ms, max %.1f ms\n",
                passes, loop_runs, m, 1000.0 * m / (passes + 1), median(cpu),
                *std::min_element(wall.begin(), wall.end()), *std::max_element(wall.begin(), wall.end()));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool ok = bench("charpos", QStringLiteral("pellwick> charpos %1,%2"))
        && bench("speak", QStringLiteral("pellwick> speak %1 and %2")) && bench_tight_loop();
    return ok ? 0 : 1;
}
