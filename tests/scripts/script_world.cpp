#include "tests/scripts/script_world.h"

#include "engine/run_control.h"
#include "engine/run_wait.h"
#include "engine/script_runner.h"
#include "engine/window_keys.h"
#include "platform/core/trace.h"
#include "stage/composer.h"
#include "stage/stage_window.h"
#include "tests/fakes/slot_setup.h"
#include "windows/message_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

namespace pw::script_tests {

using pw::agent::Request;

namespace {

Transcript* tracing = nullptr;
void trace_run_lines(const QString& line)
{
    // "pw <ms> run start": the run's own lines; the rest are in the transcript already.
    const QString what = line.section(QLatin1Char(' '), 2);
    if (tracing && what.startsWith(QLatin1String("run "))) tracing->add(what);
}

// Counts what the event loop delivers, to tell when nothing is left to handle.
class Deliveries : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent*) override
    {
        ++count;
        return false;
    }
};

int key_code(const QString& name)
{
    static const QHash<QString, int> named{
        {"esc", 27},   {"return", 13}, {"space", 32}, {"ctrl", 162}, {"right-ctrl", 163},
        {"shift", 160}, {"f5", 116},   {"tab", 9}};
    if (named.contains(name)) return named.value(name);
    if (name.startsWith(QLatin1String("vk"))) return name.mid(2).toInt();
    return name.size() == 1 ? name.at(0).toUpper().unicode() : -1;
}

QTime read_clock(const QString& text)
{
    QTime t = QTime::fromString(text.toUpper(), QStringLiteral("h:mm:ss AP"));
    return t.isValid() ? t : QTime::fromString(text.toUpper(), QStringLiteral("h:mm AP"));
}

}  // namespace

void Transcript::add(const QString& line)
{
    if (clock_.now != shown_) {
        shown_ = clock_.now;
        lines << QStringLiteral("@ %1").arg(shown_, 0, 'f', 0);
    }
    lines << line;
}

void CaseKeys::send(int vk, bool down)
{
    if (!handler_) return;
    pw::platform::KeyEvent e;
    e.vk = vk;
    e.down = down;
    const Handler h = handler_;
    h(e);
}

CaseHost::CaseHost(ScriptWorld& w) : RecordingRunHost(w.state), w_(w) {}

void CaseHost::mark_line(int line, int column, int length)
{
    RecordingRunHost::mark_line(line, column, length);
    if (show_marks) w_.transcript.add(QStringLiteral("line %1: %2").arg(line + 1).arg(highlights.last()));
}

void CaseHost::message_box(const QString& message, std::function<void()> closed)
{
    w_.transcript.add(QStringLiteral("message ") + pw::trace::quote(message));
    RecordingRunHost::message_box(message, std::move(closed));
}

void CaseHost::play_wave(const QString& path)
{
    w_.transcript.add(QStringLiteral("play sound ") + w_.tidy(path));
    wave_end = w_.wave_ms < 0 ? never : w_.clock.now + w_.wave_ms;
}

void CaseHost::stop_wave()
{
    w_.transcript.add(QStringLiteral("stop sound"));
    wave_end = never;
}

void CaseHost::install_key_hook()
{
    w_.transcript.add(QStringLiteral("key hook on"));
    w_.keys.install_key_hook();
}

void CaseHost::remove_key_hook()
{
    w_.transcript.add(QStringLiteral("key hook off"));
    w_.keys.remove_key_hook();
}

void CaseHost::set_report_timer(bool enabled, int interval_ms)
{
    // The same setting again keeps the rhythm; a new one counts afresh.
    const bool changed = enabled != ticking_ || interval_ms != tick_ms_;
    ticking_ = enabled;
    tick_ms_ = interval_ms;
    if (!enabled || interval_ms <= 0) next_tick = never;
    else if (changed || next_tick == never) next_tick = w_.clock.now + interval_ms;
}

