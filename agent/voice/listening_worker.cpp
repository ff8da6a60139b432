#include "agent/voice/listening_worker.h"

#include <QDebug>

namespace pw::voice {

ListeningWorker::ListeningWorker(RecogniserSettings settings, MicrophoneFactory make_microphone)
    : settings_(std::move(settings)), make_microphone_(std::move(make_microphone))
{
}

ListeningWorker::~ListeningWorker()
{
    if (microphone_) microphone_->close();
}

bool ListeningWorker::ensure_recogniser()
{
    if (recogniser_) return true;
    if (recogniser_failed_) return false;
    QString why;
    recogniser_ = CommandRecogniser::create(settings_, &why);
    if (!recogniser_) {
        recogniser_failed_ = true;
        qWarning().noquote() << QStringLiteral("Speech recognition is not available (%1): spoken commands are not "
                                               "heard.")
                                    .arg(why);
        return false;
    }
    return true;
}

void ListeningWorker::open_period(int period, const QStringList& phrases)
{
    period_ = period;
    // The model loads on first use (a few hundred milliseconds), before the
    // microphone opens, so that no speech waits behind it.
    if (!ensure_recogniser()) return;
    recogniser_->restart();
    recogniser_->listen_for(phrases);
    if (!microphone_) {
        microphone_ = make_microphone_();
        connect(microphone_.get(), &Microphone::audio, this, &ListeningWorker::hear);
    }
    open_ = true;
    microphone_->open();
}

void ListeningWorker::change_phrases(int period, const QStringList& phrases)
{
    if (period != period_ || !open_) return;
    recogniser_->listen_for(phrases);
}

void ListeningWorker::close_period(int period)
{
    if (period == period_) end_period();
}

void ListeningWorker::end_period()
{
    open_ = false;
    if (microphone_) microphone_->close();
}

void ListeningWorker::hear(const QByteArray& samples)
{
    if (!open_) return;
    const auto events = recogniser_->feed(reinterpret_cast<const qint16*>(samples.constData()), samples.size() / 2);
    for (const CommandRecogniser::Event& e : events) {
        switch (e.kind) {
        case CommandRecogniser::Event::SpeechStarted:
            Q_EMIT reported(period_, SpeechStarted, QString());
            break;
        case CommandRecogniser::Event::Heard:
            Q_EMIT reported(period_, Heard, e.phrase);
            end_period();  // one utterance per period
            return;
        case CommandRecogniser::Event::NothingHeard:
            Q_EMIT reported(period_, NothingHeard, QString());
            end_period();
            return;
        }
    }
}

}  // namespace pw::voice
