#pragma once
// Audio for the recogniser: any rate and channel count Qt or a wave file offers, as
// 16 kHz mono signed 16-bit. Streaming, so that a microphone's blocks join up without
// clicks at the seams.

#include "agent/acs/wav_audio.h"

#include <QAudioFormat>
#include <QByteArray>
#include <deque>
#include <vector>

namespace pw::voice {

// Interleaved samples of `format` mixed down to one channel, on the 16-bit scale
// (-32768 .. 32767). Unknown sample formats give nothing.
std::vector<float> mixed_to_mono(const QByteArray& bytes, const QAudioFormat& format);

// Going down in rate, plain on purpose: a windowed-sinc filter (flat to 7 kHz, 80 dB
// down beyond the band) heard no more commands on the listening bench's synthesized
// speech, and fewer of espeak-ng's when it came at its own 22050 Hz. Going up (an 8 kHz
// headset), a windowed sinc, so that nothing is added above the input's band.
class MonoResampler {
public:
    // Going up in rate: a windowed sinc, or a straight line between neighbours.
    enum class Upsampling { BandLimited, Linear };
    explicit MonoResampler(int input_rate, int output_rate = 16000, Upsampling upsampling = Upsampling::BandLimited);

    // Converts what it can of `input` (mono, 16-bit scale) and appends it to `output`
    // as native-order qint16; a few samples wait for the next call.
    void push(const std::vector<float>& input, QByteArray& output);

private:
    double step_;         // input samples per output sample
    bool band_limited_;
    double position_ = 0; // of the next output sample, in input samples since the start
    qint64 dropped_ = 0;  // input samples no longer kept
    std::deque<float> kept_;
};

// A whole clip (a wave file) at 16 kHz mono, native-order qint16.
QByteArray to_recogniser_audio(const acs::PcmAudio& audio);

}  // namespace pw::voice
