// The character window's cut-out: it follows the frame's alpha at 50 %, follows the
// outline smoothly when scaled (soft-edged for a compositor), and is cached per distinct
// frame. The window itself: cases/window_*.case, and cases/x11 on an X server.

#include "agent/ui/frame_shape.h"
#include "tests/test_classes.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

using namespace pw::agent::ui;

namespace {

// A red disc on a transparent square, drawn without antialiasing like a palette frame.
QImage disc(int size, QColor colour = Qt::red)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRect(0, 0, size, size));
    return img;
}

// The lower left triangle of a square, x <= y: a 45 degree edge of one-pixel steps.
QImage triangle(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x <= y; ++x)
            img.setPixel(x, y, qRgb(40, 160, 90));
    return img;
}

// A light disc in a dark ring three pixels wide, as our characters are drawn.
QImage outlined_disc(int size)
{
    QImage img = disc(size, QColor(31, 37, 69));
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 241, 208));
    p.drawEllipse(QRect(3, 3, size - 6, size - 6));
    return img;
}

// The last pixel of row y inside the region, -1 for none.
int row_end(const QRegion& r, int y, int width)
{
    for (int x = width - 1; x >= 0; --x)
        if (r.contains(QPoint(x, y)))
            return x;
    return -1;
}

bool only_hard_alpha(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int a = qAlpha(img.pixel(x, y));
            if (a != 0 && a != 255)
                return false;
        }
    return true;
}

}  // namespace

class CharacterWindowTest : public QObject {
    Q_OBJECT
private slots:
    void shape_cuts_at_half_alpha_from_the_scaled_picture()
    {
        // Kept edge pixels become opaque in their own colour, not darkened.
        QImage edge(2, 1, QImage::Format_ARGB32_Premultiplied);
        edge.setPixel(0, 0, qRgba(127, 0, 0, 127));
        edge.setPixel(1, 0, qRgba(128, 0, 0, 128));
        const FrameShape cut = make_frame_shape(edge, edge.size());
        QCOMPARE(cut.region, QRegion(1, 0, 1, 1));
        QCOMPARE(qRed(cut.image.pixel(1, 0)), 255);
        QVERIFY(only_hard_alpha(cut.image));

        // Runs of every length at every place in a row, read several pixels at a time,
        // and a partial alpha found wherever it is.
        QImage runs(37, 9, QImage::Format_ARGB32_Premultiplied);
        QRegion expected;
        QRandomGenerator rng(7);
        for (int y = 0; y < runs.height(); ++y)
            for (int x = 0, left = 0; x < runs.width(); ++x, --left) {
                if (left == 0)
                    left = 1 + int(rng.bounded(9));
                const bool solid = (y + x - left) % 2;  // flips from run to run
                runs.setPixel(x, y, solid ? 0xff204080u : 0u);
                if (solid)
                    expected += QRect(x, y, 1, 1);
            }
        bool partial = true;
        QCOMPARE(alpha_region(runs, &partial), expected);
        QVERIFY(!partial);
        for (int x = 0; x < runs.width(); ++x) {
            QImage one = runs;
            one.setPixel(x, 4, qAlpha(one.pixel(x, 4)) ? 0xc0102040u : 0x01000000u);
            alpha_region(one, &partial);
            QVERIFY(partial);
        }
    }

    void enlarged_edges_are_smooth_and_shrunk_outlines_closed()
    {
        // At 2x a 45 degree edge steps one pixel per row, not two (enlarged source
        // pixels), and stays on the line.
        const QImage tri = triangle(20);
        const FrameShape hard = make_frame_shape(tri, QSize(40, 40));
        for (int y = 0; y < 40; ++y) {
            const int end = row_end(hard.region, y, 40);
            QVERIFY2(qAbs(end - y) <= 1, qPrintable(QStringLiteral("row %1 ends at %2").arg(y).arg(end)));
            if (y > 0)
                QVERIFY(qAbs(end - row_end(hard.region, y - 1, 40)) <= 1);
        }
        // Soft edges: the same cut-out for the mouse, a ramp of alpha along the edge
        // in the figure's own colour (nothing dark pulled in from outside).
        const FrameShape soft = make_frame_shape(tri, QSize(40, 40), true);
        QCOMPARE(soft.region, hard.region);
        int partial = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const QRgb p = soft.image.pixel(x, y);
                if (qAlpha(p) == 0)
                    continue;
                partial += qAlpha(p) < 255;
                QVERIFY(qAbs(x - y) <= 2 || qAlpha(p) == 255);
                QVERIFY(qAbs(qGreen(qUnpremultiply(p)) - 160) <= 4);
            }
        QVERIFY(partial >= 30);

