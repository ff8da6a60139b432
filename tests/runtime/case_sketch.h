#pragma once
// A small character written as text, for the runtime's cases. Every frame shows one
// solid colour whose red value is its tag; a mouth overlay puts 200 + its shape on the
// top-left pixel, so the recording view can tell frames and mouths apart.

#include "agent/acs/character_data.h"

#include <QString>

namespace pw::runtime_cases {

constexpr int frame_side = 8;
constexpr int mouth_base = 200;

struct CaseSketch {
    CaseSketch();
    // Takes a sketch line (animation, state, drop states); false when the line is
    // something else. A sketch line that is wrong leaves its reason in `error`.
    bool read(const QString& line, QString& error);

    acs::CharacterData data;

private:
    bool add_frame(acs::Animation& a, const QString& token);
    uint32_t image(int colour, int side);
};

}  // namespace pw::runtime_cases
