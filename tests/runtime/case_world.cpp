#include "case_world.h"

#include "agent/acs/acs_writer.h"
#include "agent/acs/wav_audio.h"
#include "agent/api/agent_error.h"
#include "agent/runtime/character_agent.h"
#include "case_view.h"
#include "platform/core/trace.h"
#include "tests/recognition/speech_fixtures.h"
#include "tests/transcript_file.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

using namespace Qt::StringLiterals;
using pw::test::words_of;

namespace pw::runtime_cases {
namespace {

CaseWorld* current = nullptr;
QtMessageHandler earlier_handler = nullptr;

void collect(const QString& line) { if (current) current->traced(line); }

// The runtime's own warnings; those of the machine's sound system vary from machine to machine.
void warned(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    static const QRegularExpression own(u"^(Animation|Speak:|Sound) "_s);
    if (current && type == QtWarningMsg && own.match(text).hasMatch())
        current->add(u"warning "_s + current->tidy(text));
    else if (earlier_handler) earlier_handler(type, context, text);
}

QPoint point(const QString& xy) { return QPoint(xy.section(',', 0, 0).toInt(), xy.section(',', 1).toInt()); }

// Runs of the same frame are one token ("1~" when the mouth opened in it, "!" when it
// is still open at its end); a block of tokens that repeats is written once: "(50 51)+".
QString frames_of(const QStringList& frames)
{
    QStringList tokens;
    for (qsizetype i = 0, j = 0; i < frames.size(); i = j) {
        const QString tag = QString(frames[i]).remove(u'~');
        bool open = false;
        for (; j < frames.size() && QString(frames[j]).remove(u'~') == tag; ++j) open = open || frames[j].endsWith('~');
        tokens.append(tag + (open ? u"~"_s : QString()) + (frames[j - 1].endsWith('~') ? u"!"_s : QString()));
    }
    QStringList out;
    for (qsizetype i = 0; i < tokens.size();) {
        qsizetype n = 2;
        while (n <= 4 && !(i + 2 * n <= tokens.size() && tokens.mid(i, n) == tokens.mid(i + n, n))) ++n;
        if (n > 4) {
            out.append(tokens[i++]);
            continue;
        }
        out.append(u"(%1)+"_s.arg(tokens.mid(i, n).join(u' ')));
        for (i += n; i + n <= tokens.size() && tokens.mid(i, n) == tokens.mid(i - n, n);) i += n;
    }
    return out.join(u' ');
}

// How far the words are up at a moment depends on the machine; that they never go
// back, and all come, does not.
QString words_of_balloon(const QStringList& items)
{
    QList<int> shown;
    for (const QString& n : items.mid(2)) shown.append(n.toInt());
    const bool rising = std::is_sorted(shown.begin(), shown.end());
    const QString head = u"balloon %1 \"%2\""_s.arg(items[0], items[1]);
    if (shown.isEmpty() || (rising && shown.last() != items[1].size())) return head;
    if (!rising) return head + u" shows "_s + items.mid(2).join(u',');
    if (shown.size() == 1) return head + u" shows all at once"_s;
    return head + u" shows %1 %2 all"_s.arg(shown[0]).arg(shown.size() >= 3 ? u"…"_s : u"then"_s);
}

}  // namespace

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
    agent::RuntimeOptions o;
    o.timings = {.idle_first_ms = 60000,  // idling only where a case asks for it
                 .idle_round_ms = 80,
                 .idle_rounds_per_level = 2,
                 .balloon_linger_ms = 60,
                 .listen_timeout_ms = 200,
                 .move_event_interval_ms = 40};
    o.random_seed = 7;
    o.program_dir = folder_.path();
    recording_ = true;
    for (const QString& raw : standard.split(u'\n') + case_text.split(u'\n')) {
        const QString line = raw.trimmed();
        QString error;
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (sketch_.read(line, error)) {
            if (!error.isEmpty()) return lines_ << u"!! "_s + error;
        } else if (line.startsWith("timing "_L1)) {  // timing idle_first 150
            const QStringList w = line.split(u' ');
            (w[1] == "idle_first"_L1 ? o.timings.idle_first_ms : o.timings.listen_timeout_ms) = w.value(2).toInt();
        } else if (line == "ears"_L1) {
            ears_ = std::make_unique<CaseEars>(*this);
            o.voice_input = ears_.get();
        } else {
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
                if (!step(line)) return lines_ << u"!! not understood or never came: "_s + line;
            } catch (const agent::AgentError& e) {
                add(u"error %1 \"%2\""_s.arg(e.number_text(), tidy(e.text())));
            }
        }
    }
    recording_ = false;
    return lines_;
}

