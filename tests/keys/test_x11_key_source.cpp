// Global keys from a real X server: keys typed (through XTEST, as a keyboard would)
// while another program's window has the focus reach the installed source in order as
// key codes, and still reach that window.

#include "tests/test_classes.h"
#include "platform/desktop/global_key_source.h"
#include "platform/desktop/x11_key_source.h"

#include <QApplication>
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

    // Gives the window the focus. A window manager that is still starting may map the
    // window late or take the focus back: ask again until the focus is there.
    bool focus()
    {
        for (int tries = 0; tries < 150; ++tries) {
            XWindowAttributes a{};
            XGetWindowAttributes(display_, window_, &a);
            if (a.map_state == IsViewable) {
                XSetInputFocus(display_, window_, RevertToNone, CurrentTime);
                XSync(display_, False);
                Window focused = 0;
                int revert = 0;
                XGetInputFocus(display_, &focused, &revert);
                if (focused == window_) return true;
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

    // Key presses the window got so far.
    int key_presses_received()
    {
        while (XPending(display_) > 0) {
            XEvent e;
            XNextEvent(display_, &e);
            if (e.type == KeyPress) ++presses_;
        }
        return presses_;
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
    void keys_arrive_in_order_and_still_reach_the_focused_window();
    void nothing_arrives_while_removed();

private:
    std::unique_ptr<KeySource> source_;
    std::unique_ptr<OtherClient> other_;
    QList<KeyEvent> heard_;
};

void TestX11KeySource::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    source_ = pw::platform::make_global_key_source();
    QVERIFY(dynamic_cast<pw::platform::X11KeySource*>(source_.get()));
    other_ = std::make_unique<OtherClient>();
    QVERIFY(other_->valid());
    QVERIFY(other_->focus());
}

void TestX11KeySource::keys_arrive_in_order_and_still_reach_the_focused_window()
{
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
    QCOMPARE(heard_[1].scan, 2);  // the key's position code
    QVERIFY(!heard_[0].extended);
    QVERIFY(heard_[8].extended);
    QVERIFY(heard_[9].extended);
    // The keys were only watched: the focused window got every one of them.
    QTRY_COMPARE_WITH_TIMEOUT(other_->key_presses_received(), 10, 2000);
    source_->remove();
}

void TestX11KeySource::nothing_arrives_while_removed()
{
    heard_.clear();
    source_->install([this](const KeyEvent& e) { heard_ << e; });
    source_->remove();
    QVERIFY(!source_->installed());
    other_->fake_keys({"+c", "-c", "+d", "-d"});

    // Installed again, it hears what comes after, not what came while it was away:
    // the keys come in order, so C and D would have come before E.
    source_->install([this](const KeyEvent& e) { heard_ << e; });
    other_->fake_keys({"+e", "-e"});
    QTRY_COMPARE_WITH_TIMEOUT(describe(heard_), QStringLiteral("69v 69^"), 5000);
    source_->remove();
}

PW_TEST_CLASS(TestX11KeySource);
#include "test_x11_key_source.moc"
