// Every case of tests/ui/cases: characters' real windows (offscreen) play its lines, and
// what they show and report goes into a transcript that must read as <name>.transcript
// does (PW_UPDATE_TRANSCRIPTS=1 writes it). A line names a character and what happens
// to it (frames, places, balloons, mouse, menu, keys typed into its window), asks it to
// "look", or asks for a key code (cases/README.md).

#include "agent/ui/balloon_font.h"
#include "agent/ui/balloon_text_layout.h"
#include "agent/ui/balloon_window.h"
#include "agent/ui/character_window.h"
#include "agent/ui/desktop_character_view.h"
#include "agent/ui/frame_shape.h"
#include "platform/desktop/global_key_source.h"
#include "platform/desktop/key_codes.h"
#include "tests/test_classes.h"
#include "tests/transcript_file.h"
#include "tests/ui/x11_other_client.h"

#include <QDir>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMenu>
#include <QMetaEnum>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

// Xlib's; its header's macros clash with Qt names.
extern "C" unsigned long XStringToKeysym(const char* name);

using namespace Qt::StringLiterals;
using namespace pw::agent;
namespace acs = pw::acs;
using pw::test::words_of;

namespace {

QPoint point(const QString& xy) { return {xy.section(',', 0, 0).toInt(), xy.section(',', 1).toInt()}; }
QString text_of(QPoint p) { return u"%1,%2"_s.arg(p.x()).arg(p.y()); }
QString text_of(const QRect& r) { return text_of(r.topLeft()) + u" %1x%2"_s.arg(r.width()).arg(r.height()); }

QRect rect(const QString& xy, const QString& wh)
{
    return {point(xy), QSize(wh.section('x', 0, 0).toInt(), wh.section('x', 1).toInt())};
}

QString size_and_area(const QRegion& r)
{
    if (r.isEmpty()) return u"none"_s;
    int area = 0;
    for (const QRect& part : r) area += part.width() * part.height();
    return text_of(r.boundingRect()) + u" (%1 px)"_s.arg(area);
}

// "frame 50x50 disc|half|clear", "frame 100x100 [at x,y wxh]", "frame none"; drawn
// without antialiasing, like a palette frame.
QImage frame(const QStringList& w)
{
    if (w.value(1) == "none"_L1) return {};
    QImage img(rect(u"0,0"_s, w.value(1)).size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(w.size() == 2 ? QColor(Qt::darkGreen) : QColor(Qt::transparent));
    QPainter p(&img);
    if (w.value(2) == "disc"_L1) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::red);
        p.drawEllipse(img.rect());
    } else if (w.value(2) == "half"_L1) {
        p.fillRect(0, 0, img.width() / 2, img.height(), Qt::blue);
    } else if (w.value(2) == "at"_L1) {
        p.fillRect(rect(w.value(3), w.value(4)), Qt::darkGreen);
    }
    return img;
}

// Opaque pixels, 4-connected, counted as separate pieces.
int pieces(QImage img)
{
    int count = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (qAlpha(img.pixel(x, y)) < 128) continue;
            ++count;
            for (QList<QPoint> todo{QPoint(x, y)}; !todo.isEmpty();) {  // wiped out as it is counted
                const QPoint q = todo.takeLast();
                if (!img.rect().contains(q) || qAlpha(img.pixel(q)) < 128) continue;
                img.setPixel(q, 0);
                todo << q + QPoint(1, 0) << q - QPoint(1, 0) << q + QPoint(0, 1) << q - QPoint(0, 1);
            }
        }
    return count;
}

// font "face" height n [weight n] [italic]: the balloon font a character's settings give.
QString font_of(const QStringList& w)
{
    acs::BalloonInfo s;
    s.font_name = w.value(1);
    s.font_height = w.value(3).toInt();
    s.font_weight = w.value(4) == "weight"_L1 ? w.value(5).toInt() : s.font_weight;
    s.italic = w.last() == "italic"_L1;
    const QFont f = ui::balloon_font(s);
    return u"%1 px, weight %2%3, lines %4 px, face \"%5\""_s.arg(f.pixelSize()).arg(f.weight())
        .arg(f.italic() ? ", italic" : "").arg(qRound(QFontMetricsF(f).height())).arg(QFontInfo(f).family());
}

Qt::MouseButton button(const QString& name)
{
    return name == "right"_L1 ? Qt::RightButton : name == "middle"_L1 ? Qt::MiddleButton : Qt::LeftButton;
}

// "Shift+Ctrl", "Keypad", "-" for none.
Qt::KeyboardModifiers modifiers(const QString& names)
{
    Qt::KeyboardModifiers out;
    for (const QString& n : names.split(u'+'))
        out |= n == "Shift"_L1 ? Qt::ShiftModifier : n == "Ctrl"_L1 ? Qt::ControlModifier
               : n == "Alt"_L1 ? Qt::AltModifier : n == "Keypad"_L1 ? Qt::KeypadModifier : Qt::NoModifier;
    return out;
}

// A key by its name in Qt::Key: "A", "Exclam", "Control".
Qt::Key key(const QString& name)
{
    return Qt::Key(QMetaEnum::fromType<Qt::Key>().keyToValue(qPrintable(u"Key_"_s + name)));
}

// keysym Q, position 16, shiftmask Shift+Ctrl, keyevent Less Shift [scan n] [keysym name]
int key_code(const QStringList& w)
{
    if (w[0] == "keysym"_L1) return pw::platform::vk_from_keysym(XStringToKeysym(qPrintable(w.value(1))));
    if (w[0] == "position"_L1) return pw::platform::vk_from_key_position(w.value(1).toInt());
    if (w[0] == "shiftmask"_L1) return pw::platform::shift_mask_from(modifiers(w.value(1)));
    const QKeyEvent e(QEvent::KeyPress, key(w.value(1)), modifiers(w.value(2)), quint32(w.value(4).toInt()),
                      quint32(w.size() > 6 ? XStringToKeysym(qPrintable(w[6])) : 0), 0);
    return pw::platform::vk_from_key_event(e);
}

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
    bool act(Character& c, const QStringList& w);
    void look(Character& c);
    void add(const QString& line) { lines_.append(line); }

    QStringList lines_;
    std::map<QString, std::unique_ptr<Character>> characters_;
    std::unique_ptr<pw::platform::KeySource> keys_;
    int heard_ = -1;  // the line of the keys heard
    int heard_count_ = 0;
    std::unique_ptr<pw::test::x11::OtherClient> other_;
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
    } else if (w[0] == "until"_L1) {  // until heard 4, until other 10 (key presses it got)
        const int n = w.value(2).toInt();
        if (w.value(1) == "heard"_L1) return QTest::qWaitFor([&] { return heard_count_ >= n; }, 5000);
        if (!other_ || !QTest::qWaitFor([&] { return other_->key_presses() >= n; }, 2000)) return false;
        add(u"another program's window got %1 key presses"_s.arg(other_->key_presses()));
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
    } else if (is("style")) {  // style lines n chars n height n
        c.style.lines = uint8_t(w.value(2).toInt());
        c.style.chars_per_line = uint8_t(w.value(4).toInt());
        c.style.font_height = w.value(6).toInt();
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
    // On an X server (under with-xvfb) the cases of cases/x11.
    static QString folder()
    {
        return QStringLiteral(PW_SOURCE_DIR "/tests/ui/cases/") + (QGuiApplication::platformName() == "xcb"_L1 ? "x11/" : "");
    }

private slots:
    void each_case_runs_as_its_transcript_says_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : QDir(folder()).entryList({u"*.case"_s}, QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << name.chopped(5);
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
