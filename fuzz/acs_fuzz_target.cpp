// Fuzz entry for character files: read the bytes; if they read, draw every frame with
// every mouth shape and decode every sound. Only AgentError may come out of reading.
// Bytes that start as a wave file are decoded as one, and bytes that start with a zero
// as a picture stream, so that both decoders are fuzzed on their own too.

#include "agent/acs/acs_codec.h"
#include "agent/acs/acs_reader.h"
#include "agent/acs/frame_renderer.h"
#include "agent/acs/wav_audio.h"
#include "agent/api/agent_error.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pw::acs;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytes.startsWith("RIFF")) {
        try {
            decode_wav(bytes);
        } catch (const pw::agent::AgentError&) {
        }
        return 0;
    }
    if (bytes.startsWith('\0')) {
        // Whatever decodes has exactly the wanted size.
        const qsizetype want = qsizetype(size) * 3;
        if (const auto out = codec::decode(bytes, want); out && out->size() != want) __builtin_trap();
        return 0;
    }
    CharacterData d;
    try {
        d = read_acs(bytes);
    } catch (const pw::agent::AgentError&) {
        return 0;
    }
    // Drawing cost grows with the claimed frame size; keep each input quick.
    int budget = qint64(d.width) * d.height <= 512 * 512 ? 2000 : 8;
    for (const Animation& a : d.animations)
        for (const Frame& f : a.frames) {
            if ((budget -= 1 + int(f.overlays.size())) < 0) break;
            render_frame(d, f);
            for (const MouthOverlay& o : f.overlays) render_frame(d, f, o.shape);
        }
    for (const Sound& s : d.sounds) {
        try {
            decode_wav(s.wav);
        } catch (const pw::agent::AgentError&) {
        }
    }
    return 0;
}
