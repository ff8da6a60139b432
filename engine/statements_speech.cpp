// Speaking, playing a sound file, starting a program, listening.

#include "engine/script_error.h"
#include "engine/spoken_questions.h"
#include "engine/statement_handlers.h"
#include "engine/run_wait.h"
#include "engine/wave_files.h"

#include <QFileInfo>

namespace pw::engine::statements {

Flow speak(ScriptRun& run)
{
    const int slot = run.line_slot();
    if (!run.arguments.contains(QLatin1String(".wav"), Qt::CaseInsensitive)) {
        run.state.char_say(slot, run.arguments);
        return Flow::next_line;
    }
    // A missing sound file is reported before anything is queued.
    const QString name = wave_file_name(run.state.user_folder, run.arguments);
    if (!QFileInfo(run.state.user_folder + QStringLiteral("/wav/") + name).isFile())
        throw ScriptError(QStringLiteral("There is no sound file %1.").arg(run.arguments));
    run.state.char_say(slot, name);
    return Flow::next_line;
}

Flow sound(ScriptRun& run)
{
    RunState& state = run.state;
    state.stop_sound = false;
    RunHost& host = run.host;
    host.play_wave(wave_file_path(state.user_folder, run.arguments + QStringLiteral(".wav")));
    // The wave device's end of playback, or a cancel, sets stop_sound; a cancel that
    // only set cancel_requested ends the sound as well.
    run.wait = std::make_unique<ConditionWait>([&state] { return state.stop_sound || state.cancel_requested; },
                                               Flow::next_line, [&state, &host] {
                                                   host.stop_wave();
                                                   state.agent_idle = true;
                                               });
    run.wait->kind = WaitKind::sound;
    return Flow::next_line;
}

Flow shell(ScriptRun& run)
{
    // As written: file names keep their case.
    const QString& command_line = run.written_arguments;
    if (command_line.isEmpty()) throw ScriptError(QStringLiteral("There is no program to start."));
    // A script may come from anywhere: before its first program, a character names
    // every program of the script and someone says yes, or none is started.
    if (!run.programs_allowed) {
        const int asker =
            run.line_character.isEmpty() ? run.state.char_index(QStringLiteral("pellwick")) : run.line_slot();
        ScriptRun* asking = &run;
        run.wait = programs_question_wait(run.state, asker, run.programs,
                                          [asking](bool yes) { asking->programs_allowed = yes; });
        return Flow::again;
    }
    if (!*run.programs_allowed || !run.programs.contains(command_line)) {
        // Skipped, and the run goes on; whoever the line speaks for says why.
        if (run.line_character.isEmpty()) {
            run.state.line_done = true;
            return Flow::next_line;
        }
        run.state.char_say(run.line_slot(), QStringLiteral("I'm not allowed to start that."));
        return Flow::next_line;
    }
    if (!run.host.start_program(command_line))
        throw ScriptError(QStringLiteral("The program could not be started."));
    run.state.line_done = true;
    return Flow::next_line;
}

Flow listen(ScriptRun& run)
{
    run.line_char().listen(true);
    return Flow::next_line;
}

}  // namespace pw::engine::statements
