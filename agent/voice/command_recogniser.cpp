#include "agent/voice/command_recogniser.h"

#include "agent/voice/decoy_words.h"
#include "agent/voice/front_ends.h"
#include "agent/voice/mono_resampler.h"
#include "agent/voice/word_pronunciation.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <numeric>
#include <vector>

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/cmn.h>
#include <sphinxbase/err.h>
#include <sphinxbase/feat.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/jsgf.h>

#ifndef PW_POCKETSPHINX_MODELDIR
#define PW_POCKETSPHINX_MODELDIR "/usr/share/pocketsphinx/model"
#endif

static_assert(sizeof(mfcc_t) == sizeof(float), "the cepstral mean is kept as floats");

namespace pw::voice {

namespace {

// Audio goes to the decoder in pieces this long (20 ms), so that the detector's
// decisions are seen promptly whatever size the caller hands in.
constexpr qsizetype piece_samples = 320;

// Frames kept on either side of what the detector calls speech, besides the quiet the
// settings keep.
constexpr qint64 speech_margin_frames = 5;
constexpr qint64 frame_samples = CommandRecogniser::sample_rate / 100;

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

// The highest frequency the model's filters take in (its feat.params "-upperf"); the
// rate the decoder is told must leave it below the band's edge.
double model_upper_frequency(const QString& hmm)
{
    QFile params(QDir(hmm).filePath(QStringLiteral("feat.params")));
    if (params.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> words = params.readAll().simplified().split(' ');
        for (qsizetype i = 0; i + 1 < words.size(); ++i)
            if (words[i] == "-upperf") return words[i + 1].toDouble();
    }
    return 6855.4976;  // the decoder's own default
}

void silence_decoder_log()
{
    // The decoder logs every step at INFO level, process-wide.
    static std::once_flag once;
    std::call_once(once, [] { err_set_logfp(nullptr); });
}

}  // namespace

// One decoder hearing each utterance with its frequencies scaled down by `warp`.
struct CommandRecogniser::Pass {
    double warp = 1.0;
    ps_decoder_t* decoder = nullptr;
    cmd_ln_t* config = nullptr;
    std::unique_ptr<UtteranceFrontEnd> front;
    int upsampled_rate = 0;  // the rate the audio is brought to first, 0 for none

