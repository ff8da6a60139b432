#include "agent/acs/adpcm.h"

#include <algorithm>
#include <climits>

namespace pw::acs::adpcm {

namespace {

constexpr int ms_adaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};

constexpr int ima_index_step[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
constexpr int ima_steps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

int16_t clamp16(int64_t v) { return int16_t(std::clamp<int64_t>(v, -32768, 32767)); }
int16_t s16_at(const uchar* p) { return int16_t(uint16_t(p[0] | p[1] << 8)); }

void put(uchar* out, qsizetype sample, int16_t v)
{
    out[2 * sample] = uchar(uint16_t(v) & 0xFF);
    out[2 * sample + 1] = uchar(uint16_t(v) >> 8);
}

struct MsChannel {
    Coefficients coef;
    int64_t delta = 0;
    int64_t sample1 = 0;  // the latest sample
    int64_t sample2 = 0;  // the one before

    int16_t next(int nibble)
    {
        const int64_t predicted = (sample1 * coef.first + sample2 * coef.second) >> 8;
        const int signed_nibble = nibble >= 8 ? nibble - 16 : nibble;
        const int16_t sample = clamp16(predicted + signed_nibble * delta);
        // Damaged data could grow the step without bound; real files stay far below.
        delta = std::clamp<int64_t>((ms_adaptation[nibble] * delta) >> 8, 16, INT_MAX / 768);
        sample2 = sample1;
        sample1 = sample;
        return sample;
    }
};

struct ImaChannel {
    int predictor = 0;
    int index = 0;

    int16_t next(int nibble)
    {
        const int step = ima_steps[index];
        int diff = step >> 3;
        if (nibble & 4) diff += step;
        if (nibble & 2) diff += step >> 1;
        if (nibble & 1) diff += step >> 2;
        predictor = clamp16(nibble & 8 ? predictor - diff : predictor + diff);
        index = std::clamp(index + ima_index_step[nibble], 0, 88);
        return int16_t(predictor);
    }
};

}  // namespace

QList<Coefficients> standard_ms_coefficients()
{
    return {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};
}

std::optional<QByteArray> decode_ms(QByteArrayView data, int channels, int block_align, int samples_per_block,
                                    QList<Coefficients> table, QString* why)
{
    const int header = 7 * channels;
    if (block_align <= header) {
        *why = QStringLiteral("an ADPCM block of %1 bytes cannot hold its header").arg(block_align);
        return std::nullopt;
    }
    if (table.isEmpty()) table = standard_ms_coefficients();
    const int most = 2 + (block_align - header) * 2 / channels;
    const int per_block = samples_per_block > 0 ? std::min(samples_per_block, most) : most;

    const qsizetype blocks = (data.size() + block_align - 1) / block_align;
    QByteArray out(blocks * per_block * channels * 2, Qt::Uninitialized);
    auto* dst = reinterpret_cast<uchar*>(out.data());
    qsizetype written = 0;  // samples, all channels counted

    const auto* src = reinterpret_cast<const uchar*>(data.data());
    for (qsizetype at = 0; at < data.size(); at += block_align) {
        const qsizetype bytes = std::min<qsizetype>(block_align, data.size() - at);
        if (bytes < header) break;  // a stray tail too short for a header holds no sound
        const uchar* b = src + at;
        MsChannel ch[2];
        for (int c = 0; c < channels; ++c) {
            const int predictor = b[c];
            if (predictor >= table.size()) {
                *why = QStringLiteral("an ADPCM block uses predictor %1 of %2").arg(predictor).arg(table.size());
                return std::nullopt;
            }
            ch[c].coef = table[predictor];
            ch[c].delta = s16_at(b + channels + 2 * c);
            ch[c].sample1 = s16_at(b + 3 * channels + 2 * c);
            ch[c].sample2 = s16_at(b + 5 * channels + 2 * c);
        }
        const int frames = int(std::min<qsizetype>(per_block, 2 + (bytes - header) * 2 / channels));
        for (int c = 0; c < channels && frames > 0; ++c) put(dst, written + c, int16_t(ch[c].sample2));
        for (int c = 0; c < channels && frames > 1; ++c) put(dst, written + channels + c, int16_t(ch[c].sample1));
        // Nibbles, high first, take turns between the channels.
        const qsizetype nibbles = qsizetype(std::max(frames - 2, 0)) * channels;
        for (qsizetype k = 0; k < nibbles; ++k) {
            const uchar byte = b[header + k / 2];
            const int nibble = k % 2 == 0 ? byte >> 4 : byte & 0x0F;
            put(dst, written + 2 * channels + k, ch[k % channels].next(nibble));
        }
        written += qsizetype(frames) * channels;
    }
    out.truncate(written * 2);
    return out;
}

std::optional<QByteArray> decode_ima(QByteArrayView data, int channels, int block_align, int samples_per_block,
                                     QString* why)
{
    const int header = 4 * channels;
    const int groups = (block_align - header) / (4 * channels);  // 4 bytes, 8 samples, per channel
    if (block_align <= header || groups < 1) {
        *why = QStringLiteral("an ADPCM block of %1 bytes cannot hold its header and data").arg(block_align);
        return std::nullopt;
    }
    const int most = 1 + groups * 8;
    const int per_block = samples_per_block > 0 ? std::min(samples_per_block, most) : most;

    const qsizetype blocks = (data.size() + block_align - 1) / block_align;
    QByteArray out(blocks * per_block * channels * 2, Qt::Uninitialized);
    auto* dst = reinterpret_cast<uchar*>(out.data());
    qsizetype written = 0;

    const auto* src = reinterpret_cast<const uchar*>(data.data());
    for (qsizetype at = 0; at < data.size(); at += block_align) {
        const qsizetype bytes = std::min<qsizetype>(block_align, data.size() - at);
        if (bytes < header) break;
        const uchar* b = src + at;
        ImaChannel ch[2];
        for (int c = 0; c < channels; ++c) {
            ch[c].predictor = s16_at(b + 4 * c);
            ch[c].index = std::min<int>(b[4 * c + 2], 88);
            put(dst, written + c, int16_t(ch[c].predictor));
        }
        const qsizetype full_groups = (bytes - header) / (4 * channels);
        const int frames = int(std::min<qsizetype>(per_block, 1 + full_groups * 8));
        // Each channel has its own 4-byte groups in turn; low nibble first.
        for (int s = 0; s + 1 < frames; ++s) {
            for (int c = 0; c < channels; ++c) {
                const uchar byte = b[header + (qsizetype(s / 8) * channels + c) * 4 + (s % 8) / 2];
                const int nibble = s % 2 == 0 ? byte & 0x0F : byte >> 4;
                put(dst, written + qsizetype(s + 1) * channels + c, ch[c].next(nibble));
            }
        }
        written += qsizetype(frames) * channels;
    }
    out.truncate(written * 2);
    return out;
}

}  // namespace pw::acs::adpcm
