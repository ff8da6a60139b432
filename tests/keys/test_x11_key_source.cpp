// Global keys from a real X server: keys typed (through XTEST, as a keyboard would)
// while another program's window has the focus, or no window has, reach the installed
// source in order as key codes, and still reach that window.

#include "tests/test_classes.h"
#include "platform/desktop/global_key_source.h"
#include "platform/desktop/x11_key_source.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// After the Qt headers: Xlib's macros would clash with them.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using pw::platform::KeyEvent;
using pw::platform::KeySource;

namespace {

QString describe(const QList<KeyEvent>& events)
{
    QStringList words;
    for (const KeyEvent& e : events)
        words << QStringLiteral("%1%2").arg(e.vk).arg(e.down ? QStringLiteral("v") : QStringLiteral("^"));
    return words.join(QLatin1Char(' '));
}

bool type_keys(const QStringList& keys)
{
    return QProcess::execute(QStringLiteral("xdotool"),
                             QStringList{QStringLiteral("key"), QStringLiteral("--delay"),
                                         QStringLiteral("15")} + keys) == 0;
}

// Another X client with a window of its own, which can take the focus and counts the
// keys the server gives it.
class OtherClient {
public:
    OtherClient()
    {
        display_ = XOpenDisplay(nullptr);
        if (!display_) return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 50, 50, 300, 200, 0,
                                      0, 0xffffff);
        XSelectInput(display_, window_, KeyPressMask | KeyReleaseMask);
        XMapRaised(display_, window_);
        XSync(display_, False);
    }
    ~OtherClient()
    {
        if (display_) XCloseDisplay(display_);
    }

    bool valid() const { return display_ != nullptr; }

    // Gives the focus to the window (true) or to no window at all. A window manager
    // that is still starting may map the window late or take the focus back: ask
    // again until the focus is where it should be.
    bool focus(bool on_window)
    {
        for (int tries = 0; tries < 150; ++tries) {
            XWindowAttributes a{};
            XGetWindowAttributes(display_, window_, &a);
            if (!on_window || a.map_state == IsViewable) {
                XSetInputFocus(display_, on_window ? window_ : None, RevertToNone, CurrentTime);
                XSync(display_, False);
                Window focused = 0;
                int revert = 0;
                XGetInputFocus(display_, &focused, &revert);
                if (on_window ? focused == window_ : focused == None) return true;
            }
            QTest::qWait(20);
        }
        return false;
    }

    // Presses ("+name") and releases ("-name") of keys, through XTEST like xdotool, but
    // exactly these: xdotool adds modifier presses and releases of its own.
    void fake_keys(const QStringList& steps)
    {
        for (const QString& step : steps) {
            const KeySym sym = XStringToKeysym(qPrintable(step.mid(1)));
            const KeyCode code = XKeysymToKeycode(display_, sym);
            XTestFakeKeyEvent(display_, code, step.startsWith(QLatin1Char('+')), CurrentTime);
        }
        XSync(display_, False);
    }

    // Key presses the window got since the last forget_keys().
    int key_presses_received()
    {
        while (XPending(display_) > 0) {
            XEvent e;
            XNextEvent(display_, &e);
            if (e.type == KeyPress) ++presses_;
        }
        return presses_;
    }
    void forget_keys()
    {
        key_presses_received();
        presses_ = 0;
    }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    int presses_ = 0;
};

}  // namespace

class TestX11KeySource : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void keys_arrive_in_order_while_another_window_has_the_focus();
    void modifiers_keep_their_side_and_the_keypad_its_lock();
    void nothing_arrives_while_removed();

private:
    std::unique_ptr<KeySource> source_;
    std::unique_ptr<OtherClient> other_;
    QList<KeyEvent> heard_;
};

void TestX11KeySource::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("xdotool is not installed");
    source_ = pw::platform::make_global_key_source();
    QVERIFY(dynamic_cast<pw::platform::X11KeySource*>(source_.get()));
    other_ = std::make_unique<OtherClient>();
    QVERIFY(other_->valid());
}

void TestX11KeySource::keys_arrive_in_order_while_another_window_has_the_focus()
{
    QVERIFY(other_->focus(true));
    other_->forget_keys();
    heard_.clear();
    source_->install([this](const KeyEvent& e) { heard_ << e; });

    QVERIFY(type_keys({"a", "b", "Return", "Escape", "space", "F5", "7", "slash"}));
    const QString expected = QStringLiteral(
        "65v 65^ 66v 66^ 13v 13^ 27v 27^ 32v 32^ 116v 116^ 55v 55^ 191v 191^");
    QTRY_COMPARE_WITH_TIMEOUT(describe(heard_), expected, 5000);
    // The keys were only watched: the focused window got every one of them.
    QTRY_COMPARE_WITH_TIMEOUT(other_->key_presses_received(), 8, 2000);
    // The scan code is the key's position code.
    QCOMPARE(heard_.first().scan, 30);
    source_->remove();
}

void TestX11KeySource::modifiers_keep_their_side_and_the_keypad_its_lock()
{
    QVERIFY(other_->focus(false));
    heard_.clear();
    source_->install([this](const KeyEvent& e) { heard_ << e; });
    // Shift+1 is still the 1 key; Q then the left Ctrl, and the right Ctrl. The
    // keypad's End key is 1 while Num Lock is on.
    other_->fake_keys({"+Shift_L", "+1", "-1", "-Shift_L", "+q", "-q", "+Control_L",
                       "-Control_L", "+Control_R", "+Left", "-Left", "-Control_R", "+KP_End",
                       "-KP_End", "+Num_Lock", "-Num_Lock", "+KP_End", "-KP_End", "+Num_Lock",
                       "-Num_Lock"});
    QTRY_COMPARE_WITH_TIMEOUT(describe(heard_),
                              QStringLiteral("160v 49v 49^ 160^ 81v 81^ 162v 162^ 163v 37v 37^ "
                                             "163^ 35v 35^ 144v 144^ 97v 97^ 144v 144^"),
                              5000);
    QVERIFY(!heard_[0].extended);
    QVERIFY(heard_[8].extended);
    QVERIFY(heard_[9].extended);
    source_->remove();
}

void TestX11KeySource::nothing_arrives_while_removed()
{
    heard_.clear();
    source_->install([this](const KeyEvent& e) { heard_ << e; });
    source_->remove();
    QVERIFY(!source_->installed());
    QVERIFY(type_keys({"c", "d"}));

    // Installed again, it hears what comes after, not what came while it was away:
    // the keys come in order, so C and D would have come before E, and a repeat of E
    // before F.
    source_->install([this](const KeyEvent& e) { heard_ << e; });
    QVERIFY(type_keys({"e"}));
    QTRY_COMPARE_WITH_TIMEOUT(describe(heard_), QStringLiteral("69v 69^"), 5000);
    QVERIFY(type_keys({"f"}));
    QTRY_COMPARE_WITH_TIMEOUT(describe(heard_), QStringLiteral("69v 69^ 70v 70^"), 5000);
    source_->remove();
}

PW_TEST_CLASS(TestX11KeySource);
#include "test_x11_key_source.moc"
