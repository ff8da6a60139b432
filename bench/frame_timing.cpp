// Frame timing of the character runtime: plays a long animation of 50-100 ms frames on
// a real character window and prints how far each frame came from its planned time.
//
//   bench_frame_timing [frames]              a synthetic character (default 300 frames)
//   bench_frame_timing FILE.acs ANIMATION    a character file's animation, played 5 times
//   bench_frame_timing --idle SECONDS FILE.acs   CPU of a shown character left to idle
//   bench_frame_timing --walk SECONDS FILE.acs   CPU of a character walking across the screen
//   bench_frame_timing --scaled FACTOR SECONDS FILE.acs ANIMATION|walk
//                                            CPU of a character shown at FACTOR times its
//                                            size, playing ANIMATION again and again or
//                                            walking to and fro
//   bench_frame_timing --scale-frames FILE.acs   time to scale one frame (2x and 0.5x,
//                                            hard and soft edges)
//
// Run it under X (tests/with-xvfb) for real windows; offscreen works too.

#include "agent/acs/acs_reader.h"
#include "agent/acs/frame_renderer.h"
#include "agent/runtime/agent_platform.h"
#include "agent/runtime/character_agent.h"
#include "agent/ui/desktop_character_view.h"
#include "agent/ui/frame_shape.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <QtMath>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <time.h>

using namespace pw;

namespace {

// A 150 x 190 figure: a disc that wanders, so that every frame has its own cut-out.
std::shared_ptr<const acs::CharacterData> synthetic_character(int frames)
{
    acs::CharacterData d;
    d.width = 150;
    d.height = 190;
    d.transparent_index = 0;
    for (int i = 0; i < 256; ++i) d.palette.append(qRgb(i, 255 - i, (i * 7) % 256));
    d.localized.append(acs::LocalizedInfo{0x0409, QStringLiteral("Bench"), {}, {}});
    acs::Animation a;
    a.name = QStringLiteral("Long");
    const int distinct = 24;
    for (int k = 0; k < distinct; ++k) {
        acs::Image img;
        img.width = d.width;
        img.height = d.height;
        img.pixels = QByteArray(img.stride() * img.height, 0);
        const double cx = 75 + 30 * std::cos(k * 0.5), cy = 95 + 40 * std::sin(k * 0.5);
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < 55 * 55)
                    img.pixels[(img.height - 1 - y) * img.stride() + x] = char(1 + (x + y + k) % 250);
        d.images.append(img);
    }
    uint32_t seed = 12345;
    for (int i = 0; i < frames; ++i) {
        seed = seed * 1103515245u + 12345u;
        acs::Frame f;
        f.images.append(acs::FrameImage{uint32_t(i % distinct), 0, 0});
        f.duration = uint16_t(5 + (seed >> 16) % 6);  // 50..100 ms
        a.frames.append(f);
    }
    d.animations.append(a);
    return std::make_shared<const acs::CharacterData>(std::move(d));
}

double percentile(QList<double> v, double p)
{
    if (v.isEmpty()) return 0;
    std::sort(v.begin(), v.end());
    const qsizetype i = std::min<qsizetype>(v.size() - 1, qsizetype(p * (v.size() - 1) + 0.5));
    return v[i];
}

double cpu_seconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU time of this thread: wall time would count the other programs on a busy machine.
double thread_cpu_us()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

}  // namespace

// Loads the character file as "bench"; false, said on standard error, when it cannot.
bool load_bench_character(agent::AgentPlatform& platform, const QString& file)
{
    try {
        platform.load(QStringLiteral("bench"), file);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_frame_timing: %s\n", e.what());
        return false;
    }
}

