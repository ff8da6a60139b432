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

// How much audio one delivery carries. Each one wakes the listening thread, and the
// wake-ups, not the decoding, were most of what listening cost while nobody spoke:
// 30 ms blocks took 0.43 % of a core, 100 ms blocks 0.17 %. The device's buffer is as
// long. A result may come up to one block later than the detector decides.
constexpr int microphone_block_ms = 100;

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
