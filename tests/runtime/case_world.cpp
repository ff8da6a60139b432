#include "case_world.h"

#include "agent/acs/acs_writer.h"
#include "agent/acs/wav_audio.h"
#include "agent/api/agent_error.h"
#include "agent/runtime/character_agent.h"
#include "platform/core/trace.h"
#include "tests/recognition/speech_fixtures.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

namespace pw::runtime_cases {
namespace {

CaseWorld* current = nullptr;
QtMessageHandler earlier_handler = nullptr;

void collect(const QString& line) { if (current) current->traced(line); }

// The runtime's own warnings; those of the machine's sound system vary from machine to machine.
void warned(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    static const QRegularExpression own(QStringLiteral("^(Animation|Speak:|Sound) "));
    if (current && type == QtWarningMsg && own.match(text).hasMatch())
        current->add(QStringLiteral("warning ") + current->tidy(text));
    else if (earlier_handler)
        earlier_handler(type, context, text);
}

QString place(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

QPoint point(const QString& xy) { return QPoint(xy.section(',', 0, 0).toInt(), xy.section(',', 1).toInt()); }

// Words, with "quoted text" as one word (\" inside it).
QStringList words_of(const QString& line)
{
    static const QRegularExpression word(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\"|(\\S+)"));
    QStringList out;
    for (auto it = word.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out.append(m.hasCaptured(1) ? m.captured(1).replace(QStringLiteral("\\\""), QStringLiteral("\"")) : m.captured(2));
    }
    return out;
}

// Runs of the same frame are one token: "1~" when the mouth opened in it, "!" when it
// is still open at the end; a block of tokens that repeats is written once, "(50 51)+".
QString render(const QList<int>& tags, const QList<int>& mouths, const QList<QSize>& sizes)
{
    QStringList tokens;
    for (qsizetype i = 0; i < tags.size();) {
        qsizetype j = i;
        int open = 0;
        while (j < tags.size() && tags[j] == tags[i] && sizes[j] == sizes[i]) open += mouths[j++] > 0;
        QString t = QString::number(tags[i]);
        if (sizes[i] != QSize(frame_side, frame_side)) t += QStringLiteral("@%1x%2").arg(sizes[i].width()).arg(sizes[i].height());
        if (open) t += QLatin1Char('~');
        if (mouths[j - 1] > 0) t += QLatin1Char('!');
        tokens.append(t);
        i = j;
    }
    QStringList out;
    for (qsizetype i = 0; i < tokens.size();) {
        qsizetype block = 0;
        for (qsizetype n = 2; n <= 4 && !block; ++n)
            if (i + 2 * n <= tokens.size() && tokens.mid(i, n) == tokens.mid(i + n, n)) block = n;
        if (!block) {
            out.append(tokens[i++]);
            continue;
        }
        out.append(QStringLiteral("(%1)+").arg(tokens.mid(i, block).join(QLatin1Char(' '))));
        for (i += block; i + block <= tokens.size() && tokens.mid(i, block) == tokens.mid(i - block, block);) i += block;
    }
    return out.join(QLatin1Char(' '));
}

const char* status_name(int s)
{
    static const char* names[] = {"Complete", "Failed", "Pending", "Interrupted", "InProgress"};
    return s >= 0 && s <= 4 ? names[s] : "?";
}

}  // namespace

CaseView::CaseView(CaseWorld& world, const QString& id) : world_(world), id_(id)
{
    world_.add(id_ + QStringLiteral(" window made"));
}

CaseView::~CaseView()
{
    if (busy_close) QCoreApplication::processEvents();
    world_.add(id_ + QStringLiteral(" window closed"));
}

void CaseView::set_frame(const QImage& frame)
{
    const int tag = frame.isNull() ? 0 : qRed(frame.pixel(frame.width() - 1, frame.height() - 1));
    const int corner = frame.isNull() ? 0 : qRed(frame.pixel(0, 0));
    world_.frame_shown(id_, tag, corner >= mouth_base ? corner - mouth_base : -1, frame.size());
}

void CaseView::set_geometry(const QRect& r) { world_.placed(id_, r); }

void CaseView::set_visible(bool on)
{
    if (on != visible_) world_.add(id_ + (on ? QStringLiteral(" window shown") : QStringLiteral(" window hidden")));
    visible_ = on;
}

void CaseView::show_balloon(agent::BalloonKind kind, const QString& text, const acs::BalloonInfo&)
{
    world_.balloon(id_, QStringLiteral("%1 balloon %2 \"%3\"")
                            .arg(id_, kind == agent::BalloonKind::Speech ? QStringLiteral("Speech") : QStringLiteral("Thought"), text),
                   int(text.size()));
}

void CaseView::reveal_balloon_text(int chars) { world_.revealed(id_, chars); }
void CaseView::hide_balloon() { world_.add(id_ + QStringLiteral(" balloon hidden")); }
void CaseView::activate() { world_.add(id_ + QStringLiteral(" activated")); }
void CaseView::bring_forward() { world_.add(id_ + QStringLiteral(" comes forward")); }

void CaseView::show_menu(const QList<agent::CommandEntry>& entries, QPoint)
{
    QStringList items;
    for (const agent::CommandEntry& e : entries) items.append(QLatin1Char('"') + e.caption + QLatin1Char('"') + (e.enabled ? "" : " (off)"));
    world_.add(id_ + QStringLiteral(" menu ") + items.join(QStringLiteral(", ")));
}

void CaseEars::start(const QStringList& phrases)
{
    listening_ = true;
    world_.add(QStringLiteral("ears listen for \"%1\"").arg(phrases.join(QStringLiteral("\", \""))));
}

void CaseEars::stop()
{
    if (listening_) world_.add(QStringLiteral("ears stop"));
    listening_ = false;
}

CaseWorld::CaseWorld()
{
    current = this;
    trace::set_sink(&collect);
    trace::set_enabled_for_tests(true);
    earlier_handler = qInstallMessageHandler(&warned);
}

CaseWorld::~CaseWorld()
{
    recording_ = false;
    platform_.reset();
    qInstallMessageHandler(earlier_handler);
    trace::set_sink(nullptr);
    trace::set_enabled_for_tests(false);
    current = nullptr;
}

QStringList CaseWorld::play(const QString& standard, const QString& case_text)
{
    QString error;
    agent::RuntimeOptions o;
    o.timings.idle_first_ms = 60000;  // only where a case asks for it
    o.timings.idle_round_ms = 80;
    o.timings.idle_rounds_per_level = 2;
    o.timings.balloon_linger_ms = 60;
    o.timings.listen_timeout_ms = 200;
    o.timings.move_event_interval_ms = 40;
    o.random_seed = 7;
    o.program_dir = folder_.path();
    recording_ = true;
    for (const QString& raw : standard.split(QLatin1Char('\n')) + case_text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (sketch_.read(line, error)) {
            if (!error.isEmpty()) return lines_ << QStringLiteral("!! ") + error;
            continue;
        }
        if (line.startsWith(QLatin1String("timing "))) {  // timing idle_first 150
            const QStringList w = line.split(QLatin1Char(' '));
            int* timing = w[1] == QLatin1String("idle_first") ? &o.timings.idle_first_ms
                          : w[1] == QLatin1String("listen_timeout") ? &o.timings.listen_timeout_ms : nullptr;
            if (!timing) return lines_ << QStringLiteral("!! no such timing: ") + line;
            *timing = w.value(2).toInt();
            continue;
        }
        if (line == QLatin1String("ears")) {
            ears_ = std::make_unique<CaseEars>(*this);
            o.voice_input = ears_.get();
            continue;
        }
        if (!platform_) {
            platform_ = std::make_unique<agent::AgentPlatform>(
                [this] {
                    auto v = std::make_unique<CaseView>(*this, making_);
                    views_[making_.toLower()] = v.get();
                    return v;
                },
                o);
        }
        try {
            if (!step(line)) return lines_ << QStringLiteral("!! not understood or never came: ") + line;
        } catch (const agent::AgentError& e) {
            add(QStringLiteral("error %1 \"%2\"").arg(e.number_text(), tidy(e.text())));
        }
    }
    recording_ = false;
    return lines_;
}

void CaseWorld::add(const QString& line)
{
    if (recording_) lines_.append(line);
}

void CaseWorld::traced(const QString& raw)
{
    static const QRegularExpression prefix(QStringLiteral("^pw \\d+ "));
    QString line = tidy(QString(raw).remove(prefix));
    QStringList w = line.split(QLatin1Char(' '));
    if (w[0] == QLatin1String("event") && w.value(1).startsWith(QLatin1String("Request"))) w[2] = label(w[2].toInt());
    if (w[0] == QLatin1String("request") && (w.value(2) == QLatin1String("Stop") || w.value(2) == QLatin1String("Wait")) && w.size() == 4)
        w[3] = label(w[3].toInt());
    line = w.join(QLatin1Char(' '));
    // A glide reports where it is on the way; how often depends on the machine.
    static const QRegularExpression glide(QStringLiteral("^event Move (\\S+) \\S+ \\S+ 2"));
    const QRegularExpressionMatch now = glide.match(line);
    if (now.hasMatch() && !lines_.isEmpty()) {
        const QRegularExpressionMatch before = glide.match(lines_.last());
        if (before.hasMatch() && before.captured(1) == now.captured(1) && recording_) {
            lines_.removeLast();
            line += QStringLiteral(", after moves on the way");
        }
    }
    if (w[0] != QLatin1String("event") && w[0] != QLatin1String("request")) return;
    add(line);
    // A reaction runs inside the event's delivery, as a program's handler does, and
    // then lets the event loop run, as a waiting script does.
    for (qsizetype i = 0; i < reactions_.size(); ++i) {
        if (!line.contains(reactions_[i].first)) continue;
        for (const QString& reaction : reactions_.takeAt(i).second.split(QStringLiteral(" ; "))) {
            try {
                if (!step(reaction)) add(QStringLiteral("!! not understood: ") + reaction);
            } catch (const agent::AgentError& e) {
                add(QStringLiteral("error %1 \"%2\"").arg(e.number_text(), tidy(e.text())));
            }
        }
        QCoreApplication::processEvents();
        return;
    }
}

QString CaseWorld::tidy(const QString& text) const
{
    return QString(text).replace(folder_.path(), QStringLiteral("~"));
}

QString CaseWorld::label(int request_id) const
{
    for (qsizetype i = 0; i < requests_.size(); ++i)
        if (requests_[i].id() == request_id) return QStringLiteral("#%1").arg(i + 1);
    return QString::number(request_id);
}

void CaseWorld::keep(const agent::Request& r)
{
    requests_.append(r);
}

void CaseWorld::frame_shown(const QString& id, int tag, int mouth, QSize size)
{
    shown_.append({id.toLower(), tag});
    Run& run = frames_[id.toLower()];
    if (run.line < 0) {
        add(QString());
        run.line = int(lines_.size()) - 1;
    }
    run.frames.append(Shown{tag, mouth, size});
    render_frames(run, id);
}

void CaseWorld::render_frames(const Run& run, const QString& id)
{
    if (!recording_ || run.line < 0) return;
    QList<int> tags, mouths;
    QList<QSize> sizes;
    for (const Shown& s : run.frames) {
        tags.append(s.tag);
        mouths.append(s.mouth);
        sizes.append(s.size);
    }
    lines_[run.line] = id + QStringLiteral(" frames ") + render(tags, mouths, sizes);
}

// The first frame of an animation starts a line of its own.
void CaseWorld::new_animation(const QString& id)
{
    Run& run = frames_[id.toLower()];
    if (run.frames.size() < 2) return;
    const Shown last = run.frames.takeLast();
    render_frames(run, id);
    run = Run{};
    frame_shown(id, last.tag, last.mouth, last.size);
    shown_.removeLast();
}

void CaseWorld::placed(const QString& id, const QRect& r)
{
    Run& run = places_[id.toLower()];
    if (run.line < 0) {
        add(QString());
        run.line = int(lines_.size()) - 1;
    }
    run.places.append(r);
    if (!recording_) return;
    QStringList all;
    for (const QRect& p : run.places) all.append(place(p));
    lines_[run.line] = id + (all.size() >= 4 ? QStringLiteral(" window glides to ") + all.last()
                                              : QStringLiteral(" window at ") + all.join(QStringLiteral(", ")));
}

void CaseWorld::balloon(const QString& id, const QString& head, int text_length)
{
    add(head);
    balloons_[id.toLower()] = Run{int(lines_.size()) - 1, {}, {}, head, {}, text_length};
}

void CaseWorld::revealed(const QString& id, int chars)
{
    Run& run = balloons_[id.toLower()];
    run.reveals.append(chars);
    if (!recording_ || run.line < 0) return;
    // How far the words are up depends on the machine; that they never go back, and
    // all come, does not.
    bool rising = true;
    QStringList all;
    for (qsizetype i = 0; i < run.reveals.size(); ++i) {
        rising = rising && (i == 0 || run.reveals[i] >= run.reveals[i - 1]);
        all.append(QString::number(run.reveals[i]));
    }
    const int n = int(all.size());
    QString shows = QStringLiteral(" shows ") + all.join(QLatin1Char(','));
    if (rising && chars != run.text_length) shows.clear();
    else if (rising && n == 1) shows = QStringLiteral(" shows all at once");
    else if (rising) shows = QStringLiteral(" shows %1 %2 all").arg(all.first(), n >= 3 ? QStringLiteral("…") : QStringLiteral("then"));
    lines_[run.line] = run.head + shows;
}

void CaseWorld::load(const QString& id, const QString& path)
{
    making_ = id;
    if (path.isEmpty()) {
        keep(platform_->load_data(id, std::make_shared<const acs::CharacterData>(sketch_.data)));
        const agent::Request r = requests_.last();
        run_until([&] { return r.is_finished(); });
    } else {
        keep(platform_->load(id, folder_.filePath(path)));
    }
    if (agent::CharacterAgent* a = platform_->agent(id))
        a->set_frame_observer([this, id](qint64 planned, qint64) {
            ++played_[id.toLower()];
            if (planned == 0) new_animation(id);
        });
}

bool CaseWorld::run_until(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(15000);
    QTimer wake;  // looks at the deadline when nothing else happens
    wake.start(100);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

bool CaseWorld::until(const QStringList& w)
{
    const qsizetype from = lines_.size(), shown_from = shown_.size();
    if (w.size() == 2 && w[0].startsWith(QLatin1Char('#')) && w[1] == QLatin1String("starts")) {
        const agent::Request r = requests_.value(w[0].mid(1).toInt() - 1);
        return run_until([&] { return r.status() != agent::Request::Pending; });
    }
    if (w.size() == 2 && w[0].startsWith(QLatin1Char('#')) && w[1] == QLatin1String("ends")) {
        const QString end = QStringLiteral("event RequestComplete %1 ").arg(w[0]);
        return run_until([&] { return !lines_.filter(end).isEmpty(); });
    }
    if (w.value(1) == QLatin1String("plays") && w.value(3) == QLatin1String("frames")) {
        const int from_count = played_.value(w[0].toLower()), more = w[2].toInt();
        return run_until([&] { return played_.value(w[0].toLower()) >= from_count + more; });
    }
    if (w.value(1) == QLatin1String("shows")) {
        // until Kit shows 50 [3 times]
        const QPair<QString, int> frame{w[0].toLower(), w[2].toInt()};
        const int times = w.size() > 3 ? w[3].toInt() : 1;
        return run_until([&] { return shown_.mid(shown_from).count(frame) >= times; });
    }
    const QString text = w.join(QLatin1Char(' '));
    return run_until([&] {
        for (qsizetype i = from; i < lines_.size(); ++i)
            if (lines_[i].contains(text)) return true;
        return false;
    });
}

QString CaseWorld::look(const QString& id)
{
    agent::Character* c = platform_->item(id);
    return QStringLiteral("%1: %2 at %3,%4 %5x%6, \"%7\", language %8, %9 animations")
        .arg(c->id(), c->visible() ? QStringLiteral("shown") : QStringLiteral("hidden"))
        .arg(c->left()).arg(c->top()).arg(c->width()).arg(c->height())
        .arg(c->name()).arg(c->language_id()).arg(c->animation_names().size());
}

bool CaseWorld::step(const QString& line)
{
    const QStringList w = words_of(line);
    // Windows that glide or are dragged in this step get a new line.
    for (Run& run : places_) run = Run{};
    const QString what = w.value(0);
    if (what == QLatin1String("until")) return until(w.mid(1));
    if (what == QLatin1String("on") && line.contains(QLatin1Char(':'))) {
        reactions_.append({line.section(QLatin1Char(':'), 0, 0).mid(3), line.section(QLatin1Char(':'), 1).trimmed()});
        return true;
    }
    if (what == QLatin1String("load") && (w.size() == 2 || (w.size() == 4 && w[2] == QLatin1String("from")))) {
        load(w[1], w.value(3));
    } else if (what == QLatin1String("unload") && w.size() == 2) {
        platform_->unload(w[1]);
    } else if (what == QLatin1String("look") && w.size() == 2) {
        add(look(w[1]));
    } else if (what == QLatin1String("status")) {
        QStringList out;
        for (const QString& l : w.mid(1)) {
            const agent::Request r = requests_.value(l.mid(1).toInt() - 1);
            out.append(l + QLatin1Char(' ') + status_name(r.status()) +
                       (r.error_number() ? QStringLiteral(" 0x%1").arg(r.error_number(), 8, 16, QLatin1Char('0')) : QString()));
        }
        add(QStringLiteral("status ") + out.join(QStringLiteral(", ")));
    } else if (what == QLatin1String("file") && w.size() >= 3) {
        QByteArray bytes = w[2].toUtf8();
        if (w[2] == QLatin1String("character") || w[2] == QLatin1String("half")) {
            bytes = acs::write_acs(sketch_.data);
            if (w[2] == QLatin1String("half")) bytes.truncate(bytes.size() / 2);
        } else if (w[2] == QLatin1String("tone")) {
            bytes = acs::encode_wav(pw::test::tone(8000, 1, 440, 300));
        }
        QFile f(folder_.filePath(w[1]));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    } else if (what == QLatin1String("ears") && ears_) {
        add(QStringLiteral("> ") + line);
        if (w.value(1) == QLatin1String("speech")) Q_EMIT ears_->speech_started();
        else if (w.value(1) == QLatin1String("hear")) Q_EMIT ears_->heard(w.value(2) == QLatin1String("nothing") ? QString() : w.value(2));
        else return false;
    } else {
        return w.size() >= 2 && act(w[0], w.mid(1));
    }
    return true;
}

// The calls a program or the user makes on one character.
bool CaseWorld::act(const QString& id, const QStringList& w)
{
    const QString verb = w[0];
    CaseView* view = views_.value(id.toLower());
    const auto number = [&](int i) { return w.value(i).toInt(); };
    static const QStringList user{QStringLiteral("click"), QStringLiteral("dblclick"), QStringLiteral("drag"),
                                  QStringLiteral("drop"), QStringLiteral("menu"), QStringLiteral("choose")};
    if (view && view->listener && user.contains(verb)) {
        add(QStringLiteral("> ") + id + QLatin1Char(' ') + w.join(QLatin1Char(' ')));
        agent::CharacterViewListener* l = view->listener;
        if (verb == QLatin1String("click")) return l->view_clicked(number(1), number(2), point(w.value(3))), true;
        if (verb == QLatin1String("dblclick")) return l->view_double_clicked(number(1), number(2), point(w.value(3))), true;
        if (verb == QLatin1String("drag")) return l->view_dragged(point(w.value(1))), true;
        if (verb == QLatin1String("drop")) return l->view_drag_finished(number(1), number(2), point(w.value(3))), true;
        if (verb == QLatin1String("menu")) return l->view_menu_requested(QPoint(5, 5)), true;
        return l->view_command_chosen(w.value(1)), true;
    }
    if (view && verb == QLatin1String("closes") && w.value(1) == QLatin1String("busy")) return view->busy_close = true;
    agent::Character* c = platform_->item(id);
    const bool fast = w.value(1) == QLatin1String("fast");
    const agent::Request other = w.value(1).startsWith(QLatin1Char('#')) ? requests_.value(w[1].mid(1).toInt() - 1) : agent::Request();
    const qsizetype before = requests_.size();
    if (verb == QLatin1String("show")) keep(c->show(fast));
    else if (verb == QLatin1String("hide")) keep(c->hide(fast));
    else if (verb == QLatin1String("play")) keep(c->play(w.value(1)));
    else if (verb == QLatin1String("speak")) keep(c->speak(w.value(1), w.value(2)));
    else if (verb == QLatin1String("think")) keep(c->think(w.value(1)));
    else if (verb == QLatin1String("move")) keep(c->move_to(number(1), number(2), number(3)));
    else if (verb == QLatin1String("wait")) keep(c->wait(other));
    else if (verb == QLatin1String("stop")) c->stop(w.size() > 1 ? other : agent::Request());
    else if (verb == QLatin1String("stopall")) c->stop_all(w.value(1));
    else if (verb == QLatin1String("activate")) c->activate(w.size() > 1 ? number(1) : 1);
    else if (verb == QLatin1String("listen")) add(QStringLiteral("listen: ") + (c->listen(w.value(1) == QLatin1String("on")) ? "yes" : "no"));
    else if (verb == QLatin1String("language")) c->set_language_id(number(1));
    else if (verb == QLatin1String("left")) c->set_left(number(1));
    else if (verb == QLatin1String("top")) c->set_top(number(1));
    else if (verb == QLatin1String("width")) c->set_width(number(1));
    else if (verb == QLatin1String("height")) c->set_height(number(1));
    else if (verb == QLatin1String("commands") && w.value(1) == QLatin1String("clear")) c->commands().remove_all();
    else if (verb == QLatin1String("command") && w.size() == 6)  // name caption voice on|off shown|unlisted
        c->commands().add(w[1], w[2], w[3], w[4] == QLatin1String("on"), w[5] == QLatin1String("shown"));
    else if (verb == QLatin1String("voicecaption")) c->commands().set_voice_caption(w.value(1));
    else if (verb == QLatin1String("globalvoice")) c->commands().set_global_voice_commands_enabled(w.value(1) == QLatin1String("on"));
    else return false;
    // The request line of the call says which request it made.
    for (qsizetype i = lines_.size() - 1; requests_.size() > before && i >= 0; --i) {
        if (!lines_[i].startsWith(QLatin1String("request "))) continue;
        lines_[i] += QStringLiteral(" = #%1").arg(requests_.size());
        break;
    }
    return true;
}

}  // namespace pw::runtime_cases
