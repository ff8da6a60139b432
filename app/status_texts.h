#pragma once
// The texts of the main window's status bar and the stepping through the volumes.

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

namespace pw::app {

// Panel 1: "The time is 3:07 PM : Today is Saturday, Dec 5 2026", the morning and
// afternoon designators and the names of days and months from `locale`.
QString time_and_date_text(const QDateTime& now, const QLocale& locale = QLocale());

// Panel 3: " Mouse X: 12, Y: 30   ", in pixels.
QString mouse_text(int x, int y);

// Panel 4: "Free space on HOME:12,345.68 Mb  ". A volume that cannot be read counts
// as nothing free (".00").
QString free_space_text(const QString& drive, std::optional<double> free_kilobytes);

// A number as "###,###.00" writes it: thousands grouped, two decimals, and no digit
// before the point below one (".50").
QString grouped_two_decimals(double value);

// The volume shown after a click on panel 4: the next one, and after the last the
// home volume again; volumes listed before the home volume are never shown.
int next_drive_index(int drive_index, int first_drive_index, int count);

}  // namespace pw::app
