// How long a key takes from the X server to a key wait: the time from typing a key
// through XTEST (the way xdotool does) to the key source's callback, and to the moment
// a waiting loop sees key_pressed. Also from starting `xdotool key a`, process start
// included. Needs an X server: run it as
//   tests/with-xvfb build-<name>/bin/bench_key_latency [presses]
// Prints the median and the largest time of each; the goal is at most 20 ms.

#include "engine/keyboard_handler.h"
#include "platform/desktop/global_key_source.h"
#include "platform/desktop/x11_key_source.h"
#include "tests/fakes/fake_agent.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

// After the Qt headers: Xlib's macros would clash with them.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

constexpr int vk_a = 65;
constexpr int gap_ms = 25;
constexpr int give_up_ms = 2000;

struct Typist {
    Display* display = XOpenDisplay(nullptr);
    KeyCode a = display ? XKeysymToKeycode(display, XK_a) : 0;
    ~Typist()
    {
        if (display) XCloseDisplay(display);
    }
    void key(bool down) const
    {
        XTestFakeKeyEvent(display, a, down, CurrentTime);
        XFlush(display);
    }
};

void let_events_run_for(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Handles what is pending, sleeping until the next event (or a few ms at most).
void let_one_event_run()
{
    QTimer keep_alive;
    keep_alive.start(5);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void report(const char* what, std::vector<double> ms, int missed)
{
    if (ms.empty()) {
        std::printf("%-52s no key arrived (%d missed)\n", what, missed);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms.size() % 2 ? ms[ms.size() / 2]
                                        : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2.0;
    std::printf("%-52s median %6.2f ms   max %6.2f ms   (%zu presses, %d missed)\n", what, median,
                ms.back(), ms.size(), missed);
}

// Waits for the next key-down of A at the source; the time in ms, or -1.
double source_latency(pw::platform::KeySource& source, const std::function<void()>& type_a)
{
    QEventLoop loop;
    QElapsedTimer clock;
    double latency = -1.0;
    source.install([&](const pw::platform::KeyEvent& e) {
        if (e.vk != vk_a || !e.down || latency >= 0) return;
        latency = double(clock.nsecsElapsed()) / 1e6;
        loop.quit();
    });
    QTimer::singleShot(give_up_ms, &loop, &QEventLoop::quit);
    clock.start();
    type_a();
    loop.exec();
    source.remove();
    return latency;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int presses = argc > 1 ? std::max(1, atoi(argv[1])) : 50;

    auto source = pw::platform::make_global_key_source();
    if (!dynamic_cast<pw::platform::X11KeySource*>(source.get())) {
        std::fprintf(stderr, "bench_key_latency: needs global keys from an X server\n");
        return 1;
    }
    Typist typist;
    if (!typist.display || !typist.a) {
        std::fprintf(stderr, "bench_key_latency: cannot type through XTEST\n");
        return 1;
    }

    // 1. XTEST to the source's callback.
    std::vector<double> to_source;
    int missed = 0;
    for (int i = 0; i < presses; ++i) {
        const double ms = source_latency(*source, [&] { typist.key(true); });
        typist.key(false);
        if (ms < 0) ++missed; else to_source.push_back(ms);
        let_events_run_for(gap_ms);
    }
    report("XTEST key-down -> key source callback", to_source, missed);

    // 2. XTEST to a waiting loop that sees key_pressed, through the keyboard hook.
    pw::fakes::FakeAgent agent;
    pw::engine::RunState state(agent);
    pw::engine::KeyboardHandler keys(state, *source);
    QObject editor;
    keys.key_window = &editor;
    std::vector<double> to_wait;
    missed = 0;
    for (int i = 0; i < presses; ++i) {
        state.key_pressed = false;
        state.last_key = QStringLiteral("a");
        keys.install_key_hook();
        QElapsedTimer clock;
        clock.start();
        typist.key(true);
        while (!state.key_pressed && clock.elapsed() < give_up_ms) let_one_event_run();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        typist.key(false);
        keys.remove_key_hook();
        if (state.key_pressed) to_wait.push_back(ms); else ++missed;
        let_events_run_for(gap_ms);
    }
    report("XTEST key-down -> key wait sees key_pressed", to_wait, missed);

    // 3. The same as 1 from starting `xdotool key a`.
    std::vector<double> from_xdotool;
    missed = 0;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < presses; ++i) {
        const double ms = source_latency(*source, [&] {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("a")});
        });
        runs.back()->waitForFinished(give_up_ms);
        if (ms < 0) ++missed; else from_xdotool.push_back(ms);
        let_events_run_for(gap_ms);
    }
    report("start of `xdotool key a` -> key source callback", from_xdotool, missed);

    // 4. What an idle program spends on keys, hook installed and not.
    for (const bool installed : {true, false}) {
        if (installed) source->install([](const pw::platform::KeyEvent&) {});
        const std::clock_t before = std::clock();
        let_events_run_for(3000);
        const double cpu_ms = 1000.0 * double(std::clock() - before) / CLOCKS_PER_SEC;
        source->remove();
        std::printf("idle for 3 s with the hook %-13s CPU %.1f ms\n",
                    installed ? "installed:" : "not installed:", cpu_ms);
    }
    return 0;
}
