// Key codes from X keysyms, from key positions and from Qt key events.

#include "tests/test_classes.h"
#include "platform/desktop/key_codes.h"

#include <QKeyEvent>
#include <QTest>

#include <X11/keysym.h>
#include <linux/input-event-codes.h>

using namespace pw::platform;

namespace {

QKeyEvent key(int qt_key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, quint32 scan = 0,
              quint32 keysym = 0)
{
    return QKeyEvent(QEvent::KeyPress, qt_key, modifiers, scan, keysym, 0);
}

}  // namespace

class TestKeyCodes : public QObject {
    Q_OBJECT

private slots:
    void keysyms_data();
    void keysyms();
    void key_positions_follow_a_us_keyboard();
    void qt_key_events();
    void shift_masks();
};

void TestKeyCodes::keysyms_data()
{
    QTest::addColumn<qulonglong>("keysym");
    QTest::addColumn<int>("vk");
    auto row = [](const char* name, unsigned long keysym, int vk) {
        QTest::newRow(name) << qulonglong(keysym) << vk;
    };
    row("Q upper-case", XK_Q, 81);
    row("keypad Enter", XK_KP_Enter, 13);
    row("AltGr", XK_ISO_Level3_Shift, 165);
    row("F24", XK_F24, 135);
    row("KP_9", XK_KP_9, 105);
    row("less, the key beside left Shift", XK_less, 226);
    row("exclam is no level-0 keysym", XK_exclam, 0);
    row("odiaeresis has no code", XK_odiaeresis, 0);
    row("no symbol", 0, 0);
}

void TestKeyCodes::keysyms()
{
    QFETCH(qulonglong, keysym);
    QFETCH(int, vk);
    QCOMPARE(vk_from_keysym(keysym), vk);
}

void TestKeyCodes::key_positions_follow_a_us_keyboard()
{
    const QList<QPair<int, int>> cases{
        {KEY_Q, 'Q'}, {KEY_M, 'M'}, {KEY_0, '0'}, {KEY_SLASH, 191},
        {KEY_102ND, 226}, {KEY_ESC, 0}, {KEY_SPACE, 0}, {0, 0}, {-5, 0}};
    for (const auto& [code, vk] : cases)
        QVERIFY2(vk_from_key_position(code) == vk, qPrintable(QString::number(code)));
}

void TestKeyCodes::qt_key_events()
{
    QCOMPARE(vk_from_key_event(key(Qt::Key_A, Qt::ShiftModifier)), 65);
    QCOMPARE(vk_from_key_event(key(Qt::Key_Enter, Qt::KeypadModifier)), 13);
    // Shift+1 comes as "!", still the 1 key; Shift+; as ":".
    QCOMPARE(vk_from_key_event(key(Qt::Key_Exclam, Qt::ShiftModifier)), 49);
    QCOMPARE(vk_from_key_event(key(Qt::Key_Colon, Qt::ShiftModifier)), 186);
    // The keypad's digits and operators have codes of their own.
    QCOMPARE(vk_from_key_event(key(Qt::Key_5, Qt::KeypadModifier)), 101);
    QCOMPARE(vk_from_key_event(key(Qt::Key_Minus, Qt::KeypadModifier)), 109);
    QCOMPARE(vk_from_key_event(key(Qt::Key_Minus)), 189);
    // Without a keysym a modifier counts as the left one; with one, its side is known.
    QCOMPARE(vk_from_key_event(key(Qt::Key_Control)), 162);
    QCOMPARE(vk_from_key_event(key(Qt::Key_Control, Qt::ControlModifier, 105, XK_Control_R)), 163);
    QCOMPARE(vk_from_key_event(key(Qt::Key_Shift, Qt::ShiftModifier, 62, XK_Shift_R)), 161);
    // A printable keysym is shifted already: Shift+, gives "less" on a US keyboard.
    QCOMPARE(vk_from_key_event(key(Qt::Key_Less, Qt::ShiftModifier, 59, XK_less)), 188);
    // A letter of another alphabet goes by where its key sits, else by no code.
    QCOMPARE(vk_from_key_event(key(Qt::Key_Odiaeresis, Qt::NoModifier, KEY_SEMICOLON + 8)), 186);
    QCOMPARE(vk_from_key_event(key(Qt::Key_Odiaeresis)), vk_unmapped);
    QCOMPARE(vk_from_key_event(key(Qt::Key_unknown)), vk_unmapped);
}

void TestKeyCodes::shift_masks()
{
    QCOMPARE(shift_mask_from(Qt::NoModifier), 0);
    QCOMPARE(shift_mask_from(Qt::ShiftModifier), 1);
    QCOMPARE(shift_mask_from(Qt::ControlModifier), 2);
    QCOMPARE(shift_mask_from(Qt::AltModifier | Qt::ControlModifier | Qt::KeypadModifier), 6);
}

PW_TEST_CLASS(TestKeyCodes);
#include "test_key_codes.moc"
