#include "agent/runtime/packed_frame.h"

#include <cstring>

namespace pw::agent {

PackedFrame::PackedFrame(const QImage& picture)
{
    if (picture.format() != QImage::Format_Indexed8) {
        plain_ = picture;
        return;
    }
    width_ = picture.width();
    height_ = picture.height();
    colours_ = picture.colorTable();
    int count = 0;
    uchar value = 0;
    for (int y = 0; y < height_; ++y) {
        const uchar* line = picture.constScanLine(y);
        for (int x = 0; x < width_; ++x) {
            if (count > 0 && (line[x] != value || count == 255)) {
                runs_.append(char(count));
                runs_.append(char(value));
                count = 0;
            }
            value = line[x];
            ++count;
        }
    }
    if (count > 0) {
        runs_.append(char(count));
        runs_.append(char(value));
    }
    runs_.squeeze();
}

QImage PackedFrame::unpack() const
{
    if (width_ == 0 || height_ == 0)
        return plain_;
    QImage out(width_, height_, QImage::Format_Indexed8);
    if (out.isNull())
        return out;
    out.setColorTable(colours_);
    // The runs cover every pixel; the rows' padding is cleared so that equal pictures
    // hash alike.
    if (const int padding = int(out.bytesPerLine()) - width_; padding > 0)
        for (int row = 0; row < height_; ++row) std::memset(out.scanLine(row) + width_, 0, size_t(padding));
    int y = 0, x = 0;
    uchar* line = out.scanLine(0);
    for (qsizetype i = 0; i + 1 < runs_.size() && y < height_; i += 2) {
        int count = uchar(runs_[i]);
        const uchar value = uchar(runs_[i + 1]);
        while (count > 0 && y < height_) {
            const int n = qMin(count, width_ - x);
            std::memset(line + x, value, size_t(n));
            x += n;
            count -= n;
            if (x == width_) {
                x = 0;
                if (++y < height_)
                    line = out.scanLine(y);
            }
        }
    }
    return out;
}

}  // namespace pw::agent