bool CaseHost::start_program(const QString& command_line)
{
    w_.transcript.add(QStringLiteral("start program ") + command_line);
    return programs_start;
}

void CaseHost::show_waiting(const QString& sentence)
{
    w_.transcript.add(QStringLiteral("status ") + pw::trace::quote(sentence));
}

void CaseHost::set_convert_labels(const QString& x, const QString& y)
{
    RecordingRunHost::set_convert_labels(x, y);
    w_.transcript.add(QStringLiteral("labels %1,%2").arg(x, y));
}

void CaseHost::hide_forms() { w_.transcript.add(QStringLiteral("windows hidden")); }
void CaseHost::show_forms() { w_.transcript.add(QStringLiteral("windows shown")); }

ScriptWorld::ScriptWorld(const QStringList& tricks)
{
    state.set_start_defaults();
    state.program_folder = folder.path();
    state.user_folder = folder.path();
    QDir(folder.path()).mkdir(QStringLiteral("wav"));
    state.exit_program = [this](int code) {
        transcript.add(QStringLiteral("exit %1").arg(code));
        exited_ = true;
    };
    state.hires_timer = &clock;
    state.hires_frequency = 1.0;
    state.time_of_day = [this] { return clock_base_.addMSecs(qint64(clock.now)); };
    clock_base_ = QTime(10, 0);
    // The fake's characters never idle by themselves: the run goes on after a look.
    state.wait_idle_limit = std::chrono::milliseconds(-1);
    state.goodbye_pause_ms = 500;
    state.screen_width_px = 1024;
    state.screen_height_px = 768;
    state.options.interval_seconds = 0.0f;
    state.seed_random(1);
    pw::windows::set_message_box_hook([](const QString&) {});
    stage = std::make_unique<pw::stage::StageWindow>(agent, state);
    QObject::connect(stage.get(), &pw::stage::StageWindow::cancel_script_wanted, &editor,
                     [this] { pw::engine::cancel_it(state, host); });
    keys.key_window = &editor;
    agent.log().on_add = [this](const pw::fakes::CallRecord& r) {
        // A listening wait asks again on every pass; only a change is worth a line.
        if (r.operation == QLatin1String("Listen") && r.args.value(0) == QLatin1String("True")) {
            const pw::fakes::FakeCharacter* c = agent.character(r.character);
            if (c && c->is_listening()) return;
        }
        transcript.add(tidy(r.line()));
    };
    pw::fakes::FakeTraits traits;
    traits.animations = tricks;
    pw::fakes::load_into_slot(state, agent, 0, QStringLiteral("pellwick"), true, traits);
    pw::fakes::load_into_slot(state, agent, 1, QStringLiteral("tansy"), false, traits);
    state.char_count = 2;
    state.current_char = QStringLiteral("pellwick");
}

ScriptWorld::~ScriptWorld()
{
    agent.log().on_add = nullptr;
    stage.reset();
    pw::windows::set_message_box_hook(nullptr);
}

QString ScriptWorld::tidy(const QString& text) const
{
    QString out = text;
    out.replace(folder.path(), QStringLiteral("~"));
    // Request numbers count from the first request of the case.
    static const QRegularExpression request(QStringLiteral("^(\\S+ (?:Wait|Stop) )(\\d+)$"));
    const auto m = request.match(out);
    if (m.hasMatch()) {
        const quint64 id = m.captured(2).toULongLong();
        for (qsizetype k = 0; k < agent.issued().size(); ++k)
            if (quint64(agent.issued()[k].request.id()) == id) return m.captured(1) + QLatin1Char('#') + QString::number(k + 1);
    }
    return out;
}

QString ScriptWorld::read_case(const QString& file_text)
{
    QStringList lines = file_text.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.first().startsWith(QLatin1Char('#'))) {
        const QString line = lines.takeFirst().mid(1).trimmed();
        if (!line.isEmpty() && !set_up(line)) return QStringLiteral("!") + line;
    }
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    std::stable_sort(events.begin(), events.end(), [](const CaseEvent& a, const CaseEvent& b) { return a.at < b.at; });
    return lines.join(QStringLiteral("\r\n"));
}

