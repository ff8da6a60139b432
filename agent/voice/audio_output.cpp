#include "agent/voice/audio_output.h"

#include "agent/voice/pcm_convert.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QDebug>
#include <QMediaDevices>
#include <QTimer>
#include <atomic>
#include <cmath>

namespace pw::voice {

namespace {

// A sink that has not become active by then never will (no server, or a stuck one).
constexpr int start_guard_ms = 1000;

// How long past the clip's end a playing sink may run before we stop waiting for it.
// Sound servers with null devices have been seen to lag by up to two seconds.
qint64 end_deadline_ms(qint64 length_ms)
{
    return length_ms + 2000 + length_ms / 4;
}

void report_no_device(const char* why)
{
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true))
        qInfo().noquote().nospace() << "No sound device (" << why << "): sounds and speech play silently.";
}

QAudioFormat format_of(const acs::PcmAudio& audio)
{
    QAudioFormat format;
    format.setSampleRate(audio.sample_rate);
    format.setChannelCount(audio.channels);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

// The clip as the device will take it: as it is, or mono 16-bit at a common rate.
std::optional<acs::PcmAudio> playable_on(const QAudioDevice& device, const acs::PcmAudio& audio)
{
    if (device.isFormatSupported(format_of(audio))) return audio;
    for (int rate : {22050, 44100, 48000}) {
        acs::PcmAudio probe;
        probe.sample_rate = rate;
        probe.channels = 1;
        if (device.isFormatSupported(format_of(probe))) return to_mono(audio, rate);
    }
    return std::nullopt;
}

}  // namespace

AudioOutput::AudioOutput(QObject* parent) : AudioOutput(Setup{}, parent) {}

AudioOutput::AudioOutput(Setup setup, QObject* parent)
    : QObject(parent), setup_(std::move(setup)), end_timer_(new QTimer(this)), start_guard_(new QTimer(this))
{
    if (!(setup_.speed > 0)) setup_.speed = 1.0;
    steady_.start();
    end_timer_->setSingleShot(true);
    end_timer_->setTimerType(Qt::PreciseTimer);
    connect(end_timer_, &QTimer::timeout, this, &AudioOutput::end_reached);
    start_guard_->setSingleShot(true);
    connect(start_guard_, &QTimer::timeout, this, &AudioOutput::check_sink_started);
}

AudioOutput::~AudioOutput()
{
    // Never delete a sink here: on some sound servers its destructor runs the event
    // loop, which would reach whoever is destroying us half-way through.
    tear_down();
}

qint64 AudioOutput::now() const
{
    return setup_.now_ms ? qint64(std::floor(setup_.now_ms())) : steady_.elapsed();
}

void AudioOutput::arm_end(qint64 clock_ms)
{
    clock_ms = std::max<qint64>(0, clock_ms);
    ends_at_ = now() + clock_ms;
    end_timer_->start(int(std::ceil(double(clock_ms) / setup_.speed)));
}

void AudioOutput::start(const acs::PcmAudio& audio, int duration_ms)
{
    tear_down();
    duration_ms_ = std::max(0, duration_ms);
    last_position_ms_ = 0;
    playing_ = true;
    silent_ = false;
    started_at_ = now();
    active_at_ = -1;

    if (audio.is_empty() || audio.sample_rate <= 0 || audio.channels <= 0) {
        start_silent();
        return;
    }
    const QAudioDevice device = setup_.device ? setup_.device() : QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        report_no_device("no default output");
        start_silent();
        return;
    }
    const std::optional<acs::PcmAudio> playable = playable_on(device, audio);
    if (!playable) {
        report_no_device("the output takes no 16-bit format");
        start_silent();
        return;
    }

    sink_ = new QAudioSink(device, format_of(*playable));
    // The sink still reads its buffer while it closes: the buffer goes with it.
    buffer_ = new QBuffer(sink_);
    buffer_->setData(playable->samples);
    buffer_->open(QIODevice::ReadOnly);
    connect(sink_, &QAudioSink::stateChanged, this, &AudioOutput::on_sink_state_changed);
    sink_->start(buffer_);
    if (!sink_) return;  // a state change during start() already went silent
    if (sink_->error() == QAudio::OpenError) {
        report_no_device("the output cannot be opened");
        start_silent();
        return;
    }
    if (sink_->state() == QAudio::ActiveState && active_at_ < 0) active_at_ = now();
    if (active_at_ < 0) start_guard_->start(start_guard_ms);
    arm_end(end_deadline_ms(std::max<qint64>(duration_ms_, playable->duration_ms())));
}

