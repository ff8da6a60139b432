#include "agent/voice/device_microphone.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QDebug>
#include <QMediaDevices>
#include <atomic>

namespace pw::voice {

namespace {

constexpr int rate = 16000;

void report_no_microphone(const QString& why)
{
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true))
        qInfo().noquote() << QStringLiteral("No microphone (%1): listening hears nothing and ends when its time is up.")
                                 .arg(why);
}

QAudioFormat wanted_format()
{
    QAudioFormat f;
    f.setSampleRate(rate);
    f.setChannelCount(1);
    f.setSampleFormat(QAudioFormat::Int16);
    return f;
}

}  // namespace

DeviceMicrophone::DeviceMicrophone() = default;

DeviceMicrophone::~DeviceMicrophone()
{
    close();
}

void DeviceMicrophone::open()
{
    if (source_) return;
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
        report_no_microphone(QStringLiteral("no audio input device"));
        Q_EMIT unavailable(QStringLiteral("no audio input device"));
        return;
    }
    format_ = wanted_format();
    converting_ = !device.isFormatSupported(format_);
    if (converting_) {
        format_ = device.preferredFormat();
        resampler_.emplace(format_.sampleRate(), rate);
    }
    source_ = new QAudioSource(device, format_, this);
    source_->setBufferSize(format_.bytesForDuration(microphone_block_ms * 1000));
    connect(source_, &QAudioSource::stateChanged, this, &DeviceMicrophone::on_state_changed);
    stream_ = source_->start();
    if (!stream_ || source_->error() != QAudio::NoError) {
        const QString why = QStringLiteral("%1 cannot be opened").arg(device.description());
        report_no_microphone(why);
        close();
        Q_EMIT unavailable(why);
        return;
    }
    connect(stream_, &QIODevice::readyRead, this, &DeviceMicrophone::read_available);
}

void DeviceMicrophone::close()
{
    if (!source_) return;
    QAudioSource* source = std::exchange(source_, nullptr);
    stream_ = nullptr;
    source->disconnect(this);
    source->stop();
    // Deleted from the event loop, and not with us: the backend may still be calling
    // into it, and its destructor may run the event loop.
    source->setParent(nullptr);
    source->deleteLater();
    resampler_.reset();
}

void DeviceMicrophone::read_available()
{
    if (!stream_) return;
    const QByteArray bytes = stream_->readAll();
    if (bytes.isEmpty()) return;
    if (!converting_) {
        Q_EMIT audio(bytes);
        return;
    }
    QByteArray converted;
    resampler_->push(mixed_to_mono(bytes, format_), converted);
    if (!converted.isEmpty()) Q_EMIT audio(converted);
}

void DeviceMicrophone::on_state_changed()
{
    if (!source_) return;
    // A device that goes away mid-period (unplugged) stops the audio; say why once.
    if (source_->state() == QAudio::StoppedState && source_->error() != QAudio::NoError) {
        report_no_microphone(QStringLiteral("the audio input stopped working"));
        close();
        Q_EMIT unavailable(QStringLiteral("the audio input stopped working"));
    }
}

}  // namespace pw::voice
