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

// A whole utterance as the log energies of the model's mel filters, every frame kept,
// and the cepstra a decoder hears made from them: the filters can be mended between
// the two (a narrowband channel leaves the top ones empty).
class UtteranceFrontEnd {
public:
    static std::unique_ptr<UtteranceFrontEnd> create(cmd_ln_s* decoder_config);
    ~UtteranceFrontEnd();
    UtteranceFrontEnd(const UtteranceFrontEnd&) = delete;
    UtteranceFrontEnd& operator=(const UtteranceFrontEnd&) = delete;

    // Frames of `filters()` natural-log energies, one after the other; empty when
    // nothing fits.
    std::vector<float> log_spectra(const qint16* samples, qsizetype count);
    // Frames of `length()` cepstra, as the decoder's own front end would give them.
    std::vector<float> cepstra(const std::vector<float>& log_spectra) const;
    int filters() const { return int(centres_.size()); }
    int length() const { return int(lifter_.size()); }
    // Each filter's centre in Hz at the rate the decoder is told.
    const std::vector<double>& centres() const { return centres_; }

private:
    UtteranceFrontEnd(fe_s* front, cmd_ln_s* config);
    fe_s* front_;
    std::vector<double> centres_;
    std::vector<float> lifter_;  // the cepstral weights, 1 without liftering
};

}  // namespace pw::voice