        // At half size the dark ring still closes around the figure: one piece, round,
        // and every pixel on its border dark.
        const FrameShape small = make_frame_shape(outlined_disc(40), QSize(20, 20));
        QVERIFY(small.region.contains(QRect(6, 6, 8, 8)));
        QVERIFY(!small.region.contains(QPoint(1, 1)));
        QVERIFY(!small.region.contains(QPoint(18, 18)));
        for (int y = 0; y < 20; ++y) {
            int runs = 0;
            for (int x = 0; x < 20; ++x) {
                if (!small.region.contains(QPoint(x, y)))
                    continue;
                runs += !small.region.contains(QPoint(x - 1, y));
                const bool border = !small.region.contains(QPoint(x + 1, y)) || !small.region.contains(QPoint(x - 1, y))
                                    || !small.region.contains(QPoint(x, y + 1)) || !small.region.contains(QPoint(x, y - 1));
                if (border)
                    QVERIFY2(qGray(small.image.pixel(x, y)) < 120, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
            QVERIFY(runs == 1);
        }
    }

    void cache_reuses_shapes_of_unchanged_frames()
    {
        FrameShapeCache cache(2);
        const QImage a = disc(30);
        const QRegion first = cache.shape_for(a, QSize(30, 30)).region;
        cache.shape_for(a, QSize(30, 30));
        QCOMPARE(cache.built(), 1);
        // The same picture rendered again into a new image is the same frame.
        const QImage a_again = disc(30);
        QVERIFY(a_again.cacheKey() != a.cacheKey());
        QCOMPARE(cache.shape_for(a_again, QSize(30, 30)).region, first);
        QCOMPARE(cache.built(), 1);
        // Another size or other pixels are new shapes; with room for two, the least
        // recently used goes.
        const QImage b = disc(30, Qt::green);
        cache.shape_for(a, QSize(60, 60));
        cache.shape_for(b, QSize(30, 30));
        cache.shape_for(a, QSize(30, 30));
        QCOMPARE(cache.built(), 4);

        // Big pictures are bounded by bytes: with room for one, the other goes.
        FrameShapeCache small(64, 250000);  // one 200x200 picture is 160000 bytes
        small.shape_for(a, QSize(200, 200));
        small.shape_for(b, QSize(200, 200));
        small.shape_for(a, QSize(200, 200));
        QCOMPARE(small.built(), 3);

        // A long idle animation loops without building its shapes again, and a hard
        // frame at its own size is shown with its own pixels, not a copy of them.
        FrameShapeCache loops;
        QList<QImage> frames;
        for (int i = 0; i < 100; ++i)
            frames.append(disc(20 + i % 20, QColor::fromHsv(i * 3, 200, 200)));
        for (int round = 0; round < 2; ++round)
            for (const QImage& f : frames)
                QCOMPARE(loops.shape_for(f, f.size()).image.cacheKey(), f.cacheKey());
        QCOMPARE(loops.built(), 100);

        // Only the pixels a new frame changes are painted again.
        QImage blink = disc(30);
        blink.setPixel(10, 12, qRgb(0, 0, 0));
        blink.setPixel(20, 14, qRgb(0, 0, 0));
        QCOMPARE(changed_rect(disc(30), blink), QRect(QPoint(10, 12), QPoint(20, 14)));
        QCOMPARE(changed_rect(disc(30), disc(30)), QRect());
        QCOMPARE(changed_rect(disc(30), disc(40)), QRect(0, 0, 40, 40));

        // A character's palette frames stay palette pictures at their own size, cut out
        // as their colours say, and are compared index by index while the colours agree.
        const auto palette = [](const QImage& i) {
            return i.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
        };
        const FrameShape shape = make_frame_shape(palette(disc(30)), QSize(30, 30));
        QCOMPARE(shape.image.format(), QImage::Format_Indexed8);
        QCOMPARE(shape.region, make_frame_shape(disc(30), QSize(30, 30)).region);
        QCOMPARE(changed_rect(palette(disc(30)), palette(blink)), QRect(QPoint(10, 12), QPoint(20, 14)));
        QImage recoloured = palette(blink);
        recoloured.setColor(0, qRgb(1, 2, 3));
        QCOMPARE(changed_rect(palette(blink), recoloured), QRect(0, 0, 30, 30));
    }
};

PW_TEST_CLASS(CharacterWindowTest);
#include "character_window_test.moc"
