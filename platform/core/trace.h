#pragma once
// The trace: with PELLWORKS_TRACE set (to anything but 0), every platform request,
// every event, every message box and the start and end of each run go to standard
// error, one line each. End-to-end tests read it.
//
//   pw <ms> request <character id> <Operation> <arguments>
//   pw <ms> event <EventName> <arguments>
//   pw <ms> message "<text>"
//   pw <ms> run start | run end | run error "<text>"
//   pw <ms> script kept "<file>" | script restored "<text>"

#include <QString>
#include <QStringList>

namespace pw::trace {

bool enabled();
// Milliseconds since the process started (monotonic).
qint64 elapsed_ms();

// A text argument: double quotes around it, \" for a quote and \\ for a backslash inside.
QString quote(const QString& text);
QString number(qint64 value);

void request(const QString& character_id, const QString& operation, const QStringList& args = {});
void event(const QString& name, const QStringList& args = {});
void message(const QString& text);
void run_start();
void run_end();
void run_error(const QString& text);
// The editor's unsaved text was written to its keeping place.
void script_kept(const QString& file);
// A kept script came back into the editor at start.
void script_restored(const QString& text);

// Tests capture the lines instead of (or as well as) standard error.
using Sink = void (*)(const QString& line);
void set_sink(Sink sink);
void set_enabled_for_tests(bool on);

}  // namespace pw::trace
