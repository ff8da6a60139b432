#include "tests/fakes/recording_run_host.h"

#include "platform/core/trace.h"

#include <QTimer>

namespace pw::fakes {

void RecordingRunHost::set_editor_text(const QString& t)
{
    calls << QStringLiteral("set_text");
    text = t;
}

void RecordingRunHost::mark_line(int line, int column, int length)
{
    calls << QStringLiteral("mark %1 %2 %3").arg(line).arg(column).arg(length);
    if (text != split_text_) {
        split_text_ = text;
        text_lines_ = text.split(QStringLiteral("\r\n"));
    }
    highlights << text_lines_.value(line).mid(column, length).trimmed();
}

void RecordingRunHost::set_editor_read_only(bool on)
{
    calls << QStringLiteral("read_only %1").arg(on);
    read_only = on;
}

void RecordingRunHost::set_convert_labels(const QString& x, const QString& y)
{
    calls << QStringLiteral("convert %1 %2").arg(x, y);
    convert_x = x;
    convert_y = y;
}

void RecordingRunHost::set_clock_ticking(bool on)
{
    calls << QStringLiteral("clock_ticking %1").arg(on);
    clock_ticking = on;
}

void RecordingRunHost::play_wave(const QString& path)
{
    calls << QStringLiteral("play_wave ") + path;
    if (wave_ms < 0) return;
    pw::engine::RunState* mod = &mod_;
    QTimer::singleShot(wave_ms, &timers_, [mod] { mod->sound_ended(); });
}

bool RecordingRunHost::start_program(const QString& command_line)
{
    calls << QStringLiteral("start_program ") + command_line;
    return programs_start;
}

void RecordingRunHost::message_box(const QString& t, std::function<void()> closed)
{
    calls << QStringLiteral("message ") + pw::trace::quote(t);
    messages << t;
    pw::trace::message(t);
    if (closed) closed();
}


}  // namespace pw::fakes