bool ScriptWorld::add_character(const QStringList& words)
{
    const QString id = words.value(1);
    pw::fakes::FakeCharacter* c = agent.character(id);
    if (!c) {
        pw::fakes::FakeTraits traits;
        if (const qsizetype named = words.indexOf(QLatin1String("named")); named > 0) traits.name = words.value(named + 1);
        traits.animations << QStringLiteral("Alert") << QStringLiteral("Pleased");
        c = pw::fakes::load_into_slot(state, agent, state.char_count, id, false, traits);
    }
    c->set_shown(words.contains(QLatin1String("shown")));
    if (words.contains(QLatin1String("gone"))) state.characters[state.char_index(id)].agent = nullptr;
    if (const qsizetype size = words.indexOf(QLatin1String("size")); size > 0) {
        const QStringList wh = words.value(size + 1).split(QLatin1Char(','));
        c->resize(wh.value(0).toInt(), wh.value(1).toInt());
    }
    if (const qsizetype at = words.indexOf(QLatin1String("at")); at > 0) {
        const QStringList xy = words.value(at + 1).split(QLatin1Char(','));
        c->place(xy.value(0).toInt(), xy.value(1).toInt());
    }
    return true;
}

bool ScriptWorld::set_up(const QString& line)
{
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString first = words.value(0);
    const QString rest = line.section(QLatin1Char(' '), 1).trimmed();
    if (first == QLatin1String("at") && words.size() > 2) {
        events << CaseEvent{words[1].toDouble(), line.section(QLatin1Char(' '), 2).trimmed()};
        return true;
    }
    if (first == QLatin1String("character")) return add_character(words);
    if (first == QLatin1String("slot") && words.value(2) == QLatin1String("empty")) {
        const int slot = words.value(1).toInt();
        state.size_slots(slot);
        state.char_count = int16_t(qMax<int>(state.char_count, slot + 1));
        return true;
    }
    if (first == QLatin1String("interval")) state.options.interval_seconds = rest.toFloat();
    else if (first == QLatin1String("report")) state.options.report_seconds = rest.toInt();
    else if (line.startsWith(QLatin1String("last key "))) state.last_key = line.mid(9);
    else if (line.startsWith(QLatin1String("heard word "))) state.heard_word = line.mid(11);
    else if (line == QLatin1String("runout")) state.command_line_mode = 1;
    else if (line == QLatin1String("speed step")) state.options.speed = pw::engine::RunSpeed::step;
    else if (line == QLatin1String("speed slow")) state.options.speed = pw::engine::RunSpeed::slow;
    else if (line == QLatin1String("sound never ends")) wave_ms = -1;
    else if (line.startsWith(QLatin1String("sound lasts "))) wave_ms = line.mid(12).toInt();
    else if (first == QLatin1String("wav")) return QFile(folder.filePath(QStringLiteral("wav/") + rest)).open(QIODevice::WriteOnly);
    else if (line == QLatin1String("requests wait")) requests_wait_ = true;
    else if (line == QLatin1String("hide windows")) host.hide_box = true;
    else if (line == QLatin1String("no editor")) keys.key_window = nullptr;
    else if (line == QLatin1String("programs do not start")) host.programs_start = false;
    else if (line == QLatin1String("cancel pending")) state.cancel_requested = true;
    else if (line == QLatin1String("introduction playing")) state.intro_playing = true;
    else if (line == QLatin1String("marks not shown")) host.show_marks = false;
    else if (first == QLatin1String("clock")) {
        clock_base_ = read_clock(rest);
        return clock_base_.isValid();
    } else if (first == QLatin1String("fail")) {
        // fail <Operation> [of <id>] [with <number>]
        const qsizetype of = words.indexOf(QLatin1String("of"));
        const qsizetype with = words.indexOf(QLatin1String("with"));
        const uint32_t number = with > 0 ? words.value(with + 1).toUInt(nullptr, 16) : 0x80004005u;
        agent.fail(words.value(1), number, of > 0 ? words.value(of + 1) : QString());
    } else {
        return false;
    }
    return true;
}