// Shows the character and lets it idle (IdleStart, levels 1 to 3) for `seconds`.
int measure_idle(QApplication& app, int seconds, const QString& file)
{
    agent::AgentPlatform platform(&agent::make_desktop_view);
    if (!load_bench_character(platform, file)) return 1;
    agent::Character* c = platform.item(QStringLiteral("bench"));
    c->move_to(200, 150, 0);
    c->show();
    int idle_starts = 0;
    QObject::connect(&platform, &agent::AgentControl::IdleStart, &app, [&] { ++idle_starts; });
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpu_seconds();
    QTimer::singleShot(seconds * 1000, &app, [&] { app.quit(); });
    app.exec();
    const double cpu = cpu_seconds() - cpu0;
    std::printf("platform            %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("idle for            %.1f s, IdleStart %d time(s)\n", wall.elapsed() / 1000.0, idle_starts);
    std::printf("cpu while idling    %.2f %% of one core\n", 100.0 * cpu / (wall.elapsed() / 1000.0));
    return 0;
}

// Shows the character at `factor` times its size and keeps it busy for `seconds`:
// playing `animation` again and again, or walking to and fro when it is "walk".
int measure_scaled(QApplication& app, double factor, int seconds, const QString& file, const QString& animation)
{
    agent::RuntimeOptions options;
    options.timings.idle_first_ms = 3600 * 1000;  // busy all the time anyway
    agent::AgentPlatform platform(&agent::make_desktop_view, options);
    if (!load_bench_character(platform, file)) return 1;
    agent::CharacterAgent* c = platform.agent(QStringLiteral("bench"));
    c->set_width(qRound(c->width() * factor));
    c->set_height(qRound(c->height() * factor));
    c->move_to(100, 100, 0);
    agent::Request current = c->show(true);
    const bool walk = animation == QLatin1String("walk");
    bool rightwards = true;
    int frames = 0, rounds = 0;
    c->set_frame_observer([&](qint64, qint64) { ++frames; });
    QElapsedTimer wall;
    double cpu0 = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!current.is_finished()) return;
        if (!wall.isValid()) {  // shown: the measurement starts
            wall.start();
            cpu0 = cpu_seconds();
            frames = 0;
            QTimer::singleShot(seconds * 1000, &app, [&] { app.quit(); });
        }
        try {
            current = walk ? c->move_to(rightwards ? 800 : 100, 100, 2000) : c->play(animation);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bench_frame_timing: %s\n", e.what());
            app.exit(1);
        }
        rightwards = !rightwards;
        ++rounds;
    });
    poll.start(10);
    if (app.exec() != 0) return 1;
    const double cpu = cpu_seconds() - cpu0;
    std::printf("platform            %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("size                %d x %d (%.2f x)\n", c->width(), c->height(), factor);
    std::printf("%-19s %d round(s), %d frames in %.1f s\n", walk ? "walked" : "played", rounds, frames,
                wall.elapsed() / 1000.0);
    std::printf("cpu                 %.1f %% of one core\n", 100.0 * cpu / (wall.elapsed() / 1000.0));
    return 0;
}

// Times the building of one frame's window picture and cut-out at 2x and 0.5x, over
// the first 200 frames of the character.
int measure_frame_scaling(const QString& file)
{
    acs::CharacterData data;
    try {
        data = acs::read_acs_file(file);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_frame_timing: %s\n", e.what());
        return 1;
    }
    QList<QImage> frames;
    for (const acs::Animation& a : data.animations)
        for (const acs::Frame& f : a.frames)
            if (!f.images.isEmpty() && frames.size() < 200) frames.append(acs::compose_frame(data, f));
    if (frames.isEmpty()) {
        std::fprintf(stderr, "bench_frame_timing: no frames\n");
        return 1;
    }
    const QSize native(data.width, data.height);
    for (const bool soft : {false, true})
        for (const double factor : {2.0, 0.5}) {
            const QSize size = (QSizeF(native) * factor).toSize();
            QList<double> us;
            for (const QImage& frame : frames) {
                const double t0 = thread_cpu_us();
                const agent::ui::FrameShape shape = agent::ui::make_frame_shape(frame, size, soft);
                us.append(thread_cpu_us() - t0);
                if (shape.region.isEmpty() && shape.image.isNull()) return 1;  // keeps the work
            }
            std::printf("scale one frame to %dx%d, %s edge (cpu): median %.0f us, p90 %.0f us, max %.0f us (%lld frames)\n",
                        size.width(), size.height(), soft ? "soft" : "hard", percentile(us, 0.5),
                        percentile(us, 0.9), percentile(us, 1.0), static_cast<long long>(us.size()));
        }
    return 0;
}

