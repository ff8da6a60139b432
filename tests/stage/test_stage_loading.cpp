// Start-up of the stage on the fake platform: the greeting, set-up and pop-up commands
// of every character, reloading, and the action list whole in its frame (which files
// become which characters in which slots, the extra character folder, load failures
// and what the list holds are the start-up cases', tests/app/start_up).

#include "tests/app/window_fixture.h"
#include "windows/style.h"

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
    void start_up_greets_and_sets_up_every_character()
    {
        StageFixture f({QStringLiteral("Pellwick.acs"), QStringLiteral("Tobble.acs"), QStringLiteral("Zed.acs")});
        for (const char* id : {"Pellwick", "Tobble", "Zed"}) f.agent.define_character(QLatin1String(id));
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

        // Loaded again, a character keeps its slot (the start-up cases'), and slot 0
        // keeps only its advanced options.
        f.form->get_char(QStringLiteral("TOBBLE"));
        QCOMPARE(f.state.characters[0].agent->commands().entries().size(), 1);
    }

    void every_entry_of_a_characters_list_shows_whole()
    {
        // What each entry lists is the start-up cases' (tests/app/start_up).
        StageFixture f({QStringLiteral("Pellwick.acs")});
        f.form->prepare();
        f.form->char_avail->setCurrentIndex(1);
        QCOMPARE(f.state.current_char, QStringLiteral("Pellwick"));  // the chosen one is current
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        const QListWidget* list = f.form->animation_list;
        // The scroll bar comes with the animations of a real character.
        const int bar =
            list->verticalScrollBar()->isVisible() ? 0 : list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const int room = list->viewport()->width() - bar;
        for (const QString& item : f.list_items())
            QVERIFY2(QFontMetrics(list->font()).horizontalAdvance(item) + 4 < room, qPrintable(item));
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
