#include "agent/voice/listening_tuning.h"

#include <QDebug>
#include <QFile>
#include <QStringList>
#include <cmath>

namespace pw::voice {

ListeningTuning parse_listening_tuning(const QByteArray& text, QString* problems)
{
    ListeningTuning t;
    QStringList trouble;
    QList<double> warps;
    for (const QByteArray& raw : text.split('\n')) {
        const qsizetype hash = raw.indexOf('#');
        const QStringList parts = QString::fromUtf8(hash >= 0 ? raw.left(hash) : raw).simplified().split(QLatin1Char(' '));
        if (parts.size() == 1 && parts[0].isEmpty()) continue;
        const QString name = parts[0];
        if (name == QLatin1String("accent") && parts.size() == 2) {
            if (const std::optional<AccentRule> rule = accent_rule_named(parts[1])) t.accent_rules.append(*rule);
            else trouble << QStringLiteral("unknown accent rule \"%1\"").arg(parts[1]);
            continue;
        }
        bool ok = parts.size() == 2;
        const double value = ok ? parts[1].toDouble(&ok) : 0.0;
        ok = ok && std::isfinite(value) && value >= 0;
        if (!ok) {
            trouble << QStringLiteral("\"%1\" needs one number, not negative").arg(parts.join(QLatin1Char(' ')));
            continue;
        }
        if (name == QLatin1String("command")) t.command = value;
        else if (name == QLatin1String("command_one")) t.command_one = value;
        else if (name == QLatin1String("decoy")) t.decoy = value;
        else if (name == QLatin1String("garbage")) t.garbage = value;
        else if (name == QLatin1String("garbage_sound")) t.garbage_sound = value;
        else if (name == QLatin1String("synthesizer_pronunciations")) t.synthesizer_pronunciations = value != 0;
        else if (name == QLatin1String("british_pronunciations")) t.british_pronunciations = value != 0;
        else if (name == QLatin1String("warp_cost")) t.warp_cost = value;
        else if (name == QLatin1String("quiet_kept")) t.quiet_kept_ms = value;
        else if (name == QLatin1String("noise_floor")) t.noise_floor_db = value;
        else if (name == QLatin1String("narrowband_rise")) t.narrowband_rise_db = value;
        else if (name == QLatin1String("agree") && value >= 1 && value == std::floor(value)) t.agree = int(value);
        else if (name == QLatin1String("agree")) trouble << QStringLiteral("\"agree\" needs a whole number from 1");
        else if (name == QLatin1String("gaussians") && value >= 1 && value <= 64 && value == std::floor(value))
            t.gaussians = int(value);
        else if (name == QLatin1String("gaussians")) trouble << QStringLiteral("\"gaussians\" needs a whole number from 1 to 64");
        else if (name == QLatin1String("warp") && value >= 0.5 && value <= 2.0) warps.append(value);
        else if (name == QLatin1String("warp")) trouble << QStringLiteral("a warp goes from 0.5 to 2, not %1").arg(parts[1]);
        else trouble << QStringLiteral("unknown setting \"%1\"").arg(name);
    }
    if (!warps.isEmpty()) t.warps = warps;
    if (problems) *problems = trouble.join(QStringLiteral("; "));
    return t;
}

ListeningTuning default_listening_tuning()
{
    QFile file(QStringLiteral(":/speech/listening.txt"));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "The built-in listening settings are missing; speech outside the commands"
                   << "may be taken for a command.";
        return {};
    }
    QString problems;
    const ListeningTuning t = parse_listening_tuning(file.readAll(), &problems);
    if (!problems.isEmpty()) qWarning().noquote() << "Built-in listening settings:" << problems;
    return t;
}

}  // namespace pw::voice
