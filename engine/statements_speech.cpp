// Speaking, playing a sound file, starting a program, listening.

#include "engine/script_error.h"
#include "engine/statement_handlers.h"
#include "engine/wave_files.h"

#include <QFileInfo>

namespace pw::engine::statements {

Flow speak(ScriptRun& run)
{
    const int slot = run.line_slot();
    if (!run.arguments.contains(QLatin1String(".wav"), Qt::CaseInsensitive)) {
        run.mod.char_say(slot, run.arguments);
        return Flow::next_line;
    }
    // A missing sound file is reported before anything is queued.
    const QString name = wave_file_name(run.mod.user_folder, run.arguments);
    if (!QFileInfo(run.mod.user_folder + QStringLiteral("/wav/") + name).isFile())
        throw ScriptError(QStringLiteral("There is no sound file %1.").arg(run.arguments));
    run.mod.char_say(slot, name);
    return Flow::next_line;
}

Flow sound(ScriptRun& run)
{
    pellwick_mod& mod = run.mod;
    mod.stop_sound = false;
    run.host.play_wave(wave_file_path(mod.user_folder, run.arguments + QStringLiteral(".wav")));
    // The wave device's end of playback, or a cancel, sets stop_sound.
    while (!mod.stop_sound) mod.do_events();
    run.host.stop_wave();
    mod.agent_idle = true;
    mod.line_done = true;
    return Flow::next_line;
}

Flow shell(ScriptRun& run)
{
    if (!run.host.start_program(run.arguments))
        throw ScriptError(QStringLiteral("The program could not be started."));
    run.mod.line_done = true;
    return Flow::next_line;
}

Flow listen(ScriptRun& run)
{
    run.line_char().listen(true);
    run.mod.line_done = true;
    return Flow::next_line;
}

}  // namespace pw::engine::statements