void CaseWorld::add(const QString& line)
{
    if (recording_) lines_.append(line);
}

void CaseWorld::grow(const QString& id, const QString& kind, const QString& item, bool new_line)
{
    Open& open = open_[id.toLower() + u'/' + kind];
    if (!recording_) return;
    if (new_line || open.line < 0) {
        open = Open{int(lines_.size()), {}};
        lines_.append(QString());
    }
    open.items.append(item);
    lines_[open.line] = id + u' ' + render(kind, open.items);
}

QString CaseWorld::render(const QString& kind, const QStringList& items) const
{
    if (kind == "frames"_L1) return u"frames "_s + frames_of(items);
    if (kind == "words"_L1) return items.size() < 2 ? QString() : words_of_balloon(items);
    return items.size() >= 4 ? u"window glides to "_s + items.last() : u"window at "_s + items.join(u", "_s);
}

void CaseWorld::traced(const QString& raw)
{
    static const QRegularExpression prefix(u"^pw \\d+ "_s);
    QStringList w = tidy(QString(raw).remove(prefix)).split(u' ');
    if (w[0] != "event"_L1 && w[0] != "request"_L1) return;
    // Request numbers as the case counts them.
    const bool names_one = w.size() == 4 && (w[2] == "Stop"_L1 || w[2] == "Wait"_L1);
    const int at = w[1].startsWith("Request"_L1) ? 2 : names_one ? 3 : 0;
    for (qsizetype i = 0; at && i < requests_.size(); ++i)
        if (requests_[i].id() == w[at].toInt()) w[at] = u"#%1"_s.arg(i + 1);
    QString line = w.join(u' ');
    // A glide reports where it is on the way; how often depends on the machine.
    static const QRegularExpression glide(u"^event Move (\\S+) \\S+ \\S+ 2"_s);
    const QRegularExpressionMatch now = glide.match(line), before = glide.match(lines_.value(lines_.size() - 1));
    if (recording_ && now.hasMatch() && before.hasMatch() && before.captured(1) == now.captured(1)) {
        lines_.removeLast();
        line += u", after moves on the way"_s;
    }
    add(line);
    // A reaction runs inside the event's delivery, as a program's handler does, and
    // then lets the event loop run, as a waiting script does.
    for (qsizetype i = 0; i < reactions_.size(); ++i) {
        if (!line.contains(reactions_[i].first)) continue;
        for (const QString& reaction : reactions_.takeAt(i).second.split(u" ; "_s)) {
            try {
                if (!step(reaction)) add(u"!! not understood: "_s + reaction);
            } catch (const agent::AgentError& e) {
                add(u"error %1 \"%2\""_s.arg(e.number_text(), tidy(e.text())));
            }
        }
        QCoreApplication::processEvents();
        return;
    }
}

QString CaseWorld::tidy(const QString& text) const { return QString(text).replace(folder_.path(), u"~"_s); }

agent::Request CaseWorld::request(const QString& label) const
{
    return label.startsWith(u'#') ? requests_.value(label.mid(1).toInt() - 1) : agent::Request();
}

