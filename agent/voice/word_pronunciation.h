#pragma once
// Pronunciations for words the recogniser's dictionary lacks (names, made-up words):
// espeak-ng says how it would speak them, and its phoneme names are mapped onto the
// acoustic model's ARPAbet phones.

#include <QByteArray>
#include <QString>
#include <optional>

namespace pw::voice {

// American speakers say the r after a vowel ("car", "paper"); British speakers drop
// it, though espeak-ng's British voice names those vowels as the American one does.
enum class Accent { American, British };

// "z_'o@_b_l_a_k_s" -> "Z AO R B L AE K S" (British: "Z AO B L AE K S"). Stress marks
// and pauses are dropped and words run together. nullopt when a name has no ARPAbet
// counterpart or nothing is left.
std::optional<QString> arpabet_from_espeak(const QByteArray& phonemes, Accent accent = Accent::American);

// espeak-ng's pronunciation of `word` in ARPAbet, by its en-us or its British voice;
// nullopt when espeak-ng is missing or the phonemes cannot be mapped. Runs under the
// espeak engine's lock.
std::optional<QString> pronounce_with_espeak(const QString& word, Accent accent = Accent::American);

}  // namespace pw::voice
