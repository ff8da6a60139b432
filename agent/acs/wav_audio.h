#pragma once
// Wave files: RIFF/WAVE parsing and decoding to 16-bit PCM (PCM 8/16-bit and
// Microsoft ADPCM; IMA ADPCM too). Used for sounds inside character files, for
// Speak with a url, and for the wave device.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace pw::acs {

struct PcmAudio {
    int sample_rate = 0;
    int channels = 0;
    QByteArray samples;  // signed 16-bit little-endian, interleaved

    qint64 frame_count() const { return channels ? samples.size() / (2 * channels) : 0; }
    qint64 duration_ms() const { return sample_rate ? frame_count() * 1000 / sample_rate : 0; }
    bool is_empty() const { return samples.isEmpty(); }
};

// Throws AgentError (wave_invalid: not a RIFF/WAVE file or an unsupported format;
// wave_corrupt: truncated or inconsistent data). Never reads outside `riff`.
PcmAudio decode_wav(const QByteArray& riff);
// Reads and decodes a file; file errors throw AgentError file_not_found.
PcmAudio decode_wav_file(const QString& path);
// A plain 16-bit PCM RIFF/WAVE file.
QByteArray encode_wav(const PcmAudio& audio);

}  // namespace pw::acs
