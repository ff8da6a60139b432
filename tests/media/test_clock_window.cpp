// The clock window: the needle cycles 0..58 as the editor's timer ticks, and the dial
// draws the needle where the value says.

#include "media/clock_dial.h"
#include "media/clock_window.h"
#include "tests/test_classes.h"

#include <QImage>
#include <QTest>

#include <cmath>

class TestClockWindow : public QObject {
    Q_OBJECT

private slots:
    void the_needle_cycles_and_never_shows_59()
    {
        pw::media::ClockWindow form;
        QList<int> seen;
        for (int i = 0; i < 200; ++i) {
            form.advance();
            seen << form.dial->value();
        }
        QVERIFY(!seen.contains(59));
        // One step a tick, from 58 straight back to 0: 59 ticks a turn.
        QCOMPARE(seen.mid(55, 5), (QList<int>{56, 57, 58, 0, 1}));
        QCOMPARE(seen[57 + 59], 58);

        form.dial->setValue(75);  // a value from outside stays on the face
        QCOMPARE(form.dial->value(), 59);
        form.advance();
        QCOMPARE(form.dial->value(), 0);
    }

    void the_dial_draws_the_needle_at_its_value()
    {
        pw::media::ClockDial dial;
        dial.resize(120, 120);
        // The needle is the only red on the face: look for it along a minute's ray.
        auto red_towards = [](const QImage& img, int minute) {
            const double a = minute * 6.0 * M_PI / 180.0;
            for (double r = 15; r <= 36; r += 3) {
                const QRgb c = img.pixel(60 + int(std::sin(a) * r), 60 - int(std::cos(a) * r));
                if (qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110) return true;
            }
            return false;
        };
        for (int minute : {0, 15, 30, 45}) {
            dial.setValue(minute);
            const QImage img = dial.grab().toImage();
            QVERIFY2(red_towards(img, minute) && !red_towards(img, minute + 30), qPrintable(QString::number(minute)));
        }
    }
};

PW_TEST_CLASS(TestClockWindow);
#include "test_clock_window.moc"
