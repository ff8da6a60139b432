#pragma once
// Spoken commands for listening characters: the microphone and a pocketsphinx
// recogniser on a thread of their own; what they hear comes back to this object's
// thread as queued signals.

#include "agent/voice/command_recogniser.h"
#include "agent/voice/listening_worker.h"
#include "agent/voice/voice_input.h"

#include <QThread>

namespace pw::voice {

class SphinxVoiceInput : public VoiceInput {
    Q_OBJECT
public:
    // The installed model, the built-in decoys and the default microphone (or the
    // recording in PELLWORKS_MIC_FILE).
    explicit SphinxVoiceInput(QObject* parent = nullptr);
    SphinxVoiceInput(RecogniserSettings settings, MicrophoneFactory make_microphone,
                     QObject* parent = nullptr);
    ~SphinxVoiceInput() override;  // stops and joins the thread

    void start(const QStringList& phrases) override;
    void stop() override;
    bool listening() const { return listening_; }

private:
    void on_reported(int period, int kind, const QString& phrase);
    void end_period();

    QThread thread_;
    ListeningWorker* worker_;  // lives on thread_, deleted there
    int period_ = 0;
    bool listening_ = false;
};

}  // namespace pw::voice
