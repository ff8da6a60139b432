// Start-up of the stage on the fake platform: which files become which characters in
// which slots, the greeting or the missing-Pellwick end, reloading, load failures,
// pop-up commands, placement and the action lists.

#include "stage/action_lists.h"
#include "stage/character_folders.h"
#include "tests/app/window_fixture.h"
#include "windows/style.h"

#include "platform/core/trace.h"
#include "tests/test_classes.h"

#include <QApplication>
#include <QGroupBox>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

using pw::fakes::FakeTraits;
using pw::stage::StageWindow;

namespace {

QStringList trace_lines;
void capture_trace(const QString& line) { trace_lines << line; }

QStringList captions(const pw::agent::Commands& commands)
{
    QStringList out;
    for (const auto& e : commands.entries()) out << e.name + QLatin1Char('|') + e.caption + QLatin1Char('|') + e.voice;
    return out;
}

}  // namespace

class TestStageLoading : public QObject {
    Q_OBJECT

private slots:
    void empty_folder_ends_with_the_missing_pellwick_message()
    {
        StageFixture f;
        pw::trace::set_enabled_for_tests(true);
        pw::trace::set_sink(capture_trace);
        trace_lines.clear();

        f.form->prepare();

        pw::trace::set_sink(nullptr);
        pw::trace::set_enabled_for_tests(false);
        QCOMPARE(f.state.char_count, int16_t(0));
        QCOMPARE(f.combo_items(), QStringList{QStringLiteral("All")});
        QCOMPARE(f.messages, QStringList{QStringLiteral("You must have at least Pellwick properly installed!")});
        QCOMPARE(f.exits.size(), 1);
        QVERIFY(f.exits.first() != 0);
        QCOMPARE(f.agent.log().count(QStringLiteral("Load")), 0);
        QCOMPARE(trace_lines.size(), 1);
        QVERIFY(trace_lines.first().endsWith(
            QStringLiteral("message \"You must have at least Pellwick properly installed!\"")));
    }

