// The runner: prepares the script, executes it line by line with the pause between
// lines, and ends the run; one error trap around all of it.

#include "engine/run_script.h"

#include "engine/run_steps.h"
#include "engine/script_error.h"
#include "engine/script_text.h"
#include "engine/statement_table.h"
#include "platform/core/trace.h"

namespace pw::engine {

namespace {

bool is_blank_line(const QString& line)
{
    return line.isEmpty() || line == QLatin1String(" ") || line == QLatin1String(";");
}

bool is_label_line(const QString& line)
{
    return line.contains(QLatin1String("label")) && !line.contains(QLatin1String("goto"));
}

// Marks the running line in the editor. The search starts after the lines already
// marked, so a statement written twice is found where it runs.
void highlight(ScriptRun& run)
{
    RunHost& host = run.host;
    const qsizetype found = run.text.indexOf(run.statement, qMax(run.highlight_offset, 0));
    if (found >= 0) host.set_editor_selection(int(found), int(run.statement.size()) + 1);
    if (script::trim_blanks(run.statement) == QLatin1String("do")) run.in_loop = true;
    // Inside a do block the offset stays, so the next pass finds the block again.
    if (!run.in_loop)
        run.highlight_offset = int(qMin<qsizetype>(
            qsizetype(run.highlight_offset) + host.editor_selection_length(), run.text.size() + 1));
    if (!host.hide_forms_checked() && run.statement != QLatin1String(" ")) host.focus_editor();
}

// Prefix, auto-show, highlight. False when the run was cancelled meanwhile.
bool begin_line(ScriptRun& run, const QString& line)
{
    pellwick_mod& mod = run.mod;
    resumable([&] {
        const script::LinePieces pieces = script::split_prefix(line);
        if (!pieces.has_prefix) {
            run.statement = line;
            return;
        }
        run.line_character = pieces.prefix;
        run.statement = pieces.statement;
        mod.current_char = pieces.prefix;
        mod.ensure_loaded(pieces.prefix);
    });
    resumable([&] {
        // charpos places a character without showing it.
        if (run.line_character.isEmpty() || run.statement.contains(QLatin1String("charpos"))) return;
        const int slot = run.line_slot();
        pw::agent::Character& c = run.slot_char(slot);
        if (!c.visible()) mod.char_request[slot] = c.show();
    });
    resumable([&] { highlight(run); });
    if (!mod.cancel_requested) return true;
    mod.cancel_requested = false;
    return false;
}

}  // namespace

void run_lines(ScriptRun& run)
{
    pellwick_mod& mod = run.mod;
    while (run.i <= run.lines.size() - 1) {
        // Even a loop at interval 0 gives the windows a turn (at least once a
        // millisecond), so that Cancel, Esc and a double click reach it; its cancel is
        // seen a few steps below.
        mod.let_events_run_now_and_then();
        run.fault_line = run.i;
        const QString line = run.lines[run.i];
        if (is_blank_line(line)) mod.line_done = true;
        // Sequential mode: the previous line's action has to finish first (or a cancel
        // ends the run).
        if (mod.sequential)
            while (!mod.line_done && !mod.cancel_requested) mod.do_events();
        mod.line_done = false;
        if (is_blank_line(line) || is_label_line(line)) mod.line_done = true;

        if (!begin_line(run, line)) return;

        const script::Statement statement = script::cut_statement(run.statement);
        run.statement = script::statement_text(run.statement);
        run.keyword = statement.keyword;
        run.arguments = statement.arguments;
        run.written_arguments = statement.written_arguments;
        if (run.statement.contains(QLatin1String("sound"))) mod.line_done = true;

        Flow flow = Flow::next_line;
        resumable([&] { flow = handler_for(script::find_keyword(run.keyword))(run); });
        if (flow == Flow::end_run) return;
        if (flow == Flow::next_line) mod.pause_ms_unless_cancelled(run.interval_ms());

        // The end of the branch taken: on to the endif line, inside a do block too.
        if (run.branch_taken && run.i == run.branch_end && !run.branch_lines.isEmpty()) {
            run.i = run.branch_lines.last();
            run.branch_taken = false;
            mod.line_done = true;
        }
        ++run.i;
    }
}

void run_script(pellwick_mod& mod, RunHost& host, const QString& text)
{
    pw::trace::run_start();
    ScriptRun run(mod, host);
    try {
        prepare_run(run, text);
        run_lines(run);
        end_of_run(run);
    } catch (const WholeScriptError& e) {
        take_error_path(run, e.why(), true);
    } catch (const ScriptError& e) {
        take_error_path(run, e.why());
    } catch (const std::exception&) {
        // Character failures (AgentError) and anything else a step throws end the run
        // the same way as faults of the script.
        take_error_path(run, QString());
    }
}

}  // namespace pw::engine
