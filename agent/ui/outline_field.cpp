#include "agent/ui/outline_field.h"

#include <algorithm>
#include <cmath>

namespace pw::agent::ui {
namespace {

// The figure's edge as line segments through the midpoints between the centres of
// opaque and transparent pixels (marching squares): a run of one-pixel steps becomes
// one straight line. Calls add(x1, y1, x2, y2) for each segment of the cell whose top
// left corner is pixel (x, y); a cell whose diagonal corners alone are opaque keeps
// them joined, so thin diagonal lines survive.
template <typename Add>
void cell_segments(const std::vector<uchar>& inside, int w, int x, int y, Add add)
{
    const size_t i = size_t(y) * w + x;
    const bool a = inside[i], b = inside[i + 1], c = inside[i + w + 1], d = inside[i + w];
    const int n = a + b + c + d;
    if (n == 0 || n == 4)
        return;
    const float top[2] = {x + 0.5f, float(y)}, right[2] = {x + 1.0f, y + 0.5f};
    const float bottom[2] = {x + 0.5f, y + 1.0f}, left[2] = {float(x), y + 0.5f};
    auto segment = [&](const float* p, const float* q) { add(p[0], p[1], q[0], q[1]); };
    if (n == 2 && a == b) {
        segment(left, right);
    } else if (n == 2 && a == d) {
        segment(top, bottom);
    } else {
        // Corners cut off: the odd one out, or both transparent ones of a diagonal.
        const bool cut = n == 1;
        if (a == cut) segment(left, top);
        if (b == cut) segment(top, right);
        if (c == cut) segment(right, bottom);
        if (d == cut) segment(bottom, left);
    }
}

float segment_distance(float px, float py, float x1, float y1, float x2, float y2)
{
    const float dx = x2 - x1, dy = y2 - y1;
    const float t = std::clamp(((px - x1) * dx + (py - y1) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    const float ex = px - x1 - t * dx, ey = py - y1 - t * dy;
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

OutlineField outline_field(const QImage& frame)
{
    OutlineField field;
    if (frame.isNull())
        return field;
    const QImage src = frame.convertToFormat(QImage::Format_ARGB32);
    const int w = src.width(), h = src.height();
    field.size = src.size();
    field.colours = QImage(w, h, QImage::Format_RGB32);
    field.colours.fill(Qt::black);

    std::vector<uchar> inside(size_t(w) * h);
    bool any = false;
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* colours = reinterpret_cast<QRgb*>(field.colours.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool in = qAlpha(line[x]) >= 128;
            inside[size_t(y) * w + x] = in;
            if (in)
                colours[x] = line[x] | 0xff000000u;
            any = any || in;
        }
    }
    if (!any)
        return field;

    // Each cell on the edge measures the pixels around it; pixels further away than
    // that are at least `reach` from the edge, where only the side matters.
    std::vector<float> nearest(size_t(w) * h, outline_reach);
    for (int cy = 0; cy + 1 < h; ++cy) {
        for (int cx = 0; cx + 1 < w; ++cx) {
            cell_segments(inside, w, cx, cy, [&](float x1, float y1, float x2, float y2) {
                for (int y = std::max(0, cy - 1); y <= std::min(h - 1, cy + 2); ++y)
                    for (int x = std::max(0, cx - 1); x <= std::min(w - 1, cx + 2); ++x) {
                        float& d = nearest[size_t(y) * w + x];
                        d = std::min(d, segment_distance(float(x), float(y), x1, y1, x2, y2));
                    }
            });
        }
    }
    field.distance.resize(size_t(w) * h);
    for (size_t i = 0; i < field.distance.size(); ++i)
        field.distance[i] = inside[i] ? nearest[i] : -nearest[i];

    // Transparent pixels near the figure take the colour of an opaque neighbour, ring
    // by ring, as far as filtering at the new size reaches.
    std::vector<uchar> filled = inside;
    for (int ring = 0; ring < 3; ++ring) {
        std::vector<uchar> next = filled;
        for (int y = 0; y < h; ++y) {
            auto* colours = reinterpret_cast<QRgb*>(field.colours.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const size_t i = size_t(y) * w + x;
                if (filled[i])
                    continue;
                const QRgb* from = nullptr;
                if (x > 0 && filled[i - 1]) from = &colours[x - 1];
                else if (x + 1 < w && filled[i + 1]) from = &colours[x + 1];
                else if (y > 0 && filled[i - w]) from = reinterpret_cast<const QRgb*>(field.colours.constScanLine(y - 1)) + x;
                else if (y + 1 < h && filled[i + w]) from = reinterpret_cast<const QRgb*>(field.colours.constScanLine(y + 1)) + x;
                if (from) {
                    colours[x] = *from;
                    next[i] = 1;
                }
            }
        }
        filled.swap(next);
    }
    return field;
}

QImage outline_coverage(const OutlineField& field, QSize size, bool soft, QRect part)
{
    if (part.isEmpty())
        part = QRect(QPoint(0, 0), size);
    QImage out(part.size(), QImage::Format_Alpha8);
    if (out.isNull())
        return out;
    out.fill(0);
    if (field.distance.empty())
        return out;
    const int sw = field.size.width(), sh = field.size.height();
    // Source pixels per target pixel; target pixel centres map onto source positions.
    const double kx = double(sw) / size.width(), ky = double(sh) / size.height();
    std::vector<int> x0(part.width()), x1(part.width());
    std::vector<float> tx(part.width());
    for (int x = 0; x < part.width(); ++x) {
        const double sx = std::clamp((x + part.x() + 0.5) * kx - 0.5, 0.0, sw - 1.0);
        x0[x] = int(sx);
        x1[x] = std::min(x0[x] + 1, sw - 1);
        tx[x] = float(sx - x0[x]);
    }
    const float* d = field.distance.data();
    for (int y = 0; y < part.height(); ++y) {
        const double sy = std::clamp((y + part.y() + 0.5) * ky - 0.5, 0.0, sh - 1.0);
        const int y0 = int(sy), y1 = std::min(y0 + 1, sh - 1);
        const float ty = float(sy - y0);
        const float* top = d + size_t(y0) * sw;
        const float* bottom = d + size_t(y1) * sw;
        uchar* line = out.scanLine(y);
        for (int x = 0; x < part.width(); ++x) {
            const float f00 = top[x0[x]], f10 = top[x1[x]], f01 = bottom[x0[x]], f11 = bottom[x1[x]];
            if (f00 == f10 && f01 == f11 && f00 == f01 && std::abs(f00) == outline_reach) {
                line[x] = f00 > 0 ? 255 : 0;  // away from the edge
                continue;
            }
            const float upper = f00 + (f10 - f00) * tx[x];
            const float lower = f01 + (f11 - f01) * tx[x];
            // Points exactly on a straight edge count as inside, so that an edge at 45
            // degrees steps evenly instead of by the rounding of each point.
            const float f = upper + (lower - upper) * ty + 1e-3f;
            if (!soft) {
                line[x] = f >= 0 ? 255 : 0;
                continue;
            }
            // The field's slope per target pixel turns the distance into target
            // pixels: the ramp is one target pixel wide across the edge.
            const float gx = ((f10 - f00) * (1 - ty) + (f11 - f01) * ty) * float(kx);
            const float gy = (lower - upper) * float(ky);
            const float g = std::sqrt(gx * gx + gy * gy);
            const float a = g > 1e-6f ? 0.5f + f / g : (f >= 0 ? 1.0f : 0.0f);
            line[x] = uchar(std::clamp(a, 0.0f, 1.0f) * 255.0f + 0.5f);
        }
    }
    return out;
}

}  // namespace pw::agent::ui
