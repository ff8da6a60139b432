// The statements that steer the run: modes, pauses between lines, repeats and jumps.

#include "engine/script_error.h"
#include "engine/script_text.h"
#include "engine/statement_handlers.h"

#include <cmath>

namespace pw::engine::statements {

using script::leading_number;

namespace {

// A do line below another do whose loop has not come yet: blocks do not nest, and one
// counter for two blocks would start the outer one over for ever.
bool inside_a_do_block(const QList<script::ScriptLine>& lines, int k)
{
    for (int j = k - 1; j >= 0; --j) {
        const script::Keyword keyword = lines[j].keyword;
        if (keyword == script::Keyword::loop) return false;
        if (keyword == script::Keyword::do_) return true;
    }
    return false;
}

}  // namespace

Flow sequential(ScriptRun& run)
{
    run.state.options.sequential = run.arguments == QLatin1String("t") || run.arguments == QLatin1String("true");
    return Flow::next_line;
}

Flow report(ScriptRun& run)
{
    run.state.options.report_seconds = checked_int32(leading_number(run.arguments));
    return Flow::next_line;
}

Flow interval(ScriptRun& run)
{
    const float seconds = float(leading_number(run.arguments));
    if (!std::isfinite(seconds)) throw ScriptError(QStringLiteral("The interval is too large."));
    run.state.options.interval_seconds = seconds;
    run.state.agent_idle = false;
    return Flow::next_line;
}

Flow do_block(ScriptRun& run)
{
    if (inside_a_do_block(run.lines, run.i))
        throw ScriptError(QStringLiteral("A do block cannot hold another do."));
    run.do_line = run.i;
    return Flow::next_line;
}

Flow loop(ScriptRun& run)
{
    // One counter and one do line: do blocks do not nest.
    run.loop_limit = checked_int32(leading_number(run.arguments));
    ++run.loop_count;
    if (run.loop_count < run.loop_limit) run.i = run.do_line;
    else run.loop_count = 0;
    return Flow::next_line;
}

Flow goto_label(ScriptRun& run)
{
    // "goto label 3": the number stands from the sixth character on.
    const int16_t label = checked_int16(leading_number(run.arguments.mid(5)));
    if (label < 0 || label >= ScriptRun::label_count)
        throw ScriptError(QStringLiteral("There is no label %1.").arg(label));
    const int target = run.label_lines[label];
    if (target == ScriptRun::no_label)
        throw ScriptError(QStringLiteral("No line has label %1.").arg(label));
    // The loop's step to the next line lands on the label line itself.
    run.i = target - 1;
    return Flow::next_line;
}

Flow nothing(ScriptRun&)
{
    return Flow::next_line;
}

}  // namespace pw::engine::statements
