#include "agent/acs/wav_audio.h"

#include "agent/acs/adpcm.h"
#include "agent/api/agent_error.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace pw::acs {

namespace {

using agent::AgentError;
namespace error = agent::error;

constexpr uint16_t tag_pcm = 1;
constexpr uint16_t tag_ms_adpcm = 2;
constexpr uint16_t tag_float = 3;
constexpr uint16_t tag_ima_adpcm = 0x11;
constexpr uint16_t tag_extensible = 0xFFFE;
constexpr int max_channels = 8;
// Below the slowest rate any recorder uses (5512 Hz); a header claiming less is
// damaged, and a few kilobytes of it would "play" for hours.
constexpr int min_sample_rate = 4000;

[[noreturn]] void invalid(const QString& why)
{
    throw AgentError(error::wave_invalid, QStringLiteral("Not a usable sound file: %1.").arg(why));
}

[[noreturn]] void corrupt(const QString& why)
{
    throw AgentError(error::wave_corrupt, QStringLiteral("The sound file is damaged or incomplete: %1.").arg(why));
}

uint16_t le16(const char* p) { return uint16_t(uchar(p[0]) | uchar(p[1]) << 8); }
uint32_t le32(const char* p) { return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16; }

struct Chunks {
    QByteArrayView fmt;
    QByteArrayView data;
    std::optional<uint32_t> fact_frames;
};

// Walks the chunks in whatever order they come; odd-sized chunks are followed by a
// pad byte, which may be missing at the very end.
Chunks find_chunks(QByteArrayView riff)
{
    if (riff.size() < 12 || std::memcmp(riff.data(), "RIFF", 4) != 0 || std::memcmp(riff.data() + 8, "WAVE", 4) != 0)
        invalid(QStringLiteral("it does not start with a RIFF/WAVE header"));
    qsizetype end = riff.size();
    const uint64_t declared = uint64_t(le32(riff.data() + 4)) + 8;
    if (declared >= 12 && declared < uint64_t(end)) end = qsizetype(declared);  // ignore trailing bytes

    Chunks c;
    bool have_data = false;
    qsizetype pos = 12;
    while (end - pos >= 8) {
        const char* head = riff.data() + pos;
        const uint32_t size = le32(head + 4);
        if (uint64_t(size) > uint64_t(end - pos - 8))
            corrupt(QStringLiteral("the \"%1\" chunk needs %2 bytes but only %3 are left")
                        .arg(QString::fromLatin1(head, 4)).arg(size).arg(end - pos - 8));
        const QByteArrayView body = riff.sliced(pos + 8, size);
        if (std::memcmp(head, "fmt ", 4) == 0 && c.fmt.isEmpty()) {
            c.fmt = body;
        } else if (std::memcmp(head, "data", 4) == 0 && !have_data) {
            c.data = body;
            have_data = true;
        } else if (std::memcmp(head, "fact", 4) == 0 && size >= 4) {
            c.fact_frames = le32(body.data());
        }
        pos += 8 + qsizetype(size) + (size & 1);
    }
    if (c.fmt.isEmpty()) corrupt(QStringLiteral("it has no format chunk"));
    if (!have_data) corrupt(QStringLiteral("it has no data chunk"));
    return c;
}

struct Format {
    uint16_t tag = 0;
    int channels = 0;
    int sample_rate = 0;
    int block_align = 0;
    int bits = 0;
    QByteArrayView extra;  // after the 16 common bytes (and the cbSize field)
};

Format parse_format(QByteArrayView fmt)
{
    if (fmt.size() < 16) corrupt(QStringLiteral("the format chunk is too short"));
    Format f;
    f.tag = le16(fmt.data());
    f.channels = le16(fmt.data() + 2);
    f.sample_rate = int(std::min<uint32_t>(le32(fmt.data() + 4), 0x7FFFFFFF));
    f.block_align = le16(fmt.data() + 12);
    f.bits = le16(fmt.data() + 14);
    if (fmt.size() >= 18) f.extra = fmt.sliced(18, std::min<qsizetype>(le16(fmt.data() + 16), fmt.size() - 18));
    if (f.tag == tag_extensible) {
        // The real format tag is the first two bytes of the sub-format GUID.
        if (f.extra.size() < 22) corrupt(QStringLiteral("the extended format chunk is too short"));
        f.tag = le16(f.extra.data() + 6);
    }
    if (f.channels < 1 || f.channels > max_channels)
        invalid(QStringLiteral("it has %1 channels").arg(f.channels));
    if (f.sample_rate <= 0) corrupt(QStringLiteral("its sample rate is 0"));
    if (f.sample_rate < min_sample_rate)
        corrupt(QStringLiteral("its sample rate of %1 Hz is far too low for a sound").arg(f.sample_rate));
    return f;
}

int16_t clamp16(double v)
{
    return int16_t(std::clamp(std::lround(v), -32768L, 32767L));
}

QByteArray decode_pcm(const Format& f, QByteArrayView data)
{
    const bool is_float = f.tag == tag_float;
    if (is_float ? f.bits != 32 : (f.bits != 8 && f.bits != 16 && f.bits != 24 && f.bits != 32))
        invalid(QStringLiteral("%1-bit %2 samples are not supported").arg(f.bits).arg(is_float ? "floating-point" : "PCM"));
    const int bytes = f.bits / 8;
    const qsizetype samples = data.size() / bytes / f.channels * f.channels;
    QByteArray out(samples * 2, Qt::Uninitialized);
    auto* dst = reinterpret_cast<uchar*>(out.data());
    const char* src = data.data();
    for (qsizetype i = 0; i < samples; ++i, src += bytes) {
        int16_t v;
        if (is_float) {
            float x;
            const uint32_t raw = le32(src);
            std::memcpy(&x, &raw, 4);
            v = std::isfinite(x) ? clamp16(double(x) * 32768.0) : int16_t(0);
        } else if (bytes == 1) {
            v = int16_t((static_cast<uchar>(src[0]) - 128) * 256);
        } else {
            v = int16_t(le16(src + bytes - 2));  // the top 16 bits
        }
        dst[2 * i] = uchar(uint16_t(v) & 0xFF);
        dst[2 * i + 1] = uchar(uint16_t(v) >> 8);
    }
    return out;
}

}  // namespace