void ScriptWorld::press(const QString& key, bool in_window)
{
    const QStringList parts = key.split(QLatin1Char('+'));
    const bool ctrl = parts.size() == 2 && parts[0] == QLatin1String("ctrl");
    const int vk = key_code(parts.last());
    if (ctrl) key_source.send(162, true);
    key_source.send(vk, true);
    key_source.send(vk, false);
    if (ctrl) key_source.send(162, false);
    if (in_window) pw::engine::window_key_up(state, keys, host, vk, ctrl ? pw::engine::shift_mask::ctrl : 0);
}

void ScriptWorld::happen(const QString& what)
{
    transcript.add(QStringLiteral("> ") + what);
    const QStringList words = what.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString first = words.value(0);
    const QString rest = what.section(QLatin1Char(' '), 1).trimmed();
    auto listener = [this] {
        for (const QString& id : agent.loaded_ids())
            if (agent.character(id)->is_listening()) return id;
        return QStringLiteral("pellwick");
    };
    if (first == QLatin1String("key") && (words.value(1) == QLatin1String("down") || words.value(1) == QLatin1String("up"))) {
        key_source.send(key_code(words.value(2)), words.value(1) == QLatin1String("down"));
    } else if (first == QLatin1String("key")) {
        press(words.value(1), what.endsWith(QLatin1String(" in a window")));
    } else if (first == QLatin1String("heard")) {
        agent.post_command(rest == QLatin1String("nothing") ? QString() : rest, listener(), rest);
    } else if (what == QLatin1String("listening times out")) {
        agent.post_listen_timeout(listener());
    } else if (first == QLatin1String("dblclick")) {
        agent.post_dbl_click(rest);
    } else if (first == QLatin1String("shift-click")) {
        agent.post_click(rest, 1, 1);
    } else if (what == QLatin1String("end the wait")) {
        // Esc, only while a wait is under way.
        if (state.waiting) press(QStringLiteral("esc"), true);
    } else if (what.startsWith(QLatin1String("show me "))) {
        pw::stage::compose(state, host, true, what.mid(8));
    } else if (what == QLatin1String("cancel")) {
        pw::engine::cancel_it(state, host);
    } else if (what == QLatin1String("step")) {
        pw::engine::step_run(state);
    } else if (what == QLatin1String("full speed")) {
        state.options.speed = pw::engine::RunSpeed::full;
        state.wake_run();
    } else if (what == QLatin1String("requests end at once")) {
        requests_end_now_ = true;
    } else if (first == QLatin1String("finish")) {
        agent.finish_all(words.contains(QLatin1String("interrupted")) ? Request::Interrupted : Request::Complete);
    } else if (first == QLatin1String("move") && words.size() == 4) {
        const QStringList xy = words[3].split(QLatin1Char(','));
        // As a person drags it: the platform tells where it went.
        agent.character(words[1])->place(xy.value(0).toInt(), xy.value(1).toInt());
        agent.post_move(words[1], xy.value(0).toInt(), xy.value(1).toInt(), pw::agent::MovedByUser);
    } else if (first == QLatin1String("show") || first == QLatin1String("hide")) {
        agent.character(rest)->set_shown(first == QLatin1String("show"));
    } else if (first == QLatin1String("clock")) {
        clock_base_ = read_clock(rest).addMSecs(-qint64(clock.now));
    } else if (first == QLatin1String("balloon")) {
        agent.post_balloon_hide(words.last());
    } else {
        transcript.add(QStringLiteral("!! no such event"));
    }
}

