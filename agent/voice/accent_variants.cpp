#include "agent/voice/accent_variants.h"

#include <QSet>
#include <algorithm>

namespace pw::voice {

namespace {

bool is_vowel(const QString& phone)
{
    static const QSet<QString> vowels = {QStringLiteral("AA"), QStringLiteral("AE"), QStringLiteral("AH"),
                                         QStringLiteral("AO"), QStringLiteral("AW"), QStringLiteral("AY"),
                                         QStringLiteral("EH"), QStringLiteral("ER"), QStringLiteral("EY"),
                                         QStringLiteral("IH"), QStringLiteral("IY"), QStringLiteral("OW"),
                                         QStringLiteral("OY"), QStringLiteral("UH"), QStringLiteral("UW")};
    return vowels.contains(phone);
}

QStringList applied(QStringList phones, AccentRule rule)
{
    auto swap = [&phones](const char* from, const char* to) {
        for (QString& p : phones)
            if (p == QLatin1String(from)) p = QLatin1String(to);
    };
    const qsizetype n = phones.size();
    switch (rule) {
    case AccentRule::ThStopping:
        swap("TH", "T");
        swap("DH", "D");
        break;
    case AccentRule::GDropping:
        if (n >= 2 && phones[n - 1] == QLatin1String("NG") && phones[n - 2] == QLatin1String("IH"))
            phones[n - 1] = QStringLiteral("N");
        break;
    case AccentRule::Monophthongs:
        swap("EY", "EH");
        swap("OW", "AO");
        break;
    case AccentRule::CotCaught:
        for (QString& p : phones)
            if (p == QLatin1String("AA")) p = QStringLiteral("AO");
            else if (p == QLatin1String("AO")) p = QStringLiteral("AA");
        break;
    case AccentRule::FinalClusters: {
        // The stop goes after a consonant of the same voicing: "mist", "hand", not "belt".
        static const QSet<QString> voiceless = {QStringLiteral("S"), QStringLiteral("F"), QStringLiteral("K"),
                                                QStringLiteral("P"), QStringLiteral("SH"), QStringLiteral("CH"),
                                                QStringLiteral("TH")};
        static const QSet<QString> voiced = {QStringLiteral("N"), QStringLiteral("L"), QStringLiteral("Z"),
                                             QStringLiteral("M"), QStringLiteral("V"), QStringLiteral("B"),
                                             QStringLiteral("G"), QStringLiteral("JH"), QStringLiteral("DH")};
        // A vowel stays before the cluster: the word keeps a syllable.
        const bool vowel_before = std::any_of(phones.begin(), phones.end() - std::min<qsizetype>(n, 2), is_vowel);
        if (n >= 3 && vowel_before &&
            ((phones[n - 1] == QLatin1String("T") && voiceless.contains(phones[n - 2])) ||
             (phones[n - 1] == QLatin1String("D") && voiced.contains(phones[n - 2]))))
            phones.removeLast();
        break;
    }
    }
    return phones;
}

}  // namespace

std::optional<AccentRule> accent_rule_named(const QString& name)
{
    if (name == QLatin1String("th-stopping")) return AccentRule::ThStopping;
    if (name == QLatin1String("g-dropping")) return AccentRule::GDropping;
    if (name == QLatin1String("monophthongs")) return AccentRule::Monophthongs;
    if (name == QLatin1String("cot-caught")) return AccentRule::CotCaught;
    if (name == QLatin1String("final-clusters")) return AccentRule::FinalClusters;
    return std::nullopt;
}

QStringList accent_variants(const QString& phones, const QList<AccentRule>& rules)
{
    const QStringList given = phones.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList out;
    auto keep = [&](const QStringList& variant) {
        const QString text = variant.join(QLatin1Char(' '));
        if (variant != given && !text.isEmpty() && !out.contains(text)) out.append(text);
    };
    QStringList all = given;
    for (const AccentRule rule : rules) {
        keep(applied(given, rule));
        all = applied(all, rule);
    }
    keep(all);
    return out;
}

}  // namespace pw::voice