PcmAudio decode_wav(const QByteArray& riff)
{
    const Chunks chunks = find_chunks(riff);
    const Format f = parse_format(chunks.fmt);
    PcmAudio audio;
    audio.sample_rate = f.sample_rate;
    audio.channels = f.channels;
    switch (f.tag) {
    case tag_pcm:
    case tag_float:
        audio.samples = decode_pcm(f, chunks.data);
        break;
    case tag_ms_adpcm:
    case tag_ima_adpcm: {
        if (f.bits != 4) invalid(QStringLiteral("%1-bit ADPCM is not supported").arg(f.bits));
        if (f.channels > 2) invalid(QStringLiteral("ADPCM with %1 channels is not supported").arg(f.channels));
        const uint16_t samples_per_block = f.extra.size() >= 2 ? le16(f.extra.data()) : 0;
        std::optional<QByteArray> pcm;
        QString why;
        if (f.tag == tag_ms_adpcm) {
            QList<adpcm::Coefficients> table;
            if (f.extra.size() >= 4) {
                const int count = le16(f.extra.data() + 2);
                if (f.extra.size() < 4 + 4 * count) corrupt(QStringLiteral("the ADPCM coefficient table is cut short"));
                for (int i = 0; i < count; ++i)
                    table.append({int16_t(le16(f.extra.data() + 4 + 4 * i)), int16_t(le16(f.extra.data() + 6 + 4 * i))});
            }
            pcm = adpcm::decode_ms(chunks.data, f.channels, f.block_align, samples_per_block, table, &why);
        } else {
            pcm = adpcm::decode_ima(chunks.data, f.channels, f.block_align, samples_per_block, &why);
        }
        if (!pcm) corrupt(why);
        audio.samples = std::move(*pcm);
        if (chunks.fact_frames) {
            const qsizetype wanted = qsizetype(*chunks.fact_frames) * 2 * f.channels;
            if (wanted < audio.samples.size()) audio.samples.truncate(wanted);
        }
        break;
    }
    default:
        invalid(QStringLiteral("it uses sound format %1, which is not supported").arg(f.tag));
    }
    return audio;
}

PcmAudio decode_wav_file(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw AgentError(error::file_not_found, QStringLiteral("The sound file %1 cannot be opened.").arg(path));
    return decode_wav(file.readAll());
}

QByteArray encode_wav(const PcmAudio& audio)
{
    const uint32_t data_size = uint32_t(audio.samples.size());
    const uint32_t block_align = uint32_t(2 * audio.channels);
    QByteArray out;
    out.reserve(44 + audio.samples.size());
    auto u16 = [&](uint32_t v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    out.append("RIFF", 4);
    u32(36 + data_size + (data_size & 1));
    out.append("WAVEfmt ", 8);
    u32(16);
    u16(tag_pcm);
    u16(uint32_t(audio.channels));
    u32(uint32_t(audio.sample_rate));
    u32(uint32_t(audio.sample_rate) * block_align);
    u16(block_align);
    u16(16);
    out.append("data", 4);
    u32(data_size);
    out.append(audio.samples);
    if (data_size & 1) out.append('\0');
    return out;
}

}  // namespace pw::acs