    void file_names_in_any_case_become_capitalised_ids()
    {
        StageFixture f({QStringLiteral("PELLWICK.ACS"), QStringLiteral("tobble.acs"), QStringLiteral("Mira.Acs"),
                        QStringLiteral("notes.txt"), QStringLiteral("old.acs.bak")});
        QDir(f.chars_dir()).mkdir(QStringLiteral("folder.acs"));  // not a file
        for (const char* id : {"Pellwick", "Tobble", "Mira"}) f.agent.define_character(QString::fromLatin1(id));

        f.form->prepare();

        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join(QLatin1Char('\n'))));
        QCOMPARE(f.combo_items(), (QStringList{QStringLiteral("All"), QStringLiteral("Mira"),
                                               QStringLiteral("Pellwick"), QStringLiteral("Tobble")}));
        QCOMPARE(f.state.char_count, int16_t(3));
        QStringList ids;
        for (int slot = 0; slot < 3; ++slot) ids << f.state.characters[slot].id;
        QCOMPARE(ids, (QStringList{QStringLiteral("Mira"), QStringLiteral("Pellwick"), QStringLiteral("Tobble")}));
        // The fake only loads files that exist: the path keeps the file's own spelling.
        QCOMPARE(f.agent.log().lines_of(QStringLiteral("Load"))[1],
                 QStringLiteral("* Load \"Pellwick\" \"%1/PELLWICK.ACS\"").arg(f.chars_dir()));
        QCOMPARE(f.state.char_index(QStringLiteral("pellwick")), 1);
        QVERIFY(f.exits.isEmpty());
    }

    void extra_character_folder_adds_and_overrides()
    {
        QTemporaryDir extra;
        StageFixture f({QStringLiteral("Pellwick.acs"), QStringLiteral("Tobble.acs")});
        f.add_file(QStringLiteral("pellwick.ACS"), extra.path());
        f.add_file(QStringLiteral("Zed.acs"), extra.path());

        qputenv("PELLWORKS_CHARS", extra.path().toUtf8());
        const QStringList folders = pw::stage::character_folders(f.state.program_folder);
        qunsetenv("PELLWORKS_CHARS");
        QCOMPARE(folders, (QStringList{f.chars_dir(), extra.path()}));

        const auto files = pw::stage::find_character_files(folders);
        QCOMPARE(files.size(), 3);
        QCOMPARE(files[0].path, extra.path() + QStringLiteral("/pellwick.ACS"));
        QCOMPARE(pw::stage::character_path(folders, QStringLiteral("PELLWICK")), files[0].path);
        QCOMPARE(pw::stage::character_path(folders, QStringLiteral("TOBBLE")),
                 f.chars_dir() + QStringLiteral("/Tobble.acs"));
    }

    void start_up_greets_and_sets_up_every_character()
    {
        StageFixture f;
        f.install({"Pellwick", "Tobble", "Zed"});
        f.agent.define_character(QStringLiteral("Pellwick"), FakeTraits{{}, {QStringLiteral("Wave")}, 140, 170});
        QStringList sound_captions;
        QObject::connect(f.form.get(), &StageWindow::sound_frame_caption, [&](const QString& c) { sound_captions << c; });

        f.form->prepare();

        QVERIFY(f.messages.isEmpty());
        QVERIFY(f.exits.isEmpty());
        QCOMPARE(f.state.slot_count(), 201);  // sized from the 200 slots of start-up
        const QStringList lines = f.agent.log().lines();
        QVERIFY(lines.contains(QStringLiteral("Pellwick Show False")));
        QCOMPARE(lines.last(), QStringLiteral("Pellwick Speak \"Hi, I'm Pellwick.\" \"\""));
        QCOMPARE(f.agent.log().count(QStringLiteral("set LanguageID")), 3);
        QVERIFY(lines.contains(QStringLiteral("Zed set LanguageID 1033")));
        QCOMPARE(sound_captions, QStringList(3, QStringLiteral("&Sounds for All")));

        // Slot 0 carries only the advanced options; every other character Quit and Cancel.
        QCOMPARE(captions(f.state.characters[0].agent->commands()),
                 QStringList{QStringLiteral("AdvCharOptions|&Advanced Character Options|")});
        for (int slot : {1, 2}) {
            QCOMPARE(captions(f.state.characters[slot].agent->commands()),
                     (QStringList{QStringLiteral("Quit|&Quit|"),
                                  QStringLiteral("Cancel Script|&Cancel Script|Cancel [Script]")}));
            QVERIFY(!f.state.characters[slot].agent->commands().global_voice_commands_enabled());
        }

        QCOMPARE(f.state.characters[0].default_size.height(), 170);
        QCOMPARE(f.state.current_char, QStringLiteral("Pellwick"));  // the greeting speaker
        QCOMPARE(f.state.characters[0].request, f.agent.last_request(QStringLiteral("Pellwick")));
        QCOMPARE(f.state.screen_width_px, QGuiApplication::primaryScreen()->geometry().width());

        // Loaded again, a character keeps its slot.
        auto* before = f.state.characters[1].agent;
        f.agent.log().clear();

        f.form->get_char(QStringLiteral("TOBBLE"));

        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.state.char_index(QStringLiteral("tobble")), 1);
        QCOMPARE(f.state.characters[1].id, QStringLiteral("TOBBLE"));
        QVERIFY(f.state.characters[1].loaded);
        QVERIFY(f.state.characters[1].agent != before);
        QCOMPARE(f.agent.log().lines().mid(0, 2),
                 (QStringList{QStringLiteral("* Unload \"Tobble\""),
                              QStringLiteral("* Load \"TOBBLE\" \"%1/Tobble.acs\"").arg(f.chars_dir())}));
        QCOMPARE(f.agent.loaded_ids().size(), 3);
        QCOMPARE(f.agent.log().count(QStringLiteral("UsedAfterUnload")), 0);
        // Slot 0 keeps only its advanced options after another character reloads.
        QCOMPARE(f.state.characters[0].agent->commands().entries().size(), 1);
    }

    void a_failed_load_is_reported_and_empties_its_slot()
    {
        StageFixture f;
        f.install({"Pellwick", "Tobble", "Zed"});
        f.agent.fail(QStringLiteral("Load"), pw::agent::error::not_a_character, QStringLiteral("Tobble"));
        // Zed loads, then fails later in the set-up.
        f.agent.fail(QStringLiteral("set LanguageID"), 0x80004005, QStringLiteral("Zed"));

        f.form->prepare();

        QCOMPARE(f.messages, (QStringList{
            QStringLiteral("There was an error getting Tobble. Make sure you have the character properly installed! Perhaps the file is corrupt."),
            QStringLiteral("There was an error getting Zed. Make sure you have the character properly installed! Perhaps the file is corrupt."),
        }));
        QCOMPARE(f.combo_items(), (QStringList{QStringLiteral("All"), QStringLiteral("Pellwick"),
                                               QStringLiteral("Tobble"), QStringLiteral("Zed")}));
        QCOMPARE(f.state.char_index(QStringLiteral("Tobble")), -1);
        QVERIFY(!f.state.characters[1].loaded && f.state.characters[1].agent == nullptr);
        // Zed's half-done load is undone, so that loading it again can work.
        QVERIFY(!f.agent.is_loaded(QStringLiteral("Zed")));
        QVERIFY(f.exits.isEmpty());  // Pellwick is there: the program goes on

        f.agent.clear_failures();
        f.messages.clear();
        f.form->get_char(QStringLiteral("Zed"));
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.state.char_index(QStringLiteral("zed")), 1);  // the first free slot

        // Choosing a character whose load failed lists its command lines and no animations.
        f.form->char_avail->setCurrentIndex(2);
        QCOMPARE(f.list_items(), pw::stage::character_command_lines(QStringLiteral("Tobble")));
    }

    void loads_beyond_the_table_never_overwrite_a_loaded_slot()
    {
        StageFixture f;
        f.install({"Pellwick", "Tobble", "Zed"});
        f.state.char_count = 0;  // a table of a single slot at start-up
        f.form->prepare();

        QVERIFY(f.messages.isEmpty());
        for (const char* id : {"Pellwick", "Tobble", "Zed"}) {
            const int slot = f.state.char_index(QString::fromLatin1(id));
            QVERIFY2(slot >= 0, id);
            QVERIFY(f.state.characters[slot].loaded);
            QCOMPARE(f.state.characters[slot].agent, f.agent.item(QString::fromLatin1(id)));
        }
        QCOMPARE(f.agent.loaded_ids().size(), 3);
        QVERIFY(f.state.slot_count() > f.state.char_count);
    }

    void action_lists_follow_the_chosen_entry()
    {
        StageFixture f({QStringLiteral("Pellwick.acs"), QStringLiteral("Tobble.acs")});
        f.agent.define_character(QStringLiteral("Pellwick"),
                                 FakeTraits{{}, {QStringLiteral("Show"), QStringLiteral("Wave"), QStringLiteral("MOVE"),
                                                    QStringLiteral("hide"), QStringLiteral("Greet"),
                                                    QStringLiteral("MoveLeft")}});
        f.agent.define_character(QStringLiteral("Tobble"), FakeTraits{{}, {QStringLiteral("Bounce")}});
        f.form->prepare();

        const QStringList general = f.list_items();
        QCOMPARE(general.size(), 12);
        QCOMPARE(general.first(), QStringLiteral("Sequential (True/False)"));

        f.form->char_avail->setCurrentIndex(1);
        QCOMPARE(f.form->AnimationFrame->title(), QStringLiteral("Pellwick Commands"));
        QCOMPARE(f.state.current_char, QStringLiteral("Pellwick"));
        const QStringList items = f.list_items();
        QCOMPARE(items.size(), 16 + 3);
        QCOMPARE(items[0], QStringLiteral("Pellwick> MoveTo (character)"));
        QCOMPARE(items[1], QStringLiteral("Pellwick> MoveTo X,Y"));
        QCOMPARE(items[15], QStringLiteral("Pellwick> StopMoving"));
        QCOMPARE(items.mid(16), (QStringList{QStringLiteral("Pellwick> Wave"), QStringLiteral("Pellwick> Greet"),
                                             QStringLiteral("Pellwick> MoveLeft")}));

        // Every entry shows whole, also the longest command line of a character.
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        const QListWidget* list = f.form->animation_list;
        // The scroll bar comes with the animations of a real character.
        const int bar =
            list->verticalScrollBar()->isVisible() ? 0 : list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const int room = list->viewport()->width() - bar;
        for (const QString& item : items)
            QVERIFY2(QFontMetrics(list->font()).horizontalAdvance(item) + 4 < room, qPrintable(item));

        f.form->char_avail->setCurrentIndex(2);
        QCOMPARE(f.list_items().last(), QStringLiteral("Tobble> Bounce"));
        QCOMPARE(f.list_items().size(), 17);

        f.form->char_avail->setCurrentIndex(0);
        QCOMPARE(f.list_items(), general);
        QCOMPARE(f.form->AnimationFrame->title(), QStringLiteral("General Commands"));
    }

    void the_list_lies_whole_in_its_frame_in_the_programs_look()
    {
        // The look's font, frames and padding take more room than the plain style.
        pw::windows::style::apply(*static_cast<QApplication*>(QCoreApplication::instance()));
        StageFixture f({QStringLiteral("Pellwick.acs")});
        f.form->prepare();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        // Made as small as it goes, the window still holds the list and its scroll bar
        // whole inside the frame.
        f.form->resize(f.form->minimumSize());
        f.form->layout()->activate();
        const QRect frame = f.form->AnimationFrame->geometry();
        QVERIFY(f.form->rect().contains(frame));
        const QListWidget* list = f.form->animation_list;
        QVERIFY(frame.contains(QRect(list->mapTo(f.form.get(), QPoint()), list->size())));
    }
};

PW_TEST_CLASS(TestStageLoading);
#include "test_stage_loading.moc"
