#include "engine/script_run.h"

#include "agent/api/agent_error.h"
#include "engine/rounding.h"
#include "engine/run_wait.h"
#include "engine/script_error.h"

#include <cmath>

namespace pw::engine {

ScriptRun::ScriptRun(RunState& m, RunHost& h) : state(m), host(h) {}
ScriptRun::~ScriptRun() = default;

int ScriptRun::line_slot() const
{
    const int slot = state.char_index(line_character);
    if (slot < 0)
        throw ScriptError(QStringLiteral("No character \"%1\" for this line.").arg(line_character));
    return slot;
}

pw::agent::Character& ScriptRun::line_char() const { return slot_char(line_slot()); }

pw::agent::Character& ScriptRun::slot_char(int slot) const
{
    if (slot < 0 || slot >= state.slot_count() || !state.characters[slot].agent)
        throw pw::agent::AgentError(pw::agent::error::character_invalid,
                                    QStringLiteral("No character in slot %1.").arg(slot));
    return *state.characters[slot].agent;
}

int ScriptRun::slot_of(const QString& id) const
{
    const int slot = state.char_index(id);
    if (slot < 0) throw ScriptError(QStringLiteral("No character \"%1\".").arg(id));
    return slot;
}

int32_t ScriptRun::interval_ms() const
{
    return checked_int32(round_half_even(double(state.options.interval_seconds)) * 1000.0);
}

int32_t checked_int32(double value)
{
    const double r = round_half_even(value);
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0)
        throw ScriptError(QStringLiteral("The number is too large."));
    return int32_t(r);
}

int16_t checked_int16(double value)
{
    const double r = round_half_even(value);
    if (!std::isfinite(r) || r < -32768.0 || r > 32767.0)
        throw ScriptError(QStringLiteral("The number is too large."));
    return int16_t(r);
}

}  // namespace pw::engine
