#include "agent/voice/command_recogniser.h"

#include "agent/voice/decoy_words.h"
#include "agent/voice/word_pronunciation.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <mutex>
#include <vector>

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/err.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/jsgf.h>

#ifndef PW_POCKETSPHINX_MODELDIR
#define PW_POCKETSPHINX_MODELDIR "/usr/share/pocketsphinx/model"
#endif

namespace pw::voice {

namespace {

// Audio goes to the decoder in pieces this long (20 ms), so that the detector's
// decisions are seen promptly whatever size the caller hands in.
constexpr qsizetype piece_samples = 320;

// Puts the grammar `jsgf_text` in place as the search `name`, as ps_set_jsgf_string
// would; but that one never frees the grammar it parses (10 to 17 KB for each new set
// of commands), so the steps are taken here and every piece is freed.
int set_jsgf_search(ps_decoder_t* decoder, const char* name, const char* jsgf_text)
{
    jsgf_t* jsgf = jsgf_parse_string(jsgf_text, nullptr);
    if (!jsgf) return -1;
    int result = -1;
    if (jsgf_rule_t* rule = jsgf_get_public_rule(jsgf)) {
        const float32 weight = cmd_ln_float32_r(ps_get_config(decoder), "-lw");
        if (fsg_model_t* fsg = jsgf_build_fsg(jsgf, rule, ps_get_logmath(decoder), weight)) {
            result = ps_set_fsg(decoder, name, fsg);  // the search keeps its own reference
            fsg_model_free(fsg);
        }
    }
    jsgf_grammar_free(jsgf);
    return result;
}

void silence_decoder_log()
{
    // The decoder logs every step at INFO level, process-wide.
    static std::once_flag once;
    std::call_once(once, [] { err_set_logfp(nullptr); });
}

}  // namespace

RecogniserSettings RecogniserSettings::defaults()
{
    RecogniserSettings s;
    s.model_dir = QStringLiteral(PW_POCKETSPHINX_MODELDIR "/en-us");
    s.decoys = default_decoys();
    s.tuning = default_listening_tuning();
    s.pronounce = pronounce_with_espeak;
    return s;
}

std::unique_ptr<CommandRecogniser> CommandRecogniser::create(const RecogniserSettings& settings, QString* why_not)
{
    auto fail = [why_not](const QString& why) {
        if (why_not) *why_not = why;
        return nullptr;
    };
    const QDir dir(settings.model_dir);
    const QString hmm = dir.filePath(QStringLiteral("en-us"));
    const QString dict = dir.filePath(QStringLiteral("cmudict-en-us.dict"));
    if (!QFileInfo(hmm).isDir() || !QFileInfo(dict).isFile())
        return fail(QStringLiteral("the English speech model is not installed in %1").arg(settings.model_dir));

    silence_decoder_log();
    QList<std::pair<QByteArray, QByteArray>> options = {
        {"-hmm", hmm.toLocal8Bit()},
        {"-dict", dict.toLocal8Bit()},
        {"-vad_postspeech", QByteArray::number(std::max(1, settings.vad_postspeech_frames))},
        {"-vad_startspeech", QByteArray::number(std::max(1, settings.vad_startspeech_frames))},
        {"-vad_prespeech", QByteArray::number(std::max(1, settings.vad_prespeech_frames))},
        {"-vad_threshold", QByteArray::number(settings.vad_threshold, 'g', 6)},
    };
    // Further options replace ours of the same name; the decoder refuses repeats.
    for (qsizetype i = 0; i + 1 < settings.decoder_options.size(); i += 2) {
        const QByteArray name = settings.decoder_options[i].toUtf8();
        const QByteArray value = settings.decoder_options[i + 1].toUtf8();
        auto same = std::find_if(options.begin(), options.end(), [&](const auto& o) { return o.first == name; });
        if (same != options.end()) same->second = value;
        else options.append({name, value});
    }
    QList<QByteArray> arguments;
    for (const auto& [name, value] : options) arguments << name << value;
    std::vector<char*> argv;
    for (QByteArray& a : arguments) argv.push_back(a.data());
    cmd_ln_t* config = cmd_ln_parse_r(nullptr, ps_args(), int32(argv.size()), argv.data(), TRUE);
    if (!config) return fail(QStringLiteral("the speech decoder refused its settings"));
    ps_decoder_t* decoder = ps_init(config);
    if (!decoder) {
        cmd_ln_free_r(config);
        return fail(QStringLiteral("the speech model in %1 could not be loaded").arg(settings.model_dir));
    }
    return std::unique_ptr<CommandRecogniser>(new CommandRecogniser(settings, decoder, config));
}

CommandRecogniser::CommandRecogniser(const RecogniserSettings& settings, ps_decoder_s* decoder, cmd_ln_s* config)
    : settings_(settings), decoder_(decoder), config_(config)
{
}

CommandRecogniser::~CommandRecogniser()
{
    if (utterance_open_) ps_end_utt(decoder_);
    ps_free(decoder_);
    cmd_ln_free_r(config_);
}

void CommandRecogniser::listen_for(const QStringList& phrases)
{
    // Each listening period repeats its phrases; the grammar in use may already fit.
    if (!phrases_pending_ && !search_name_.isEmpty() && phrases == wanted_phrases_) return;
    wanted_phrases_ = phrases;
    phrases_pending_ = true;
    // Between utterances the new grammar can take over at once. The detector has not
    // heard speech, so nothing worth keeping is lost with the open utterance.
    if (!in_speech_) {
        drop_utterance();
        apply_phrases();
    }
}

void CommandRecogniser::restart()
{
    drop_utterance();
    samples_ = 0;
    quiet_since_ = 0;
    speech_since_ = 0;
}

QList<CommandRecogniser::Event> CommandRecogniser::feed(const qint16* samples, qsizetype count)
{
    QList<Event> events;
    for (qsizetype done = 0; done < count;) {
        const qsizetype n = std::min(piece_samples, count - done);
        if (!utterance_open_) open_utterance();
        if (utterance_open_) ps_process_raw(decoder_, samples + done, size_t(n), FALSE, FALSE);
        samples_ += n;
        done += n;
        if (!utterance_open_) continue;  // no grammar: the audio passes unheard

        const bool speech = ps_get_in_speech(decoder_) != 0;
        if (speech && !in_speech_) {
            in_speech_ = true;
            speech_since_ = samples_;
            events.append(Event{Event::SpeechStarted, {}, {}, audio_ms()});
        }
        const bool too_long = in_speech_ && ms_since(speech_since_) >= settings_.longest_utterance_ms;
        if ((!speech && in_speech_) || too_long) {
            in_speech_ = false;
            quiet_since_ = samples_;
            const std::optional<QString> hypothesis = close_utterance();
            // A detector trigger that decodes to nothing (a knock, a breath) is not an
            // utterance; the period goes on.
            if (hypothesis)
                events.append(Event{Event::Heard, grammar_.phrase_for(*hypothesis), *hypothesis, audio_ms()});
            if (phrases_pending_) apply_phrases();
        }
        if (!in_speech_ && ms_since(quiet_since_) >= settings_.quiet_ms) {
            quiet_since_ = samples_;
            events.append(Event{Event::NothingHeard, {}, {}, audio_ms()});
        }
    }
    return events;
}

void CommandRecogniser::open_utterance()
{
    if (phrases_pending_) apply_phrases();
    if (search_name_.isEmpty()) return;
    if (ps_start_utt(decoder_) < 0) {
        qWarning() << "Speech recognition could not start listening; spoken commands are ignored.";
        search_name_.clear();
        return;
    }
    utterance_open_ = true;
    in_speech_ = false;
}

void CommandRecogniser::drop_utterance()
{
    if (utterance_open_) ps_end_utt(decoder_);
    utterance_open_ = false;
    in_speech_ = false;
}

std::optional<QString> CommandRecogniser::close_utterance()
{
    if (!utterance_open_) return std::nullopt;
    utterance_open_ = false;
    if (ps_end_utt(decoder_) < 0) return std::nullopt;
    int32 score = 0;
    const char* hyp = ps_get_hyp(decoder_, &score);
    if (!hyp) return std::nullopt;
    const QString text = QString::fromUtf8(hyp).simplified();
    if (text.isEmpty()) return std::nullopt;
    return text;
}

void CommandRecogniser::apply_phrases()
{
    phrases_pending_ = false;
    CommandGrammar::Lexicon lexicon;
    lexicon.usable = [this](const QString& w) { return ensure_word(w); };
    lexicon.pronunciations = [this](const QString& w) { return pronunciations(w); };
    const ListeningTuning& tuning = settings_.tuning;
    if (tuning.synthesizer_pronunciations)
        for (const QString& phrase : std::as_const(wanted_phrases_))
            for (const QString& way : ways_to_say(phrase))
                for (const QString& w : way.split(QLatin1Char(' '))) add_synthesizer_pronunciation(w);
    const QStringList no_garbage;
    CommandGrammar next = CommandGrammar::build(
        wanted_phrases_, settings_.decoys, lexicon, tuning.garbage > 0 ? garbage_sounds() : no_garbage,
        GrammarWeights{tuning.command, tuning.decoy, tuning.garbage, tuning.garbage_sound});
    if (next.ways().isEmpty()) {
        qWarning() << "Nothing to listen for: no command or decoy word can be recognised.";
        return;
    }
    const QString name = QStringLiteral("commands%1").arg(++searches_made_);
    const QByteArray name_utf8 = name.toUtf8();
    const QByteArray jsgf = next.jsgf(name).toUtf8();
    // A new name each time: replacing the search in use would free it under the decoder.
    if (set_jsgf_search(decoder_, name_utf8.constData(), jsgf.constData()) < 0 ||
        ps_set_search(decoder_, name_utf8.constData()) < 0) {
        ps_unset_search(decoder_, name_utf8.constData());
        qWarning().noquote() << "The speech grammar for" << wanted_phrases_.join(QStringLiteral(", "))
                             << "was refused; still listening for the previous commands.";
        return;
    }
    if (!search_name_.isEmpty()) ps_unset_search(decoder_, search_name_.toUtf8().constData());
    search_name_ = name;
    grammar_ = std::move(next);
}

bool CommandRecogniser::ensure_word(const QString& word)
{
    if (const auto it = word_usable_.constFind(word); it != word_usable_.constEnd()) return *it;
    const QByteArray utf8 = word.toUtf8();
    bool usable = false;
    if (char* known = ps_lookup_word(decoder_, utf8.constData())) {
        ckd_free(known);
        usable = true;
    } else {
        const std::optional<QString> phones = settings_.pronounce ? settings_.pronounce(word) : std::nullopt;
        if (!phones) {
            qWarning().noquote() << "The word" << word << "cannot be listened for: no pronunciation for it.";
        } else if (ps_add_word(decoder_, utf8.constData(), phones->toLatin1().constData(), FALSE) < 0) {
            qWarning().noquote() << "The word" << word << "cannot be listened for: its pronunciation" << *phones
                                 << "was refused.";
        } else {
            usable = true;
        }
    }
    word_usable_.insert(word, usable);
    return usable;
}

void CommandRecogniser::add_synthesizer_pronunciation(const QString& word)
{
    // Words the dictionary lacks already have the synthesizer's pronunciation.
    if (synthesizer_checked_.contains(word) || !settings_.pronounce) return;
    synthesizer_checked_.insert(word);
    const QStringList known = pronunciations(word);
    if (known.isEmpty()) return;
    const std::optional<QString> phones = settings_.pronounce(word);
    if (!phones || known.contains(*phones)) return;
    const QByteArray entry = QStringLiteral("%1(%2)").arg(word).arg(known.size() + 1).toUtf8();
    ps_add_word(decoder_, entry.constData(), phones->toLatin1().constData(), FALSE);
}

const QStringList& CommandRecogniser::garbage_sounds()
{
    if (garbage_sounds_) return *garbage_sounds_;
    // One dictionary word for each sound of the acoustic model, named so that no
    // spoken word can be the same ("_aa").
    static const char* const phones[] = {"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D",  "DH",
                                         "EH", "ER", "EY", "F",  "G",  "HH", "IH", "IY", "JH", "K",
                                         "L",  "M",  "N",  "NG", "OW", "OY", "P",  "R",  "S",  "SH",
                                         "T",  "TH", "UH", "UW", "V",  "W",  "Y",  "Z",  "ZH", "+NSN+", "+SPN+"};
    garbage_sounds_ = QStringList();
    for (const char* phone : phones) {
        const QString name = QLatin1Char('_') + QString::fromLatin1(phone).remove(QLatin1Char('+')).toLower();
        if (ps_add_word(decoder_, name.toLatin1().constData(), phone, FALSE) >= 0) garbage_sounds_->append(name);
    }
    return *garbage_sounds_;
}

QStringList CommandRecogniser::pronunciations(const QString& word) const
{
    // Alternatives are entries of their own: "to", "to(2)", ...
    QStringList out;
    for (int n = 1; n < 10; ++n) {
        const QByteArray entry = (n == 1 ? word : QStringLiteral("%1(%2)").arg(word).arg(n)).toUtf8();
        char* phones = ps_lookup_word(decoder_, entry.constData());
        if (!phones) break;
        out.append(QString::fromLatin1(phones).simplified());
        ckd_free(phones);
    }
    return out;
}

}  // namespace pw::voice
