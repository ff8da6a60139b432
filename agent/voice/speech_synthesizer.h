#pragma once
// Text to speech with word and mouth timing. espeak-ng is not thread-safe, so every
// call to it happens on one worker thread; callers on any thread queue work there.

#include "agent/voice/speech_clip.h"

#include <QObject>
#include <QString>
#include <memory>

namespace pw::voice {

class SynthesisWorker;

class SpeechSynthesizer : public QObject {
    Q_OBJECT
public:
    explicit SpeechSynthesizer(QObject* parent = nullptr);
    ~SpeechSynthesizer() override;  // stops and joins the worker thread

    // Queues synthesis on the worker thread; ready() comes later, from the event loop
    // of the thread this object lives in. Tickets are positive and never reused.
    int request(const QString& text, const VoiceSettings& voice);
    // ready() will not be emitted for the ticket; unknown or finished tickets are ignored.
    void cancel(int ticket);
    // Synchronous (same worker, waits for it): for tools and tests.
    SpeechClip synthesize(const QString& text, const VoiceSettings& voice);
    // espeak-ng initialised. When false, clips have no audio but still carry a
    // duration and word cues estimated from the reading speed.
    bool available() const;

Q_SIGNALS:
    void ready(int ticket, const pw::voice::SpeechClip& clip);

private:
    void deliver(int ticket, const SpeechClip& clip);

    std::unique_ptr<SynthesisWorker> worker_;
};

}  // namespace pw::voice
