#pragma once
// Reading clock times for waits such as "waitfor time=3:45 pm", on the 12-hour clock.

#include <QString>
#include <QTime>

namespace pw::engine {

// The hour before the first ":" plus the minutes in the two characters after it, over
// 60; 0 for a text without ":". The hour 12 counts as 0: 12:30 comes before 1:15 in
// the same half of the day, as children read the clock.
double clock_hours(const QString& text);

struct DayHalves {
    QString am;
    QString pm;
};
// The system's morning and afternoon designators ("AM" and "PM" where it has none).
DayHalves day_halves();

// Whether the text names either half of the day (case ignored): a clock time without
// one never comes.
bool names_half_of_day(const QString& text, const DayHalves& halves);

// The time written as "h:mm AMPM": no leading zero on the hour, 12 for noon and
// midnight.
QString clock_text(const QTime& time, const DayHalves& halves);

}  // namespace pw::engine
