#pragma once
// The commands of acstool. Each takes its arguments (after the command word), writes
// its report to `out`, and throws AgentError on bad input.

#include <QStringList>
#include <QTextStream>

namespace pw::acstool {

void show_info(const QStringList& args, QTextStream& out);
void export_frames(const QStringList& args, QTextStream& out);
void build(const QStringList& args, QTextStream& out);
void preview(const QStringList& args, QTextStream& out);

}  // namespace pw::acstool
