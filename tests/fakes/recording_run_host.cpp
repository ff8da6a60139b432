#include "tests/fakes/recording_run_host.h"

#include "platform/core/trace.h"

#include <QTimer>

namespace pw::fakes {

int RecordingRunHost::count(const QString& call_prefix) const
{
    int n = 0;
    for (const QString& c : calls) n += c.startsWith(call_prefix) ? 1 : 0;
    return n;
}

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
    const QString marked = text_lines_.value(line).mid(column, length).trimmed();
    highlights << marked;
    if (on_highlight) on_highlight(marked);
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

void RecordingRunHost::show_clock()
{
    calls << QStringLiteral("show_clock");
    clock_shown = true;
}

void RecordingRunHost::unload_clock()
{
    calls << QStringLiteral("unload_clock");
    clock_shown = false;
}

void RecordingRunHost::play_wave(const QString& path)
{
    calls << QStringLiteral("play_wave ") + path;
    if (wave_ms < 0) return;
    pw::engine::pellwick_mod* mod = &mod_;
    QTimer::singleShot(wave_ms, &timers_, [mod] { mod->sound_ended(); });
}

void RecordingRunHost::install_key_hook()
{
    calls << QStringLiteral("install_key_hook");
    if (on_install_key_hook) on_install_key_hook();
}

void RecordingRunHost::remove_key_hook()
{
    calls << QStringLiteral("remove_key_hook");
    if (on_remove_key_hook) on_remove_key_hook();
}

void RecordingRunHost::set_report_timer(bool enabled, int interval_ms)
{
    if (enabled != report_enabled || interval_ms != report_interval)
        calls << QStringLiteral("report_timer %1 %2").arg(int(enabled)).arg(interval_ms);
    report_enabled = enabled;
    report_interval = interval_ms;
    const int scaled = interval_ms <= 0 ? interval_ms : qMax(1, int(interval_ms / report_speed));
    report_timer_.set(enabled, scaled);
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
