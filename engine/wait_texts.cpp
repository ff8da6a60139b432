#include "engine/wait_texts.h"

#include "engine/script_text.h"

#include <cmath>

namespace pw::engine::wait_texts {

namespace {
const QString waiting_for = QStringLiteral("I am waiting for ");
const QString quote = QStringLiteral("\"");
}  // namespace

QString bump_by_anybody() { return QStringLiteral("I am waiting for any body to bump me."); }
QString bump_by(const QString& id) { return waiting_for + QStringLiteral(" ") + id + QStringLiteral(" to bump me."); }
QString get_off(const QString& id) { return waiting_for + QStringLiteral(" ") + id + QStringLiteral(" to get off me."); }

QString key_reminder(const QString& value)
{
    if (value == QLatin1String("anykey")) return QStringLiteral("I am waiting for any key to be pressed.");
    return waiting_for + QStringLiteral("the ") + quote + value + quote + QStringLiteral(" key to be pressed.");
}

QString key_pressed(const QString& key)
{
    return QStringLiteral("Hurray! The ") + quote + key + quote + QStringLiteral(" key was pressed.");
}

QString to_be_spoken(const QString& voice_words)
{
    return waiting_for + quote + voice_words + quote + QStringLiteral(" to be spoken.");
}

QString you_said(const QString& word) { return QStringLiteral("Hurray! You said ") + quote + word + quote + QStringLiteral(" ."); }
QString not_understood() { return QStringLiteral("I didn't understand that word!"); }
QString clock_reminder(const QString& value) { return waiting_for + value; }
QString its_time() { return QStringLiteral("Hurray! It's Time!"); }
QString times_up() { return QStringLiteral("Hurray! Time's up!"); }

QString minutes_reminder(double remaining)
{
    using script::str_number;
    const double minutes = std::trunc(remaining / 60.0);
    const double seconds = std::trunc(remaining - minutes * 60.0);
    if (minutes == 1.0) {
        if (seconds == 0.0) return waiting_for + str_number(minutes) + QStringLiteral(" minute  to pass.");
        return waiting_for + str_number(minutes) + QStringLiteral(" minute and ") + str_number(seconds)
               + QStringLiteral(" seconds to pass.");
    }
    if (minutes > 1.0) {
        if (seconds == 0.0) return waiting_for + str_number(minutes) + QStringLiteral(" minutes  to pass.");
        return waiting_for + str_number(minutes) + QStringLiteral(" minutes and ") + str_number(seconds)
               + QStringLiteral(" seconds to pass.");
    }
    if (remaining <= 0.0) return QString();
    // The last ten seconds are counted down.
    if (remaining < 10.0) return str_number(seconds);
    return waiting_for + str_number(seconds) + QStringLiteral(" seconds to pass.");
}

}  // namespace pw::engine::wait_texts
