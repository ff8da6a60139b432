// Without global keys from an X server (here: the offscreen platform) key waits hear
// the keys typed into the program's own windows, once each, and the windows still get
// them.

#include "tests/test_classes.h"
#include "platform/desktop/global_key_source.h"
#include "platform/desktop/window_key_source.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QWidget>
#include <QTest>

using pw::platform::KeyEvent;
using pw::platform::KeySource;

namespace {

QStringList infos;

void keep_infos(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtInfoMsg) infos << text;
}

// A window whose focused child ignores keys, so that each key travels up to the
// window's own widget as well.
class KeyCountingWindow : public QWidget {
public:
    KeyCountingWindow()
    {
        auto* layout = new QVBoxLayout(this);
        child = new QWidget(this);
        child->setFocusPolicy(Qt::StrongFocus);
        layout->addWidget(child);
        resize(200, 120);
    }
    QWidget* child = nullptr;
    int presses = 0;
    int releases = 0;

protected:
    void keyPressEvent(QKeyEvent*) override { ++presses; }
    void keyReleaseEvent(QKeyEvent*) override { ++releases; }
};

QString describe(const QList<KeyEvent>& events)
{
    QStringList words;
    for (const KeyEvent& e : events)
        words << QStringLiteral("%1%2").arg(e.vk).arg(e.down ? QStringLiteral("v") : QStringLiteral("^"));
    return words.join(QLatin1Char(' '));
}

}  // namespace

class TestWindowKeySource : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void offscreen_falls_back_to_window_keys_and_says_so_once();
    void each_key_is_heard_once_and_still_reaches_the_window();
    void held_keys_count_once_and_nothing_is_heard_after_remove();

private:
    std::unique_ptr<KeyCountingWindow> window_;
};

void TestWindowKeySource::initTestCase()
{
    window_ = std::make_unique<KeyCountingWindow>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->child->setFocus();
}

void TestWindowKeySource::offscreen_falls_back_to_window_keys_and_says_so_once()
{
    const QtMessageHandler previous = qInstallMessageHandler(keep_infos);
    auto first = pw::platform::make_global_key_source();
    auto second = pw::platform::make_global_key_source();
    qInstallMessageHandler(previous);

    QVERIFY(dynamic_cast<pw::platform::WindowKeySource*>(first.get()));
    QVERIFY(dynamic_cast<pw::platform::WindowKeySource*>(second.get()));
    QCOMPARE(infos.size(), 1);
    QVERIFY2(infos.first().contains(QLatin1String("offscreen")), qPrintable(infos.first()));
}

void TestWindowKeySource::each_key_is_heard_once_and_still_reaches_the_window()
{
    auto source = pw::platform::make_global_key_source();
    QList<KeyEvent> heard;
    source->install([&](const KeyEvent& e) { heard << e; });
    QVERIFY(source->installed());

    QWindow* w = window_->windowHandle();
    // With modifiers QTest presses and releases the modifier keys around the key.
    QTest::keyClick(w, Qt::Key_A);
    QTest::keyClick(w, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_Exclam, Qt::ShiftModifier);
    QTest::keyClick(w, Qt::Key_Escape);

    QCOMPARE(describe(heard),
             QStringLiteral("65v 65^ 162v 81v 81^ 162^ 160v 49v 49^ 160^ 27v 27^"));
    QCOMPARE(window_->presses, 6);
    QCOMPARE(window_->releases, 6);
    source->remove();
}

void TestWindowKeySource::held_keys_count_once_and_nothing_is_heard_after_remove()
{
    auto source = pw::platform::make_global_key_source();
    QList<KeyEvent> heard;
    source->install([&](const KeyEvent& e) { heard << e; });

    QWindow* w = window_->windowHandle();
    QTest::keyPress(w, Qt::Key_B);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"), true);
    QCoreApplication::sendEvent(w, &repeat);
    QTest::keyRelease(w, Qt::Key_B);
    QCOMPARE(describe(heard), QStringLiteral("66v 66^"));

    // A handler that removes the source hears nothing more, within the same key too.
    heard.clear();
    source->install([&](const KeyEvent& e) {
        heard << e;
        source->remove();
    });
    QTest::keyClick(w, Qt::Key_C);
    QTest::keyClick(w, Qt::Key_D);
    QCOMPARE(describe(heard), QStringLiteral("67v"));
    QVERIFY(!source->installed());
}

PW_TEST_CLASS(TestWindowKeySource);
#include "test_window_key_source.moc"
