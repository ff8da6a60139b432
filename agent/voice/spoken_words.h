#pragma once
// Text as the recogniser's dictionary spells it: lower case, no accents or punctuation,
// numbers written out as words.

#include <QString>
#include <QStringList>

namespace pw::voice {

// "Jump 2 times, Café!" -> {"jump", "two", "times", "cafe"}; "3rd" -> {"third"};
// "1.5" -> {"one", "point", "five"}. Apostrophes stay inside words ("don't").
QStringList spoken_words(const QString& text);

// 0 -> "zero", 42 -> "forty two", 1905 -> "one thousand nine hundred five".
QString number_in_words(qint64 n);

}  // namespace pw::voice
