#pragma once
// What a waiting character says: the reminders that begin "I am waiting for " and the
// messages that begin "Hurray! ". Children hear these word for word, blanks included.

#include <QString>

namespace pw::engine::wait_texts {

QString bump_by_anybody();
// Two blanks after "for": the id is written as the script has it.
QString bump_by(const QString& id);
QString get_off(const QString& id);
// "anykey", or the key text between double quotation marks.
QString key_reminder(const QString& value);
QString key_pressed(const QString& key);
QString to_be_spoken(const QString& voice_words);
QString you_said(const QString& word);
QString not_understood();
QString clock_reminder(const QString& value);
QString its_time();
QString times_up();

// The reminder of a wait for some minutes with `remaining` seconds left, or an empty
// text when the time is up (remaining <= 0 in the last minute).
QString minutes_reminder(double remaining);

}  // namespace pw::engine::wait_texts
