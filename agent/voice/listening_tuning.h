#pragma once
// How readily the recogniser takes speech for a command: the weights of the commands,
// the decoy words and the garbage (a loop of single speech sounds that any speech fits)
// in its grammar. The numbers live in data/speech/listening.txt, built into the
// program, so that they can be retuned on recordings without touching code.

#include "agent/voice/accent_variants.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace pw::voice {

struct ListeningTuning {
    // Weights of the grammar's choices; a choice with a higher weight wins closer
    // contests. 1 is neutral.
    double command = 1.0;
    double decoy = 1.0;
    // The command weight while a single phrase is listened for (besides those that
    // stop a script), as `waitfor listen=WORD` does; below 0 it is `command`. With one
    // command, other speech has one way to be taken for it, so the weight can be higher.
    double command_one = -1;
    // The garbage loop: 0 leaves it out. `garbage_sound` is paid once for each sound
    // the loop takes, so longer stretches of other speech pay more.
    double garbage = 0.0;
    double garbage_sound = 1.0;
    // Besides the dictionary's pronunciation of each command word, listen for the
    // one the speech synthesizer would use.
    bool synthesizer_pronunciations = false;
    // Also listen for each command word as British speakers say it, without the r
    // after its vowels.
    bool british_pronunciations = false;
    // Also listen for each command word as these accent rules would have it said.
    QList<AccentRule> accent_rules;
    // Each utterance is heard once for each warp, with every frequency divided by it
    // (children's voices sit higher than adults'); the best fit wins. A detector on the
    // audio as it came decides where utterances begin and end.
    QList<double> warps{1.0};
    // Faint noise added to the audio, in dB below full scale (0 adds none): exact
    // digital silence, as from a sound file or a muted input, gives the decoder
    // frames it cannot model, and the words before them suffer.
    double noise_floor_db = 0;
    // What a pass pays per frame of speech for each unit of |ln warp| when the passes'
    // fits are compared.
    double warp_cost = 0;
    // Quiet kept on either side of what the detector called speech when an utterance
    // is heard, in ms; -1 (not set) keeps all that the detector's waits take in.
    double quiet_kept_ms = -1;
    // How many passes must hear a command for it to count; otherwise the utterance
    // is speech outside the commands.
    int agree = 1;
    // Gaussians the decoder scores per codebook and frame (0: the decoder's own number).
    // More fit the sounds more exactly and cost more work per utterance.
    int gaussians = 0;
    // An utterance whose band above 4.5 kHz rises less than this many dB above its
    // median frame came through a narrowband channel, and has its top filters filled
    // in; 0: never.
    double narrowband_rise_db = 0;
};

// "name value" lines; "#" starts a comment. Unknown names and bad values are reported
// in `problems` (when given) and leave the default in place.
ListeningTuning parse_listening_tuning(const QByteArray& text, QString* problems = nullptr);
// The built-in numbers.
ListeningTuning default_listening_tuning();

}  // namespace pw::voice
