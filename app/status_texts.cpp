#include "app/status_texts.h"

#include "engine/script_text.h"

#include <cmath>

namespace pw::app {

QString time_and_date_text(const QDateTime& now, const QLocale& locale)
{
    return QStringLiteral("The time is ") + locale.toString(now.time(), QStringLiteral("h:mm AP"))
           + QStringLiteral(" : Today is ") + locale.toString(now.date(), QStringLiteral("dddd, MMM d yyyy"));
}

QString mouse_text(int x, int y)
{
    using pw::engine::script::str_number;
    return QStringLiteral(" Mouse X:") + str_number(x) + QStringLiteral(", Y:") + str_number(y) + QStringLiteral("   ");
}

QString grouped_two_decimals(double value)
{
    // Rounded to whole hundredths first, so that 999.999 becomes 1,000.00.
    const long long hundredths = std::llround(std::fabs(value) * 100.0);
    QString whole = hundredths >= 100 ? QString::number(hundredths / 100) : QString();
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, QLatin1Char(','));
    const QString cents = QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    return (value < 0 && hundredths > 0 ? QStringLiteral("-") : QString()) + whole + QLatin1Char('.') + cents;
}

QString free_space_text(const QString& drive, std::optional<double> free_kilobytes)
{
    return QStringLiteral("Free space on ") + drive.toUpper() + grouped_two_decimals(free_kilobytes.value_or(0.0) / 1024.0)
           + QStringLiteral(" Mb  ");
}

int next_drive_index(int drive_index, int first_drive_index, int count)
{
    int next = drive_index < count - 1 ? drive_index + 1 : first_drive_index;
    return next < first_drive_index ? first_drive_index : next;
}

}  // namespace pw::app
