// Every case of tests/ui/cases (offscreen) or tests/ui/cases/x11 (on an X server):
// characters' real windows play its lines, and what they show and report goes into a
// transcript that must read as <name>.transcript does (PW_UPDATE_TRANSCRIPTS=1 writes it).
// A line names a character and what happens to it (frames, places, balloons, mouse,
// menu, keys typed into its window), asks it to "look", waits until the X server shows
// something, or asks for a key code (cases/README.md).

#include "agent/ui/balloon_text_layout.h"
#include "agent/ui/balloon_window.h"
#include "agent/ui/character_window.h"
#include "agent/ui/desktop_character_view.h"
#include "agent/ui/frame_shape.h"
#include "agent/ui/x11_desktop.h"
#include "platform/desktop/global_key_source.h"
#include "tests/test_classes.h"
#include "tests/case_rows.h"
#include "tests/transcript_file.h"
#include "tests/ui/window_case_words.h"
#include "tests/ui/x11_probe.h"

#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace pw::agent;
using namespace pw::test::window_cases;
namespace acs = pw::acs;
using pw::test::words_of;

namespace {

QStringList* transcript = nullptr;  // of the case playing
QtMessageHandler earlier_handler = nullptr;

void keep_info(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtInfoMsg && transcript) transcript->append(u"info "_s + text);
    else if (earlier_handler) earlier_handler(type, context, text);
}

// One character: its view, the listener of its mouse, and what its windows were asked to paint.
struct Character : CharacterViewListener, QObject {
    Character(QStringList& out, const QString& name) : lines(out), id(name)
    {
        view.set_listener(this);
        view.balloon_window().installEventFilter(this);
        view.character_window().installEventFilter(this);
        style.text_color = qRgb(0, 0, 200);
    }
    void view_clicked(int b, int s, QPoint p) override { say(u"clicked %1 %2 "_s.arg(b).arg(s) + text_of(p)); }
    void view_double_clicked(int b, int s, QPoint p) override
    {
        say(u"double-clicked %1 %2 "_s.arg(b).arg(s) + text_of(p));
    }
    void view_dragged(QPoint to) override
    {
        if (lines.value(lines.size() - 1).startsWith(id + u" dragged"_s)) lines.removeLast();
        say(u"dragged to "_s + text_of(to));
    }
    void view_drag_finished(int b, int s, QPoint) override { say(u"drag ended %1 %2"_s.arg(b).arg(s)); }
    void view_command_chosen(const QString& name) override { say(u"command "_s + name); }
    void view_menu_requested(QPoint p) override { say(u"menu asked at "_s + text_of(p)); }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && o == &view.balloon_window()) painted += static_cast<QPaintEvent*>(e)->region();
        keys += e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease;
        return false;
    }
    void say(const QString& what) { lines.append(id + u' ' + what); }

    QStringList& lines;
    QString id;
    ui::DesktopCharacterView view;
    acs::BalloonInfo style;
    QRegion painted;  // of the balloon, since the last look
    int keys = 0;     // key events its window got
    QRect balloon_seen;
};

class Play {
public:
    QStringList run(const QString& text);

private:
    bool step(const QStringList& w);
    bool until(const QStringList& w);
    QWidget* window(const QString& name) const;
    QPoint place(const QString& name) const;
    bool act(Character& c, const QStringList& w);
    void look(Character& c);
    void add(const QString& line) { lines_.append(line); }

    QStringList lines_;
    std::map<QString, std::unique_ptr<Character>> characters_;
    std::unique_ptr<pw::platform::KeySource> keys_;
    int heard_ = -1;  // the line of the keys heard
    int heard_count_ = 0;
    std::unique_ptr<pw::test::x11::OtherClient> other_;
    QProcess compositor_;
    std::unique_ptr<QWidget> cover_;
};

