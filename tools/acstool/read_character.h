#pragma once
// Reads a character file for a command; the error text always names the file.

#include "agent/acs/acs_reader.h"
#include "agent/api/agent_error.h"

#include <QString>

namespace pw::acstool {

inline acs::CharacterData read_character(const QString& path)
{
    try {
        return acs::read_acs_file(path);
    } catch (const agent::AgentError& e) {
        if (e.text().contains(path)) throw;
        throw agent::AgentError(e.number(), path + QStringLiteral(": ") + e.text());
    }
}

}  // namespace pw::acstool
