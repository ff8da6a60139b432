#pragma once
// The listening thread's side: it owns the microphone and the recogniser, feeds one
// to the other, and reports what was heard, tagged with the listening period it
// belongs to so that the other side can drop anything stale.

#include "agent/voice/command_recogniser.h"
#include "agent/voice/microphone.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

namespace pw::voice {

class ListeningWorker : public QObject {
    Q_OBJECT
public:
    enum Kind { SpeechStarted, Heard, NothingHeard };

    ListeningWorker(RecogniserSettings settings, MicrophoneFactory make_microphone);
    ~ListeningWorker() override;

    // Called on the worker's thread.
    void open_period(int period, const QStringList& phrases);
    void change_phrases(int period, const QStringList& phrases);
    void close_period(int period);

Q_SIGNALS:
    void reported(int period, int kind, const QString& phrase);

private:
    bool ensure_recogniser();
    void hear(const QByteArray& samples);
    void end_period();

    RecogniserSettings settings_;
    MicrophoneFactory make_microphone_;
    std::unique_ptr<CommandRecogniser> recogniser_;
    bool recogniser_failed_ = false;
    std::unique_ptr<Microphone> microphone_;
    int period_ = 0;
    bool open_ = false;
};

}  // namespace pw::voice
