#pragma once
// The decoy words that keep speech outside the commands from being taken for one.
// The list lives in data/speech/decoys.txt and is built into the program.

#include <QByteArray>
#include <QStringList>

namespace pw::voice {

// One word or phrase a line; blank lines and "#" comments are skipped.
QStringList parse_decoy_list(const QByteArray& text);
// The built-in list.
QStringList default_decoys();

}  // namespace pw::voice
