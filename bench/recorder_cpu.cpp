// What recording costs: the whole process's CPU time (user + system) while the audio
// recorder records, its window shown with the time running and the level meter moving,
// against the same process with the recorder open and idle. The microphone is a
// recording (PELLWORKS_MIC_FILE), heard in real time as a sound card would deliver it.
// Needs an X server to paint on: run it as
//   tests/with-xvfb build/bin/bench_recorder_cpu [seconds]
// Prints the median share of one core over five takes; the goal is at most 3 %.

#include "agent/acs/wav_audio.h"
#include "media/sound_window.h"
#include "media/level_meter.h"
#include "agent/voice/wave_recorder.h"
#include "tests/fakes/fake_agent.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int takes = 5;

double process_cpu_seconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Speech-like: a tone whose loudness rises and falls twice a second.
QByteArray voice_like_wave(int seconds)
{
    pw::acs::PcmAudio a;
    a.sample_rate = 16000;
    a.channels = 1;
    const int n = a.sample_rate * seconds;
    a.samples.resize(2 * n);
    for (int i = 0; i < n; ++i) {
        const double envelope = 0.5 + 0.5 * std::sin(i * 2 * M_PI * 2 / a.sample_rate);
        const auto s = qint16(20000 * envelope * std::sin(i * 0.09));
        a.samples[2 * i] = char(s & 0xff);
        a.samples[2 * i + 1] = char((s >> 8) & 0xff);
    }
    return pw::acs::encode_wav(a);
}

// CPU share of one core while the event loop runs for `ms`.
double share_over(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    const double c0 = process_cpu_seconds();
    wall.start();
    loop.exec();
    return 100.0 * (process_cpu_seconds() - c0) / (double(wall.nsecsElapsed()) / 1e9);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 15;

    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("wav"));
    const QString mic = home.filePath(QStringLiteral("mic.wav"));
    QFile f(mic);
    if (!f.open(QIODevice::WriteOnly) || f.write(voice_like_wave(60)) <= 0) return 1;
    f.close();
    qputenv("PELLWORKS_MIC_FILE", mic.toLocal8Bit());

    pw::fakes::FakeAgent agent;
    pw::engine::RunState state(agent);
    state.user_folder = home.path();
    pw::media::SoundWindow recorder(state);
    recorder.show();
    share_over(1000);  // settle after showing

    std::vector<double> idle, recording;
    bool meter_moved = false;
    for (int take = 0; take < takes; ++take) {
        idle.push_back(share_over(seconds * 1000 / 3));
        recorder.name_box->setText(QStringLiteral("bench"));
        recorder.action_button_clicked(0);
        share_over(500);  // the microphone opens
        recording.push_back(share_over(seconds * 1000));
        meter_moved = meter_moved || recorder.level_meter->shown_level() > 0.0;
        if (!recorder.is_recording()) {
            std::fprintf(stderr, "the recorder stopped recording\n");
            return 1;
        }
        recorder.action_button_clicked(2);
        recorder.show();
        recorder.prepare();
    }
    std::printf("bench_recorder_cpu: %d takes of %d s: recording median %.2f %% of a core (min %.2f, max %.2f), "
                "idle with the window open %.2f %%; meter moved: %s (goal <= 3 %%)\n",
                takes, seconds, median(recording), *std::min_element(recording.begin(), recording.end()),
                *std::max_element(recording.begin(), recording.end()), median(idle), meter_moved ? "yes" : "no");
    return 0;
}