void CaseWorld::load(const QString& id, const QString& path)
{
    making_ = id;
    requests_.append(path.isEmpty() ? platform_->load_data(id, std::make_shared<const acs::CharacterData>(sketch_.data))
                                    : platform_->load(id, folder_.filePath(path)));
    if (agent::CharacterAgent* a = platform_->agent(id)) {
        // The first frame of an animation starts a line of its own; a frame that looks
        // like the one already up is not drawn again, but it is played.
        a->set_frame_observer([this, id, view = views_.value(id.toLower())](qint64 planned, qint64) {
            ++played_[id.toLower()];
            Open& open = open_[id.toLower() + u"/frames"_s];
            const bool drawn = std::exchange(view->changed, false);
            if (planned != 0 || (drawn && open.items.size() < 2)) return;
            const QString first = drawn ? open.items.takeLast() : view->last_picture;
            lines_[open.line] = id + u" frames "_s + frames_of(open.items);
            grow(id, u"frames"_s, first, true);
        });
    }
    const agent::Request r = requests_.last();
    if (path.isEmpty()) run_until([&] { return r.is_finished(); });
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
    const qsizetype from = lines_.size(), shown_from = shown.size();
    const agent::Request r = request(w.value(0));
    // The call that makes it failed (unless a reaction is still to make it).
    if (w.value(0).startsWith(u'#') && r.is_null() && reactions_.isEmpty()) return false;
    if (w.value(1) == "starts"_L1) return run_until([&] { return r.status() != agent::Request::Pending; });
    // Ended: its event has come.
    const QString end = u"event RequestComplete %1 "_s.arg(w.value(0));
    if (w.value(1) == "ends"_L1) return run_until([&] { return !lines_.filter(end).isEmpty(); });
    const QString id = w.value(0).toLower();
    if (w.value(1) == "plays"_L1) {  // until Kit plays 10 frames
        const int enough = played_.value(id) + w.value(2).toInt();
        return run_until([&] { return played_.value(id) >= enough; });
    }
    if (w.value(1) == "shows"_L1) {  // until Kit shows 50 [3 times]
        const QPair<QString, int> frame{id, w.value(2).toInt()};
        return run_until([&] { return shown.mid(shown_from).count(frame) >= qMax(1, w.value(3).toInt()); });
    }
    const QString text = w.join(u' ');
    return run_until([&] { return !lines_.mid(from).filter(text).isEmpty(); });
}

bool CaseWorld::step(const QString& line)
{
    const QStringList w = words_of(line);
    // Windows that glide or are dragged in this step get a new line.
    for (auto it = open_.begin(); it != open_.end(); ++it)
        if (it.key().endsWith("/places"_L1)) it.value() = Open{};
    const auto is = [&](const char* what) { return w.value(0) == QLatin1String(what); };
    if (is("until")) return until(w.mid(1));
    if (is("on")) reactions_.append({line.section(u':', 0, 0).mid(3), line.section(u':', 1).trimmed()});
    else if (is("load")) load(w.value(1), w.value(3));
    else if (is("unload")) platform_->unload(w.value(1));
    else if (is("look")) {
        agent::Character* c = platform_->item(w.value(1));
        add(u"%1: %2 at %3,%4 %5x%6, \"%7\", language %8, %9 animations"_s
                .arg(c->id(), c->visible() ? u"shown"_s : u"hidden"_s)
                .arg(c->left()).arg(c->top()).arg(c->width()).arg(c->height())
                .arg(c->name()).arg(c->language_id()).arg(c->animation_names().size()));
    } else if (is("status")) {
        static const char* names[] = {"Complete", "Failed", "Pending", "Interrupted", "InProgress"};
        QStringList out;
        for (const QString& label : w.mid(1)) {
            const agent::Request r = request(label);
            out.append(label + u' ' + names[r.status()] +
                       (r.error_number() ? u" 0x%1"_s.arg(r.error_number(), 8, 16, QChar(u'0')) : QString()));
        }
        add(u"status "_s + out.join(u", "_s));
    } else if (is("file")) {
        QByteArray bytes = w.value(2).toUtf8();
        if (w.value(2) == "character"_L1 || w.value(2) == "half"_L1) bytes = acs::write_acs(sketch_.data);
        if (w.value(2) == "half"_L1) bytes.truncate(bytes.size() / 2);
        if (w.value(2) == "tone"_L1) bytes = acs::encode_wav(pw::test::tone(8000, 1, 440, 300));
        QFile f(folder_.filePath(w.value(1)));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    } else if (is("ears") && ears_) {
        add(u"> "_s + line);
        if (w.value(1) == "speech"_L1) Q_EMIT ears_->speech_started();
        else Q_EMIT ears_->heard(w.value(2) == "nothing"_L1 ? QString() : w.value(2));
    } else {
        return w.size() >= 2 && act(w[0], w.mid(1));
    }
    return true;
}

