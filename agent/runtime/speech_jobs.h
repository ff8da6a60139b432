#pragma once
// Speak and Think. Speak shows the words in the speech balloon as they are spoken and
// moves the mouth with the sound, both on the audio's own clock; the request is done
// when the sound ends, and the balloon closes a moment later. Think shows a thought
// balloon, silently, for a reading time that grows with the text.

#include "agent/runtime/request_job.h"
#include "agent/voice/speech_clip.h"

#include <QMetaObject>
#include <QTimer>

namespace pw::voice {
class AudioOutput;
class SpeechSynthesizer;
}  // namespace pw::voice

namespace pw::agent {

class CharacterBody;

struct SpeechServices {
    voice::SpeechSynthesizer* synthesizer = nullptr;  // null or unused: silent reading pace
    voice::AudioOutput* output = nullptr;
    voice::VoiceSettings voice;
    bool has_voice = true;  // the character file has a voice
    QString program_dir;    // relative wave paths start here
};

class SpeakJob : public RequestJob {
public:
    SpeakJob(CharacterBody& body, const SpeechServices& services, const QString& text,
             const QString& url);
    ~SpeakJob() override;

    QString operation() const override { return QStringLiteral("Speak"); }
    RequestKind kind() const override { return RequestKind::Speak; }
    void start() override;
    void interrupt() override;

    // A wave path as the script gave it, made absolute against the program folder.
    static QString resolve_wave_path(const QString& url, const QString& program_dir);

private:
    bool prepare_clip();
    void take_pose();
    void begin();
    void update();
    void done();
    void release();

    CharacterBody& body_;
    SpeechServices services_;
    QString text_;
    QString url_;
    voice::SpeechClip clip_;
    QTimer tick_;
    QMetaObject::Connection ready_connection_;
    QMetaObject::Connection finished_connection_;
    int ticket_ = 0;
    bool clip_ready_ = false;
    bool pose_ready_ = false;
    bool begun_ = false;
};

class ThinkJob : public RequestJob {
public:
    ThinkJob(CharacterBody& body, const QString& text);

    QString operation() const override { return QStringLiteral("Think"); }
    RequestKind kind() const override { return RequestKind::Speak; }
    void start() override;
    void interrupt() override;

    static int reading_time_ms(const QString& text);

private:
    CharacterBody& body_;
    QString text_;
    QTimer timer_;
};

}  // namespace pw::agent
