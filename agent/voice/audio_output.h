#pragma once
// Plays one PCM clip and offers a playback clock for the balloon and the mouth.
// Without a usable output device the same timeline runs silently on the monotonic
// clock, so whatever waits for the end of a sound still gets it on time.

#include "agent/acs/wav_audio.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>

class QAudioSink;
class QBuffer;
class QTimer;

namespace pw::voice {

class AudioOutput : public QObject {
    Q_OBJECT
public:
    explicit AudioOutput(QObject* parent = nullptr);
    ~AudioOutput() override;

    // Plays the audio; without a usable output device (null default device, OpenError,
    // or a sink that never starts) it runs silently on the monotonic clock for
    // duration_ms and still emits finished(). A running clip is stopped first.
    void start(const acs::PcmAudio& audio, int duration_ms);
    void stop();  // no finished() after stop()
    bool is_playing() const;
    qint64 position_ms() const;  // playback clock since start(); follows the sink
    bool is_silent() const;      // true when the last start() had no device (or no audio)

Q_SIGNALS:
    void finished();

private:
    void start_silent(qint64 already_elapsed_ms);
    void on_sink_state_changed();
    void check_sink_started();
    void finish();
    void tear_down();
    void delete_retired();

    QAudioSink* sink_ = nullptr;  // ours, without a parent: see delete_retired()
    QBuffer* buffer_ = nullptr;
    QList<QAudioSink*> retired_sinks_;  // stopped, deleted at the next turn of the loop
    QList<QBuffer*> retired_buffers_;
    QTimer* end_timer_ = nullptr;    // silent end, or the deadline of a sink that stalls
    QTimer* start_guard_ = nullptr;  // a sink that never becomes active
    QElapsedTimer since_start_;
    QElapsedTimer since_active_;
    qint64 duration_ms_ = 0;
    mutable qint64 last_position_ms_ = 0;
    bool playing_ = false;
    bool silent_ = false;
};

}  // namespace pw::voice
