// Round trips through the picture codec, over data that exercises every distance class
// and length, and through plain wave files. Known and damaged streams are in the cases;
// the fuzz corpus feeds it garbage.

#include "agent/acs/acs_codec.h"
#include "agent/acs/wav_audio.h"
#include "tests/test_classes.h"

#include <QRandomGenerator>
#include <QTest>

using namespace pw::acs;

namespace {

QByteArray random_bytes(QRandomGenerator& rng, qsizetype n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i) b[i] = char(rng.bounded(256));
    return b;
}

// Mostly runs and repeats, like a picture on a transparent background.
QByteArray picture_like(QRandomGenerator& rng, qsizetype n)
{
    QByteArray b;
    while (b.size() < n) {
        switch (rng.bounded(4)) {
        case 0: b.append(QByteArray(int(rng.bounded(1, 6000)), char(rng.bounded(4)))); break;
        case 1: b.append(random_bytes(rng, rng.bounded(1, 40))); break;
        default:
            if (!b.isEmpty()) {
                const qsizetype from = rng.bounded(b.size());
                b.append(b.mid(from, rng.bounded(2, 300)));
            }
        }
    }
    b.truncate(n);
    return b;
}

}  // namespace

class CodecTest : public QObject {
    Q_OBJECT
private slots:
    void round_trips()
    {
        QRandomGenerator rng(7);
        QList<QByteArray> inputs = {QByteArray("x"), QByteArray("xy"), QByteArray(5000, 'z'), QByteArray(4097, 'q'),
                                    random_bytes(rng, 3), random_bytes(rng, 70000)};
        for (int i = 0; i < 20; ++i) inputs.append(picture_like(rng, rng.bounded(1, 100000)));
        // Repeats far apart need the 20-bit distances (and their longer minimum copy).
        QByteArray far = random_bytes(rng, 300000);
        far.append(far.left(250000));
        inputs.append(far);
        // Output past the first mebibyte grows as it decodes.
        inputs.append(picture_like(rng, 3 << 20));

        for (const QByteArray& in : inputs) {
            const QByteArray packed = codec::encode(in);
            QVERIFY(packed.endsWith(QByteArray(6, char(0xFF))));
            const auto out = codec::decode(packed, in.size());
            QVERIFY2(out, qPrintable(QStringLiteral("input of %1 bytes").arg(in.size())));
            QVERIFY(*out == in);
        }
        // The far repeat must actually have been found.
        QVERIFY(codec::encode(far).size() < 300000 * 9 / 8 + 30000);
        // Runs of the background collapse.
        QVERIFY(codec::encode(QByteArray(128 * 128, '\x0A')).size() < 40);
    }

    void wave_round_trip()
    {
        PcmAudio a;
        a.sample_rate = 22050;
        a.channels = 2;
        for (int i = 0; i < 99; ++i) {
            const qint16 v = qint16(i * 331 - 16000);
            a.samples.append(reinterpret_cast<const char*>(&v), 2);
        }
        const QByteArray file = encode_wav(a);
        QCOMPARE(file.size(), 44 + 198);
        const PcmAudio back = decode_wav(file);
        QCOMPARE(back.sample_rate, 22050);
        QCOMPARE(back.channels, 2);
        QCOMPARE(back.samples, a.samples.left(98 * 2));  // whole frames only
        QCOMPARE(back.frame_count(), 49);
    }
};

PW_TEST_CLASS(CodecTest);
#include "test_acs_codec.moc"
