#pragma once
// Plays one PCM clip and offers a playback clock for the balloon and the mouth.
// Without a usable output device the same timeline runs silently on the monotonic
// clock, so whatever waits for the end of a sound still gets it on time.

#include "agent/acs/wav_audio.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QObject>
#include <functional>

class QAudioSink;
class QBuffer;
class QTimer;

namespace pw::voice {

class AudioOutput : public QObject {
    Q_OBJECT
public:
    // Where the sound goes and which clock the timeline runs on. The defaults are the
    // system's default output and the monotonic clock; tests choose a silent output
    // and a faster clock.
    struct Setup {
        std::function<QAudioDevice()> device;  // empty: the default output
        std::function<double()> now_ms;         // empty: the monotonic clock
        double speed = 1.0;                     // clock milliseconds per real millisecond
    };

    explicit AudioOutput(QObject* parent = nullptr);
    explicit AudioOutput(Setup setup, QObject* parent = nullptr);
    ~AudioOutput() override;

    // Plays the audio; without a usable output device (null default device, OpenError,
    // or a sink that never starts) it runs silently on the clock for duration_ms and
    // still emits finished(), never from inside this call. A running clip is stopped
    // first.
    void start(const acs::PcmAudio& audio, int duration_ms);
    void stop();  // no finished() after stop()
    bool is_playing() const;
    qint64 position_ms() const;  // playback clock since start(); follows the sink
    bool is_silent() const;      // true when the last start() had no device (or no audio)

Q_SIGNALS:
    void finished();

private:
    qint64 now() const;
    qint64 since(qint64 mark) const { return now() - mark; }
    void arm_end(qint64 clock_ms);
    void start_silent();
    void on_sink_state_changed();
    void check_sink_started();
    void end_reached();
    void finish();
    void tear_down();

    Setup setup_;
    QElapsedTimer steady_;
    QAudioSink* sink_ = nullptr;  // ours; its buffer is its child, both go with deleteLater
    QBuffer* buffer_ = nullptr;
    QTimer* end_timer_ = nullptr;    // silent end, or the deadline of a sink that stalls
    QTimer* start_guard_ = nullptr;  // a sink that never becomes active
    qint64 started_at_ = 0;          // clock times
    qint64 active_at_ = -1;          // -1: the sink has not gone active
    qint64 ends_at_ = 0;             // when end_timer_ is due, on the clock
    qint64 duration_ms_ = 0;
    mutable qint64 last_position_ms_ = 0;
    bool playing_ = false;
    bool silent_ = false;
};

}  // namespace pw::voice
