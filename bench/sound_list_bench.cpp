// How long the sound library takes to list a folder of 1,000 wave files: the folder
// read, the names made, sorted and put into the list, and the list painted once.
// Runs offscreen; prints the median of 21 fills. Goal: at most 100 ms.

#include "agent/acs/wav_audio.h"
#include "media/sound_library.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/recording_run_host.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int files = 1000;
    constexpr int runs = 21;

    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("wav"));
    pw::acs::PcmAudio blip;
    blip.sample_rate = 16000;
    blip.channels = 1;
    blip.samples = QByteArray(3200, '\0');
    const QByteArray wave = pw::acs::encode_wav(blip);
    for (int i = 0; i < files; ++i) {
        // Mixed case and numbers, as children name things.
        QFile f(home.path() + QStringLiteral("/wav/%1Sound %2.%3").arg(QChar(u'A' + i % 26)).arg(i).arg(i % 3 ? "wav" : "WAV"));
        if (!f.open(QIODevice::WriteOnly) || f.write(wave) != wave.size()) return 1;
    }

    pw::fakes::FakeAgent agent;
    pw::engine::RunState state(agent);
    state.user_folder = home.path();
    pw::fakes::RecordingRunHost editor(state);

    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        pw::media::SoundLibrary library(state, editor);
        library.show();
        QElapsedTimer t;
        t.start();
        library.prepare();
        library.sound_list->viewport()->repaint();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (library.sound_list->count() != files) {
            std::fprintf(stderr, "listed %d sounds, not %d\n", library.sound_list->count(), files);
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("bench_sound_list: %d wave files, %d fills: median %.2f ms, min %.2f ms, max %.2f ms (goal <= 100 ms)\n",
                files, runs, ms[ms.size() / 2], ms.front(), ms.back());
    return 0;
}
