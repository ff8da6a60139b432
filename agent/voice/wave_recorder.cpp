#include "agent/voice/wave_recorder.h"

#include <QCoreApplication>
#include <QThread>

#include <cmath>
#include <cstring>
#include <memory>

namespace pw::voice {

namespace {
// How often the loudness and the length are reported: every 60 ms of audio.
constexpr qint64 report_bytes = WaveRecorder::sample_rate * 2 * 60 / 1000;
}  // namespace

// Owns the microphone on the recording thread and passes on what it hears.
class CaptureWorker : public QObject {
    Q_OBJECT
public:
    void open(const MicrophoneFactory& make)
    {
        close();
        microphone_ = make();
        connect(microphone_.get(), &Microphone::audio, this, &CaptureWorker::audio);
        connect(microphone_.get(), &Microphone::unavailable, this, &CaptureWorker::unavailable);
        microphone_->open();
    }
    void close()
    {
        if (!microphone_) return;
        microphone_->close();
        microphone_.reset();
    }

Q_SIGNALS:
    void audio(const QByteArray& samples);
    void unavailable(const QString& why);

private:
    std::unique_ptr<Microphone> microphone_;
};

WaveRecorder::WaveRecorder(QObject* parent) : QObject(parent)
{
    thread_ = new QThread(this);
    thread_->setObjectName(QStringLiteral("wave recorder"));
    worker_ = new CaptureWorker;
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &CaptureWorker::audio, this, &WaveRecorder::take_in, Qt::QueuedConnection);
    connect(worker_, &CaptureWorker::unavailable, this, &WaveRecorder::lost_microphone, Qt::QueuedConnection);
    thread_->start();
}

WaveRecorder::~WaveRecorder()
{
    close_microphone();
    thread_->quit();
    thread_->wait();
}

void WaveRecorder::start(int longest_ms)
{
    close_microphone();
    // What the last take's microphone still sent belongs to that take.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    take_.clear();
    loudest_ = 0.0;
    reported_at_ = 0;
    longest_bytes_ = qint64(longest_ms) * sample_rate / 1000 * 2;
    recording_ = true;
    const MicrophoneFactory make = factory_ ? factory_ : chosen_microphone();
    QMetaObject::invokeMethod(worker_, [worker = worker_, make] { worker->open(make); });
}

QByteArray WaveRecorder::stop()
{
    if (recording_) {
        close_microphone();
        // Audio heard before the microphone closed is still on its way here.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        recording_ = false;
        // The last length, to the sample.
        if (take_.size() != reported_at_) {
            reported_at_ = take_.size();
            Q_EMIT heard(0.0, recorded_ms());
        }
    }
    return std::exchange(take_, QByteArray());
}

void WaveRecorder::close_microphone()
{
    if (thread_->isRunning())
        QMetaObject::invokeMethod(worker_, [worker = worker_] { worker->close(); }, Qt::BlockingQueuedConnection);
}

void WaveRecorder::take_in(const QByteArray& samples)
{
    if (!recording_) return;
    const qint64 room = longest_bytes_ - take_.size();
    take_.append(samples.constData(), qMin<qint64>(room, samples.size() & ~qsizetype(1)));
    // The loudest block since the last report; reports come at a pace an eye can
    // follow, whatever the size of the blocks.
    loudest_ = qMax(loudest_, level_of(samples));
    const bool full = take_.size() >= longest_bytes_;
    if (full || take_.size() - reported_at_ >= report_bytes) {
        reported_at_ = take_.size();
        Q_EMIT heard(std::exchange(loudest_, 0.0), recorded_ms());
    }
    if (!full) return;
    recording_ = false;
    close_microphone();
    Q_EMIT longest_reached();
}

void WaveRecorder::lost_microphone(const QString& why)
{
    if (!recording_) return;
    recording_ = false;
    close_microphone();
    Q_EMIT unavailable(why);
}

double WaveRecorder::level_of(const QByteArray& samples)
{
    // The block's mean loudness (root mean square): it follows a voice up and down,
    // where the peak would sit near the top for every word.
    const qsizetype n = samples.size() / 2;
    if (n == 0) return 0.0;
    double sum = 0.0;
    for (qsizetype i = 0; i < n; ++i) {
        qint16 s;
        std::memcpy(&s, samples.constData() + 2 * i, 2);
        sum += double(s) * double(s);
    }
    const double rms = std::sqrt(sum / double(n)) / 32768.0;
    if (rms <= 0.0) return 0.0;
    constexpr double floor_db = -50.0;
    return qBound(0.0, 1.0 - 20.0 * std::log10(rms) / floor_db, 1.0);
}

}  // namespace pw::voice

#include "wave_recorder.moc"
