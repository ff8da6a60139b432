#include "agent/voice/espeak_engine.h"

#include "agent/voice/phoneme_mouth.h"
#include "agent/voice/word_cues.h"

#include <QDebug>
#include <QSet>
#include <cstring>
#include <mutex>

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

namespace pw::voice::espeak {

namespace {

// What one espeak_Synth call hands to the callback.
struct Collector {
    QByteArray samples;  // s16 native order, mono
    QList<RawWordEvent> words;
    QList<RawPhonemeEvent> phonemes;
    const std::atomic<bool>* abort = nullptr;
};

struct Engine {
    std::mutex lock;
    bool tried = false;
    bool ok = false;
    QString current_voice;
    QSet<QString> reported_voices;  // unknown voice names already logged
    Collector* collector = nullptr;  // set only while espeak_Synth runs, under the lock
};

Engine& engine()
{
    static Engine e;
    return e;
}

int on_synth(short* wav, int sample_count, espeak_EVENT* events)
{
    Collector* c = engine().collector;
    if (!c) return 1;
    if (wav && sample_count > 0)
        c->samples.append(reinterpret_cast<const char*>(wav), qsizetype(sample_count) * 2);
    for (espeak_EVENT* e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        switch (e->type) {
        case espeakEVENT_WORD:
            c->words.append(RawWordEvent{e->audio_position, e->text_position, e->length});
            break;
        case espeakEVENT_PHONEME: {
            // The name is up to 8 bytes and not always NUL-terminated.
            char name[9] = {};
            std::memcpy(name, e->id.string, 8);
            c->phonemes.append(RawPhonemeEvent{e->audio_position, QByteArray(name)});
            break;
        }
        case espeakEVENT_END:
        case espeakEVENT_MSG_TERMINATED:
            c->phonemes.append(RawPhonemeEvent{e->audio_position, QByteArrayLiteral("_")});
            break;
        default:
            break;
        }
    }
    return (c->abort && c->abort->load()) ? 1 : 0;
}

bool initialise_locked(Engine& e)
{
    if (e.tried) return e.ok;
    e.tried = true;
    // The classic entry point is the only one that turns on phoneme events. With
    // DONT_EXIT it reports missing data (on stderr) instead of ending the process; the
    // sample rate is then 0 and no voice loads.
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr,
                                       espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0 || espeak_SetVoiceByName("en-us") != EE_OK) {
        qWarning() << "Speech synthesis is not available: espeak-ng could not load its data;"
                   << "characters will speak silently.";
        return false;
    }
    e.current_voice = QStringLiteral("en-us");
    espeak_SetSynthCallback(on_synth);
    e.ok = true;
    return true;
}

bool select_voice(Engine& e, const QString& wanted)
{
    if (wanted == e.current_voice) return true;
    const QByteArray name = wanted.toUtf8();
    if (!name.isEmpty() && espeak_SetVoiceByName(name.constData()) == EE_OK) {
        e.current_voice = wanted;
        return true;
    }
    // Some languages are known by language code only (the British voice file is "en").
    const QByteArray language = wanted.section(QLatin1Char('+'), 0, 0).toUtf8();
    if (!language.isEmpty()) {
        espeak_VOICE properties{};
        properties.languages = language.constData();
        if (espeak_SetVoiceByProperties(&properties) == EE_OK) {
            e.current_voice = wanted;
            return true;
        }
    }
    if (!e.reported_voices.contains(wanted)) {
        e.reported_voices.insert(wanted);
        qInfo().noquote() << "Speech voice" << wanted << "is not installed; using en-us.";
    }
    if (espeak_SetVoiceByName("en-us") != EE_OK) return false;
    e.current_voice = wanted;  // the fallback stands in for this name from now on
    return true;
}

}  // namespace

bool initialise()
{
    Engine& e = engine();
    std::lock_guard guard(e.lock);
    return initialise_locked(e);
}

std::optional<SpeechClip> synthesize(const QString& text, const VoiceSettings& voice,
                                     const std::atomic<bool>* abort)
{
    Engine& e = engine();
    std::lock_guard guard(e.lock);
    if (!initialise_locked(e) || !select_voice(e, voice.voice)) return std::nullopt;
    espeak_SetParameter(espeakRATE, std::clamp(voice.rate, 80, 450), 0);
    espeak_SetParameter(espeakPITCH, std::clamp(voice.pitch, 0, 100), 0);

    // A NUL would end the text early; a space keeps every position where it was.
    QString spoken = text;
    spoken.replace(QChar(0), QLatin1Char(' '));
    const QByteArray utf8 = spoken.toUtf8();

    Collector collector;
    collector.abort = abort;
    e.collector = &collector;
    const espeak_ERROR result = espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                             espeakCHARS_UTF8, nullptr, nullptr);
    e.collector = nullptr;
    if (result != EE_OK || (abort && abort->load())) return std::nullopt;

    SpeechClip clip;
    clip.text = text;
    clip.audio.sample_rate = espeak_ng_GetSampleRate();
    clip.audio.channels = 1;
    clip.audio.samples = collector.samples;
    if constexpr (QSysInfo::ByteOrder == QSysInfo::BigEndian) {
        for (qsizetype i = 0; i + 1 < clip.audio.samples.size(); i += 2)
            std::swap(clip.audio.samples[i], clip.audio.samples[i + 1]);
    }
    clip.duration_ms = int(clip.audio.duration_ms());
    clip.words = word_cues_from_events(spoken, collector.words);
    for (WordCue& w : clip.words) w.start_ms = std::min(w.start_ms, clip.duration_ms);
    clip.mouth = mouth_cues_from_events(collector.phonemes, clip.duration_ms);
    return clip;
}

std::optional<QByteArray> phonemes_of(const QString& text, const QString& voice)
{
    Engine& e = engine();
    std::lock_guard guard(e.lock);
    if (!initialise_locked(e) || !select_voice(e, voice)) return std::nullopt;
    QString plain = text;
    plain.replace(QChar(0), QLatin1Char(' '));
    const QByteArray utf8 = plain.toUtf8();
    // One call reads one clause and moves the pointer on; null at the end.
    QByteArray out;
    const void* cursor = utf8.constData();
    while (cursor) {
        const char* clause = espeak_TextToPhonemes(&cursor, espeakCHARS_UTF8, int('_') << 8);
        if (!clause) break;
        if (!out.isEmpty() && *clause) out += ' ';
        out += clause;
    }
    return out.trimmed();
}

QString engine_version()
{
    Engine& e = engine();
    std::lock_guard guard(e.lock);
    if (!initialise_locked(e)) return QString();
    const char* data_path = nullptr;
    return QString::fromLatin1(espeak_Info(&data_path));
}

QStringList voice_names()
{
    Engine& e = engine();
    std::lock_guard guard(e.lock);
    QStringList names;
    if (!initialise_locked(e)) return names;
    for (const espeak_VOICE* const* v = espeak_ListVoices(nullptr); v && *v; ++v)
        if ((*v)->name) names << QString::fromUtf8((*v)->name);
    return names;
}

}  // namespace pw::voice::espeak
