#pragma once
// Audio for the recogniser: any rate and channel count Qt or a wave file offers, as
// 16 kHz mono signed 16-bit. Streaming, so that a microphone's blocks join up without
// clicks at the seams.

#include "agent/acs/wav_audio.h"

#include <QAudioFormat>
#include <QByteArray>
#include <memory>
#include <vector>

namespace pw::voice {

// Interleaved samples of `format` mixed down to one channel, on the 16-bit scale
// (-32768 .. 32767). Unknown sample formats give nothing.
std::vector<float> mixed_to_mono(const QByteArray& bytes, const QAudioFormat& format);

struct ResamplingFilter;

// A band-limited resampler: a windowed-sinc low-pass at the lower rate's band edge, its
// taps worked out once for each phase. A box filter or a straight line between
// neighbours lets the band's top fold back into it and dulls what lies below, and the
// recogniser hears the difference.
class MonoResampler {
public:
    // Copies share the filter's taps and go on from the same point.
    explicit MonoResampler(int input_rate, int output_rate = 16000);

    // Converts what it can of `input` (mono, 16-bit scale) and appends it to `output`
    // as native-order qint16; a few samples wait for the next call.
    void push(const std::vector<float>& input, QByteArray& output);
    // Ends the stream: appends the samples that waited for input beyond the last, so
    // that the output lasts as long as the input did.
    void finish(QByteArray& output);

private:
    void convert(QByteArray& output);

    std::shared_ptr<const ResamplingFilter> filter_;  // null: the rates are the same
    qint64 pushed_ = 0;    // input samples so far
    qint64 produced_ = 0;  // output samples so far
    qint64 limit_ = -1;    // output samples at most, once finished (-1: no limit)
    qint64 whole_ = 0;     // the input sample at or before the next output sample
    qint64 fraction_ = 0;  // and how far past it, in steps of 1/ratio's denominator
    qint64 kept_from_ = 0; // the input sample of kept_[0]
    std::vector<float> kept_;
};

// A whole clip (a wave file) at 16 kHz mono, native-order qint16.
QByteArray to_recogniser_audio(const acs::PcmAudio& audio);

}  // namespace pw::voice
