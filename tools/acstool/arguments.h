#pragma once
// Checks the number of arguments a command got.

#include "agent/api/agent_error.h"

#include <QStringList>

namespace pw::acstool {

// E_INVALIDARG: the command line does not fit the command.
inline constexpr uint32_t bad_arguments = 0x80070057;

inline void expect_arguments(const QStringList& args, int count, const char* form)
{
    if (args.size() != count)
        throw agent::AgentError(bad_arguments, QStringLiteral("expected: acstool %1").arg(QLatin1String(form)));
}

}  // namespace pw::acstool
