#pragma once
// Script files on disk. A file is read as UTF-8, or as Windows-1252 when it is not
// valid UTF-8, so scripts written by older programs load unchanged. It is written as
// UTF-8 without a byte-order mark, its lines ending in CR LF, through a temporary file
// that takes the old one's place only once it is complete: a failed save leaves the
// old file as it was.

#include <QByteArray>
#include <QString>

namespace pw::app {

// Bigger files are not scripts (a script has at most 201 lines), and would freeze the
// editor.
inline constexpr qint64 max_script_file_bytes = 1 << 20;
inline constexpr QLatin1String script_extension(".csp");

struct ScriptRead {
    bool ok = false;
    bool not_a_script = false;  // read, but it holds a picture, a sound or the like
    QString text;    // the file's characters, line breaks as they are in the file
    QString reason;  // why it could not be read, for the message box
};

// UTF-8 (a byte-order mark dropped), or Windows-1252 when the bytes are not UTF-8.
QString decode_script(const QByteArray& bytes);
// UTF-8 without a byte-order mark, with a final CR LF added when the text does not
// end with one: saving and loading again gives back the same file.
QByteArray encode_script(const QString& text);

ScriptRead read_script_file(const QString& path);
// Empty when written; otherwise why not (the old file, if any, is untouched).
QString write_script_file(const QString& path, const QString& text);

// What is wrong with a name typed for a script in the scripts folder.
enum class NameProblem {
    none,
    empty,        // nothing, or only blanks
    separator,    // "/" or "\": it would name another folder
    leading_dot,  // hidden files, "." and ".."
    control,      // tabs, line breaks and other invisible control characters
};
NameProblem script_name_problem(const QString& name);

}  // namespace pw::app
