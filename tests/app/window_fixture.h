#pragma once
// The main window on the fake character platform, with a program folder of its own
// whose chars/ holds Pellwick and Tansy (their content does not matter to the fake).

#include "app/pellworks_window.h"
#include "app/script_form.h"
#include "engine/pellwick_mod.h"
#include "stage/message_box.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/slot_setup.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct WindowFixture {
    QTemporaryDir program_dir;
    pw::fakes::FakeAgent agent;
    pw::engine::pellwick_mod mod{agent};
    std::unique_ptr<pw::app::Pellworks> window;
    QStringList messages;
    QList<int> exits;

    WindowFixture()
    {
        qunsetenv("PELLWORKS_CHARS");
        QDir(program_dir.path()).mkdir(QStringLiteral("chars"));
        for (const char* id : {"Pellwick", "Tansy"}) {
            QFile f(program_dir.path() + QStringLiteral("/chars/") + QLatin1String(id) + QStringLiteral(".acs"));
            if (f.open(QIODevice::WriteOnly)) f.write("ACS");
            agent.define_character(QLatin1String(id));
        }
        mod.program_folder = program_dir.path();
        mod.user_folder = program_dir.path();
        mod.set_start_defaults();
        mod.exit_program = [this](int code) { exits << code; };
        pw::stage::set_message_box_hook([this](const QString& text) { messages << text; });
        window = std::make_unique<pw::app::Pellworks>(agent, mod);
    }
    ~WindowFixture()
    {
        window.reset();
        pw::stage::set_message_box_hook(nullptr);
    }

    pw::app::script_form& script() const { return *window->script(); }

    // Plays the Script window's text and lets events run until the run is over.
    void play()
    {
        script().play_pellwick_Click();
        wait_for_run_end();
    }
    bool wait_for_run_end()
    {
        return QTest::qWaitFor([this] { return !mod.run_under_way(); }, 30000);
    }

    // The window made anew for a child whose own folder is this one.
    void reopen_with_user_folder(const QString& folder)
    {
        window.reset();
        mod.user_folder = folder;
        window = std::make_unique<pw::app::Pellworks>(agent, mod);
    }

    // Pellwick in slot 0 without the stage's start-up.
    void pellwick(bool visible = true)
    {
        pw::fakes::load_into_slot(mod, agent, 0, QStringLiteral("Pellwick"), visible);
        mod.char_count = 1;
    }

    QString write_file(const QString& name, const QByteArray& bytes) const
    {
        const QString path = program_dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
        return path;
    }
};
