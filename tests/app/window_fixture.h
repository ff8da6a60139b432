#pragma once
// The fake character platform and a run state with a program folder of its own, whose
// chars/ holds the character files a test names (their content does not matter to the
// fake); on top of it either the whole main window or the stage window alone.

#include "app/pellworks_window.h"
#include "app/script_window.h"
#include "engine/run_state.h"
#include "stage/stage_window.h"
#include "tests/answer_table.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/slot_setup.h"
#include "windows/message_box.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct ProgramFixture {
    QTemporaryDir program_dir;
    pw::fakes::FakeAgent agent;
    pw::engine::RunState state{agent};
    QStringList messages;
    QList<int> exits;

    explicit ProgramFixture(const QStringList& file_names)
    {
        qunsetenv("PELLWORKS_CHARS");
        QDir(program_dir.path()).mkdir(QStringLiteral("chars"));
        for (const QString& name : file_names) add_file(name);
        state.program_folder = program_dir.path();
        state.set_start_defaults();
        state.exit_program = [this](int code) { exits << code; };
        pw::windows::set_message_box_hook([this](const QString& text) { messages << text; });
    }
    ~ProgramFixture() { pw::windows::set_message_box_hook(nullptr); }

    QString chars_dir() const { return program_dir.path() + QStringLiteral("/chars"); }

    void add_file(const QString& name, const QString& dir = {})
    {
        QFile f((dir.isEmpty() ? chars_dir() : dir) + QLatin1Char('/') + name);
        if (f.open(QIODevice::WriteOnly)) f.write("ACS");
    }

    // Every sentence spoken so far, by any character, as the script wrote it.
    QStringList said()
    {
        QStringList out;
        for (const auto& r : agent.log().records())
            if (r.operation == QLatin1String("Speak")) out << QString::fromUtf8(pw::test::quoted_arguments(r.args.value(0)).value(0));
        return out;
    }

    QString write_file(const QString& name, const QByteArray& bytes) const
    {
        const QString path = program_dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
        return path;
    }
};

// The main window, with Pellwick and Tansy installed and the program folder as the
// child's own.
struct WindowFixture : ProgramFixture {
    std::unique_ptr<pw::app::Pellworks> window;

    WindowFixture() : ProgramFixture({QStringLiteral("Pellwick.acs"), QStringLiteral("Tansy.acs")})
    {
        agent.define_character(QStringLiteral("Pellwick"));
        agent.define_character(QStringLiteral("Tansy"));
        state.user_folder = program_dir.path();
        window = std::make_unique<pw::app::Pellworks>(agent, state);
    }
    ~WindowFixture() { window.reset(); }

    pw::app::ScriptWindow& script() const { return *window->script(); }

    // Start-up to its last step, which comes from the event loop once the frame has
    // painted; false when it did not get there (or the program ended on the way).
    bool start_up(const QStringList& arguments = {})
    {
        window->start_up(arguments);
        return QTest::qWaitFor([this] { return window->start_up_over() || !exits.isEmpty(); }, 5000);
    }

    // Plays the Script window's text and lets events run until the run is over.
    void play()
    {
        script().play_pellwick_clicked();
        wait_for_run_end();
    }
    bool wait_for_run_end()
    {
        return QTest::qWaitFor([this] { return !state.run_under_way(); }, 30000);
    }

    // The window made anew for a child whose own folder is this one.
    void reopen_with_user_folder(const QString& folder)
    {
        window.reset();
        state.user_folder = folder;
        window = std::make_unique<pw::app::Pellworks>(agent, state);
    }

    // Pellwick in slot 0 without the stage's start-up.
    void pellwick(bool visible = true)
    {
        pw::fakes::load_into_slot(state, agent, 0, QStringLiteral("Pellwick"), visible);
        state.char_count = 1;
    }
};

// The stage window alone.
struct StageFixture : ProgramFixture {
    std::unique_ptr<pw::stage::StageWindow> form;

    explicit StageFixture(const QStringList& file_names = {}) : ProgramFixture(file_names)
    {
        form = std::make_unique<pw::stage::StageWindow>(agent, state);
    }
    ~StageFixture() { form.reset(); }

    QStringList list_items() const
    {
        QStringList out;
        for (int i = 0; i < form->animation_list->count(); ++i) out << form->animation_list->item(i)->text();
        return out;
    }
};
