#pragma once
// pocketsphinx front ends on their own, without a decoder behind them: one that tells
// where speech starts and ends in a stream, and one that turns a whole utterance into
// cepstra for a decoder to hear. Both take a decoder's completed settings (the model's
// filters and the detector's thresholds).

#include <QtGlobal>
#include <memory>
#include <vector>

struct fe_s;
struct cmd_ln_s;

namespace pw::voice {

class SpeechDetector {
public:
    // For audio at `sample_rate` with frames 10 ms apart, whatever rate the decoder
    // behind `decoder_config` is told. nullptr when the settings are refused.
    static std::unique_ptr<SpeechDetector> create(cmd_ln_s* decoder_config, int sample_rate);
    ~SpeechDetector();
    SpeechDetector(const SpeechDetector&) = delete;
    SpeechDetector& operator=(const SpeechDetector&) = delete;

    // A stretch of audio starts or ends; what the detector learnt of the background
    // stays.
    void start();
    void stop();
    void hear(const qint16* samples, qsizetype count);
    bool in_speech() const;

private:
    explicit SpeechDetector(fe_s* front);
    fe_s* front_;
    int frame_length_;
    std::vector<float> frames_;  // the cepstra, not used: only the decision counts
    std::vector<float*> rows_;
    bool started_ = false;
};

// Cepstra of a whole utterance, every frame kept.
class UtteranceFrontEnd {
public:
    static std::unique_ptr<UtteranceFrontEnd> create(cmd_ln_s* decoder_config);
    ~UtteranceFrontEnd();
    UtteranceFrontEnd(const UtteranceFrontEnd&) = delete;
    UtteranceFrontEnd& operator=(const UtteranceFrontEnd&) = delete;

    // Frames of `length()` values each, one after the other; empty when nothing fits.
    std::vector<float> cepstra(const qint16* samples, qsizetype count);
    int length() const { return length_; }

private:
    explicit UtteranceFrontEnd(fe_s* front);
    fe_s* front_;
    int length_;
};

}  // namespace pw::voice
