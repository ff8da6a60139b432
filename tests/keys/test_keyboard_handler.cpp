// The key hook of key waits and the window key-up handling, against a key source the
// test types on and the recording fake platform.

#include "engine/keyboard_handler.h"
#include "engine/window_keys.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/recording_run_host.h"
#include "tests/fakes/slot_setup.h"
#include "tests/keys/scripted_key_source.h"

#include <QTest>

using pw::engine::Form_KeyUp;
using pw::engine::Keyboardhandler;
using pw::engine::KeyEventRecord;
using pw::engine::pellwick_mod;
using pw::fakes::FakeAgent;
using pw::fakes::RecordingRunHost;
using pw::keys_tests::ScriptedKeySource;

namespace {

constexpr int vk_return = 13;
constexpr int vk_escape = 27;
constexpr int vk_space = 32;
constexpr int vk_a = 65;
constexpr int vk_b = 66;
constexpr int vk_e = 69;
constexpr int vk_q = 81;
constexpr int vk_s = 83;
constexpr int vk_left_ctrl = 162;
constexpr int vk_right_ctrl = 163;

// A key wait in progress: the editor has loaded and the hook is installed.
struct KeyWait {
    FakeAgent agent;
    pellwick_mod mod{agent};
    ScriptedKeySource source;
    Keyboardhandler keys{mod, source};
    QObject editor;
    QList<int> exits;

    explicit KeyWait(const QString& key_text)
    {
        mod.exit_program = [this](int code) { exits << code; };
        keys.key_window = &editor;
        mod.last_key = key_text;
        keys.install_key_hook();
    }
};

}  // namespace

class TestKeyboardHandler : public QObject {
    Q_OBJECT

private slots:
    void only_the_first_character_counts_as_a_key_code_data();
    void only_the_first_character_counts_as_a_key_code();
    void one_hook_until_a_match_removes_it();
    void anykey_takes_the_first_event_and_names_its_key();
    void q_then_left_ctrl_quits_and_nothing_else_does();
    void keys_change_nothing_until_the_editor_has_loaded();
    void escape_ends_the_wait_and_cancels_the_script();
    void escape_stops_the_introduction_on_every_loaded_slot();
    void ctrl_q_in_a_window_removes_the_hook_and_quits();
};

void TestKeyboardHandler::only_the_first_character_counts_as_a_key_code_data()
{
    QTest::addColumn<QString>("key_text");
    QTest::addColumn<int>("vk");
    QTest::addColumn<bool>("ends_the_wait");

    QTest::newRow("a on A") << "a" << vk_a << true;
    QTest::newRow("a not on B") << "a" << vk_b << false;
    QTest::newRow("A written upper-case") << "A" << vk_a << true;
    QTest::newRow("enter on E") << "enter" << vk_e << true;
    QTest::newRow("enter not on Return") << "enter" << vk_return << false;
    QTest::newRow("space on S") << "space" << vk_s << true;
    QTest::newRow("space not on the space bar") << "space" << vk_space << false;
    QTest::newRow("digit 1") << "1" << 49 << true;
    QTest::newRow("empty text, A") << "" << vk_a << false;
    QTest::newRow("empty text, Return") << "" << vk_return << false;
}

void TestKeyboardHandler::only_the_first_character_counts_as_a_key_code()
{
    QFETCH(QString, key_text);
    QFETCH(int, vk);
    QFETCH(bool, ends_the_wait);

    KeyWait wait(key_text);
    QVERIFY(wait.source.press(vk));
    QCOMPARE(wait.mod.key_pressed, ends_the_wait);
    QCOMPARE(wait.source.installed(), !ends_the_wait);
    QCOMPARE(wait.keys.hook_handle != 0, !ends_the_wait);
    QCOMPARE(wait.mod.last_key, key_text);  // only "anykey" rewrites it
    QCOMPARE(int(wait.keys.previous_key), ends_the_wait ? 0 : vk);
}