// Shows the character at the screen's left and lets it walk to the right edge in
// `seconds`, playing its walk all the way.
int measure_walk(QApplication& app, int seconds, const QString& file)
{
    agent::AgentPlatform platform(&agent::make_desktop_view);
    if (!load_bench_character(platform, file)) return 1;
    agent::Character* c = platform.item(QStringLiteral("bench"));
    c->move_to(0, 150, 0);
    const agent::Request shown = c->show(true);
    while (!shown.is_finished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const int right = QGuiApplication::primaryScreen()->geometry().width() - c->width();
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpu_seconds();
    const agent::Request walk = c->move_to(right, 150, seconds * 1000);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (walk.is_finished()) app.quit();
    });
    poll.start(50);
    app.exec();
    const double cpu = cpu_seconds() - cpu0;
    std::printf("platform            %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("walked              %d px in %.1f s\n", right, wall.elapsed() / 1000.0);
    std::printf("cpu while walking   %.2f %% of one core (goal <= 3 %%)\n", 100.0 * cpu / (wall.elapsed() / 1000.0));
    return 0;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == QLatin1String("--idle"))
        return measure_idle(app, std::max(1, args[1].toInt()), args[2]);
    if (args.size() == 3 && args[0] == QLatin1String("--walk"))
        return measure_walk(app, std::max(1, args[1].toInt()), args[2]);
    if (args.size() == 5 && args[0] == QLatin1String("--scaled"))
        return measure_scaled(app, std::max(0.1, args[1].toDouble()), std::max(1, args[2].toInt()), args[3], args[4]);
    if (args.size() == 2 && args[0] == QLatin1String("--scale-frames"))
        return measure_frame_scaling(args[1]);
    std::shared_ptr<const acs::CharacterData> data;
    QString animation = QStringLiteral("Long");
    int rounds = 1;
    try {
        if (args.size() >= 2) {
            data = std::make_shared<const acs::CharacterData>(acs::read_acs_file(args[0]));
            animation = args[1];
            rounds = 5;
        } else {
            data = synthetic_character(args.isEmpty() ? 300 : std::max(10, args[0].toInt()));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_frame_timing: %s\n", e.what());
        return 1;
    }

    agent::RuntimeOptions options;
    options.timings.idle_first_ms = 3600 * 1000;  // no idling in the measurement
    agent::AgentPlatform platform(&agent::make_desktop_view, options);
    platform.load_data(QStringLiteral("bench"), data);
    agent::CharacterAgent* c = platform.agent(QStringLiteral("bench"));
    c->move_to(200, 150, 0);
    c->show(true);

    QList<double> off_ms;
    c->set_frame_observer([&](qint64 planned_ns, qint64 shown_ns) {
        off_ms.append(std::abs(shown_ns - planned_ns) / 1e6);
    });
    agent::Request last;
    try {
        for (int i = 0; i < rounds; ++i) last = c->play(animation);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_frame_timing: %s\n", e.what());
        return 1;
    }
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpu_seconds();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (last.is_finished()) app.quit();
    });
    poll.start(50);
    // A looping animation never ends by itself: measure two minutes of it.
    QTimer::singleShot(120000, &app, [&] { app.quit(); });
    app.exec();
    const double cpu = cpu_seconds() - cpu0;

    std::printf("platform            %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("frames shown        %lld in %.1f s\n", static_cast<long long>(off_ms.size()), wall.elapsed() / 1000.0);
    std::printf("|actual - planned|  median %.2f ms, p99 %.2f ms, max %.2f ms\n", percentile(off_ms, 0.5),
                percentile(off_ms, 0.99), percentile(off_ms, 1.0));
    std::printf("cpu while playing   %.1f %% of one core\n", 100.0 * cpu / (wall.elapsed() / 1000.0));
    const bool ok = percentile(off_ms, 0.5) <= 5.0 && percentile(off_ms, 0.99) <= 20.0;
    std::printf("goal (median <= 5 ms, p99 <= 20 ms): %s\n", ok ? "met" : "MISSED");
    return 0;
}
