#pragma once
// A composed frame kept run-length packed. Characters keep every frame they have
// shown, so that idle loops and speech never compose a picture twice; their pictures
// are flat colours on a transparent ground, and packed a frame takes a fraction of its
// 8-bit pixels. It is unpacked each time it is shown, which costs far less than
// composing it again.

#include <QByteArray>
#include <QImage>
#include <QList>

namespace pw::agent {

class PackedFrame {
public:
    PackedFrame() = default;
    // `picture` is an Indexed8 image; any other format is kept as it is, unpacked.
    explicit PackedFrame(const QImage& picture);

    // The picture as it was given; the rows' padding is zero.
    QImage unpack() const;
    qsizetype size_in_bytes() const { return runs_.size() + plain_.sizeInBytes(); }
    bool operator==(const PackedFrame& o) const = default;

private:
    QByteArray runs_;      // (count 1-255, palette index) pairs over the rows, left to right
    QList<QRgb> colours_;  // shared between the frames of a character
    int width_ = 0;
    int height_ = 0;
    QImage plain_;  // a picture that is not Indexed8
};

}  // namespace pw::agent
