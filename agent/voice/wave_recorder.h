#pragma once
// Records a take from the microphone (the default audio input, or the recording named
// by PELLWORKS_MIC_FILE) into memory as 16 kHz mono 16-bit PCM. The microphone runs on
// a thread of its own, so a window that is busy for a moment loses no audio; the
// samples reach this object through queued signals. A take ends when it is stopped or
// when it reaches its longest length. Nothing is written to disk here.

#include "agent/voice/microphone.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QThread;

namespace pw::voice {

class CaptureWorker;

class WaveRecorder : public QObject {
    Q_OBJECT
public:
    static constexpr int sample_rate = 16000;

    explicit WaveRecorder(QObject* parent = nullptr);
    ~WaveRecorder() override;

    // Where takes come from; unset, chosen_microphone() at every start().
    void set_microphone_factory(MicrophoneFactory factory) { factory_ = std::move(factory); }

    // Starts a new take, dropping the last one. Without a microphone unavailable()
    // follows (from the event loop) and the take ends empty.
    void start(int longest_ms);
    // Ends the take and hands over its samples: what has arrived up to now, or the
    // whole take when it already ended by its length.
    QByteArray stop();
    bool is_recording() const { return recording_; }
    qint64 recorded_ms() const { return take_.size() / 2 * 1000 / sample_rate; }

    // Loudness of a block of samples on a scale a meter can show: 0 for silence (and
    // anything below -50 dB of full scale) up to 1 for a full-scale block.
    static double level_of(const QByteArray& samples);

Q_SIGNALS:
    // Every 60 ms of audio: the loudness of the loudest block since the last report
    // (level_of) and the take's length so far.
    void heard(double level, qint64 recorded_ms);
    // The microphone cannot be heard; the take is over.
    void unavailable(const QString& why);
    // The take reached its longest length and stopped by itself.
    void longest_reached();

private:
    void take_in(const QByteArray& samples);
    void lost_microphone(const QString& why);
    void close_microphone();

    MicrophoneFactory factory_;
    QThread* thread_ = nullptr;
    CaptureWorker* worker_ = nullptr;  // lives on thread_
    QByteArray take_;
    qint64 longest_bytes_ = 0;
    qint64 reported_at_ = 0;  // take_.size() at the last heard()
    double loudest_ = 0.0;
    bool recording_ = false;
};

}  // namespace pw::voice
