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
// but a result also waits for the block that holds the end of speech, and it should
// come within 300 ms. Measured with a recording as the microphone: 30 ms blocks took
// 0.38 % of a core, 50 ms 0.22 %, 100 ms 0.17 %, while on perturbed speech results
// came at most about 260, 360 and 410 ms after the detector.
constexpr int microphone_block_ms = 30;

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