QStringList Play::run(const QString& text)
{
    transcript = &lines_;
    earlier_handler = qInstallMessageHandler(&keep_info);
    const auto done = qScopeGuard([] { qInstallMessageHandler(earlier_handler), transcript = nullptr; });
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (!step(words_of(line))) return lines_ << u"!! not understood or never came: "_s + line;
        QCoreApplication::processEvents();
    }
    return lines_;
}

bool Play::step(const QStringList& w)
{
    static const QStringList codes{u"keysym"_s, u"position"_s, u"keyevent"_s, u"shiftmask"_s};
    if (w[0] == "font"_L1) {
        add(w.join(u' ') + u" = "_s + font_of(w));
    } else if (codes.contains(w[0])) {
        add(w.join(u' ') + u" = "_s + QString::number(key_code(w)));
    } else if (w[0] == "keys"_L1 && w.value(1) == "make"_L1) {
        keys_ = pw::platform::make_global_key_source();
    } else if (w[0] == "keys"_L1 && w.value(1) == "listen"_L1 && keys_) {  // keys listen [once]
        heard_ = -1;
        heard_count_ = 0;
        const bool once = w.value(2) == "once"_L1;
        keys_->install([this, once](const pw::platform::KeyEvent& e) {
            if (heard_ < 0) heard_ = int(lines_.size()), add(u"keys heard"_s);
            lines_[heard_] += u" %1%2%3"_s.arg(e.vk).arg(e.down ? 'v' : '^').arg(e.extended ? "+" : "") +
                              (e.scan ? u"/%1"_s.arg(e.scan) : QString());
            ++heard_count_;
            if (once) keys_->remove();
        });
    } else if (w[0] == "xtype"_L1) {  // xtype +Shift_L +1 -1 -Shift_L: into another program's window
        if (!other_) other_ = std::make_unique<pw::test::x11::OtherClient>();
        if (!other_->focus()) return false;
        other_->type(w.mid(1));
    } else if (w[0] == "until"_L1) {
        return until(w.mid(1));
    } else if (w[0] == "desktop"_L1) {
        pw::test::x11::set_desktop_colour(QColor(w.value(1)).rgb());
    } else if (w[0] == "compositor"_L1) {  // compositor on|off
        const bool on = w.value(1) == "on"_L1;
        if (on) compositor_.start(u"xcompmgr"_s, {});
        else compositor_.terminate();
        return QTest::qWaitFor([&] { return ui::compositor_running() == on; }, 5000);
    } else if (w[0] == "cover"_L1) {  // cover x,y wxh: another window over it; uncover
        cover_ = std::make_unique<QWidget>(nullptr, Qt::X11BypassWindowManagerHint);
        cover_->setStyleSheet(u"background: yellow"_s);
        cover_->setGeometry(rect(w.value(1), w.value(2)));
        cover_->show();
    } else if (w[0] == "uncover"_L1) {
        cover_.reset();
    } else if (w[0] == "keys"_L1 && keys_) {  // keys [stop]
        if (w.value(1) == "stop"_L1) keys_->remove();
        else add(u"keys listening: "_s + (keys_->installed() ? "yes" : "no"));
    } else {
        std::unique_ptr<Character>& c = characters_[w[0]];
        if (!c) c = std::make_unique<Character>(lines_, w[0]);
        return w.size() >= 2 && act(*c, w.mid(1));
    }
    return true;
}

// "Kit" (its window) or "Kit.balloon".
QWidget* Play::window(const QString& name) const
{
    const auto it = characters_.find(name.section(u'.', 0, 0));
    if (it == characters_.end()) return nullptr;
    ui::DesktopCharacterView& v = it->second->view;
    return name.endsWith(".balloon"_L1) ? static_cast<QWidget*>(&v.balloon_window()) : &v.character_window();
}

// "x,y", "Kit.middle", "Kit.corner" (3,3 inside its window), "Kit.balloon" (inside the body).
QPoint Play::place(const QString& name) const
{
    if (name.contains(u',') || !window(name)) return point(name);
    if (name.endsWith(".balloon"_L1)) {
        const QRect body = static_cast<ui::BalloonWindow*>(window(name))->placement().body;
        return {body.left() + 6, body.center().y()};
    }
    const QRect g = window(name)->geometry();
    return name.endsWith(".corner"_L1) ? g.topLeft() + QPoint(3, 3) : g.center();
}

