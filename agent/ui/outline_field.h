#pragma once
// A frame's outline as a signed distance field, for scaling cut-outs smoothly. Every
// pixel knows how far its centre lies inside (+) or outside (-) the figure's edge.
// Interpolated between pixel centres the field runs straight along slanted edges,
// where interpolating the alpha itself and cutting at half would only enlarge each
// stair step of the source (at 2x the nearest source pixel always wins).

#include <QImage>
#include <QRect>
#include <QSize>
#include <vector>

namespace pw::agent::ui {

// How far from the edge distances are measured (source pixels); beyond, only the side
// matters: pictures are scaled down no further than a quarter with an exact ramp.
constexpr float outline_reach = 2.0f;

struct OutlineField {
    QSize size;
    // Row by row, in source pixels, between -outline_reach and +outline_reach; the edge
    // lies at 0. Empty when nothing is opaque.
    std::vector<float> distance;
    // RGB32: the frame's colours, the transparent pixels near the figure in the colour
    // of a neighbouring opaque one, so that filtering pulls no black in at the edge.
    QImage colours;
};

// Opaque means alpha >= 128.
OutlineField outline_field(const QImage& frame);

// How much the figure covers each pixel of a picture of `size` (Format_Alpha8): 255
// inside the outline, 0 outside; with `soft`, a ramp one target pixel wide centred on
// the outline instead, so that the edge is anti-aliased. The 50 % line is the same.
// Only the pixels of `part` (in the picture of `size`) are computed and returned; an
// empty part means the whole picture.
QImage outline_coverage(const OutlineField& field, QSize size, bool soft, QRect part = {});

}  // namespace pw::agent::ui
