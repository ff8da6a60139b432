#include "agent/voice/microphone.h"

#include "agent/voice/device_microphone.h"
#include "agent/voice/recorded_microphone.h"

namespace pw::voice {

MicrophoneFactory chosen_microphone()
{
    const QString recording = qEnvironmentVariable("PELLWORKS_MIC_FILE");
    return [recording]() -> std::unique_ptr<Microphone> {
        if (!recording.isEmpty()) return std::make_unique<RecordedMicrophone>(recording);
        return std::make_unique<DeviceMicrophone>();
    };
}

std::unique_ptr<Microphone> make_microphone()
{
    return chosen_microphone()();
}

}  // namespace pw::voice
