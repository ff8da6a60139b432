// Before the first line: the script's lines, its first branch block, the jump labels,
// the words it listens for, and every character's pop-up and voice commands.

#include "engine/branch_block.h"
#include "engine/run_steps.h"
#include "engine/script_error.h"
#include "engine/script_faults.h"
#include "engine/script_text.h"

namespace pw::engine {

namespace {

const QString crlf = QStringLiteral("\r\n");

void add_standard_commands(pw::agent::Commands& commands)
{
    resumable([&] { commands.add(QStringLiteral("Quit"), QStringLiteral("&Quit")); });
    resumable([&] {
        commands.add(QStringLiteral("Cancel Script"), QStringLiteral("&Cancel Script"),
                     QStringLiteral("Cancel [Script]"), true);
    });
}

void register_label(ScriptRun& run, int k, const QString& line)
{
    // The number stands from the sixth character on: "label 3". Its range was checked
    // with the other faults of the whole script.
    run.label_lines[checked_int16(script::leading_number(line.mid(5)))] = k;
}

// "waitfor listen=yes quiet" or "if listen=yes then": the word "yes".
QString listened_word(const QString& line)
{
    QString rest = line.mid(line.indexOf(QLatin1Char(' ')) + 1);
    rest = script::remove_then(script::trim_blanks(rest.toLower()));
    QString value = script::trim_blanks(rest.mid(rest.indexOf(QLatin1Char('=')) + 1));
    return script::trim_blanks(value.remove(QStringLiteral("quiet")));
}

void register_voice_word(ScriptRun& run, const QString& word)
{
    if (word == QLatin1String("anyword") || word == QLatin1String("anywords")) return;
    run.voice_words += word + QStringLiteral(", or ");
    const int n = qMin<int>(run.state.char_count, run.state.slot_count());
    for (int slot = 0; slot < n; ++slot) {
        if (!run.state.characters[slot].agent) continue;
        pw::agent::Commands& commands = run.state.characters[slot].agent->commands();
        // Listening for the same word twice adds it twice: the second add is skipped.
        resumable([&] { commands.add(word, word, word, true, false); });
        commands.set_voice_caption(QStringLiteral("Pellworks"));
        commands.set_voice(QStringLiteral(" "));
    }
}

// Marks what is at fault in the editor, so that "here" in the message points at it and
// the child's next keys replace it.
void select_fault(RunHost& host, const QList<script::ScriptLine>& lines, const script::ScriptFault& fault)
{
    if (fault.length > 0) host.mark_line(fault.line, fault.start, fault.length);
    else host.mark_line(fault.line, 0, int(lines.value(fault.line).text.size()));
    if (!host.hide_forms_checked()) host.focus_editor();
}

}  // namespace

void reset_commands(ScriptRun& run)
{
    // A slot whose character failed to load is left alone.
    const int n = qMin<int>(run.state.char_count, run.state.slot_count());
    for (int slot = 0; slot < n; ++slot) {
        if (!run.state.characters[slot].agent) continue;
        pw::agent::Commands& commands = run.state.characters[slot].agent->commands();
        commands.remove_all();
        add_standard_commands(commands);
    }
}

void prepare_run(ScriptRun& run, const QString& text)
{
    RunState& state = run.state;
    RunHost& host = run.host;
    state.script_running = true;
    state.request_busy = true;
    host.set_clock_ticking(true);
    host.show_clock();

    const QString editor = host.editor_text();
    if (!editor.right(3).contains(crlf)) host.set_editor_text(editor + crlf);

    if (host.hide_forms_checked()) host.hide_forms();

    QStringList text_lines = script::split_lines(text);
    state.agent_idle = false;
    state.cancel_requested = false;
    // Trailing empty lines go first, so a full script that ends with a line break runs.
    script::drop_trailing_empty_lines(text_lines);
    const QList<script::ScriptLine> lines = script::read_lines(text_lines);
    if (const auto fault = script::first_script_fault(lines)) {
        run.fault_line = fault->line;
        if (fault->line >= 0) select_fault(host, lines, *fault);
        throw WholeScriptError(fault->text);
    }
    run.lines = lines;

    if (const int first = first_branch_line(lines); first >= 0)
        run.branch_lines = scan_branch_block(lines, first);

    reset_commands(run);

    for (int k = 0; k < lines.size(); ++k) {
        const script::ScriptLine& line = lines[k];
        if (line.label_line) register_label(run, k, line.text);
        if (line.text.contains(QLatin1String("listen=")) && line.text.contains(QLatin1Char(' ')))
            register_voice_word(run, listened_word(line.text));
        if (line.keyword == script::Keyword::shell) {
            const QString& command_line = line.written_arguments;
            if (!command_line.isEmpty() && !run.programs.contains(command_line)) run.programs << command_line;
        }
    }

    run.voice_words += QStringLiteral("cancel script ");
    state.line_done = true;
    state.options.sequential = true;
    host.run_started();
}

}  // namespace pw::engine
