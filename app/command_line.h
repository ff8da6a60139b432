#pragma once
// The command line: an optional keyword ("runout", "runin" or "load") and a script
// file path, in any order.

#include <QString>
#include <QStringList>

#include <cstdint>

namespace pw::app {

struct CommandLine {
    // 0 no keyword, 1 "runout" (run on the desktop, then end), 2 "runin" (run in the
    // main window), 3 "load" (load only).
    int16_t mode = 0;
    QString path;
};

// `arguments` are the program's arguments without its own path, as the system hands
// them over: a file name is one argument, blanks, quotes and all. A keyword is a whole
// argument, case-sensitively, in the order runout, runin, load; only the first one
// found is taken out (every time it stands alone), another keyword stays part of the
// path. The path is the other arguments joined by blanks (a name typed without quotes
// arrives in pieces). A keyword without a path is a plain start: a desktop menu runs
// the entry's "load %f" without a file.
CommandLine parse_command_line(const QStringList& arguments);

// The same arguments with a relative path made absolute against `folder`, so that
// another process can act on them.
QStringList with_absolute_path(const QStringList& arguments, const QString& folder);

// The part of a path after its last "/" or "\", for the status bar.
QString file_name_part(const QString& path);

}  // namespace pw::app
