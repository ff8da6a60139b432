// CPU that the main window's status bar costs: the 300 ms clock panel and the
// one-second free-space panel, shown and painting, against the same event loop
// without them. Run it under tests/with-xvfb (or offscreen). Prints the median.

#include "app/info_bar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double cpu_ms()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Percent of a core while the event loop runs for `ms`.
double loop_cpu(int ms)
{
    const double c0 = cpu_ms();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return 100.0 * (cpu_ms() - c0) / double(wall.elapsed());
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::vector<double> with, without;
    for (int run = 0; run < 3; ++run) {
        without.push_back(loop_cpu(seconds * 1000));
        pw::app::InfoBar bar;
        QTimer current_timer;  // the main window's one-second timer
        QObject::connect(&current_timer, &QTimer::timeout, &bar, &pw::app::InfoBar::show_free_space);
        current_timer.start(1000);
        bar.resize(1200, 30);
        bar.show();
        with.push_back(loop_cpu(seconds * 1000));
    }
    std::sort(with.begin(), with.end());
    std::sort(without.begin(), without.end());
    std::printf("status bar timers over %d s: median %.3f %% of a core with them, %.3f %% without, cost %.3f %%\n",
                seconds, with[1], without[1], with[1] - without[1]);
    return 0;
}
