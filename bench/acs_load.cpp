// Loading benchmark for character files: writes a large character (about 2 MB, many
// frames of noisy pictures so that compression cannot shrink it away), then times
// reading it back and drawing its frames.

#include "agent/acs/acs_reader.h"
#include "agent/acs/acs_writer.h"
#include "agent/acs/frame_renderer.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace pw::acs;

namespace {

// A figure on the transparent background whose inside is speckled with a few
// colours, roughly what shaded artwork looks like to the codec, only worse.
Image noisy_picture(int w, int h, QRandomGenerator& rng)
{
    Image img;
    img.width = w;
    img.height = h;
    img.pixels = QByteArray(img.stride() * h, char(10));
    const uint8_t base = uint8_t(16 + rng.bounded(200));
    for (int y = 0; y < h; ++y) {
        const double dy = (y - h / 2.0) / (h / 2.0);
        for (int x = 0; x < w; ++x) {
            const double dx = (x - w / 2.0) / (w / 2.0);
            if (dx * dx + dy * dy > 0.95) continue;
            img.pixels[(h - 1 - y) * img.stride() + x] = char(base + rng.bounded(24));
        }
    }
    return img;
}

CharacterData large_character()
{
    QRandomGenerator rng(42);
    CharacterData d;
    d.width = 160;
    d.height = 140;
    d.guid = QUuid::createUuid();
    d.balloon = BalloonInfo{};
    d.voice = VoiceInfo{};
    for (int i = 0; i < 256; ++i) d.palette.append(qRgb(i, i / 2, 255 - i));
    for (int i = 0; i < 140; ++i) d.images.append(noisy_picture(150, 130, rng));
    for (int a = 0; a < 35; ++a) {
        Animation anim;
        anim.name = QStringLiteral("Animation%1").arg(a);
        for (int f = 0; f < 8; ++f) {
            Frame frame;
            frame.images = {{uint32_t(rng.bounded(140)), 5, 5}, {uint32_t(rng.bounded(140)), 0, 0}};
            anim.frames.append(frame);
        }
        d.animations.append(anim);
    }
    d.localized = {{0x0409, QStringLiteral("Bench"), QStringLiteral("A large test character"), QString()}};
    return d;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.acs"));
    const CharacterData d = large_character();
    QElapsedTimer t;
    t.start();
    write_acs_file(d, path);
    const double write_ms = double(t.nsecsElapsed()) / 1e6;
    std::printf("file: %.2f MB, %lld pictures, %lld animations; written in %.1f ms\n",
                double(QFileInfo(path).size()) / 1e6, qlonglong(d.images.size()), qlonglong(d.animations.size()),
                write_ms);

    QList<double> load;
    for (int run = 0; run < 21; ++run) {
        t.restart();
        const CharacterData back = read_acs_file(path);
        load.append(double(t.nsecsElapsed()) / 1e6);
        if (back.images.size() != d.images.size()) return 1;
    }
    std::printf("read_acs_file: median %.2f ms, min %.2f ms (%lld runs; goal <= 50 ms)\n", median(load),
                *std::min_element(load.begin(), load.end()), qlonglong(load.size()));

    int frames = 0;
    t.restart();
    for (int round = 0; round < 5; ++round)
        for (const Animation& a : d.animations)
            for (const Frame& f : a.frames) {
                render_frame(d, f);
                ++frames;
            }
    std::printf("render_frame: %.1f us per %dx%d frame of two pictures\n", double(t.nsecsElapsed()) / 1e3 / frames,
                d.width, d.height);
    return 0;
}
