#pragma once
// Ways of saying a word that regional English accents have in common, made from a
// pronunciation in the acoustic model's ARPAbet phones. Each rule is a well-known
// sound change of many accents; none is a list of words.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace pw::voice {

enum class AccentRule {
    ThStopping,     // "think" with a t, "this" with a d
    GDropping,      // "-ing" ending in n: "singin'"
    Monophthongs,   // "day" and "go" with a steady vowel (Scottish, Caribbean, northern)
    CotCaught,      // the vowels of "cot" and "caught" said alike
    FinalClusters,  // a final t or d after another consonant left out: "han'", "firs'"
};

// "th-stopping", "g-dropping", "monophthongs", "cot-caught", "final-clusters".
std::optional<AccentRule> accent_rule_named(const QString& name);

// Each rule on its own, then all of them together, when that differs from the word
// as given and from the other variants; in that order.
QStringList accent_variants(const QString& phones, const QList<AccentRule>& rules);

}  // namespace pw::voice
