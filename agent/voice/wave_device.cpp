#include "agent/voice/wave_device.h"

#include "agent/acs/wav_audio.h"
#include "agent/api/agent_error.h"
#include "agent/voice/audio_output.h"

#include <QDebug>
#include <QTimer>

#include <climits>

namespace pw::voice {

WaveDevice::WaveDevice(QObject* parent)
    : QObject(parent), output_(std::make_unique<AudioOutput>())
{
    connect(output_.get(), &AudioOutput::finished, this, &WaveDevice::done);
}

WaveDevice::~WaveDevice() = default;

void WaveDevice::play(const QString& path)
{
    stop();
    file_name_ = path;
    pw::acs::PcmAudio audio;
    try {
        audio = pw::acs::decode_wav_file(path);
    } catch (const pw::agent::AgentError& e) {
        qWarning().noquote() << "Cannot play the sound" << path << "-" << e.text();
        report_unplayable();
        return;
    } catch (const std::exception& e) {
        qWarning().noquote() << "Cannot play the sound" << path << "-" << e.what();
        report_unplayable();
        return;
    }
    output_->start(audio, int(qMin<qint64>(audio.duration_ms(), INT_MAX)));
}

void WaveDevice::report_unplayable()
{
    failed_pending_ = true;
    const quint64 mine = generation_;
    QTimer::singleShot(0, this, [this, mine] {
        if (mine != generation_ || !failed_pending_) return;
        failed_pending_ = false;
        Q_EMIT done();
    });
}

void WaveDevice::stop()
{
    ++generation_;
    failed_pending_ = false;
    output_->stop();
}

bool WaveDevice::is_playing() const
{
    return failed_pending_ || output_->is_playing();
}

}  // namespace pw::voice
