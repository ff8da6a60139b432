#include "tests/fakes/recording_run_host.h"

#include "platform/core/trace.h"

#include <QTimer>

namespace pw::fakes {

void RecordingRunHost::mark_line(int line, int column, int length)
{
    if (text != split_text_) {
        split_text_ = text;
        text_lines_ = text.split(QStringLiteral("\r\n"));
    }
    highlights << text_lines_.value(line).mid(column, length).trimmed();
}

void RecordingRunHost::play_wave(const QString&)
{
    if (wave_ms < 0) return;
    pw::engine::RunState* state = &state_;
    QTimer::singleShot(wave_ms, &timers_, [state] { state->sound_ended(); });
}

void RecordingRunHost::message_box(const QString& t, std::function<void()> closed)
{
    messages << t;
    pw::trace::message(t);
    if (closed) closed();
}

}  // namespace pw::fakes
