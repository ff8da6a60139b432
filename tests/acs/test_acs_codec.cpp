// The picture codec: the two known streams, round trips over data that exercises every
// distance class and length, and damaged streams that must fail without harm (the
// fuzz corpus feeds it garbage).

#include "agent/acs/acs_codec.h"
#include "tests/test_classes.h"

#include <QRandomGenerator>
#include <QTest>

using namespace pw::acs;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

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
    void known_streams_decode()
    {
        const auto abab = codec::decode(hex("00 82 08 15 AC FF FF FF FF FF FF"), 8);
        QVERIFY(abab);
        QCOMPARE(*abab, QByteArray("ABABABAB"));

        const auto region = codec::decode(hex("00 40 00 04 10 D0 90 80 42 ED 98 01 B7 FF FF FF FF FF FF"), 32);
        QVERIFY(region);
        QByteArray expected(32, '\0');
        expected[0] = 0x20;
        expected[4] = 0x01;
        expected[12] = char(0xA8);
        QCOMPARE(*region, expected);
    }

    // Greedy encoding of the worked example gives exactly its stream, padding included.
    void encoder_matches_known_stream()
    {
        QCOMPARE(codec::encode("ABABABAB"), hex("00 82 08 15 AC FF FF FF FF FF FF"));
        QCOMPARE(codec::encode(QByteArray()), hex("00 FF FF FF FF FF FF"));
    }

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

    void damaged_streams_fail()
    {
        const QByteArray good = hex("00 82 08 15 AC FF FF FF FF FF FF");
        QVERIFY(!codec::decode(good, 7));   // output longer than expected
        QVERIFY(!codec::decode(good, 9));   // ends early
        QVERIFY(!codec::decode(good, -1));
        QByteArray first = good;
        first[0] = 1;
        QVERIFY(!codec::decode(first, 8));
        QVERIFY(!codec::decode(QByteArray(), 0));
        // Cut before the end marker is complete: reads past the end.
        for (int n = 1; n < 8; ++n) QVERIFY(!codec::decode(good.left(n), 8));
        // A copy from before the start: flag 1, class 0, distance 1, with no output yet.
        QVERIFY(!codec::decode(hex("00 01 00 FF FF FF FF FF"), 2));
        // Literal 0, then a copy with twelve length 1-bits.
        QVERIFY(!codec::decode(hex("00 00 02 FE 1F 00 00 00"), 100));
        // Eleven length bits are the most: a copy of 2049 bytes decodes, one of 4097 does not.
        QCOMPARE(codec::decode(hex("00 82 02 FE 0F 00 FF FF FF FF FF FF FF FF FF"), 2050).value_or(""), QByteArray(2050, 'A'));
        QVERIFY(!codec::decode(hex("00 82 02 FE 1F 00 FC FF FF FF FF FF FF FF FF FF"), 4098));
        // A claimed size that no stream of this length can produce.
        QVERIFY(!codec::decode(good, codec::max_decoded_size(good.size()) + 1));
    }
};

PW_TEST_CLASS(CodecTest);
#include "test_acs_codec.moc"
