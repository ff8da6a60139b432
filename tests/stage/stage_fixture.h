#pragma once
// A stage on the fake platform, with a program folder of its own whose chars/ holds
// the files a test asks for (their content does not matter to the fake).

#include "engine/pellwick_mod.h"
#include "stage/message_box.h"
#include "stage/pellwick_form.h"
#include "tests/fakes/fake_agent.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <memory>

struct StageFixture {
    QTemporaryDir program_dir;
    pw::fakes::FakeAgent agent;
    pw::engine::pellwick_mod mod{agent};
    std::unique_ptr<pw::stage::pellwick_form> form;
    QStringList messages;
    QList<int> exits;

    explicit StageFixture(const QStringList& file_names = {})
    {
        qunsetenv("PELLWORKS_CHARS");
        QDir(program_dir.path()).mkdir(QStringLiteral("chars"));
        for (const QString& name : file_names) add_file(name);
        mod.program_folder = program_dir.path();
        mod.set_start_defaults();
        mod.exit_program = [this](int code) { exits << code; };
        pw::stage::set_message_box_hook([this](const QString& text) { messages << text; });
        form = std::make_unique<pw::stage::pellwick_form>(agent, mod);
    }
    ~StageFixture()
    {
        form.reset();
        pw::stage::set_message_box_hook(nullptr);
    }

    QString chars_dir() const { return program_dir.path() + QStringLiteral("/chars"); }

    void add_file(const QString& name, const QString& dir = {})
    {
        QFile f((dir.isEmpty() ? chars_dir() : dir) + QLatin1Char('/') + name);
        if (f.open(QIODevice::WriteOnly)) f.write("ACS");
    }

    QStringList combo_items() const
    {
        QStringList out;
        for (int i = 0; i < form->char_avail->count(); ++i) out << form->char_avail->itemText(i);
        return out;
    }

    QStringList list_items() const
    {
        QStringList out;
        for (int i = 0; i < form->AnimationListBox->count(); ++i)
            out << form->AnimationListBox->item(i)->text();
        return out;
    }
};
