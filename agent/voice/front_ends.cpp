#include "agent/voice/front_ends.h"

#include <sphinxbase/cmd_ln.h>
#include <sphinxbase/fe.h>

#include <cmath>

static_assert(sizeof(mfcc_t) == sizeof(float), "cepstra are kept as floats");

namespace pw::voice {

namespace {

// A front end from the decoder's settings, its detector on or off, giving log filter
// energies or cepstra and, when given, for audio at `sample_rate`; the decoder's
// settings are left as they were.
fe_t* front_end(cmd_ln_t* config, bool remove_silence, bool log_spectra, int sample_rate = 0)
{
    const long removes = cmd_ln_int_r(config, "-remove_silence");
    const long logspec = cmd_ln_int_r(config, "-logspec");
    cmd_ln_set_int_r(config, "-logspec", log_spectra);
    const double told = cmd_ln_float_r(config, "-samprate");
    const long frame_rate = cmd_ln_int_r(config, "-frate");
    cmd_ln_set_int_r(config, "-remove_silence", remove_silence);
    if (sample_rate > 0) {
        cmd_ln_set_float_r(config, "-samprate", sample_rate);
        cmd_ln_set_int_r(config, "-frate", 100);
    }
    fe_t* front = fe_init_auto_r(config);
    cmd_ln_set_int_r(config, "-remove_silence", removes);
    cmd_ln_set_int_r(config, "-logspec", logspec);
    cmd_ln_set_float_r(config, "-samprate", told);
    cmd_ln_set_int_r(config, "-frate", frame_rate);
    return front;
}

}  // namespace

std::unique_ptr<SpeechDetector> SpeechDetector::create(cmd_ln_t* decoder_config, int sample_rate)
{
    fe_t* front = front_end(decoder_config, true, false, sample_rate);
    if (!front) return nullptr;
    return std::unique_ptr<SpeechDetector>(new SpeechDetector(front));
}

SpeechDetector::SpeechDetector(fe_t* front)
    : front_(front), frame_length_(fe_get_output_size(front))
{
    // Room for the frames kept from before the start of speech, which come all at once.
    constexpr int rows = 128;
    frames_.resize(size_t(rows * frame_length_));
    for (int i = 0; i < rows; ++i) rows_.push_back(frames_.data() + i * frame_length_);
}

SpeechDetector::~SpeechDetector()
{
    fe_free(front_);
}

void SpeechDetector::start()
{
    stop();
    fe_start_utt(front_);
    started_ = true;
}

void SpeechDetector::stop()
{
    if (!started_) return;
    started_ = false;
    int32 frames = 0;
    fe_end_utt(front_, frames_.data(), &frames);
}

void SpeechDetector::hear(const qint16* samples, qsizetype count)
{
    const int16* in = samples;
    size_t left = size_t(count);
    while (left > 0) {
        int32 frames = int32(rows_.size());
        int32 first = 0;
        const size_t before = left;
        if (fe_process_frames(front_, &in, &left, rows_.data(), &frames, &first) < 0) return;
        if (left == before) return;  // nothing taken: never spin
    }
}

bool SpeechDetector::in_speech() const
{
    return fe_get_vad_state(front_) != 0;
}

std::unique_ptr<UtteranceFrontEnd> UtteranceFrontEnd::create(cmd_ln_t* decoder_config)
{
    fe_t* front = front_end(decoder_config, false, true);
    if (!front) return nullptr;
    return std::unique_ptr<UtteranceFrontEnd>(new UtteranceFrontEnd(front, decoder_config));
}

UtteranceFrontEnd::UtteranceFrontEnd(fe_t* front, cmd_ln_t* config)
    : front_(front)
{
    // The filters lie evenly on the mel scale, each reaching to its neighbours' centres.
    const auto mel = [](double hz) { return 2595.0 * std::log10(1.0 + hz / 700.0); };
    const int filters = int(cmd_ln_int_r(config, "-nfilt"));
    const double low = mel(cmd_ln_float_r(config, "-lowerf"));
    const double step = (mel(cmd_ln_float_r(config, "-upperf")) - low) / (filters + 1);
    for (int i = 0; i < filters; ++i) centres_.push_back(700.0 * (std::pow(10.0, (low + (i + 1) * step) / 2595.0) - 1.0));
    const long lifter = cmd_ln_int_r(config, "-lifter");
    for (long i = 0; i < cmd_ln_int_r(config, "-ncep"); ++i)
        lifter_.push_back(lifter > 0 ? float(1.0 + lifter / 2.0 * std::sin(M_PI * double(i) / double(lifter))) : 1.0f);
}

UtteranceFrontEnd::~UtteranceFrontEnd()
{
    fe_free(front_);
}

std::vector<float> UtteranceFrontEnd::log_spectra(const qint16* samples, qsizetype count)
{
    std::vector<float> out;
    mfcc_t** block = nullptr;
    int32 frames = 0;
    const size_t width = centres_.size();
    fe_start_utt(front_);
    if (fe_process_utt(front_, samples, size_t(count), &block, &frames) >= 0 && block) {
        out.assign(block[0], block[0] + size_t(frames) * width);
        fe_free_2d(block);
    }
    std::vector<float> last(width, 0.0f);
    int32 more = 0;
    fe_end_utt(front_, last.data(), &more);
    if (more > 0) out.insert(out.end(), last.begin(), last.end());
    // The library lifters its log spectra as if they were cepstra (the first values of
    // each frame); that is undone here, and done where the cepstra are made.
    for (size_t f = 0; f + width <= out.size(); f += width)
        for (size_t i = 1; i < std::min(width, lifter_.size()); ++i) out[f + i] /= lifter_[i];
    return out;
}

std::vector<float> UtteranceFrontEnd::cepstra(const std::vector<float>& log_spectra) const
{
    const size_t width = centres_.size();
    const size_t length = lifter_.size();
    std::vector<float> out(log_spectra.size() / width * length);
    for (size_t f = 0; f < log_spectra.size() / width; ++f) {
        float* cepstrum = out.data() + f * length;
        fe_logspec_dct2(front_, log_spectra.data() + f * width, cepstrum);
        for (size_t i = 0; i < length; ++i) cepstrum[i] *= lifter_[i];
    }
    return out;
}

}  // namespace pw::voice
