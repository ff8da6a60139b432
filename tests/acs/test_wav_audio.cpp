// Wave files: chunk walking, plain PCM of several widths, the two ADPCM codecs
// (against sox's own decode) and files that are not, or no longer, wave files.

#include "acs_test_files.h"

#include "agent/acs/wav_audio.h"
#include "agent/api/agent_error.h"
#include "tests/test_classes.h"

#include <QTest>
#include <QtEndian>
#include <cmath>

using namespace pw::acs;
using namespace pw::acs::testing;
namespace error = pw::agent::error;

namespace {

QByteArray chunk(const char* id, const QByteArray& body)
{
    QByteArray c(id, 4);
    c.resize(8);
    qToLittleEndian<quint32>(quint32(body.size()), c.data() + 4);
    c += body;
    if (body.size() % 2) c += '\0';
    return c;
}

QByteArray fmt(quint16 tag, quint16 channels, quint32 rate, quint16 bits)
{
    QByteArray b(16, '\0');
    const quint16 align = quint16(channels * bits / 8);
    qToLittleEndian(tag, b.data());
    qToLittleEndian(channels, b.data() + 2);
    qToLittleEndian(rate, b.data() + 4);
    qToLittleEndian(rate * align, b.data() + 8);
    qToLittleEndian(align, b.data() + 12);
    qToLittleEndian(bits, b.data() + 14);
    return b;
}

QByteArray riff(const QByteArray& chunks)
{
    QByteArray r("RIFF....WAVE");
    qToLittleEndian<quint32>(quint32(chunks.size() + 4), r.data() + 4);
    return r + chunks;
}

QList<qint16> samples(const PcmAudio& a)
{
    QList<qint16> out;
    for (qsizetype i = 0; i + 1 < a.samples.size(); i += 2) out.append(qFromLittleEndian<qint16>(a.samples.constData() + i));
    return out;
}

uint32_t wav_error(const QByteArray& bytes) { return error_of([&] { decode_wav(bytes); }); }

QString fixture(const QString& name) { return QStringLiteral(ACS_TEST_FIXTURES "/") + name; }

}  // namespace

class WavAudioTest : public QObject {
    Q_OBJECT
private slots:
    void pcm_round_trip()
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

    // Other sample widths become 16-bit; chunks may come in any order, with odd sizes
    // padded and unknown chunks skipped.
    void sample_widths_and_chunk_order()
    {
        const QByteArray list = chunk("LIST", QByteArray("odd"));
        const QByteArray u8 = riff(list + chunk("data", QByteArray::fromHex("00 80 FF")) + chunk("fmt ", fmt(1, 1, 8000, 8)));
        QCOMPARE(samples(decode_wav(u8)), (QList<qint16>{-32768, 0, 32512}));

        const QByteArray s24 = riff(chunk("fmt ", fmt(1, 1, 8000, 24)) + chunk("data", QByteArray::fromHex("FF 34 12 00 00 80")));
        QCOMPARE(samples(decode_wav(s24)), (QList<qint16>{0x1234, -32768}));

        QByteArray floats(12, '\0');
        const float values[] = {0.5f, -1.5f, NAN};
        for (int i = 0; i < 3; ++i) std::memcpy(floats.data() + 4 * i, &values[i], 4);
        const QByteArray f32 = riff(chunk("fmt ", fmt(3, 1, 8000, 32)) + chunk("data", floats));
        QCOMPARE(samples(decode_wav(f32)), (QList<qint16>{16384, -32768, 0}));
    }

    void adpcm_matches_sox_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* n : {"ms_adpcm_mono", "ms_adpcm_stereo", "ima_adpcm_mono", "ima_adpcm_stereo"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }
    void adpcm_matches_sox()
    {
        QFETCH(QString, name);
        const PcmAudio ours = decode_wav_file(fixture(name + QStringLiteral(".wav")));
        const PcmAudio ref = decode_wav_file(fixture(name + QStringLiteral(".ref.wav")));
        QCOMPARE(ours.sample_rate, ref.sample_rate);
        QCOMPARE(ours.channels, ref.channels);
        const QList<qint16> a = samples(ours), b = samples(ref);
        // sox decodes the padding of the last block too; we stop at the stated length.
        QVERIFY(a.size() > 2000 && a.size() <= b.size());
        QCOMPARE(a, b.first(a.size()));
    }

