#include "engine/clock_time.h"

#include "engine/script_text.h"

#include <QLocale>

#include <cmath>

namespace pw::engine {

double clock_hours(const QString& text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0) return 0.0;
    double hour = script::leading_number(text.left(colon));
    if (std::floor(hour) == 12.0) hour -= 12.0;
    return hour + script::leading_number(text.mid(colon + 1, 2)) / 60.0;
}

DayHalves day_halves()
{
    const QLocale locale = QLocale::system();
    DayHalves halves{locale.amText(), locale.pmText()};
    if (halves.am.isEmpty()) halves.am = QStringLiteral("AM");
    if (halves.pm.isEmpty()) halves.pm = QStringLiteral("PM");
    return halves;
}

bool names_half_of_day(const QString& text, const DayHalves& halves)
{
    const QString lower = text.toLower();
    return lower.contains(halves.am.toLower()) || lower.contains(halves.pm.toLower());
}

QString clock_text(const QTime& time, const DayHalves& halves)
{
    const int h24 = time.hour();
    const int h12 = h24 % 12 == 0 ? 12 : h24 % 12;
    return QStringLiteral("%1:%2 %3")
        .arg(h12)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(h24 < 12 ? halves.am : halves.pm);
}

}  // namespace pw::engine
