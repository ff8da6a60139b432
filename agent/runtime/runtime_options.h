#pragma once
// Timings and services the character runtime can be given. The defaults are what the
// program uses; tests shorten the timings so that idling and listening finish quickly.

#include <QString>
#include <cstdint>
#include <optional>

namespace pw::voice {
class SpeechSynthesizer;
class VoiceInput;
}  // namespace pw::voice

namespace pw::agent {

struct RuntimeTimings {
    int idle_first_ms = 3000;       // quiet time before the first idle round (IdleStart)
    int idle_round_ms = 3000;       // quiet time between idle rounds
    int idle_rounds_per_level = 3;  // rounds at level 1, then at level 2; level 3 stays
    // The balloon closes as the speech ends, just after its request completes; a
    // linger time keeps it up that much longer, over the next speaker's balloon.
    int balloon_linger_ms = 0;
    int listen_timeout_ms = 10000;  // a listening period without speech ends after this
    int move_event_interval_ms = 200;  // Move events while gliding or being dragged
    int speech_tick_ms = 10;        // at least this between balloon and mouth updates while speaking
    int glide_tick_ms = 16;         // window steps while gliding (about 60 Hz)
};

struct RuntimeOptions {
    RuntimeTimings timings;
    // Shared speech synthesis; null: the platform makes its own.
    voice::SpeechSynthesizer* synthesizer = nullptr;
    // Voice commands; null: a listening period simply times out.
    voice::VoiceInput* voice_input = nullptr;
    // Relative wave paths of Speak(text, url) resolve against this folder; empty: the
    // folder of the running program.
    QString program_dir;
    // Fixed seed for branch and idle choices (tests); unset: a random seed.
    std::optional<uint32_t> random_seed;
};

}  // namespace pw::agent
