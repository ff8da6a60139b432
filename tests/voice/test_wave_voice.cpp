// Mouth shapes from a recorded wave's loudness, and converting clips for devices that
// refuse their format.

#include "agent/voice/pcm_convert.h"
#include "agent/voice/wave_voice.h"
#include "tests/test_classes.h"

#include <QTest>
#include <QtEndian>
#include <cmath>
#include <functional>

using namespace pw::voice;
using pw::acs::Mouth;
using pw::acs::PcmAudio;

namespace {

// amplitude(t_seconds) → sample value, for every channel alike.
PcmAudio make_audio(int rate, int channels, int ms, const std::function<double(double)>& amplitude)
{
    PcmAudio audio;
    audio.sample_rate = rate;
    audio.channels = channels;
    const int frames = rate * ms / 1000;
    audio.samples.resize(qsizetype(frames) * channels * 2);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            qToLittleEndian<qint16>(qint16(std::lround(amplitude(double(f) / rate))),
                                    audio.samples.data() + 2 * (f * channels + c));
    return audio;
}

double sine(double t, double hz, double level) { return level * std::sin(2 * M_PI * hz * t); }

int zero_crossings(const PcmAudio& audio)
{
    int count = 0;
    qint16 prev = 0;
    for (qint64 i = 0; i < audio.frame_count(); ++i) {
        const qint16 s = qFromLittleEndian<qint16>(audio.samples.constData() + 2 * i * audio.channels);
        if ((s >= 0) != (prev >= 0)) ++count;
        prev = s;
    }
    return count;
}

}  // namespace

class WaveVoiceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mouth_opens_in_the_tone_and_closes_in_the_gaps()
    {
        // 300 ms tone, 300 ms silence, 300 ms tone, 200 ms silence.
        const PcmAudio audio = make_audio(22050, 1, 1100, [](double t) {
            const bool on = t < 0.3 || (t >= 0.6 && t < 0.9);
            return on ? sine(t, 220, 12000) : 0.0;
        });
        const SpeechClip clip = clip_from_wave(audio);
        QCOMPARE(clip.duration_ms, 1100);
        QVERIFY(clip.words.isEmpty());
        QVERIFY(clip.text.isEmpty());
        QCOMPARE(clip.audio.samples, audio.samples);
        for (int t : {20, 150, 260, 640, 800, 860}) QVERIFY2(clip.mouth_at(t) == Mouth::WideOpen4, qPrintable(QString::number(t)));
        for (int t : {340, 450, 560, 940, 1050, 1100}) QVERIFY2(clip.mouth_at(t) == Mouth::Closed, qPrintable(QString::number(t)));
        QCOMPARE(clip.mouth.last().shape, Mouth::Closed);
        for (qsizetype i = 1; i < clip.mouth.size(); ++i) QVERIFY(clip.mouth[i].start_ms > clip.mouth[i - 1].start_ms);
    }

    void softer_passages_open_the_mouth_less()
    {
        // A loud half second, then one at a third of the level, in stereo at 44.1 kHz.
        const PcmAudio audio = make_audio(44100, 2, 1000, [](double t) {
            return sine(t, 300, t < 0.5 ? 15000 : 5000);
        });
        const SpeechClip clip = clip_from_wave(audio);
        QCOMPARE(clip.duration_ms, 1000);
        QCOMPARE(clip.mouth_at(250), Mouth::WideOpen4);
        QCOMPARE(clip.mouth_at(750), Mouth::Medium);
    }

    void silence_and_nothing_keep_the_mouth_closed()
    {
        // Faint noise is silence however loud the loudest part of it is.
        const PcmAudio faint = make_audio(22050, 1, 500, [](double t) { return sine(t, 1000, 60); });
        const SpeechClip quiet = clip_from_wave(faint);
        QCOMPARE(quiet.mouth.size(), 1);
        QCOMPARE(quiet.mouth[0].shape, Mouth::Closed);

        const SpeechClip empty = clip_from_wave(PcmAudio{});
        QCOMPARE(empty.duration_ms, 0);
        QCOMPARE(empty.mouth.size(), 1);
        QCOMPARE(empty.mouth_at(0), Mouth::Closed);

        PcmAudio odd;  // a format field that makes no sense must not divide by zero
        odd.channels = 1;
        odd.samples = QByteArray(100, '\x40');
        QCOMPARE(clip_from_wave(odd).mouth_at(0), Mouth::Closed);
    }

    void converting_keeps_pitch_duration_and_level()
    {
        const PcmAudio stereo = make_audio(44100, 2, 500, [](double t) { return sine(t, 440, 10000); });
        const PcmAudio mono = to_mono(stereo, 22050);
        QCOMPARE(mono.channels, 1);
        QCOMPARE(mono.sample_rate, 22050);
        QVERIFY(std::abs(mono.duration_ms() - 500) <= 1);
        // 440 Hz crosses zero about 880 times a second.
        QVERIFY(std::abs(zero_crossings(mono) - 440) <= 3);
        qint16 peak = 0;
        for (qint64 i = 0; i < mono.frame_count(); ++i)
            peak = std::max(peak, qFromLittleEndian<qint16>(mono.samples.constData() + 2 * i));
        QVERIFY(peak > 9500 && peak <= 10000);

        // Upsampling works the same way; channels that cancel out mix to silence.
        PcmAudio opposite = make_audio(8000, 2, 100, [](double) { return 0.0; });
        for (qint64 f = 0; f < opposite.frame_count(); ++f) {
            qToLittleEndian<qint16>(qint16(5000), opposite.samples.data() + 4 * f);
            qToLittleEndian<qint16>(qint16(-5000), opposite.samples.data() + 4 * f + 2);
        }
        const PcmAudio up = to_mono(opposite, 44100);
        QVERIFY(std::abs(up.duration_ms() - 100) <= 1);
        QVERIFY(up.samples == QByteArray(up.samples.size(), '\0'));
        QVERIFY(to_mono(PcmAudio{}, 22050).is_empty());
    }
};

PW_TEST_CLASS(WaveVoiceTest);
#include "test_wave_voice.moc"