// The calls a program or the user makes on one character.
bool CaseWorld::act(const QString& id, const QStringList& w)
{
    const auto is = [&](const char* verb) { return w[0] == QLatin1String(verb); };
    const auto number = [&](int i) { return w.value(i).toInt(); };
    CaseView* view = views_.value(id.toLower());
    static const QStringList user{u"click"_s, u"dblclick"_s, u"drag"_s, u"drop"_s, u"menu"_s, u"choose"_s};
    if (view && view->listener && user.contains(w[0])) {
        add(u"> "_s + id + u' ' + w.join(u' '));
        agent::CharacterViewListener* l = view->listener;
        if (is("click")) l->view_clicked(number(1), number(2), point(w.value(3)));
        else if (is("dblclick")) l->view_double_clicked(number(1), number(2), point(w.value(3)));
        else if (is("drag")) l->view_dragged(point(w.value(1)));
        else if (is("drop")) l->view_drag_finished(number(1), number(2), point(w.value(3)));
        else if (is("menu")) l->view_menu_requested(QPoint(5, 5));
        else l->view_command_chosen(w.value(1));
        return true;
    }
    if (view && is("closes")) return view->busy_close = true;
    agent::Character* c = platform_->item(id);
    const bool fast = w.value(1) == "fast"_L1;
    const qsizetype before = requests_.size();
    if (is("show")) requests_.append(c->show(fast));
    else if (is("hide")) requests_.append(c->hide(fast));
    else if (is("play")) requests_.append(c->play(w.value(1)));
    else if (is("speak")) requests_.append(c->speak(w.value(1), w.value(2)));
    else if (is("think")) requests_.append(c->think(w.value(1)));
    else if (is("move")) requests_.append(c->move_to(number(1), number(2), number(3)));
    else if (is("wait")) requests_.append(c->wait(request(w.value(1))));
    else if (is("stop")) c->stop(request(w.value(1)));
    else if (is("stopall")) c->stop_all(w.value(1));
    else if (is("activate")) c->activate(w.size() > 1 ? number(1) : 1);
    else if (is("listen")) add(u"listen: "_s + (c->listen(w.value(1) == "on"_L1) ? "yes" : "no"));
    else if (is("language")) c->set_language_id(number(1));
    else if (is("left")) c->set_left(number(1));
    else if (is("top")) c->set_top(number(1));
    else if (is("width")) c->set_width(number(1));
    else if (is("height")) c->set_height(number(1));
    else if (is("commands")) c->commands().remove_all();
    else if (is("command"))  // name caption voice on|off shown|unlisted
        c->commands().add(w.value(1), w.value(2), w.value(3), w.value(4) == "on"_L1, w.value(5) == "shown"_L1);
    else if (is("voicecaption")) c->commands().set_voice_caption(w.value(1));
    else if (is("globalvoice")) c->commands().set_global_voice_commands_enabled(w.value(1) == "on"_L1);
    else return false;
    // The request line of the call says which request it made.
    for (qsizetype i = lines_.size() - 1; requests_.size() > before && i >= 0; --i) {
        if (!lines_[i].startsWith("request "_L1)) continue;
        lines_[i] += u" = #%1"_s.arg(requests_.size());
        break;
    }
    return true;
}

}  // namespace pw::runtime_cases
