// Drawing frames: stacking order, clipping, palette edges, the transparent colour and
// mouth overlays.

#include "agent/acs/frame_renderer.h"
#include "tests/test_classes.h"

#include <QTest>

using namespace pw::acs;

namespace {

constexpr QRgb red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, black = 0xFF000000;
constexpr uint8_t clear = 3;

// A picture from rows given top-down, one palette index per character.
Image picture(const QList<QByteArray>& rows)
{
    Image img;
    img.width = int(rows[0].size());
    img.height = int(rows.size());
    img.pixels = QByteArray(img.stride() * img.height, '\0');
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) img.pixels[(img.height - 1 - y) * img.stride() + x] = char(rows[y][x] - '0');
    return img;
}

CharacterData character()
{
    CharacterData d;
    d.width = 5;
    d.height = 3;
    d.transparent_index = clear;
    d.palette = {red, green, blue, qRgb(9, 9, 9)};  // index 3 has a colour but is transparent
    d.images = {picture({"00", "03"}), picture({"111", "111", "111"}), picture({"2"}), picture({"7"})};
    return d;
}

// The frame as text, one character per pixel: r g b k(black) . (transparent).
QList<QByteArray> pixels(const QImage& img)
{
    QList<QByteArray> rows;
    for (int y = 0; y < img.height(); ++y) {
        QByteArray row;
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            row += qAlpha(p) == 0 ? '.' : p == red ? 'r' : p == green ? 'g' : p == blue ? 'b' : p == black ? 'k' : '?';
        }
        rows.append(row);
    }
    return rows;
}

MouthOverlay overlay(Mouth shape, uint16_t image, bool replace = false)
{
    MouthOverlay o;
    o.shape = shape;
    o.image = image;
    o.replace_top_image = replace;
    o.x = 4;
    o.y = 2;
    return o;
}

}  // namespace

class FrameRendererTest : public QObject {
    Q_OBJECT
private slots:
    void first_image_is_on_top_and_clipped()
    {
        const CharacterData d = character();
        Frame f;
        f.images = {{0, 1, 0}, {1, -1, 1}, {1, 4, -2}};
        const QImage img = render_frame(d, f);
        QCOMPARE(img.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(img.size(), QSize(5, 3));
        QCOMPARE(pixels(img), (QList<QByteArray>{".rr.g", "gr...", "gg..."}));
    }

    void palette_edges()
    {
        const CharacterData d = character();
        Frame f;
        f.images = {{3, 0, 0}, {2, 1, 0}, {0, 2, 1}};  // index 7 lies beyond the 4 colours
        QCOMPARE(pixels(render_frame(d, f)), (QList<QByteArray>{"kb...", "..rr.", "..r.."}));
    }

    void missing_pictures_are_skipped()
    {
        CharacterData d = character();
        d.images[1].present = false;
        d.images[2].pixels.clear();  // inconsistent hand-made data
        Frame f;
        f.images = {{1, 0, 0}, {2, 0, 0}, {99, 0, 0}};
        QCOMPARE(pixels(render_frame(d, f)), (QList<QByteArray>{".....", ".....", "....."}));
    }

    void mouth_overlay_on_top_or_replacing()
    {
        const CharacterData d = character();
        Frame f;
        f.images = {{2, 4, 2}, {1, 2, 0}};
        f.overlays = {overlay(Mouth::Closed, 0), overlay(Mouth::WideOpen2, 3, true)};
        QCOMPARE(pixels(render_frame(d, f)), (QList<QByteArray>{"..ggg", "..ggg", "..ggb"}));
        // Closed: drawn over everything (its picture is clipped at the frame edge).
        QCOMPARE(pixels(render_frame(d, f, Mouth::Closed)), (QList<QByteArray>{"..ggg", "..ggg", "..ggr"}));
        // WideOpen2 replaces image 0 (the blue dot).
        QCOMPARE(pixels(render_frame(d, f, Mouth::WideOpen2)), (QList<QByteArray>{"..ggg", "..ggg", "..ggk"}));
    }

    void nearest_mouth_shape()
    {
        Frame f;
        QVERIFY(!pick_overlay(f, Mouth::Closed));
        f.overlays = {overlay(Mouth::Closed, 0), overlay(Mouth::Medium, 1), overlay(Mouth::WideOpen3, 2)};
        QCOMPARE(pick_overlay(f, Mouth::Medium)->image, 1);
        QCOMPARE(pick_overlay(f, Mouth::Narrow)->image, 0);     // as near closed as medium: the more closed wins
        QCOMPARE(pick_overlay(f, Mouth::WideOpen1)->image, 1);
        QCOMPARE(pick_overlay(f, Mouth::WideOpen4)->image, 2);
    }

    void impossible_frame_sizes_give_null()
    {
        CharacterData d = character();
        Frame f;
        d.width = 0;
        QVERIFY(render_frame(d, f).isNull());
        d.width = d.height = 65535;
        QVERIFY(render_frame(d, f).isNull());
    }
};

PW_TEST_CLASS(FrameRendererTest);
#include "test_frame_renderer.moc"
