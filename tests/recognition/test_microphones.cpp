// Where listening gets its audio: conversion to 16 kHz mono, a recording that cannot
// stand in for the microphone, and a machine without any audio input.

#include "speech_fixtures.h"

#include "agent/voice/device_microphone.h"
#include "agent/voice/mono_resampler.h"
#include "agent/voice/recorded_microphone.h"
#include "tests/test_classes.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <complex>

using namespace pw::voice;
using pw::test::tone;

namespace {

const qint16* samples_of(const QByteArray& b)
{
    return reinterpret_cast<const qint16*>(b.constData());
}

// Upward zero crossings per second.
double frequency_of(const QByteArray& mono16k)
{
    const qint16* s = samples_of(mono16k);
    const qsizetype n = mono16k.size() / 2;
    int crossings = 0;
    for (qsizetype i = 1; i < n; ++i)
        if (s[i - 1] < 0 && s[i] >= 0) ++crossings;
    return crossings * 16000.0 / double(n);
}

int peak_of(const QByteArray& mono16k)
{
    int peak = 0;
    for (qsizetype i = 0; i < mono16k.size() / 2; ++i) peak = std::max(peak, std::abs(int(samples_of(mono16k)[i])));
    return peak;
}

QAudioFormat format(int rate, int channels, QAudioFormat::SampleFormat sample)
{
    QAudioFormat f;
    f.setSampleRate(rate);
    f.setChannelCount(channels);
    f.setSampleFormat(sample);
    return f;
}

}  // namespace

class MicrophonesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void audio_is_converted_to_16k_mono()
    {
        // Down from 44.1 kHz stereo, up from 8 kHz: same length, pitch and loudness.
        for (const auto& [rate, channels] : {std::pair{44100, 2}, std::pair{22050, 1}, std::pair{8000, 1}}) {
            const QByteArray out = to_recogniser_audio(tone(rate, channels, 440, 1000));
            QVERIFY2(std::abs(out.size() / 2 - 16000) <= 2, qPrintable(QString::number(out.size() / 2)));
            QVERIFY2(std::abs(frequency_of(out) - 440) <= 3, qPrintable(QString::number(frequency_of(out))));
            QVERIFY2(std::abs(peak_of(out) - 10000) <= 300, qPrintable(QString::number(peak_of(out))));
        }
        QVERIFY(to_recogniser_audio(pw::acs::PcmAudio{}).isEmpty());
        // Up from 8 kHz nothing is added above 4 kHz: a 3 kHz tone has no mirror at 5 kHz.
        const QByteArray up = to_recogniser_audio(tone(8000, 1, 3000, 1000));
        const auto level = [&up](double hz) {
            std::complex<double> sum;
            for (qsizetype i = 1000; i < up.size() / 2 - 1000; ++i)
                sum += double(samples_of(up)[i]) * std::polar(1.0, -2 * M_PI * hz * double(i) / 16000);
            return 20 * std::log10(std::abs(sum) + 1e-9);
        };
        QVERIFY2(level(3000) - level(5000) > 40, qPrintable(QString::number(level(3000) - level(5000))));
    }

    void blocks_join_up_as_if_converted_whole()
    {
        for (const int rate : {44100, 8000}) {
            const pw::acs::PcmAudio in = tone(rate, 1, 300, 500);
            const QAudioFormat f = format(rate, 1, QAudioFormat::Int16);
            const QByteArray whole = to_recogniser_audio(in);
            MonoResampler pieces(rate);
            QByteArray joined;
            for (qsizetype at = 0, step = 1; at < in.samples.size(); at += step * 2, step = step * 3 % 997 + 1)
                pieces.push(mixed_to_mono(in.samples.mid(at, step * 2), f), joined);
            // Going up, the last few samples still wait for what follows them.
            QVERIFY(whole.size() - joined.size() <= 64);
            QCOMPARE(joined, whole.left(joined.size()));
        }
    }

    void every_sample_format_mixes_to_the_same_scale()
    {
        const auto first = [](const std::vector<float>& v) { return v.empty() ? -1.0f : v[0]; };
        const float f32[2] = {0.5f, 0.0f};
        QCOMPARE(first(mixed_to_mono(QByteArray(reinterpret_cast<const char*>(f32), 8),
                                     format(48000, 2, QAudioFormat::Float))),
                 0.25f * 32767);
        const qint32 i32[1] = {1 << 30};
        QCOMPARE(first(mixed_to_mono(QByteArray(reinterpret_cast<const char*>(i32), 4),
                                     format(48000, 1, QAudioFormat::Int32))),
                 16384.0f);
        QCOMPARE(first(mixed_to_mono(QByteArray(1, char(0xC0)), format(8000, 1, QAudioFormat::UInt8))), 64.0f * 256);
        // Opposite channels cancel; a partial frame at the end is left alone.
        const qint16 lr[3] = {1000, -1000, 7};
        const std::vector<float> mono =
            mixed_to_mono(QByteArray(reinterpret_cast<const char*>(lr), 6), format(16000, 2, QAudioFormat::Int16));
        QCOMPARE(mono.size(), size_t(1));
        QCOMPARE(mono[0], 0.0f);
        QVERIFY(mixed_to_mono(QByteArray(8, 'x'), QAudioFormat{}).empty());
    }

    void an_unreadable_recording_hears_nothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("broken.wav"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("RIFF\x10\0\0\0WAVEjunk");
        file.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("broken.wav.*cannot be used")));
        RecordedMicrophone mic(path);
        int blocks = 0;
        QSignalSpy unavailable(&mic, &Microphone::unavailable);
        connect(&mic, &Microphone::audio, this, [&blocks] { ++blocks; });
        mic.open();
        QTest::qWait(150);
        mic.open();  // tried once, warned once, told at every opening
        QTest::qWait(150);
        QCOMPARE(blocks, 0);
        QCOMPARE(unavailable.size(), 2);
    }

    void without_an_input_device_nothing_arrives()
    {
        if (!QMediaDevices::defaultAudioInput().isNull()) QSKIP("this machine has an audio input");
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^No microphone")));
        DeviceMicrophone mic;
        int blocks = 0;
        QSignalSpy unavailable(&mic, &Microphone::unavailable);
        connect(&mic, &Microphone::audio, this, [&blocks] { ++blocks; });
        mic.open();
        QCOMPARE(unavailable.size(), 1);
        QTest::qWait(200);
        mic.close();
        QCOMPARE(blocks, 0);
    }
};

PW_TEST_CLASS(MicrophonesTest);
#include "test_microphones.moc"
