// if / elseif / else / endif: the if line tests the branch lines of its own block in
// turn and jumps into the first that holds; the runner jumps from the end of that
// branch to the endif line.

#include "engine/branch_block.h"
#include "engine/run_wait.h"
#include "engine/script_error.h"
#include "engine/script_text.h"
#include "engine/statement_handlers.h"

namespace pw::engine::statements {

namespace {

bool condition_holds(const ScriptRun& run, const QString& name, const QString& value)
{
    if (name == QLatin1String("key")) return run.state.last_key.toLower() == value.toLower();
    if (name == QLatin1String("listen")) return run.state.heard_word.toLower() == value.toLower();
    // collision: the value names both characters of the last bump, in lower case.
    return value.contains(run.collision_a.toLower()) && value.contains(run.collision_b.toLower());
}

void take_branch(ScriptRun& run, int j)
{
    run.i = run.branch_lines[j];
    run.branch_taken = true;
    run.branch_end = run.branch_lines[j + 1] - 1;
}

// The branch line tested next is marked while its test waits.
void highlight_branch_line(ScriptRun& run, int j)
{
    const int next = run.branch_lines[j + 1];
    run.host.mark_line(next, 0, int(run.lines.value(next).text.size()));
    run.host.repaint_editor();
}

// Tests the branch lines one by one, each after one interval.
class BranchTests : public RunWait {
public:
    BranchTests(ScriptRun& run, QString name) : run_(run), name_(std::move(name)) {}

    WaitState look() override
    {
        const int last = int(run_.branch_lines.size()) - 1;
        for (; j_ < last; ++j_) {
            if (!paused_) {
                // Every branch line tested costs one interval.
                paused_ = true;
                if (const int32_t ms = run_.interval_ms(); ms > 0)
                    return WaitState::after(std::make_unique<PauseWait>(run_.state, ms, true));
            }
            paused_ = false;
            const QString line = script::remove_then(run_.lines.value(run_.branch_lines[j_]).text);
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq < 0) {
                take_branch(run_, j_);
                return WaitState::done(Flow::next_line);
            }
            if (condition_holds(run_, name_, script::trim_blanks(line.mid(eq + 1)))) {
                take_branch(run_, j_);
                return WaitState::done(Flow::next_line);
            }
            highlight_branch_line(run_, j_);
        }
        run_.i = run_.branch_lines[last];
        run_.branch_taken = true;
        run_.branch_end = run_.i - 1;
        return WaitState::done(Flow::next_line);
    }

private:
    ScriptRun& run_;
    QString name_;
    int j_ = 0;
    bool paused_ = false;
};

}  // namespace

Flow if_block(ScriptRun& run)
{
    const auto condition = script::if_condition(run.arguments);
    if (!condition) throw ScriptError(QStringLiteral("The condition has no \"=\"."));
    run.last_condition_name = condition->name;
    const QString& name = condition->name;
    if (name != QLatin1String("key") && name != QLatin1String("listen")
        && name != QLatin1String("collision"))
        return Flow::next_line;

    run.branch_lines = scan_branch_block(run.lines, run.i);
    // Without an endif the block would end on line 0 and the script would start over
    // and over; tell the child instead.
    if (run.lines.value(run.branch_lines.last()).keyword != script::Keyword::endif)
        throw ScriptError(QStringLiteral("The if block has no endif."));
    run.wait = std::make_unique<BranchTests>(run, name);
    return Flow::next_line;
}

}  // namespace pw::engine::statements
