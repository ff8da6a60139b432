#include "agent/voice/front_ends.h"

#include <sphinxbase/cmd_ln.h>
#include <sphinxbase/fe.h>

static_assert(sizeof(mfcc_t) == sizeof(float), "cepstra are kept as floats");

namespace pw::voice {

namespace {

// A front end from the decoder's settings, its detector on or off and, when given,
// for audio at `sample_rate`; the decoder's settings are left as they were.
fe_t* front_end(cmd_ln_t* config, bool remove_silence, int sample_rate = 0)
{
    const long removes = cmd_ln_int_r(config, "-remove_silence");
    const double told = cmd_ln_float_r(config, "-samprate");
    const long frame_rate = cmd_ln_int_r(config, "-frate");
    cmd_ln_set_int_r(config, "-remove_silence", remove_silence);
    if (sample_rate > 0) {
        cmd_ln_set_float_r(config, "-samprate", sample_rate);
        cmd_ln_set_int_r(config, "-frate", 100);
    }
    fe_t* front = fe_init_auto_r(config);
    cmd_ln_set_int_r(config, "-remove_silence", removes);
    cmd_ln_set_float_r(config, "-samprate", told);
    cmd_ln_set_int_r(config, "-frate", frame_rate);
    return front;
}

}  // namespace

std::unique_ptr<SpeechDetector> SpeechDetector::create(cmd_ln_t* decoder_config, int sample_rate)
{
    fe_t* front = front_end(decoder_config, true, sample_rate);
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
    fe_t* front = front_end(decoder_config, false);
    if (!front) return nullptr;
    return std::unique_ptr<UtteranceFrontEnd>(new UtteranceFrontEnd(front));
}

UtteranceFrontEnd::UtteranceFrontEnd(fe_t* front)
    : front_(front), length_(fe_get_output_size(front))
{
}

UtteranceFrontEnd::~UtteranceFrontEnd()
{
    fe_free(front_);
}

std::vector<float> UtteranceFrontEnd::cepstra(const qint16* samples, qsizetype count)
{
    std::vector<float> out;
    mfcc_t** block = nullptr;
    int32 frames = 0;
    fe_start_utt(front_);
    if (fe_process_utt(front_, samples, size_t(count), &block, &frames) >= 0 && block) {
        out.assign(block[0], block[0] + size_t(frames) * size_t(length_));
        fe_free_2d(block);
    }
    std::vector<float> last(static_cast<size_t>(length_), 0.0f);
    int32 more = 0;
    fe_end_utt(front_, last.data(), &more);
    if (more > 0) out.insert(out.end(), last.begin(), last.end());
    return out;
}

}  // namespace pw::voice
