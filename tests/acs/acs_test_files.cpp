#include "acs_test_files.h"

#include "agent/acs/acs_reader.h"
#include "agent/acs/frame_renderer.h"
#include "agent/acs/wav_audio.h"
#include "agent/api/agent_error.h"

#include <algorithm>

namespace pw::acs::testing {

QList<qsizetype> block_boundaries(const QByteArray& file)
{
    QList<qsizetype> at = {0, 36, file.size()};
    auto add = [&](qsizetype offset, qsizetype size) {
        if (offset + size > file.size()) return;
        at << offset << offset + size;
    };
    for (int i = 0; i < 4; ++i) add(le32_at(file, 4 + 8 * i), le32_at(file, 8 + 8 * i));
    // The animation directory: count, then (name, locator) entries.
    {
        qsizetype p = le32_at(file, 12);
        const uint32_t n = le32_at(file, p);
        p += 4;
        for (uint32_t i = 0; i < n && p + 4 <= file.size(); ++i) {
            const uint32_t chars = le32_at(file, p);
            p += 4 + (chars ? 2 * qsizetype(chars) + 2 : 0);
            if (p + 8 > file.size()) break;
            add(le32_at(file, p), le32_at(file, p + 4));
            p += 8;
        }
    }
    // Directories of images and sounds: count, then (locator, checksum) entries.
    for (int dir = 2; dir < 4; ++dir) {
        const qsizetype d = le32_at(file, 4 + 8 * dir);
        const uint32_t n = le32_at(file, d);
        for (uint32_t i = 0; i < n && d + 16 + 12 * i <= file.size(); ++i)
            add(le32_at(file, d + 4 + 12 * i), le32_at(file, d + 8 + 12 * i));
    }
    // The localized table, through the locator inside the character information.
    const qsizetype info = le32_at(file, 4);
    add(le32_at(file, info + 4), le32_at(file, info + 8));
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    return at;
}

bool read_and_use(const QByteArray& bytes)
{
    CharacterData d;
    try {
        d = read_acs(bytes);
    } catch (const agent::AgentError&) {
        return false;
    }
    for (const Animation& a : d.animations)
        for (const Frame& f : a.frames) {
            render_frame(d, f);
            for (int m = 0; m < mouth_shape_count; ++m) render_frame(d, f, Mouth(m));
        }
    for (const Sound& s : d.sounds) {
        try {
            decode_wav(s.wav);
        } catch (const agent::AgentError&) {
        }
    }
    return true;
}

}  // namespace pw::acs::testing
