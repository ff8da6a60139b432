#pragma once
// Listening for spoken commands. The recogniser behind it comes separately; the
// character runtime holds a VoiceInput pointer that may be null (no voice input).

#include <QObject>
#include <QString>
#include <QStringList>

namespace pw::voice {

class VoiceInput : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~VoiceInput() override = default;

    // Starts listening for one utterance among `phrases` (the voice texts of the
    // enabled commands). Calling it while listening replaces the phrases.
    virtual void start(const QStringList& phrases) = 0;
    // Stops listening; no further signals for this listening period.
    virtual void stop() = 0;

Q_SIGNALS:
    void speech_started();
    // The utterance matched one of the phrases (that phrase's text), or it was speech
    // outside them (empty text).
    void heard(const QString& command_text_or_empty);
    // The listening period ended without speech.
    void nothing_heard();
};

}  // namespace pw::voice
