#pragma once
// A run-ready world for the waits: the fake platform with Pellwick (slot 0, shown) and
// Tansy (slot 1, hidden), the real stage handling the platform's events, a recording
// editor whose reminder timer runs a hundred times fast, a key hook on a key source the
// test types on, and clocks a test can speed up or set.

#include "engine/hires_clock.h"
#include "engine/keyboard_handler.h"
#include "engine/pellwick_mod.h"
#include "engine/run_script.h"
#include "stage/message_box.h"
#include "stage/pellwick_form.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/fast_clock.h"
#include "tests/fakes/recording_run_host.h"
#include "tests/fakes/slot_setup.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

namespace pw::waits_tests {

using pw::fakes::FastClock;

class TypedKeys : public pw::platform::KeySource {
public:
    void install(Handler h) override { handler_ = std::move(h); }
    void remove() override { handler_ = nullptr; }
    bool installed() const override { return bool(handler_); }
    // Key-down then key-up; false when no hook listened.
    bool tap(int vk)
    {
        if (!handler_) return false;
        for (const bool down : {true, false}) {
            if (!handler_) break;
            pw::platform::KeyEvent e;
            e.vk = vk;
            e.down = down;
            const Handler h = handler_;
            h(e);
        }
        return true;
    }

private:
    Handler handler_;
};

inline QString unquote(const QString& quoted)
{
    QString out;
    for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == QLatin1Char('\\') && i + 2 < quoted.size()) ++i;
        out += quoted[i];
    }
    return out;
}

struct WaitsFixture {
    pw::fakes::FakeAgent agent;
    pw::engine::pellwick_mod mod{agent};
    pw::fakes::RecordingRunHost host{mod};
    TypedKeys key_source;
    pw::engine::Keyboardhandler keys{mod, key_source};
    QObject editor;  // what the key hook reports to
    QTemporaryDir folder;
    std::unique_ptr<pw::stage::pellwick_form> stage;
    FastClock clock{100.0};
    pw::fakes::FakeCharacter* pellwick = nullptr;
    pw::fakes::FakeCharacter* tansy = nullptr;
    QList<int> exits;
    QObject timers;  // owns what a test schedules

    WaitsFixture()
    {
        mod.set_start_defaults();
        mod.program_folder = folder.path();
        mod.user_folder = folder.path();
        mod.exit_program = [this](int code) { exits << code; };
        pw::stage::set_message_box_hook([](const QString&) {});
        stage = std::make_unique<pw::stage::pellwick_form>(agent, mod);
        QObject::connect(stage.get(), &pw::stage::pellwick_form::cancel_script_wanted, &timers,
                         [this] { pw::engine::cancel_it(mod, host); });
        pw::fakes::FakeTraits traits;
        traits.animations << QStringLiteral("Alert") << QStringLiteral("Pleased");
        pellwick = pw::fakes::load_into_slot(mod, agent, 0, QStringLiteral("pellwick"), true, traits);
        tansy = pw::fakes::load_into_slot(mod, agent, 1, QStringLiteral("tansy"), false, traits);
        mod.char_count = 2;
        mod.options.interval_seconds = 0.0f;
        mod.current_char = QStringLiteral("pellwick");
        mod.wait_idle_limit = std::chrono::milliseconds(20);
        mod.hires_timer = &clock;
        mod.hires_frequency = 1.0;
        keys.key_window = &editor;
        host.report_speed = 100.0;
        host.on_install_key_hook = [this] { keys.install_key_hook(); };
        host.on_remove_key_hook = [this] { keys.remove_key_hook(); };
    }
    ~WaitsFixture()
    {
        stage.reset();
        pw::stage::set_message_box_hook(nullptr);
    }

    // Runs a script written with "\n" line breaks.
    void run(const QString& script)
    {
        QString text = script;
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        host.text = text;
        agent.log().clear();
        pw::fakes::run_to_end(mod, host, text);
    }

    // Does `f` after ms real milliseconds, from the event loop of the run.
    void after(int ms, std::function<void()> f) { QTimer::singleShot(ms, &timers, std::move(f)); }
    // Does `f` once `condition` holds, checking every few milliseconds.
    void when(std::function<bool()> condition, std::function<void()> f)
    {
        auto* t = new QTimer(&timers);
        QObject::connect(t, &QTimer::timeout, t, [t, condition, f] {
            if (!condition()) return;
            t->stop();
            t->deleteLater();
            f();
        });
        t->start(2);
    }

    // Texts of one operation ("Speak", "Think"), in order.
    QStringList texts(const QString& operation, const QString& who = {})
    {
        QStringList out;
        for (const auto& r : agent.log().records())
            if (r.operation == operation && (who.isEmpty() || r.character == who)) out << unquote(r.args.value(0));
        return out;
    }
    QStringList said(const QString& who = {}) { return texts(QStringLiteral("Speak"), who); }
    int count_said(const QString& text) { return int(said().count(text)); }
    bool has_said(const QString& text) { return said().contains(text); }
};

}  // namespace pw::waits_tests
