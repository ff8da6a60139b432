#pragma once
// The default audio input through QAudioSource, at 16 kHz mono when the device takes
// that, otherwise in its preferred format converted on the way.

#include "agent/voice/microphone.h"
#include "agent/voice/mono_resampler.h"

#include <QAudioFormat>
#include <optional>

class QAudioSource;
class QIODevice;

namespace pw::voice {

class DeviceMicrophone : public Microphone {
    Q_OBJECT
public:
    DeviceMicrophone();
    ~DeviceMicrophone() override;

    void open() override;
    void close() override;

private:
    void read_available();
    void on_state_changed();

    QAudioSource* source_ = nullptr;
    QIODevice* stream_ = nullptr;
    QAudioFormat format_;
    bool converting_ = false;
    std::optional<MonoResampler> resampler_;
};

}  // namespace pw::voice