void TestKeyboardHandler::one_hook_until_a_match_removes_it()
{
    KeyWait wait(QStringLiteral("a"));
    wait.keys.install_key_hook();  // a second key wait after an Esc reuses the hook
    QCOMPARE(wait.source.installs, 1);
    QVERIFY(wait.source.press(vk_b));
    QVERIFY(wait.source.release(vk_b));
    QVERIFY(!wait.mod.key_pressed);
    QVERIFY(wait.source.press(vk_a));
    QVERIFY(wait.mod.key_pressed);
    QCOMPARE(wait.source.removals, 1);
    // The key-up of A and whatever follows go to nobody.
    QVERIFY(!wait.source.release(vk_a));
    QCOMPARE(int(wait.keys.previous_key), vk_b);
    QCOMPARE(wait.keys.hook_handle, 0u);
    wait.keys.remove_key_hook();
    QCOMPARE(wait.source.removals, 1);

    // The next key wait clears key_pressed and installs again.
    wait.mod.key_pressed = false;
    wait.keys.install_key_hook();
    QVERIFY(wait.source.press(vk_b));
    QVERIFY(!wait.mod.key_pressed);
}

void TestKeyboardHandler::anykey_takes_the_first_event_and_names_its_key()
{
    {
        // A key-up counts as much as a key-down: the key held when the wait began. A
        // is a key like any other, not the first letter of "anykey".
        KeyWait wait(QStringLiteral("anykey"));
        QVERIFY(wait.source.release(vk_a));
        QVERIFY(wait.mod.key_pressed);
        QCOMPARE(wait.mod.last_key, QStringLiteral("a"));
        QVERIFY(!wait.source.installed());
    }
    {
        KeyWait wait(QStringLiteral("AnyKey"));
        QVERIFY(wait.source.press(vk_return));
        QCOMPARE(wait.mod.last_key, QStringLiteral("\r"));
    }
    {
        // The keypad's 1 writes as "a" and F17 as the euro sign: codes as characters.
        KeyWait wait(QStringLiteral("anykey"));
        QVERIFY(wait.source.press(97));
        QCOMPARE(wait.mod.last_key, QStringLiteral("a"));
        QCOMPARE(Keyboardhandler::character_of_key(128), QString(QChar(0x20AC)));
        QCOMPARE(Keyboardhandler::character_of_key(vk_left_ctrl), QString(QChar(0xA2)));
    }
    {
        // "anykey" wins over the quit sequence: the left Ctrl after Q just ends the wait.
        KeyWait wait(QStringLiteral("anykey"));
        wait.keys.previous_key = vk_q;
        QVERIFY(wait.source.press(vk_left_ctrl));
        QVERIFY(wait.mod.key_pressed);
        QVERIFY(wait.exits.isEmpty());
    }
}

void TestKeyboardHandler::q_then_left_ctrl_quits_and_nothing_else_does()
{
    {
        KeyWait wait(QStringLiteral("x"));
        QVERIFY(wait.source.tap(vk_q));
        QVERIFY(wait.source.press(vk_left_ctrl));
        QCOMPARE(wait.exits, QList<int>{0});
        QVERIFY(!wait.source.installed());
        QVERIFY(!wait.mod.key_pressed);
    }
    {
        // Ctrl+Q typed the usual way: Ctrl down, Q down, Q up, then Ctrl up quits.
        KeyWait wait(QStringLiteral("x"));
        QVERIFY(wait.source.press(vk_left_ctrl));
        QVERIFY(wait.source.tap(vk_q));
        QVERIFY(wait.exits.isEmpty());
        QVERIFY(wait.source.release(vk_left_ctrl));
        QCOMPARE(wait.exits, QList<int>{0});
    }
    {
        KeyWait wait(QStringLiteral("x"));
        QVERIFY(wait.source.tap(vk_q));
        QVERIFY(wait.source.tap(vk_right_ctrl));  // the right Ctrl is not the sequence
        QVERIFY(wait.source.tap(vk_q));
        QVERIFY(wait.source.tap(vk_a));           // nor is a key in between
        QVERIFY(wait.source.tap(vk_left_ctrl));
        QVERIFY(wait.exits.isEmpty());
        QVERIFY(wait.source.installed());
    }
    {
        // A wait for Q ends on Q before the sequence can start.
        KeyWait wait(QStringLiteral("q"));
        QVERIFY(wait.source.press(vk_q));
        QVERIFY(wait.mod.key_pressed);
        QVERIFY(!wait.source.press(vk_left_ctrl));
        QVERIFY(wait.exits.isEmpty());
    }
}

