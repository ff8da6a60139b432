#pragma once
// Where listening gets its audio: the default audio input, or a recording named by
// PELLWORKS_MIC_FILE (for demonstrations and end-to-end tests). Either way the audio
// arrives as 16 kHz mono signed 16-bit samples in native byte order.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace pw::voice {

// How much audio one delivery carries (the device's buffer too). Each delivery wakes
// the listening thread, and while nobody speaks the wake-ups cost more than decoding;
// but a result also waits for the block that holds the end of speech, and 99 results
// in 100 should come within 300 ms of it. On held-out words (clean, faster and
// child-like, 8,820 clips, bench_recognition --block-ms) results came 78 ms (median)
// and 211 ms (99th percentile) after the detector with 30 ms blocks, 85 and 226 ms
// with 50 ms, with the same words heard; with a recording as the microphone, the
// listening thread woke 33 times a second with 30 ms blocks and used 0.51 % of a core,
// and 20 times and 0.29 % with 50 ms (bench/program_bench.py listen, a quiet machine).
constexpr int microphone_block_ms = 50;

class Microphone : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Microphone() override = default;

    // Starts delivering audio(). Without a usable input nothing arrives, and it says
    // so once (qInfo); it never makes audio up.
    virtual void open() = 0;
    // Stops delivering; open() may follow again.
    virtual void close() = 0;

Q_SIGNALS:
    void audio(const QByteArray& samples);
    // There is nothing to hear: no input, one that cannot be opened, one that stopped
    // working, or a recording that cannot be read. Said at every open() that fails,
    // so that whoever records can tell the child.
    void unavailable(const QString& why);
};

using MicrophoneFactory = std::function<std::unique_ptr<Microphone>()>;

// The recording in PELLWORKS_MIC_FILE when that is set, otherwise the default input.
// The environment is read when this is called; the microphone is made later, by the
// thread that will own it.
MicrophoneFactory chosen_microphone();
std::unique_ptr<Microphone> make_microphone();

}  // namespace pw::voice