    // Fields past the common sixteen bytes: the extended format's real tag, the MS ADPCM
    // coefficient table and the samples in each block.
    void format_extras_are_honoured()
    {
        const auto extensible = [](int extra_size) {
            QByteArray extra(extra_size, '\0');
            extra[6] = 1;  // the sub-format: plain PCM
            QByteArray cb(2, '\0');
            qToLittleEndian<quint16>(quint16(extra_size), cb.data());
            return riff(chunk("fmt ", fmt(0xFFFE, 1, 8000, 16) + cb + extra) + chunk("data", QByteArray::fromHex("3412")));
        };
        QCOMPARE(samples(decode_wav(extensible(22))), QList<qint16>{0x1234});
        QCOMPARE(wav_error(extensible(21)), error::wave_corrupt);

        const QByteArray ms = file_bytes(fixture(QStringLiteral("ms_adpcm_mono.wav")));
        const qsizetype extra = ms.indexOf("fmt ") + 8 + 18;  // samples per block, count, table
        QByteArray fewer = ms;
        qToLittleEndian<quint16>(100, fewer.data() + extra);
        QCOMPARE(decode_wav(fewer).frame_count(), 6 * 100);  // six blocks of 256 bytes
        QByteArray longer_table = ms;
        qToLittleEndian<quint16>(8, longer_table.data() + extra + 2);
        QCOMPARE(wav_error(longer_table), error::wave_corrupt);
        QByteArray other_coefficients = ms;  // for the predictor of the first block
        const int predictor = ms[ms.indexOf("data") + 8];
        qToLittleEndian<qint16>(0, other_coefficients.data() + extra + 4 + 4 * predictor);
        QVERIFY(decode_wav(other_coefficients).samples != decode_wav(ms).samples);
        // A file without a table uses the standard one, which is the one sox writes.
        QByteArray third = ms;
        third[ms.indexOf("data") + 8] = 2;
        QByteArray no_table = third;
        qToLittleEndian<quint16>(0, no_table.data() + extra + 2);
        QCOMPARE(decode_wav(no_table).samples, decode_wav(third).samples);
        // IMA ADPCM's extra holds nothing but the samples per block.
        QByteArray ima = file_bytes(fixture(QStringLiteral("ima_adpcm_mono.wav")));
        qToLittleEndian<quint16>(100, ima.data() + ima.indexOf("fmt ") + 8 + 18);
        QCOMPARE(decode_wav(ima).frame_count(), 6 * 100);
    }

    void bad_files()
    {
        const QByteArray good = riff(chunk("fmt ", fmt(1, 1, 8000, 16)) + chunk("data", QByteArray(8, '\1')));
        QCOMPARE(wav_error(QByteArray()), error::wave_invalid);
        QCOMPARE(wav_error("RIFF\0\0\0\0AVI LIST"), error::wave_invalid);
        QCOMPARE(wav_error(riff(chunk("fmt ", fmt(0x55, 1, 8000, 16)) + chunk("data", "x"))), error::wave_invalid);  // MP3
        QCOMPARE(wav_error(riff(chunk("fmt ", fmt(1, 1, 8000, 12)) + chunk("data", "xx"))), error::wave_invalid);
        QCOMPARE(wav_error(riff(chunk("fmt ", fmt(1, 0, 8000, 16)) + chunk("data", "xx"))), error::wave_invalid);
        QCOMPARE(wav_error(riff(chunk("fmt ", fmt(1, 9, 8000, 16)) + chunk("data", "xx"))), error::wave_invalid);
        QCOMPARE(wav_error(riff(chunk("fmt ", fmt(0x11, 3, 8000, 4)) + chunk("data", "xx"))), error::wave_invalid);
        QCOMPARE(wav_error(riff(chunk("fmt ", fmt(1, 1, 0, 16)) + chunk("data", "xx"))), error::wave_corrupt);
        QCOMPARE(wav_error(riff(chunk("data", "xx"))), error::wave_corrupt);
        QCOMPARE(wav_error(riff(chunk("fmt ", fmt(1, 1, 8000, 16)))), error::wave_corrupt);
        QCOMPARE(wav_error(riff(chunk("fmt ", fmt(1, 1, 8000, 16)) + chunk("LIST", "no data"))), error::wave_corrupt);
        // A rate of 1 Hz would make a few bytes play for hours.
        QCOMPARE(wav_error(riff(chunk("fmt ", fmt(1, 1, 1, 16)) + chunk("data", "xx"))), error::wave_corrupt);
        for (qsizetype n = 12; n < good.size(); ++n) {
            const uint32_t e = wav_error(good.left(n));
            QVERIFY2(e == error::wave_corrupt, qPrintable(QString::number(n)));
        }
        // ADPCM with a block too small for its header, and a predictor outside the table.
        QByteArray ms = file_bytes(fixture(QStringLiteral("ms_adpcm_mono.wav")));
        const qsizetype align = ms.indexOf("fmt ") + 8 + 12;
        QByteArray small = ms;
        qToLittleEndian<quint16>(3, small.data() + align);
        QCOMPARE(wav_error(small), error::wave_corrupt);
        QByteArray predictor = ms;
        predictor[predictor.indexOf("data") + 8] = 7;
        QCOMPARE(wav_error(predictor), error::wave_corrupt);
        QCOMPARE(error_of([] { decode_wav_file(QStringLiteral("/nonexistent/x.wav")); }), error::file_not_found);
    }
};

PW_TEST_CLASS(WavAudioTest);
#include "test_wav_audio.moc"