void AudioOutput::stop()
{
    if (!playing_) return;
    last_position_ms_ = position_ms();
    tear_down();
    playing_ = false;
}

bool AudioOutput::is_playing() const
{
    return playing_;
}

bool AudioOutput::is_silent() const
{
    return silent_;
}

qint64 AudioOutput::position_ms() const
{
    if (!playing_) return last_position_ms_;
    qint64 pos = 0;
    if (silent_ || !sink_) {
        pos = since(started_at_);
    } else if (active_at_ >= 0) {
        // Our clock runs from the moment the sink went active; the sink's own count is
        // the time actually played on some servers and the time handed over on others,
        // so following the smaller of the two never runs ahead of the sound.
        pos = since(active_at_);
        const qint64 processed = sink_->processedUSecs() / 1000;
        if (processed > 0) pos = std::min(pos, processed);
    }
    pos = std::clamp(pos, last_position_ms_, std::max(last_position_ms_, duration_ms_));
    last_position_ms_ = pos;
    return pos;
}

void AudioOutput::start_silent()
{
    if (sink_) {
        // Keep the clock where it was: the timeline goes on silently from here.
        const qint64 keep = last_position_ms_;
        tear_down();
        last_position_ms_ = keep;
    }
    silent_ = true;
    arm_end(duration_ms_ - since(started_at_));
}

void AudioOutput::on_sink_state_changed()
{
    if (!sink_) return;
    switch (sink_->state()) {
    case QAudio::ActiveState:
        if (active_at_ < 0) active_at_ = now();
        start_guard_->stop();
        break;
    case QAudio::IdleState:
        if (buffer_ && buffer_->atEnd()) {
            // Idle means all data went to the server, not that it was heard: the end
            // comes when the playback clock gets there (bounded, should it stall).
            const qint64 left = duration_ms_ - position_ms();
            if (left <= 0)
                finish();
            else
                arm_end(std::min<qint64>(left, 2000));
        }
        break;
    case QAudio::StoppedState:
        if (sink_->error() != QAudio::NoError) {
            report_no_device("the output stopped with an error");
            start_silent();
        }
        break;
    case QAudio::SuspendedState:
        break;
    }
}

void AudioOutput::check_sink_started()
{
    if (!sink_ || active_at_ >= 0) return;
    report_no_device("the output did not start");
    start_silent();
}

void AudioOutput::end_reached()
{
    // The timer runs in real milliseconds, rounded: wait for the clock if it is early.
    if (const qint64 left = ends_at_ - now(); left > 0) {
        end_timer_->start(int(std::ceil(double(left) / setup_.speed)));
        return;
    }
    finish();
}

void AudioOutput::finish()
{
    tear_down();
    playing_ = false;
    last_position_ms_ = duration_ms_;
    Q_EMIT finished();
}

void AudioOutput::tear_down()
{
    end_timer_->stop();
    start_guard_->stop();
    if (sink_) {
        disconnect(sink_, nullptr, this, nullptr);
        sink_->stop();
        // We may be inside the sink's own signal, or in our destructor: it goes from
        // the event loop, and its buffer with it.
        sink_->deleteLater();
        sink_ = nullptr;
    }
    buffer_ = nullptr;
}

}  // namespace pw::voice
