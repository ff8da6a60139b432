#include "tools/charbuild/palette_builder.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pw::charbuild {

namespace {

struct Weighted {
    QRgb colour;
    qint64 count;
};

int channel(QRgb c, int ch)
{
    return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c);
}

struct Box {
    QList<Weighted> colours;
    qint64 total = 0;

    // The channel with the widest spread and that spread.
    std::pair<int, int> widest() const
    {
        std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
        for (const Weighted& w : colours)
            for (int ch = 0; ch < 3; ++ch) {
                lo[ch] = std::min(lo[ch], channel(w.colour, ch));
                hi[ch] = std::max(hi[ch], channel(w.colour, ch));
            }
        int best = 0;
        for (int ch = 1; ch < 3; ++ch)
            if (hi[ch] - lo[ch] > hi[best] - lo[best]) best = ch;
        return {best, hi[best] - lo[best]};
    }

    QRgb mean() const
    {
        double r = 0, g = 0, b = 0;
        for (const Weighted& w : colours) {
            r += double(qRed(w.colour)) * w.count;
            g += double(qGreen(w.colour)) * w.count;
            b += double(qBlue(w.colour)) * w.count;
        }
        const double n = double(std::max<qint64>(total, 1));
        return qRgb(int(r / n + 0.5), int(g / n + 0.5), int(b / n + 0.5));
    }
};

// Perceptual-ish weights: the eye is most sensitive to green, least to blue.
int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

QList<QRgb> median_cut(QList<Weighted> colours, int wanted)
{
    QList<Box> boxes;
    Box first;
    first.colours = std::move(colours);
    for (const Weighted& w : first.colours) first.total += w.count;
    boxes << first;
    while (boxes.size() < wanted) {
        // Split the box whose spread, weighted by how much it is used, is largest.
        int pick = -1;
        double pick_score = 0;
        for (qsizetype i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colours.size() < 2) continue;
            const double score = double(boxes[i].widest().second) * std::sqrt(double(boxes[i].total));
            if (pick < 0 || score > pick_score) {
                pick = int(i);
                pick_score = score;
            }
        }
        if (pick < 0) break;
        Box box = boxes.takeAt(pick);
        const int ch = box.widest().first;
        std::sort(box.colours.begin(), box.colours.end(), [ch](const Weighted& a, const Weighted& b) {
            const int ca = channel(a.colour, ch), cb = channel(b.colour, ch);
            return ca != cb ? ca < cb : a.colour < b.colour;
        });
        qint64 running = 0;
        qsizetype cut = 1;
        for (qsizetype i = 0; i < box.colours.size() - 1; ++i) {
            running += box.colours[i].count;
            cut = i + 1;
            if (running * 2 >= box.total) break;
        }
        Box a, b;
        a.colours = box.colours.mid(0, cut);
        b.colours = box.colours.mid(cut);
        for (const Weighted& w : a.colours) a.total += w.count;
        for (const Weighted& w : b.colours) b.total += w.count;
        boxes << a << b;
    }
    QList<QRgb> out;
    for (const Box& box : boxes) out << box.mean();
    return out;
}

}  // namespace

PaletteBuilder::PaletteBuilder(const QList<QRgb>& key_colours)
{
    for (QRgb k : key_colours) {
        const QRgb opaque = k | 0xFF000000u;
        if (!keys_.contains(opaque) && keys_.size() < palette_size - 1) keys_ << opaque;
    }
}

void PaletteBuilder::add(const QImage& premultiplied)
{
    const QImage img = premultiplied.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (is_drawn(row[x])) ++counts_[drawn_colour(row[x])];
    }
}

QList<QRgb> PaletteBuilder::build() const
{
    QList<QRgb> palette;
    palette << transparent_colour;
    palette << keys_;
    QList<Weighted> others;
    for (auto it = counts_.cbegin(); it != counts_.cend(); ++it)
        if (!keys_.contains(it.key())) others << Weighted{it.key(), it.value()};
    // A total order, so the same pictures always give the same palette.
    std::sort(others.begin(), others.end(), [](const Weighted& a, const Weighted& b) {
        return a.count != b.count ? a.count > b.count : a.colour < b.colour;
    });
    const int room = palette_size - int(palette.size());
    if (others.size() <= room) {
        for (const Weighted& w : others) palette << w.colour;
    } else {
        palette << median_cut(others, room);
    }
    while (palette.size() < palette_size) palette << qRgb(0, 0, 0);
    return palette;
}

ColourMapper::ColourMapper(const QList<QRgb>& palette) : palette_(palette) {}

uint8_t ColourMapper::index_of(QRgb colour) const
{
    colour |= 0xFF000000u;
    if (const auto it = cache_.constFind(colour); it != cache_.cend()) return *it;
    int best = -1;
    int best_distance = 0;
    for (qsizetype i = 0; i < palette_.size(); ++i) {
        if (i == transparent_index) continue;
        const int d = distance(colour, palette_[i] | 0xFF000000u);
        if (best < 0 || d < best_distance) {
            best = int(i);
            best_distance = d;
            if (d == 0) break;
        }
    }
    const uint8_t index = uint8_t(std::max(best, 1));
    cache_.insert(colour, index);
    return index;
}

}  // namespace pw::charbuild
