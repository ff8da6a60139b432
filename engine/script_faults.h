#pragma once
// Faults that keep a script from playing at all: nothing to play, more lines than a
// script can have, an if block with more branches than a run can follow, a label
// number out of range, and a placeholder of the Actions window ("(words)", "X,Y"...)
// not filled in yet. The runner tells the first one before any line runs; the Script
// window underlines every one while the child types. Both read the same rules here,
// so what is underlined is what Play refuses.

#include "engine/script_lines.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace pw::engine::script {

struct ScriptFault {
    int line = -1;   // position of the line at fault; -1 when no one line is
    int start = 0;   // the part of the line at fault; a length of 0 means its statement
    int length = 0;
    QString text;    // in a child's words
    bool operator==(const ScriptFault&) const = default;
};

// Lines as the editor holds them or as split_lines gives them (comment lines count as
// empty either way; empty lines at the end do not count).

// The fault a run stops with, told as a message on its own.
std::optional<ScriptFault> first_script_fault(const QStringList& lines);
std::optional<ScriptFault> first_script_fault(QList<ScriptLine> lines);
// Every line at fault, each with the words of its hint. An empty script has no line to
// point at and is not among them.
QList<ScriptFault> script_fault_lines(const QStringList& lines);
QList<ScriptFault> script_fault_lines(QList<ScriptLine> lines);

}  // namespace pw::engine::script
