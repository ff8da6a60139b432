#include "agent/voice/sphinx_voice_input.h"

#include <QMetaObject>

namespace pw::voice {

SphinxVoiceInput::SphinxVoiceInput(QObject* parent)
    : SphinxVoiceInput(RecogniserSettings::defaults(), chosen_microphone(), parent)
{
}

SphinxVoiceInput::SphinxVoiceInput(RecogniserSettings settings, MicrophoneFactory make_microphone,
                                   QObject* parent)
    : VoiceInput(parent), worker_(new ListeningWorker(std::move(settings), std::move(make_microphone)))
{
    thread_.setObjectName(QStringLiteral("listening"));
    worker_->moveToThread(&thread_);
    connect(worker_, &ListeningWorker::reported, this, &SphinxVoiceInput::on_reported, Qt::QueuedConnection);
    thread_.start();
}

SphinxVoiceInput::~SphinxVoiceInput()
{
    // The microphone and the decoder belong to the thread: they go there, first.
    ListeningWorker* worker = worker_;
    QMetaObject::invokeMethod(worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void SphinxVoiceInput::start(const QStringList& phrases)
{
    ListeningWorker* worker = worker_;
    if (listening_) {
        const int period = period_;
        QMetaObject::invokeMethod(worker, [worker, period, phrases] { worker->change_phrases(period, phrases); });
        return;
    }
    listening_ = true;
    const int period = ++period_;
    QMetaObject::invokeMethod(worker, [worker, period, phrases] { worker->open_period(period, phrases); });
}

void SphinxVoiceInput::stop()
{
    if (listening_) end_period();
}

void SphinxVoiceInput::end_period()
{
    listening_ = false;
    ListeningWorker* worker = worker_;
    const int period = period_;
    QMetaObject::invokeMethod(worker, [worker, period] { worker->close_period(period); });
}

void SphinxVoiceInput::on_reported(int period, int kind, const QString& phrase)
{
    // Anything from a period that has ended is stale.
    if (!listening_ || period != period_) return;
    switch (kind) {
    case ListeningWorker::SpeechStarted:
        Q_EMIT speech_started();
        break;
    case ListeningWorker::Heard:
        end_period();
        Q_EMIT heard(phrase);
        break;
    case ListeningWorker::NothingHeard:
        end_period();
        Q_EMIT nothing_heard();
        break;
    }
}

}  // namespace pw::voice
