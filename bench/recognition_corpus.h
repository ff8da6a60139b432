#pragma once
// The speech that bench_recognition listens to: the word list with its fixed split into
// tuning and held-out words, each word said by synthetic voices, the same clips made
// more child-like with sox (higher, faster, slower, in a noisy room), and noises.
// Clips are made on the spot and kept in a cache folder between runs, never committed.

#include "../tests/recognition/speech_fixtures.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace pw::bench {

struct WordList {
    struct Entry {
        QString text;      // as a script writes it after "listen="
        QString category;  // animal, colour, ..., phrase
        bool held_out = false;
        bool phrase_only() const { return category == QLatin1String("phrase"); }
    };
    QList<Entry> entries;

    // nullopt-like: empty entries and `error` set when the file cannot be read.
    static WordList read(const QString& path, QString* error);
    QList<Entry> of_set(bool held_out) const;
};

// How a clip is changed on its way to the recogniser.
struct Perturbation {
    QString name;           // "clean", "higher", ...
    QStringList sox_effects;  // applied to the voice
    double tempo = 1.0;     // the length changes by 1/tempo
    double noise_volume = 0;  // pink noise mixed in afterwards, 0 for none
};
QList<Perturbation> perturbations();

// Clips of one voice, clean and perturbed, keyed by the text said.
class VoiceClips {
public:
    VoiceClips(test::TestVoice voice, QString cache_dir);
    // Makes (or loads) the clean clips of all `texts`; false when the voice cannot speak.
    bool prepare(const QStringList& texts);
    // The clips under `p`, made from the clean ones in one sox pass and kept in the
    // cache folder. Empty when sox fails.
    QHash<QString, QByteArray> under(const Perturbation& p) const;
    const test::TestVoice& voice() const { return voice_; }

private:
    QString cached_path(const QString& text) const;
    // All clips laid end to end, through sox; empty when sox fails.
    static QByteArray run_effects(const QByteArray& joined, const Perturbation& p);

    test::TestVoice voice_;
    QString dir_;
    QHash<QString, QByteArray> clean_;
};

// Sounds that are not speech: noise of several colours, a hum, a whistle, taps, breath.
QList<std::pair<QString, QByteArray>> noises(const QString& cache_dir);

bool sox_installed();

}  // namespace pw::bench
