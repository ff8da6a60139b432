#pragma once
// The command line: an optional keyword ("runout", "runin" or "load") and a script
// file path, in any order, the path possibly in double quotes.

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

// A keyword counts only as a whole word (blanks around it; "/home/kid/Downloads" or a
// folder "unload" is no keyword), case-sensitively, in the order runout, runin, load;
// only the first one found is taken out (every time it stands as a word), another
// keyword stays part of the path. The path is the rest with the blanks at both ends
// and every double quote removed.
CommandLine parse_command_line(const QString& arguments);

// The arguments after the program's own path, as one text; one with a blank inside is
// put in double quotes so that it stays one word.
QString arguments_text(const QStringList& program_arguments);

// The part of a path after its last "/" or "\", for the status bar.
QString file_name_part(const QString& path);

}  // namespace pw::app