bool Play::until(const QStringList& w)
{
    namespace x11 = pw::test::x11;
    const int n = w.value(1).toInt();
    std::function<bool()> done;
    if (w[0] == "heard"_L1) {  // until heard 4 (key events)
        done = [&] { return heard_count_ >= n; };
    } else if (w[0] == "other"_L1) {  // until other 10 (key presses another program's window got)
        if (!other_ || !QTest::qWaitFor([&] { return other_->key_presses() >= n; }, 2000)) return false;
        add(u"another program's window got %1 key presses"_s.arg(other_->key_presses()));
        return true;
    } else if (w[0] == "screen"_L1) {  // until screen Kit.middle shows #e68c28|desktop
        const auto pixel = [](QPoint p) {
            return QGuiApplication::primaryScreen()->grabWindow(0, p.x(), p.y(), 1, 1).toImage().pixel(0, 0);
        };
        const auto near = [](QRgb a, QRgb b) {
            return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8 && qAbs(qBlue(a) - qBlue(b)) <= 8;
        };
        // The desktop as it shows far away: a compositor paints its own, but never a black box.
        const QPoint at = place(w.value(1)), far_away(1270, 1010);
        const bool desktop = w.value(3) == "desktop"_L1;
        done = [=] {
            const QRgb want = desktop ? pixel(far_away) : QColor(w.value(3)).rgb();
            return !(desktop && near(want, qRgb(0, 0, 0))) && near(pixel(at), want);
        };
    } else if (w[0] == "click"_L1 && window(w.value(3))) {  // until click Kit.corner reaches|misses Kit
        const QPoint at = place(w.value(1));
        const WId target = window(w[3])->winId();
        done = [=] { return x11::click_reaches(at, target) == (w[2] == "reaches"_L1); };
    } else if (w.value(1) == "stands"_L1 && window(w[0])) {  // until Kit stands at x,y|its place
        const QWidget* win = window(w[0]);
        const QPoint at = w.value(3) == "its"_L1 ? static_cast<const ui::BalloonWindow*>(win)->placement().window().topLeft()
                                                 : point(w.value(3));
        done = [=] { return x11::stands_at(win->winId()) == at; };
    } else if (w.value(1) == "known"_L1 && window(w[0])) {  // until Kit known at x,y (Qt's own idea)
        const QWidget* win = window(w[0]);
        const QPoint at = point(w.value(3));
        done = [=] { return win->geometry().topLeft() == at; };
    } else if (w.value(1) == "in"_L1 && window(w[0]) && window(w.value(4))) {  // until Kit in front of Ann
        done = [&] { return x11::in_front(window(w[0])->winId(), window(w[4])->winId()); };
    } else {
        return false;
    }
    return QTest::qWaitFor(done, 5000);
}

