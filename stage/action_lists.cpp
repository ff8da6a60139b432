#include "stage/action_lists.h"

namespace pw::stage {

QStringList general_commands()
{
    return {
        QStringLiteral("Sequential (True/False)"), QStringLiteral("Show (character)"),
        QStringLiteral("Hide (character)"),        QStringLiteral("Hide All"),
        QStringLiteral("Do"),                      QStringLiteral("Loop (number)"),
        QStringLiteral("Report (seconds)"),        QStringLiteral("Interval (seconds)"),
        QStringLiteral("Pause (seconds)"),         QStringLiteral("If"),
        QStringLiteral("ElseIf"),                  QStringLiteral("EndIf"),
    };
}

QStringList character_command_lines(const QString& id)
{
    static const QStringList commands{
        QStringLiteral("MoveTo (character)"),
        QStringLiteral("MoveTo X,Y"),
        QStringLiteral("MoveTo random"),
        QStringLiteral("Speak (words)"),
        QStringLiteral("CharSize (W, H)"),
        QStringLiteral("CharPos (X, Y)"),
        QStringLiteral("Tickle (size)"),
        QStringLiteral("Waitfor Time=(H:M AM/PM)"),
        QStringLiteral("Waitfor Key=(letter)"),
        QStringLiteral("Waitfor Listen=AnyWord"),
        QStringLiteral("Waitfor Key=AnyKey"),
        QStringLiteral("Waitfor Collide=Anybody"),
        QStringLiteral("Waitfor Time=(minutes)"),
        QStringLiteral("Waitfor Collide=(character)"),
        QStringLiteral("Waitfor GetOff=(character)"),
        QStringLiteral("StopMoving"),
    };
    QStringList out;
    for (const QString& c : commands) out << id + QStringLiteral("> ") + c;
    return out;
}

QStringList character_animation_lines(const QString& id, const QStringList& animation_names)
{
    QStringList out;
    for (const QString& name : animation_names) {
        const QString lower = name.toLower();
        if (lower == QLatin1String("show") || lower == QLatin1String("move") || lower == QLatin1String("hide"))
            continue;
        out << id + QStringLiteral("> ") + name;
    }
    return out;
}

}  // namespace pw::stage
