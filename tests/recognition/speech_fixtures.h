#pragma once
// Spoken test audio made on the spot: espeak-ng voices (through the program's own
// engine) and flite voices (its command, when installed), at the recogniser's 16 kHz
// mono, with silence around the speech; plus silence, white noise and plain tones.

#include "agent/acs/wav_audio.h"
#include "agent/voice/command_recogniser.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

namespace pw::test {

struct TestVoice {
    enum Engine { Espeak, Flite };
    Engine engine = Espeak;
    QString voice;   // espeak-ng voice name or flite voice
    int pitch = 50;  // espeak-ng only
    int rate = 175;  // espeak-ng only, words per minute
    QString label() const;
};

bool flite_installed();
QList<TestVoice> flite_test_voices();  // empty without flite

// `text` spoken by `voice` with lead_ms of silence before and tail_ms after, as
// native-order 16 kHz mono samples. Empty when the voice cannot speak.
QByteArray spoken(const TestVoice& voice, const QString& text, int lead_ms = 300, int tail_ms = 1000);
QByteArray silence(int ms);
QByteArray white_noise(int ms, double amplitude, uint32_t seed = 1);
// A sine of `hz`, the same on every channel, as 16-bit audio of any rate.
acs::PcmAudio tone(int rate, int channels, double hz, int ms, double amplitude = 10000);
// The two clips added sample by sample (the shorter one padded with silence).
QByteArray mixed(const QByteArray& a, const QByteArray& b);
// Where the speech in a clip ends: the last 10 ms block louder than the noise floor.
qint64 speech_end_ms(const QByteArray& clip);

// Writes a clip as a 16 kHz mono wave file; false when it cannot.
bool write_wav(const QByteArray& clip, const QString& path);

// Feeds a clip to the recogniser in blocks the size a microphone delivers.
QList<voice::CommandRecogniser::Event> feed(voice::CommandRecogniser& r, const QByteArray& clip,
                                            int block_samples = 1024);
// The phrases the events heard, "" for speech outside the commands; "-" marks nothing.
QStringList heard_phrases(const QList<voice::CommandRecogniser::Event>& events);

// A recogniser with the installed model and built-in decoys, listening for `phrases`.
std::unique_ptr<voice::CommandRecogniser> fresh_recogniser(const QStringList& phrases,
                                                           voice::RecogniserSettings settings =
                                                               voice::RecogniserSettings::defaults());

}  // namespace pw::test