bool Play::act(Character& c, const QStringList& w)
{
    const auto is = [&](const char* verb) { return w[0] == QLatin1String(verb); };
    QWindow* window = c.view.character_window().windowHandle();
    ui::BalloonWindow& balloon = c.view.balloon_window();
    QMenu& menu = c.view.menu();
    const QPoint at = point(w.last());
    const Qt::KeyboardModifiers mods = modifiers(w.size() > 3 ? w[2] : w.value(2));
    if (is("frame")) c.view.set_frame(frame(w));
    else if (is("place")) c.view.set_geometry(rect(w.value(1), w.value(2)));
    else if (is("show") || is("hide")) c.view.set_visible(is("show"));
    else if (is("compositing")) {
        c.view.character_window().set_compositing(w.value(1) == "on"_L1);
        balloon.set_compositing(w.value(1) == "on"_L1);
    } else if (is("look")) look(c);
    else if (is("forward")) c.view.bring_forward();
    else if (is("shape")) {  // shape bounding|input: on X, once that shape cuts off its corner
        const WId id = c.view.character_window().winId();
        const auto shape = w.value(1) == "input"_L1 ? &pw::test::x11::input_shape : &pw::test::x11::bounding_shape;
        if (!QTest::qWaitFor([&] { return !shape(id).isEmpty() && !shape(id).contains(QPoint(3, 3)); }, 5000))
            return false;
        c.say(u"shape: bounding "_s + size_and_area(pw::test::x11::bounding_shape(id)) + u", input "_s +
              size_and_area(pw::test::x11::input_shape(id)));
    }
    else if (is("click")) QTest::mouseClick(window, button(w[1]), mods, at);
    else if (is("dblclick")) QTest::mouseDClick(window, button(w[1]), mods, at);
    else if (is("press")) QTest::mousePress(window, button(w[1]), mods, at);
    else if (is("move")) QTest::mouseMove(window, at);
    else if (is("release")) QTest::mouseRelease(window, button(w[1]), mods, at);
    else if (is("deaf")) c.view.set_listener(nullptr);
    else if (is("type")) QTest::keyClick(window, key(w[1]), mods);  // type Q Ctrl
    else if (is("keydown")) QTest::keyPress(window, key(w[1]));
    else if (is("keyup")) QTest::keyRelease(window, key(w[1]));
    else if (is("keyrepeat")) {
        QKeyEvent repeat(QEvent::KeyPress, key(w[1]), Qt::NoModifier, w[1].toLower(), true);
        QCoreApplication::sendEvent(window, &repeat);
    } else if (is("style")) {  // style lines n chars n height n [paper #rrggbb]
        c.style.lines = uint8_t(w.value(2).toInt());
        c.style.chars_per_line = uint8_t(w.value(4).toInt());
        c.style.font_height = w.value(6).toInt();
        if (w.size() > 8) c.style.background_color = QColor(w[8]).rgb();
    } else if (is("say") || is("think")) {
        QString text = w.value(1);
        const int many = text.startsWith("words "_L1) ? text.mid(6).toInt() : 0;  // "words 20000"
        if (many) text.clear();
        for (int i = 0; i < many; ++i) text += u"word%1 "_s.arg(i);
        c.view.show_balloon(is("say") ? BalloonKind::Speech : BalloonKind::Thought, text, c.style);
    } else if (is("reveal")) c.view.reveal_balloon_text(w.value(1) == "all"_L1 ? 1 << 30 : w.value(1).toInt());
    else if (is("reveal-words")) {  // word by word, up to a letter
        const QString text = balloon.text_layout()->text();
        for (int k = 0; k >= 0 && k < w.value(1).toInt(); k = int(text.indexOf(u' ', k + 1))) c.view.reveal_balloon_text(k + 1);
    } else if (is("redraw")) {
        const QImage before = balloon.picture();
        balloon.set_compositing(true);
        balloon.set_compositing(false);
        c.say(balloon.picture() == before ? u"balloon drawn whole looks the same"_s : u"balloon drawn whole looks different"_s);
    } else if (is("unsay")) c.view.hide_balloon();
    else if (is("menu")) {  // menu x,y (name caption shown|unlisted|off)...
        QList<CommandEntry> entries;
        for (qsizetype i = 2; i + 2 < w.size(); i += 3)
            entries.append({w[i], w[i + 1], QString(), w[i + 2] != "off"_L1, w[i + 2] != "unlisted"_L1});
        c.view.show_menu(entries, point(w[1]));
        if (!QTest::qWaitFor([&] { return menu.isVisible(); })) return false;
        QStringList items;
        for (const QAction* a : menu.actions()) items.append(u'"' + a->text() + u'"' + (a->isEnabled() ? "" : " (off)"));
        c.say(u"menu at "_s + text_of(menu.pos()) + u": "_s + items.join(u", "_s));
    } else if (is("menukey")) {
        QTest::keyClick(&menu, key(w[1]));
        return QTest::qWaitFor([&] { return !menu.isVisible(); });
    } else return false;
    return true;
}

