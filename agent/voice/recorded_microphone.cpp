#include "agent/voice/recorded_microphone.h"

#include "agent/api/agent_error.h"
#include "agent/voice/mono_resampler.h"

#include <QDebug>
#include <cstring>

namespace pw::voice {

namespace {

constexpr int rate = 16000;

}  // namespace

RecordedMicrophone::RecordedMicrophone(const QString& wav_path)
    : path_(wav_path)
{
    pace_.setTimerType(Qt::PreciseTimer);
    pace_.setInterval(microphone_block_ms);
    connect(&pace_, &QTimer::timeout, this, &RecordedMicrophone::deliver_due);
}

void RecordedMicrophone::load()
{
    loaded_ = true;
    try {
        recording_ = to_recogniser_audio(acs::decode_wav_file(path_));
        readable_ = true;
        qInfo().noquote() << "The recording" << path_ << "is heard instead of a microphone.";
    } catch (const agent::AgentError& e) {
        qWarning().noquote() << QStringLiteral("The recording %1 named by PELLWORKS_MIC_FILE cannot be used (%2); "
                                               "the microphone hears nothing.")
                                    .arg(path_, e.text());
    }
}

void RecordedMicrophone::open()
{
    if (!loaded_) load();
    if (!readable_) {
        Q_EMIT unavailable(QStringLiteral("the recording %1 cannot be used").arg(path_));
        return;
    }
    delivered_ = 0;
    since_open_.start();
    pace_.start();
}

void RecordedMicrophone::close()
{
    pace_.stop();
}

void RecordedMicrophone::deliver_due()
{
    const qint64 due = since_open_.elapsed() * rate / 1000;
    if (due <= delivered_) return;
    QByteArray block((due - delivered_) * 2, '\0');
    const qint64 recorded = recording_.size() / 2;
    if (delivered_ < recorded) {
        const qint64 n = std::min(due, recorded) - delivered_;
        std::memcpy(block.data(), recording_.constData() + delivered_ * 2, size_t(n) * 2);
    }
    delivered_ = due;
    Q_EMIT audio(block);
}

}  // namespace pw::voice
