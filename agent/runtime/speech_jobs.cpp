#include "agent/runtime/speech_jobs.h"

#include "agent/acs/wav_audio.h"
#include "agent/api/agent_error.h"
#include "agent/runtime/character_body.h"
#include "agent/voice/audio_output.h"
#include "agent/voice/estimated_speech.h"
#include "agent/voice/speech_synthesizer.h"
#include "agent/voice/wave_voice.h"

#include <QDir>
#include <QUrl>
#include <QtDebug>

namespace pw::agent {
namespace {

// Words of `text` spread over `duration_ms` at the pace of a reading voice (for a wave
// file spoken with a caption: the words appear while it plays).
QList<voice::WordCue> paced_words(const QString& text, int duration_ms, const voice::VoiceSettings& v)
{
    const voice::SpeechClip estimate = voice::estimated_clip(text, v);
    QList<voice::WordCue> words = estimate.words;
    if (estimate.duration_ms <= 0) return words;
    for (voice::WordCue& w : words)
        w.start_ms = int(qint64(w.start_ms) * duration_ms / estimate.duration_ms);
    return words;
}

}  // namespace

SpeakJob::SpeakJob(CharacterBody& body, const SpeechServices& services, const QString& text,
                   const QString& url)
    : body_(body), services_(services), text_(text), url_(url)
{
    tick_.setSingleShot(true);
    QObject::connect(&tick_, &QTimer::timeout, &tick_, [this] { update(); });
}

SpeakJob::~SpeakJob()
{
    if (ticket_ && !clip_ready_ && services_.synthesizer) services_.synthesizer->cancel(ticket_);
    QObject::disconnect(ready_connection_);
    QObject::disconnect(finished_connection_);
}

QString SpeakJob::resolve_wave_path(const QString& url, const QString& program_dir)
{
    QString path = url.trimmed();
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) path = QUrl(path).toLocalFile();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isRelativePath(path)) path = QDir(program_dir).filePath(path);
    return QDir::cleanPath(path);
}

void SpeakJob::start()
{
    if (text_.isEmpty() && url_.isEmpty()) {
        finish();
        return;
    }
    if (!prepare_clip()) return;
    take_pose();
    begin();
}

bool SpeakJob::prepare_clip()
{
    if (!url_.isEmpty()) {
        const QString path = resolve_wave_path(url_, services_.program_dir);
        acs::PcmAudio audio;
        try {
            audio = acs::decode_wav_file(path);
        } catch (const AgentError& e) {
            qWarning("Speak: the sound file \"%s\" cannot be played: %s", qPrintable(path), e.what());
            finish(Request::Failed, e.number());
            return false;
        }
        clip_ = voice::clip_from_wave(audio);
        clip_.text = text_;
        if (!text_.isEmpty()) clip_.words = paced_words(text_, clip_.duration_ms, services_.voice);
        clip_ready_ = true;
        return true;
    }
    if (services_.has_voice && services_.synthesizer && services_.output) {
        voice::SpeechSynthesizer* synth = services_.synthesizer;
        ready_connection_ = QObject::connect(
            synth, &voice::SpeechSynthesizer::ready, synth,
            [this](int ticket, const voice::SpeechClip& clip) {
                if (ticket != ticket_) return;
                QObject::disconnect(ready_connection_);
                clip_ = clip;
                clip_ready_ = true;
                begin();
            });
        ticket_ = synth->request(text_, services_.voice);
        return true;
    }
    // A character without a voice speaks silently at reading pace.
    clip_ = voice::estimated_clip(text_, services_.voice);
    clip_.audio = {};
    clip_ready_ = true;
    return true;
}

void SpeakJob::take_pose()
{
    AnimationRunner& runner = body_.runner();
    // Speak in the pose of the last animation when its frame has mouths (a gesture).
    if (!runner.busy() && body_.presenter().frame_has_mouths()) {
        pose_ready_ = true;
        return;
    }
    const acs::Animation* speaking = body_.state_animation(QStringLiteral("SPEAKING"));
    if (!speaking) {
        pose_ready_ = true;
        return;
    }
    const auto ready = [this] {
        pose_ready_ = true;
        begin();
    };
    runner.run(*speaking, AnimationRunner::Owner{ready, ready, true});
}

void SpeakJob::begin()
{
    if (!clip_ready_ || !pose_ready_ || begun_) return;
    begun_ = true;
    const auto& balloon_style = body_.data().balloon;
    if (!text_.isEmpty() && body_.visible() && balloon_style) {
        body_.balloon().show(BalloonKind::Speech, text_, *balloon_style);
        body_.balloon().reveal(0);
    }
    if (!services_.output) {
        done();
        return;
    }
    finished_connection_ = QObject::connect(services_.output, &voice::AudioOutput::finished,
                                            services_.output, [this] { done(); });
    services_.output->start(clip_.audio, clip_.duration_ms);
    update();
}

void SpeakJob::update()
{
    const int t = services_.output ? int(services_.output->position_ms()) : clip_.duration_ms;
    body_.balloon().reveal(clip_.revealed_chars(t));
    body_.presenter().set_mouth(clip_.mouth_at(t));
    // Woken again only when a word or the mouth is due, not at a fixed rate: the audio's
    // clock is read each time, so an early wake just waits the rest.
    const int next = clip_.next_change_ms(t);
    if (next >= 0) tick_.start(std::max(next - t, body_.timings().speech_tick_ms));
}

void SpeakJob::done()
{
    release();
    body_.balloon().reveal(int(text_.size()));
    if (body_.runner().has_looped()) body_.runner().interrupt();
    body_.balloon().linger();
    finish();
}

void SpeakJob::release()
{
    tick_.stop();
    QObject::disconnect(finished_connection_);
    body_.presenter().set_mouth(std::nullopt);
}

void SpeakJob::interrupt()
{
    if (ticket_ && !clip_ready_ && services_.synthesizer) services_.synthesizer->cancel(ticket_);
    QObject::disconnect(ready_connection_);
    if (begun_ && services_.output) services_.output->stop();
    release();
    body_.balloon().hide_now();
    body_.runner().interrupt();
}

ThinkJob::ThinkJob(CharacterBody& body, const QString& text) : body_(body), text_(text)
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        body_.balloon().linger();
        finish();
    });
}

int ThinkJob::reading_time_ms(const QString& text)
{
    return std::clamp(1000 + 60 * int(text.size()), 1500, 15000);
}

void ThinkJob::start()
{
    if (text_.isEmpty()) {
        finish();
        return;
    }
    const auto& balloon_style = body_.data().balloon;
    if (body_.visible() && balloon_style) {
        body_.balloon().show(BalloonKind::Thought, text_, *balloon_style);
        body_.balloon().reveal(int(text_.size()));
    }
    timer_.start(reading_time_ms(text_));
}

void ThinkJob::interrupt()
{
    timer_.stop();
    body_.balloon().hide_now();
}

}  // namespace pw::agent
