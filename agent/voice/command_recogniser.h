#pragma once
// Spoken commands from 16 kHz mono audio: pocketsphinx with a grammar of the commands
// and the decoy words, its voice-activity detector cutting the stream into utterances.
// Children's voices sit higher than the adult voices the model learnt from, so each
// utterance can be heard in several passes, each with the frequencies scaled down by
// its own warp, and the pass whose sounds fit the model best gives the words.
// Used from one thread at a time (the listening worker, or a test feeding samples).

#include "agent/voice/command_grammar.h"
#include "agent/voice/listening_tuning.h"
#include "agent/voice/narrowband_fill.h"
#include "agent/voice/noise_floor.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct ps_decoder_s;
struct cmd_ln_s;

namespace pw::voice {

struct RecogniserSettings {
    // Folder of the acoustic model and the dictionary (en-us/, cmudict-en-us.dict).
    QString model_dir;
    // Voice-activity detector, in 10 ms frames: silence that ends an utterance, speech
    // that starts one, and the frames kept from before the start.
    int vad_postspeech_frames = 50;
    int vad_startspeech_frames = 10;
    int vad_prespeech_frames = 20;
    double vad_threshold = 2.0;
    // Audio without speech after which the period counts as nothing heard.
    int quiet_ms = 10000;
    // An utterance that goes on longer than this is decoded as it stands.
    int longest_utterance_ms = 8000;
    QStringList decoys;
    // Voice texts of commands that stop a child's script: heard only when said in
    // full, every optional word included ("cancel script", not "cancel" alone). Other
    // speech lands on a short way of saying a command far more often than on a long one.
    QStringList careful_phrases;
    ListeningTuning tuning;
    // Further decoder options as name, value, name, value... ("-beam", "1e-60").
    QStringList decoder_options;
    // Pronunciation in ARPAbet for a word the dictionary lacks; and a word's British
    // one, for the tuning's british_pronunciations.
    using Pronouncer = std::function<std::optional<QString>(const QString& word)>;
    Pronouncer pronounce;
    Pronouncer pronounce_british;
    // What raises the top filters of narrowband speech (the tuning's narrowband_rise).
    NarrowbandFill narrowband_fill;
    // Called with each pass's log filter energies of each utterance before they are
    // filled in and heard, the filters' centres in real Hz, and how far the utterance's
    // band above 4.5 kHz rose (high_band_rise_db): for tools that study them.
    using SpectraSeen = std::function<void(double warp, const std::vector<double>& centres_hz,
                                           const std::vector<float>& log_spectra, double rise_db)>;
    SpectraSeen spectra_seen;

    // The installed model, the built-in decoys and tuning, espeak-ng for missing words.
    static RecogniserSettings defaults();
};

class SpeechDetector;

class CommandRecogniser {
public:
    struct Event {
        enum Kind { SpeechStarted, Heard, NothingHeard };
        Kind kind = SpeechStarted;
        QString phrase;   // Heard: the command's voice text, or empty for other speech
        QString words;    // Heard: what the decoder made of it ("cancel script", a decoy)
        qint64 at_ms = 0; // audio time since restart() when it was known
    };

    // nullptr, with the reason in `why_not`, when the model cannot be loaded.
    static std::unique_ptr<CommandRecogniser> create(const RecogniserSettings& settings,
                                                     QString* why_not = nullptr);
    ~CommandRecogniser();
    CommandRecogniser(const CommandRecogniser&) = delete;
    CommandRecogniser& operator=(const CommandRecogniser&) = delete;

    // The voice texts to listen for. Takes effect at once between utterances, or when
    // the utterance in progress ends (a search cannot change while decoding).
    void listen_for(const QStringList& phrases);
    // Samples of 16 kHz mono audio; returns what they completed, in order.
    QList<Event> feed(const qint16* samples, qsizetype count);
    // A new listening period: the utterance in progress is dropped and the quiet time
    // starts again.
    void restart();

    // The grammar in use (after any pending change took effect).
    const CommandGrammar& grammar() const { return grammar_; }
    qint64 audio_ms() const { return samples_ * 1000 / sample_rate; }

    static constexpr int sample_rate = 16000;

    struct Pass;

private:
    CommandRecogniser(const RecogniserSettings& settings, std::vector<std::unique_ptr<Pass>> passes,
                      std::unique_ptr<SpeechDetector> detector);

    void open_utterance();
    void drop_utterance();
    void settle_detector();
    void keep_lead_in(const qint16* samples, qsizetype count);
    std::optional<Event> close_utterance(bool ended_in_quiet);  // what was heard, if anything
    // The utterance as the passes hear it: what the detector called speech with the
    // quiet the settings keep around it.
    std::vector<qint16> kept_for_hearing(bool ended_in_quiet) const;
    void apply_phrases();
    // Whether `words` (a way of saying `phrase`) has as many words as its longest way.
    static bool said_in_full(const QString& phrase, const QString& words);
    bool ensure_word(const QString& word);
    bool add_to_every_pass(const QByteArray& word, const QByteArray& phones);
    // Adds `pronounce`'s pronunciation of a dictionary word as a further entry, once
    // for each word and kind of variant.
    void add_variant(const QString& word, const RecogniserSettings::Pronouncer& pronounce, const QString& kind);
    // The accent rules' ways of saying a command word, besides those it has.
    void add_accent_variants(const QString& word);
    const QStringList& garbage_sounds();
    QStringList pronunciations(const QString& word) const;
    qint64 ms_since(qint64 sample) const { return (samples_ - sample) * 1000 / sample_rate; }

    ps_decoder_s* first_decoder() const;

    RecogniserSettings settings_;
    std::vector<std::unique_ptr<Pass>> passes_;
    std::unique_ptr<SpeechDetector> detector_;  // cuts the audio into utterances
    std::vector<qint16> lead_in_;  // the latest audio, for the start of what is heard
    std::vector<qint16> heard_;    // the utterance, from a little before its start
    NoiseFloor noise_;
    bool detector_settled_ = false;
    bool fill_missing_warned_ = false;
    qint64 settled_at_ = -1;  // sample until which the new detector learns the background
    CommandGrammar grammar_;
    QString search_name_;  // empty: no usable grammar yet, audio is ignored
    int searches_made_ = 0;
    QStringList wanted_phrases_;  // the phrases last asked for
    bool phrases_pending_ = true;
    QHash<QString, bool> word_usable_;
    QSet<QString> variants_checked_;  // "kind word"
    std::optional<QStringList> garbage_sounds_;  // made on first use
    bool utterance_open_ = false;
    bool in_speech_ = false;
    qint64 samples_ = 0;           // since restart()
    qint64 quiet_since_ = 0;       // sample where the current quiet stretch began
    qint64 speech_since_ = 0;      // sample where the current utterance began
    qint64 speech_from_frame_ = 0; // frame of heard_ where the detector called speech
};

}  // namespace pw::voice
