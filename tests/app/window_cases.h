#pragma once
// The main window as a child uses it, one case a file (see tests/app/README.md):
// each line does one thing, and after it everything a person could notice that changed
// goes into the case's transcript: what the characters were asked to do, message boxes,
// the program's end, the editor's text and file name, the Load/Save dialog with its
// list, name and buttons, and the files of the child's folder.

#include "window_fixture.h"

#include <QMap>

namespace pw::window_cases {

class WindowCase {
public:
    WindowCase();
    // Plays a case; its transcript, or a line starting with "!" when a line of the
    // case is not understood.
    QStringList play(const QString& case_text);

    WindowFixture f;

private:
    bool step(const QString& line);
    void settle();
    QMap<QString, QString> looks() const;
    QString tidy(QString text) const;
    bool sound_listed(const QString& file) const;
    QString numbered(const QString& line) const;

    QString home;
    QString folder;
    QStringList transcript;
    QMap<QString, QString> seen;  // what each thing looked like after the last step
    qsizetype requests = 0;
    qsizetype messages = 0;
    qsizetype exits = 0;
};

// Adds a row for each case of the folder, and checks the row's case against its
// transcript (PW_UPDATE_TRANSCRIPTS=1 writes the transcripts instead).
void add_rows(const QString& folder);
void check_row(const QString& folder);

}  // namespace pw::window_cases