void TestKeyboardHandler::keys_change_nothing_until_the_editor_has_loaded()
{
    KeyWait wait(QStringLiteral("anykey"));
    wait.keys.key_window = nullptr;
    QVERIFY(wait.source.tap(vk_a));
    QVERIFY(wait.source.tap(vk_q));
    QVERIFY(wait.source.tap(vk_left_ctrl));
    QVERIFY(!wait.mod.key_pressed);
    QCOMPARE(wait.mod.last_key, QStringLiteral("anykey"));
    QCOMPARE(int(wait.keys.previous_key), 0);
    QVERIFY(wait.exits.isEmpty());
    QVERIFY(wait.source.installed());

    // The hook still keeps a record of the last event.
    QVERIFY(wait.source.send(vk_right_ctrl, false, true));
    const KeyEventRecord& r = wait.keys.key_event_buffer;
    QCOMPARE(r.vk_code, quint32(vk_right_ctrl));
    QCOMPARE(r.scan_code, quint32(vk_right_ctrl % 100));
    QCOMPARE(r.flags, KeyEventRecord::flag_up | KeyEventRecord::flag_extended);

    // An editor window that goes away unsets it again.
    {
        QObject editor;
        wait.keys.key_window = &editor;
    }
    QVERIFY(wait.source.press(vk_a));
    QVERIFY(!wait.mod.key_pressed);
}

void TestKeyboardHandler::escape_ends_the_wait_and_cancels_the_script()
{
    KeyWait wait(QStringLiteral("a"));
    RecordingRunHost host(wait.mod);
    pw::fakes::load_into_slot(wait.mod, wait.agent, 0, QStringLiteral("Pellwick"));
    wait.mod.waiting = true;

    Form_KeyUp(wait.mod, wait.keys, host, vk_escape, 0);
    QVERIFY(!wait.mod.waiting);
    QVERIFY(wait.mod.cancel_requested);
    QVERIFY(host.calls.contains(QStringLiteral("stop_wave")));
    // The hook stays: a later matching key only sets key_pressed.
    QVERIFY(wait.source.installed());
    QCOMPARE(wait.agent.log().count(QStringLiteral("Hide")), 0);  // no introduction ran

    // With no wait and no run, Esc still cancels; other keys do nothing at all.
    wait.mod.cancel_requested = false;
    host.calls.clear();
    Form_KeyUp(wait.mod, wait.keys, host, vk_a, 0);
    Form_KeyUp(wait.mod, wait.keys, host, vk_q, pw::engine::shift_mask::shift);
    QVERIFY(!wait.mod.cancel_requested);
    QVERIFY(host.calls.isEmpty());
    Form_KeyUp(wait.mod, wait.keys, host, vk_escape, pw::engine::shift_mask::ctrl);
    QVERIFY(wait.mod.cancel_requested);
    QVERIFY(wait.exits.isEmpty());
}

void TestKeyboardHandler::escape_stops_the_introduction_on_every_loaded_slot()
{
    KeyWait wait(QStringLiteral("a"));
    RecordingRunHost host(wait.mod);
    pw::fakes::load_into_slot(wait.mod, wait.agent, 0, QStringLiteral("Pellwick"));
    pw::fakes::load_into_slot(wait.mod, wait.agent, 2, QStringLiteral("Tansy"));
    wait.mod.char_count = 3;  // slot 1 is empty
    wait.agent.fail(QStringLiteral("Hide"), pw::agent::error::character_invalid,
                    QStringLiteral("Pellwick"));
    wait.mod.intro_playing = true;

    Form_KeyUp(wait.mod, wait.keys, host, vk_escape, 0);
    QVERIFY(!wait.mod.intro_playing);
    const QStringList lines = wait.agent.log().lines();
    // Pellwick's failing Hide does not keep Tansy from stopping, nor the cancel.
    QVERIFY2(lines.indexOf(QStringLiteral("Pellwick StopAll \"\"")) >= 0, qPrintable(lines.join('\n')));
    QVERIFY(lines.indexOf(QStringLiteral("Tansy StopAll \"\"")) >= 0);
    QVERIFY(lines.indexOf(QStringLiteral("Tansy StopAll \"\""))
            < lines.indexOf(QStringLiteral("Tansy Hide False")));
    QVERIFY(wait.mod.cancel_requested);
}

void TestKeyboardHandler::ctrl_q_in_a_window_removes_the_hook_and_quits()
{
    KeyWait wait(QStringLiteral("a"));
    RecordingRunHost host(wait.mod);
    Form_KeyUp(wait.mod, wait.keys, host, vk_q,
               pw::engine::shift_mask::ctrl | pw::engine::shift_mask::shift);
    QCOMPARE(wait.exits, QList<int>{0});
    QVERIFY(!wait.source.installed());
    QVERIFY(!wait.mod.cancel_requested);
}

QTEST_GUILESS_MAIN(TestKeyboardHandler)
#include "test_keyboard_handler.moc"