void Play::look(Character& c)
{
    QCoreApplication::sendPostedEvents();
    const ui::CharacterWindow& cw = c.view.character_window();
    bool soft = false;
    ui::alpha_region(cw.shown_image(), &soft);
    c.say(u"window at "_s + text_of(cw.geometry()) + (cw.isVisible() ? u" shown"_s : u" hidden"_s) +
          u", mask "_s + size_and_area(cw.mask()) + (soft ? u", soft edges"_s : QString()) +
          (c.keys ? u", got %1 keys"_s.arg(c.keys) : QString()));
    const ui::BalloonWindow& b = c.view.balloon_window();
    if (!c.balloon_seen.isValid() && !b.isVisible()) return;
    if (!b.isVisible() || !b.text_layout()) return c.say(u"balloon hidden"_s);
    const ui::BalloonTextLayout& t = *b.text_layout();
    const ui::BalloonPlacement& p = b.placement();
    static const char* sides[] = {"above", "below", "left", "right"};
    QString s = u"balloon %1 %2"_s.arg(b.kind() == BalloonKind::Speech ? "speech" : "thought", sides[int(p.side)]);
    if (c.balloon_seen.isValid())
        s += b.geometry() == c.balloon_seen ? u", stays"_s : u", moved by "_s + text_of(b.geometry().topLeft() - c.balloon_seen.topLeft());
    c.balloon_seen = b.geometry();
    s += u", tip at "_s + text_of(p.tip) + u", %1 of %2 letters, lines %3-%4 of %5, pieces %6"_s.arg(b.revealed())
             .arg(t.text().size()).arg(t.first_visible_line(b.revealed()) + 1)
             .arg(t.first_visible_line(b.revealed()) + t.visible_line_count()).arg(t.line_count()).arg(pieces(b.picture()));
    if (!QGuiApplication::primaryScreen()->availableGeometry().contains(b.geometry())) s += u", OFF THE SCREEN"_s;
    // Clear of every character and of the other balloons.
    for (const auto& [id, other] : characters_) {
        const ui::CharacterWindow& theirs = other->view.character_window();
        if (theirs.isVisible() && theirs.shape_region().translated(theirs.pos()).intersects(p.body))
            s += u", covers "_s + id;
        if (other.get() != &c && other->view.balloon_window().isVisible() &&
            p.body.intersects(other->view.balloon_window().geometry()))
            s += u", covers the balloon of "_s + id;
    }
    if (!b.mask().isEmpty() && !b.mask().contains(QPoint(0, b.height() - 1))) s += u", cut out"_s;
    s += c.painted.isEmpty() ? u", painted nothing"_s
         : c.painted.boundingRect().width() < b.width() / 2 ? u", painted a part"_s : u", painted all"_s;
    c.painted = QRegion();
    c.say(s);
}

}  // namespace

class WindowCases : public QObject {
    Q_OBJECT
    // On an X server (under with-xvfb), the cases of cases/x11.
    static QString folder()
    {
        return QStringLiteral(PW_SOURCE_DIR "/tests/ui/cases/") + (QGuiApplication::platformName() == "xcb"_L1 ? "x11/" : "");
    }

private slots:
    void each_case_runs_as_its_transcript_says_data()
    {
        pw::test::add_case_rows(folder(), u".case"_s);
    }
    void each_case_runs_as_its_transcript_says()
    {
        QFETCH(QString, name);
        const QStringList actual = Play().run(pw::test::read_text(folder() + name + u".case"_s));
        const QString mismatch = pw::test::transcript_mismatch(folder() + name + u".transcript"_s, actual);
        QVERIFY2(mismatch.isEmpty(), qPrintable(name + u".case: "_s + mismatch));
    }
};

PW_TEST_CLASS(WindowCases);
#include "window_cases.moc"