bool ScriptWorld::settle()
{
    Deliveries seen;
    QCoreApplication::instance()->installEventFilter(&seen);
    int quiet = 0;
    int rounds = 0;
    for (; quiet < 2 && rounds < 500; ++rounds) {
        seen.count = 0;
        // The run's own timers stay out: the driver's clock says when the run looks.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::X11ExcludeTimers);
        quiet = seen.count == 0 ? quiet + 1 : 0;
    }
    QCoreApplication::instance()->removeEventFilter(&seen);
    return quiet >= 2;
}

double ScriptWorld::run_looks_at() const
{
    const pw::engine::ScriptRunner* runner = state.runner();
    const pw::engine::RunWait* wait = runner && !host.over ? runner->current_wait() : nullptr;
    // Waits that end on events only, or on real time the fake makes short, set no time.
    if (!wait || dynamic_cast<const pw::engine::ConditionWait*>(wait) || dynamic_cast<const pw::engine::IdleWait*>(wait)
        || dynamic_cast<const pw::engine::TurnWait*>(wait))
        return never;
    const int ms = wait->look_again_ms();
    return ms < 0 ? never : clock.now + ms;
}

double ScriptWorld::next_moment() const
{
    double next = qMin(qMin(host.next_tick, host.wave_end), run_looks_at());
    for (const CaseEvent& e : events) next = qMin(next, qMax(e.at, clock.now));
    return next;
}

bool ScriptWorld::play(const QString& script)
{
    tracing = &transcript;
    pw::trace::set_enabled_for_tests(true);
    pw::trace::set_sink(trace_run_lines);
    host.text = script;
    // The characters finish what they were asked once the run has nothing else to do,
    // however long its steps take on this machine.
    const bool requests_end = !requests_wait_;
    agent.set_completion(pw::fakes::FakeAgent::Completion::Manual);
    bool ok = pw::engine::start_run(state, host, script);
    if (!ok) transcript.add(QStringLiteral("!! the run did not start"));
    int busy = 0;
    for (int rounds = 0; ok && rounds < 200000; ++rounds) {
        const bool calm = settle();
        // The program has ended: nothing more happens to it.
        if (exited_) break;
        if (calm && (requests_end || requests_end_now_) && agent.run_pending()) continue;
        busy = calm ? 0 : busy + 1;
        if (busy > 200 && events.isEmpty()) {
            transcript.add(QStringLiteral("!! the run never ends"));
            ok = false;
            break;
        }
        if (state.run_held()) {
            // A cancel or the goodbyes pause on real timers: move the clock to the end
            // of the pause, then let them look.
            clock.now += 500;
            const int reads = clock.reads;
            if (!QTest::qWaitFor([&] { return clock.reads != reads; }, 2000)) transcript.add(QStringLiteral("!! held for ever"));
            continue;
        }
        if (host.over && events.isEmpty()) break;
        // A run that never waits moves no time; what the case does still comes.
        const double next = calm ? next_moment() : (events.isEmpty() ? clock.now : qMax(events.first().at, clock.now));
        if (next == never) {
            transcript.add(QStringLiteral("!! the run waits for ever"));
            ok = false;
            break;
        }
        // The run looks again when its own wait says so or a reminder is due, as its
        // timers would make it; what the case does has to wake it by itself.
        const bool look = calm && run_looks_at() <= next;
        clock.now = next;
        if (host.next_tick <= clock.now) {
            host.next_tick = clock.now + host.tick_ms();
            state.report_due = true;
            state.wake_run();
        }
        if (host.wave_end <= clock.now) {
            host.wave_end = never;
            state.sound_ended();
        }
        if (look) {
            state.wake_run();
            settle();
        }
        // After the run's own look: an event that comes at the same moment must wake it.
        while (!events.isEmpty() && events.first().at <= clock.now) happen(events.takeFirst().what);
    }
    settle();
    pw::trace::set_sink(nullptr);
    tracing = nullptr;
    return ok;
}

}  // namespace pw::script_tests
