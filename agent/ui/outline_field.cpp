#include "agent/ui/outline_field.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pw::agent::ui {
namespace {

constexpr float far_away = std::numeric_limits<float>::infinity();

// Exact squared distance along a line: d[q] = min over p of (q - p)^2 + f[p], and the
// p that gives it (the lower envelope of parabolas, after Felzenszwalb and
// Huttenlocher). Sites with f = infinity take no part; with none at all, d stays
// infinite and nearest is -1. v and z are scratch of n and n + 1 entries.
void distance_1d(const float* f, int n, float* d, int* nearest, int* v, double* z)
{
    int k = -1;
    for (int q = 0; q < n; ++q) {
        if (f[q] == far_away)
            continue;
        double s = -HUGE_VAL;
        while (k >= 0) {
            const int p = v[k];
            s = ((f[q] + double(q) * q) - (f[p] + double(p) * p)) / (2.0 * (q - p));
            if (s > z[k])
                break;
            --k;
        }
        if (k < 0)
            s = -HUGE_VAL;
        v[++k] = q;
        z[k] = s;
    }
    if (k < 0) {
        std::fill(d, d + n, far_away);
        std::fill(nearest, nearest + n, -1);
        return;
    }
    z[k + 1] = HUGE_VAL;
    int j = 0;
    for (int q = 0; q < n; ++q) {
        while (z[j + 1] < q)
            ++j;
        const int p = v[j];
        d[q] = float(double(q - p) * (q - p) + f[p]);
        nearest[q] = p;
    }
}

// Squared distance from every pixel to the nearest site, and that site's index
// (y * w + x, or -1 without sites): columns first, then rows over the column results.
void distance_2d(const std::vector<bool>& site, int w, int h, std::vector<float>& dist, std::vector<int>& nearest)
{
    const int n = std::max(w, h);
    std::vector<float> f(n), d(n);
    std::vector<int> arg(n), v(n);
    std::vector<double> z(n + 1);
    std::vector<float> column_dist(size_t(w) * h);
    std::vector<int> column_row(size_t(w) * h);
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y)
            f[y] = site[size_t(y) * w + x] ? 0.0f : far_away;
        distance_1d(f.data(), h, d.data(), arg.data(), v.data(), z.data());
        for (int y = 0; y < h; ++y) {
            column_dist[size_t(y) * w + x] = d[y];
            column_row[size_t(y) * w + x] = arg[y];
        }
    }
    dist.resize(size_t(w) * h);
    nearest.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const size_t row = size_t(y) * w;
        distance_1d(&column_dist[row], w, &dist[row], arg.data(), v.data(), z.data());
        for (int x = 0; x < w; ++x) {
            const int col = arg[x];
            nearest[row + x] = col < 0 ? -1 : column_row[row + col] * w + col;
        }
    }
}

// The figure's edge as line segments through the midpoints between the centres of
// opaque and transparent pixels (marching squares): a run of one-pixel steps becomes
// one straight line. Calls add(x1, y1, x2, y2) for each segment of the cell whose top
// left corner is pixel (x, y); a cell whose diagonal corners alone are opaque keeps
// them joined, so thin diagonal lines survive.
template <typename Add>
void cell_segments(const std::vector<bool>& inside, int w, int x, int y, Add add)
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
    return std::hypot(px - x1 - t * dx, py - y1 - t * dy);
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

    std::vector<bool> inside(size_t(w) * h), outside(size_t(w) * h);
    bool any = false;
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool in = qAlpha(line[x]) >= 128;
            inside[size_t(y) * w + x] = in;
            outside[size_t(y) * w + x] = !in;
            any = any || in;
        }
    }
    if (!any)
        return field;

    std::vector<float> to_inside, to_outside;
    std::vector<int> nearest_inside, unused;
    distance_2d(inside, w, h, to_inside, nearest_inside);
    distance_2d(outside, w, h, to_outside, unused);

    // Beyond the frame nothing is known, so a figure cut by the frame's border stays
    // inside there; a bound keeps the field finite for interpolation.
    const float bound = float(w + h);
    field.distance.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* colours = reinterpret_cast<QRgb*>(field.colours.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            if (inside[i]) {
                field.distance[i] = std::min(bound, std::sqrt(to_outside[i]) - 0.5f);
                colours[x] = line[x] | 0xff000000u;
            } else {
                field.distance[i] = -(std::sqrt(to_inside[i]) - 0.5f);
                const int n = nearest_inside[i];
                colours[x] = reinterpret_cast<const QRgb*>(src.constScanLine(n / w))[n % w] | 0xff000000u;
            }
        }
    }

    // Near the edge the distance is measured to the straightened outline instead of
    // to the nearest pixel centre of the other kind, whose steps would show again.
    constexpr float band = 1.5f;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float& f = field.distance[size_t(y) * w + x];
            if (std::abs(f) > band)
                continue;
            float nearest = HUGE_VALF;
            for (int cy = std::max(0, y - 2); cy <= std::min(h - 2, y + 1); ++cy)
                for (int cx = std::max(0, x - 2); cx <= std::min(w - 2, x + 1); ++cx)
                    cell_segments(inside, w, cx, cy, [&](float x1, float y1, float x2, float y2) {
                        nearest = std::min(nearest, segment_distance(float(x), float(y), x1, y1, x2, y2));
                    });
            if (nearest < HUGE_VALF)
                f = f > 0 ? nearest : -nearest;
        }
    }
    return field;
}

QImage outline_coverage(const OutlineField& field, QSize size, bool soft)
{
    QImage out(size, QImage::Format_Alpha8);
    if (out.isNull())
        return out;
    out.fill(0);
    if (field.distance.empty())
        return out;
    const int sw = field.size.width(), sh = field.size.height();
    // Source pixels per target pixel; target pixel centres map onto source positions.
    const double kx = double(sw) / size.width(), ky = double(sh) / size.height();
    std::vector<int> x0(size.width()), x1(size.width());
    std::vector<float> tx(size.width());
    for (int x = 0; x < size.width(); ++x) {
        const double sx = std::clamp((x + 0.5) * kx - 0.5, 0.0, sw - 1.0);
        x0[x] = int(sx);
        x1[x] = std::min(x0[x] + 1, sw - 1);
        tx[x] = float(sx - x0[x]);
    }
    const float* d = field.distance.data();
    for (int y = 0; y < size.height(); ++y) {
        const double sy = std::clamp((y + 0.5) * ky - 0.5, 0.0, sh - 1.0);
        const int y0 = int(sy), y1 = std::min(y0 + 1, sh - 1);
        const float ty = float(sy - y0);
        const float* top = d + size_t(y0) * sw;
        const float* bottom = d + size_t(y1) * sw;
        uchar* line = out.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            const float f00 = top[x0[x]], f10 = top[x1[x]], f01 = bottom[x0[x]], f11 = bottom[x1[x]];
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