    Pass() = default;
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;
    ~Pass();
    // The utterance as this pass's filters take it: log energies, frame after frame.
    std::vector<float> log_spectra(const std::vector<qint16>& utterance);
    // The filters' centres in the frequencies of the audio as it came.
    std::vector<double> real_centres() const;
    // The utterance heard from its start, normalised by its own cepstral mean. Not by
    // a mean carried over from earlier speech: a new decoder's mean is a guess that
    // takes many utterances to fit the room and the voice, so the first words a
    // program hears would be heard worse than later ones.
    bool hear(const std::vector<float>& log_spectra);
};

RecogniserSettings RecogniserSettings::defaults()
{
    RecogniserSettings s;
    s.model_dir = QStringLiteral(PW_POCKETSPHINX_MODELDIR "/en-us");
    s.decoys = default_decoys();
    // The stage and the runner give every character this command.
    s.careful_phrases = {QStringLiteral("Cancel [Script]")};
    s.tuning = default_listening_tuning();
    s.pronounce = [](const QString& word) { return pronounce_with_espeak(word); };
    s.pronounce_british = [](const QString& word) { return pronounce_with_espeak(word, Accent::British); };
    s.narrowband_fill = NarrowbandFill::built_in();
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
    // A later option replaces an earlier one of the same name; the decoder refuses repeats.
    auto set = [](QList<std::pair<QByteArray, QByteArray>>& list, const QByteArray& name, const QByteArray& value) {
        auto same = std::find_if(list.begin(), list.end(), [&](const auto& o) { return o.first == name; });
        if (same != list.end()) same->second = value;
        else list.append({name, value});
    };
    if (settings.tuning.gaussians > 0) set(options, "-topn", QByteArray::number(settings.tuning.gaussians));
    for (qsizetype i = 0; i + 1 < settings.decoder_options.size(); i += 2)
        set(options, settings.decoder_options[i].toUtf8(), settings.decoder_options[i + 1].toUtf8());
    const double upper = model_upper_frequency(hmm);
    std::vector<std::unique_ptr<Pass>> passes;
    for (const double warp : settings.tuning.warps) {
        auto pass = std::make_unique<Pass>();
        pass->warp = warp;
        QList<std::pair<QByteArray, QByteArray>> pass_options = options;
        if (warp != 1.0) {
            // Told a rate `warp` times lower than the audio's, the decoder hears every
            // frequency that much lower. Its frames stay 10 ms of real time apart.
            int told = int(std::floor(sample_rate / warp));
            if (told < 2 * upper + 100) {
                // The model's top filters would lie beyond the band: resample up first.
                told = int(std::ceil(2 * upper + 100));
                pass->upsampled_rate = int(std::lround(told * warp));
            }
            set(pass_options, "-samprate", QByteArray::number(told));
            set(pass_options, "-frate", QByteArray::number(std::lround(100 / warp)));
        }
        QList<QByteArray> arguments;
        for (const auto& [name, value] : pass_options) arguments << name << value;
        std::vector<char*> argv;
        for (QByteArray& a : arguments) argv.push_back(a.data());
        pass->config = cmd_ln_parse_r(nullptr, ps_args(), int32(argv.size()), argv.data(), TRUE);
        if (!pass->config) return fail(QStringLiteral("the speech decoder refused its settings"));
        pass->decoder = ps_init(pass->config);
        if (!pass->decoder)
            return fail(QStringLiteral("the speech model in %1 could not be loaded").arg(settings.model_dir));
        // ps_init completed the settings from the model's own.
        pass->front = UtteranceFrontEnd::create(ps_get_config(pass->decoder));
        if (!pass->front) return fail(QStringLiteral("the speech decoder refused its settings"));
        passes.push_back(std::move(pass));
    }
    if (passes.empty()) return fail(QStringLiteral("the listening settings name no warp to listen with"));
    std::unique_ptr<SpeechDetector> detector = SpeechDetector::create(ps_get_config(passes.front()->decoder), sample_rate);
    if (!detector) return fail(QStringLiteral("the speech decoder refused its settings"));
    return std::unique_ptr<CommandRecogniser>(new CommandRecogniser(settings, std::move(passes), std::move(detector)));
}

CommandRecogniser::Pass::~Pass()
{
    front.reset();
    if (decoder) ps_free(decoder);
    if (config) cmd_ln_free_r(config);
}

std::vector<float> CommandRecogniser::Pass::log_spectra(const std::vector<qint16>& utterance)
{
    const qint16* samples = utterance.data();
    qsizetype count = qsizetype(utterance.size());
    QByteArray upsampled;
    if (upsampled_rate) {
        // As the passes were tuned: a straight line between samples.
        MonoResampler(sample_rate, upsampled_rate, MonoResampler::Upsampling::Linear)
            .push(std::vector<float>(utterance.begin(), utterance.end()), upsampled);
        samples = reinterpret_cast<const qint16*>(upsampled.constData());
        count = upsampled.size() / 2;
    }
    return front->log_spectra(samples, count);
}

std::vector<double> CommandRecogniser::Pass::real_centres() const
{
    std::vector<double> centres = front->centres();
    for (double& c : centres) c *= warp;
    return centres;
}

bool CommandRecogniser::Pass::hear(const std::vector<float>& log_spectra)
{
    std::vector<float> cepstra = front->cepstra(log_spectra);
    const size_t length = size_t(front->length());
    const size_t frames = cepstra.size() / length;
    // The mean of the frames with some energy, as the decoder's own normalisation takes it.
    std::vector<float> mean(length, 0.0f);
    std::vector<mfcc_t*> rows;
    int counted = 0;
    for (size_t f = 0; f < frames; ++f) {
        float* frame = cepstra.data() + f * length;
        rows.push_back(frame);
        if (frame[0] < 0) continue;
        for (size_t i = 0; i < length; ++i) mean[i] += frame[i];
        ++counted;
    }
    if (counted == 0 || ps_start_utt(decoder) < 0) return false;
    for (float& m : mean) m /= float(counted);
    cmn_live_set(ps_get_feat(decoder)->cmn_struct, mean.data());
    ps_process_cep(decoder, rows.data(), int32(rows.size()), FALSE, FALSE);
    return ps_end_utt(decoder) >= 0;
}

CommandRecogniser::CommandRecogniser(const RecogniserSettings& settings, std::vector<std::unique_ptr<Pass>> passes,
                                     std::unique_ptr<SpeechDetector> detector)
    : settings_(settings), passes_(std::move(passes)), detector_(std::move(detector))
{
    noise_.restart(sample_rate);
}

CommandRecogniser::~CommandRecogniser()
{
    drop_utterance();
}

ps_decoder_t* CommandRecogniser::first_decoder() const
{
    return passes_.front()->decoder;
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
    noise_.restart(sample_rate);
}

QList<CommandRecogniser::Event> CommandRecogniser::feed(const qint16* samples, qsizetype count)
{
    QList<Event> events;
    for (qsizetype done = 0; done < count;) {
        // Pieces end on whole multiples of their length however the audio comes, so
        // that the same audio is always cut and heard the same way.
        const qsizetype n = std::min(piece_samples - samples_ % piece_samples, count - done);
        // Opening may settle the detector on noise of its own: before the piece is made.
        if (!utterance_open_) open_utterance();
        const qint16* piece = noise_.add(samples + done, n, settings_.tuning.noise_floor_db);
        if (utterance_open_) {
            detector_->hear(piece, n);
            if (in_speech_) heard_.insert(heard_.end(), piece, piece + n);
            keep_lead_in(piece, n);
        }
        samples_ += n;
        done += n;
        // Without a grammar the audio passes unheard; decisions wait for a whole piece.
        if (!utterance_open_ || samples_ % piece_samples != 0) continue;
        if (settled_at_ >= 0) {
            if (samples_ < settled_at_) continue;
            settled_at_ = -1;
            drop_utterance();  // the next piece opens afresh
            continue;
        }

        const bool speech = detector_->in_speech();
        if (speech && !in_speech_) {
            in_speech_ = true;
            speech_since_ = samples_;
            heard_ = lead_in_;
            speech_from_frame_ = qint64(heard_.size()) / frame_samples;
            events.append(Event{Event::SpeechStarted, {}, {}, audio_ms()});
        }
        const bool too_long = in_speech_ && ms_since(speech_since_) >= settings_.longest_utterance_ms;
        if ((!speech && in_speech_) || too_long) {
            in_speech_ = false;
            quiet_since_ = samples_;
            // A detector trigger that decodes to nothing (a knock, a breath) is not an
            // utterance; the period goes on.
            if (std::optional<Event> heard = close_utterance(!speech)) {
                heard->at_ms = audio_ms();
                events.append(*heard);
            }
            if (phrases_pending_) apply_phrases();
        }
        if (!in_speech_ && ms_since(quiet_since_) >= settings_.quiet_ms) {
            quiet_since_ = samples_;
            events.append(Event{Event::NothingHeard, {}, {}, audio_ms()});
        }
    }
    return events;
}

void CommandRecogniser::keep_lead_in(const qint16* samples, qsizetype count)
{
    // What the detector had heard before it called the start of speech.
    const qsizetype keep = qsizetype(settings_.vad_prespeech_frames + settings_.vad_startspeech_frames + 10) * 160;
    lead_in_.insert(lead_in_.end(), samples, samples + count);
    if (qsizetype(lead_in_.size()) > keep) lead_in_.erase(lead_in_.begin(), lead_in_.end() - keep);
}

void CommandRecogniser::open_utterance()
{
    if (phrases_pending_) apply_phrases();
    if (search_name_.isEmpty()) return;
    detector_->start();
    utterance_open_ = true;
    in_speech_ = false;
    if (!detector_settled_) settle_detector();
}

void CommandRecogniser::settle_detector()
{
    // A new detector guesses the background far below what it first hears, so steady
    // noise counts as speech for a moment, and a wait for a word would end on nothing.
    // It first hears a second of the noise floor alone, then the first 150 ms of the
    // audio itself, and whatever it made of either is dropped.
    detector_settled_ = true;
    if (settings_.tuning.noise_floor_db > 0) {
        const std::vector<qint16> quiet(piece_samples, 0);
        for (int i = 0; i < sample_rate / piece_samples; ++i)
            detector_->hear(noise_.add(quiet.data(), piece_samples, settings_.tuning.noise_floor_db), piece_samples);
    }
    settled_at_ = samples_ + sample_rate * 3 / 20;
}

void CommandRecogniser::drop_utterance()
{
    detector_->stop();
    utterance_open_ = false;
    in_speech_ = false;
}

std::optional<CommandRecogniser::Event> CommandRecogniser::close_utterance(bool ended_in_quiet)
{
    if (!utterance_open_) return std::nullopt;
    drop_utterance();
    const std::vector<qint16> utterance = kept_for_hearing(ended_in_quiet);
    std::vector<std::vector<float>> spectra;
    for (const auto& pass : passes_) spectra.push_back(pass->log_spectra(utterance));
    // Speech through a narrowband channel has its top filters raised to what full-band
    // speech would have there.
    const double most_rise = settings_.tuning.narrowband_rise_db;
    const double rise = most_rise > 0 || settings_.spectra_seen
                            ? high_band_rise_db(utterance.data(), qsizetype(utterance.size())) : 0;
    const bool narrowband = most_rise > 0 && rise < most_rise;
    for (size_t i = 0; i < passes_.size(); ++i) {
        Pass& pass = *passes_[i];
        if (settings_.spectra_seen) settings_.spectra_seen(pass.warp, pass.real_centres(), spectra[i], rise);
        if (narrowband && !settings_.narrowband_fill.fill(pass.warp, spectra[i], pass.front->filters()) &&
            !fill_missing_warned_) {
            fill_missing_warned_ = true;
            qWarning() << "No narrowband fit for the listening pass at warp" << pass.warp
                       << "; narrowband speech is heard there as it came.";
        }
    }
    // The pass whose path fits best, per frame of speech, tells what was said; a
    // command counts only when enough passes heard it.
    std::optional<QString> best;
    double best_fit = 0;
    QHash<QString, int> votes;
    for (size_t i = 0; i < passes_.size(); ++i) {
        const auto& pass = passes_[i];
        if (!pass->hear(spectra[i])) continue;
        int32 score = 0;
        const char* hyp = ps_get_hyp(pass->decoder, &score);
        const int frames = ps_get_n_frames(pass->decoder);
        if (!hyp || frames <= 0) continue;
        const QString text = QString::fromUtf8(hyp).simplified();
        if (text.isEmpty()) continue;
        ++votes[grammar_.phrase_for(text)];
        // Squeezed into a narrower band, any speech fits the model a little better, so
        // a warp pays for its distance from the voice as it came.
        const double fit = double(score) / frames - settings_.tuning.warp_cost * std::abs(std::log(pass->warp));
        if (best && fit <= best_fit) continue;
        best = text;
        best_fit = fit;
    }
    if (!best) return std::nullopt;
    QString phrase = grammar_.phrase_for(*best);
    if (votes.value(phrase) < settings_.tuning.agree) phrase.clear();
    if (settings_.careful_phrases.contains(phrase, Qt::CaseInsensitive) && !said_in_full(phrase, *best)) phrase.clear();
    return Event{Event::Heard, phrase, *best, 0};
}

std::vector<qint16> CommandRecogniser::kept_for_hearing(bool ended_in_quiet) const
{
    const double quiet_ms = settings_.tuning.quiet_kept_ms;
    if (quiet_ms < 0) return heard_;
    // The detector calls speech once it has lasted its start frames, and ends it once
    // its silence has lasted its end frames; a few frames more on either side, as its
    // decisions come a little early or late.
    const qint64 frames = qint64(heard_.size()) / frame_samples;
    const qint64 margin = speech_margin_frames + qint64(quiet_ms) / 10;
    const qint64 from = std::max<qint64>(0, speech_from_frame_ - settings_.vad_startspeech_frames - margin);
    const qint64 to = ended_in_quiet ? std::max(from + 1, frames - settings_.vad_postspeech_frames + margin) : frames;
    return {heard_.begin() + std::min(from, frames) * frame_samples, heard_.begin() + std::min(to, frames) * frame_samples};
}

bool CommandRecogniser::said_in_full(const QString& phrase, const QString& words)
{
    const QStringList ways = ways_to_say(phrase);
    const qsizetype most = std::accumulate(ways.begin(), ways.end(), qsizetype(0), [](qsizetype m, const QString& w) {
        return std::max(m, w.count(QLatin1Char(' ')) + 1);
    });
    return words.count(QLatin1Char(' ')) + 1 >= most;
}

void CommandRecogniser::apply_phrases()
{
    phrases_pending_ = false;
    CommandGrammar::Lexicon lexicon;
    lexicon.usable = [this](const QString& w) { return ensure_word(w); };
    lexicon.pronunciations = [this](const QString& w) { return pronunciations(w); };
    const ListeningTuning& tuning = settings_.tuning;
    if (tuning.synthesizer_pronunciations || tuning.british_pronunciations || !tuning.accent_rules.isEmpty())
        for (const QString& phrase : std::as_const(wanted_phrases_))
            for (const QString& way : ways_to_say(phrase))
                for (const QString& w : way.split(QLatin1Char(' '))) {
                    if (tuning.synthesizer_pronunciations) add_variant(w, settings_.pronounce, QStringLiteral("synthesizer"));
                    if (tuning.british_pronunciations) add_variant(w, settings_.pronounce_british, QStringLiteral("british"));
                    add_accent_variants(w);
                }
    const QStringList no_garbage;
    const auto listened = std::count_if(wanted_phrases_.begin(), wanted_phrases_.end(), [this](const QString& p) {
        return !settings_.careful_phrases.contains(p, Qt::CaseInsensitive);
    });
    const double command = listened == 1 && tuning.command_one >= 0 ? tuning.command_one : tuning.command;
    CommandGrammar next = CommandGrammar::build(
        wanted_phrases_, settings_.decoys, lexicon, tuning.garbage > 0 ? garbage_sounds() : no_garbage,
        GrammarWeights{command, tuning.decoy, tuning.garbage, tuning.garbage_sound});
    if (next.ways().isEmpty()) {
        qWarning() << "Nothing to listen for: no command or decoy word can be recognised.";
        return;
    }
    const QString name = QStringLiteral("commands%1").arg(++searches_made_);
    const QByteArray name_utf8 = name.toUtf8();
    const QByteArray jsgf = next.jsgf(name).toUtf8();
    // A new name each time: replacing the search in use would free it under the decoder.
    const bool taken = std::all_of(passes_.begin(), passes_.end(), [&](const auto& pass) {
        return set_jsgf_search(pass->decoder, name_utf8.constData(), jsgf.constData()) >= 0 &&
               ps_set_search(pass->decoder, name_utf8.constData()) >= 0;
    });
    const QByteArray retired = (taken ? search_name_ : name).toUtf8();
    if (!taken) {
        // Passes that took the new search go back to the one in use.
        for (const auto& pass : passes_)
            if (!search_name_.isEmpty()) ps_set_search(pass->decoder, search_name_.toUtf8().constData());
    }
    if (!retired.isEmpty())
        for (const auto& pass : passes_) ps_unset_search(pass->decoder, retired.constData());
    if (!taken) {
        qWarning().noquote() << "The speech grammar for" << wanted_phrases_.join(QStringLiteral(", "))
                             << "was refused; still listening for the previous commands.";
        return;
    }
    search_name_ = name;
    grammar_ = std::move(next);
}

bool CommandRecogniser::ensure_word(const QString& word)
{
    if (const auto it = word_usable_.constFind(word); it != word_usable_.constEnd()) return *it;
    const QByteArray utf8 = word.toUtf8();
    bool usable = false;
    if (char* known = ps_lookup_word(first_decoder(), utf8.constData())) {
        ckd_free(known);
        usable = true;
    } else {
        const std::optional<QString> phones = settings_.pronounce ? settings_.pronounce(word) : std::nullopt;
        if (!phones) {
            qWarning().noquote() << "The word" << word << "cannot be listened for: no pronunciation for it.";
        } else if (!add_to_every_pass(utf8, phones->toLatin1())) {
            qWarning().noquote() << "The word" << word << "cannot be listened for: its pronunciation" << *phones
                                 << "was refused.";
        } else {
            usable = true;
        }
    }
    word_usable_.insert(word, usable);
    return usable;
}

void CommandRecogniser::add_variant(const QString& word, const RecogniserSettings::Pronouncer& pronounce,
                                    const QString& kind)
{
    // Words the dictionary lacks have the synthesizer's pronunciation only.
    const QString key = kind + QLatin1Char(' ') + word;
    if (variants_checked_.contains(key) || !pronounce) return;
    variants_checked_.insert(key);
    const QStringList known = pronunciations(word);
    if (known.isEmpty()) return;
    const std::optional<QString> phones = pronounce(word);
    if (!phones || known.contains(*phones)) return;
    const QByteArray entry = QStringLiteral("%1(%2)").arg(word).arg(known.size() + 1).toUtf8();
    add_to_every_pass(entry, phones->toLatin1());
}

void CommandRecogniser::add_accent_variants(const QString& word)
{
    const QList<AccentRule>& rules = settings_.tuning.accent_rules;
    if (rules.isEmpty() || variants_checked_.contains(QStringLiteral("accent ") + word)) return;
    variants_checked_.insert(QStringLiteral("accent ") + word);
    // From the ways of saying it known so far: the dictionary's and the British one.
    const QStringList known = pronunciations(word);
    qsizetype entries = known.size();
    for (const QString& phones : known)
        for (const QString& variant : accent_variants(phones, rules)) {
            // The dictionary numbers alternatives up to 9.
            if (entries >= 9) return;
            if (pronunciations(word).contains(variant)) continue;
            const QByteArray entry = QStringLiteral("%1(%2)").arg(word).arg(++entries).toUtf8();
            add_to_every_pass(entry, variant.toLatin1());
        }
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
        if (add_to_every_pass(name.toLatin1(), phone)) garbage_sounds_->append(name);
    }
    return *garbage_sounds_;
}

bool CommandRecogniser::add_to_every_pass(const QByteArray& word, const QByteArray& phones)
{
    bool all = true;
    for (const auto& pass : passes_) all = ps_add_word(pass->decoder, word.constData(), phones.constData(), FALSE) >= 0 && all;
    return all;
}

QStringList CommandRecogniser::pronunciations(const QString& word) const
{
    // Alternatives are entries of their own: "to", "to(2)", ...
    QStringList out;
    for (int n = 1; n < 10; ++n) {
        const QByteArray entry = (n == 1 ? word : QStringLiteral("%1(%2)").arg(word).arg(n)).toUtf8();
        char* phones = ps_lookup_word(first_decoder(), entry.constData());
        if (!phones) break;
        out.append(QString::fromLatin1(phones).simplified());
        ckd_free(phones);
    }
    return out;
}

}  // namespace pw::voice
