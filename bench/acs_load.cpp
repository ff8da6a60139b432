// Loading benchmark for character files: writes a large character (about 2 MB, many
// frames of noisy pictures so that compression cannot shrink it away), then times
// reading it back and drawing its frames.
//
//   bench_acs_load                   the large synthetic character
//   bench_acs_load FILE.acs...       the time to read all the given files, one after the other,
//                                    then to draw each of their frames twice

#include "agent/acs/acs_reader.h"
#include "agent/acs/acs_writer.h"
#include "agent/acs/frame_renderer.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
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

// Reads every file once per run, as the stage does at start-up.
int load_files(const QStringList& files)
{
    qint64 bytes = 0;
    for (const QString& f : files) bytes += QFileInfo(f).size();
    QList<double> load;
    QElapsedTimer t;
    for (int run = 0; run < 21; ++run) {
        t.start();
        for (const QString& f : files) {
            try {
                read_acs_file(f);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "bench_acs_load: %s\n", e.what());
                return 1;
            }
        }
        load.append(double(t.nsecsElapsed()) / 1e6);
    }
    // The first run is what start-up sees: fresh memory for every picture.
    std::printf("%lld files, %.2f MB: first %.2f ms, then median %.2f ms, min %.2f ms to read them all (%lld runs; "
                "goal <= 60 ms)\n",
                qlonglong(files.size()), double(bytes) / 1e6, load.first(), median(load.mid(1)),
                *std::min_element(load.begin(), load.end()), qlonglong(load.size()));

    // Pictures are decoded when first drawn: what that costs, over every frame of
    // every file, against drawing them again.
    QList<CharacterData> loaded;
    for (const QString& f : files) loaded.append(read_acs_file(f));
    double draw_ms[2] = {};
    int frames = 0;
    for (double& ms : draw_ms) {
        t.start();
        for (const CharacterData& d : loaded)
            for (const Animation& a : d.animations)
                for (const Frame& f : a.frames) {
                    render_frame(d, f);
                    ++frames;
                }
        ms = double(t.nsecsElapsed()) / 1e6;
    }
    std::printf("drawing all %d frames: first time %.2f ms (decoding the pictures), again %.2f ms\n", frames / 2,
                draw_ms[0], draw_ms[1]);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc > 1) {
        QStringList files;
        for (int i = 1; i < argc; ++i) files << QString::fromLocal8Bit(argv[i]);
        return load_files(files);
    }
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
