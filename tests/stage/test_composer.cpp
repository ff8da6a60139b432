// The composer: "Program" adds the entry to the script by its text rules, "Show me"
// lets a character demonstrate it by the first rule that matches.

#include "stage/composer.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/recording_run_host.h"
#include "tests/fakes/slot_setup.h"
#include "tests/test_classes.h"

#include <QTest>

using pw::fakes::CallLog;

namespace {

struct Composer {
    pw::fakes::FakeAgent agent;
    pw::engine::RunState state{agent};
    pw::fakes::RecordingRunHost editor{state};

    Composer()
    {
        state.set_start_defaults();
        state.screen_width_px = 800;
        state.screen_height_px = 600;
        state.wait_idle_limit = std::chrono::milliseconds(20);
        // Slot 0 is smaller than Tansy: the size demonstration uses slot 0's sizes.
        pw::fakes::FakeTraits small;
        small.width = 100;
        small.height = 90;
        pw::fakes::load_into_slot(state, agent, 0, QStringLiteral("Pellwick"), false, small);
        pw::fakes::load_into_slot(state, agent, 1, QStringLiteral("Tansy"), true)->place(100, 200);
        state.char_count = 2;
        state.characters[0].size = QSize(150, 140);  // Pellwick was made bigger since
    }

    // What the characters were asked to do, property writes left out.
    QStringList acts() const
    {
        QStringList out;
        for (const auto& r : const_cast<Composer*>(this)->agent.log().records())
            if (!r.operation.startsWith(QLatin1String("set "))) out << r.line();
        return out;
    }
};

QString speak(const QString& who, const QString& text)
{
    return who + QStringLiteral(" Speak ") + CallLog::text(text) + QStringLiteral(" \"\"");
}

}  // namespace

class TestComposer : public QObject {
    Q_OBJECT

private slots:
    void program_adds_the_entry_as_a_line_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty editor: the entry alone") << "" << "Do" << "Do";
        QTest::newRow("a line break before it") << "Do" << "Loop (number)" << "Do\r\nLoop (number)";
        QTest::newRow("leading blanks go") << "   Do" << "  Pellwick> Wave  " << "Do\r\nPellwick> Wave";
        QTest::newRow("after a final break: an empty line") << "Do\r\n" << "Loop (number)" << "Do\r\n\r\nLoop (number)";
        QTest::newRow("blanks before the break stay") << "Do  " << "EndIf" << "Do  \r\nEndIf";
        QTest::newRow("only blanks: a first empty line") << "   " << "If" << "\r\nIf";
    }
    void program_adds_the_entry_as_a_line()
    {
        QFETCH(QString, text);
        QFETCH(QString, entry);
        QFETCH(QString, expected);
        Composer c;
        c.editor.text = text;
        pw::stage::compose(c.state, c.editor, false, entry);
        QCOMPARE(c.editor.text, expected);
        QVERIFY(c.acts().isEmpty());
    }

    void show_me_follows_the_first_matching_rule_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("acts");
        const QString p = QStringLiteral("Pellwick");
        const QString t = QStringLiteral("Tansy");
        // General commands are shown by Pellwick, who comes out first.
        QTest::newRow("general: played, then said")
            << "If" << QStringList{"Pellwick Show False", "Pellwick Play \"If\"", speak(p, "If")};
        QTest::newRow("animation") << "Tansy> Wave" << QStringList{"Tansy Play \"Wave\"", speak(t, "Wave")};
        QTest::newRow("moveto x,y") << "Tansy> MoveTo X,Y" << QStringList{speak(t, "moveto X,Y")};
        QTest::newRow("moveto x,y is case-sensitive")
            << "Tansy> moveto X,Y" << QStringList{"Tansy Play \"moveto X,Y\"", speak(t, "moveto X,Y")};
        QTest::newRow("charpos: the reference point")
            << "Tansy> CharPos (X, Y)" << QStringList{speak(t, "Tansy current X: 164 current Y: 232")};
        QTest::newRow("charsize: slot 0's sizes")
            << "Tansy> CharSize (W, H)"
            << QStringList{speak(t, "Tansy default width: 100 default height: 90"),
                           speak(t, "Tansy current width: 150 current height: 140")};
        QTest::newRow("speak, case ignored") << "Tansy> SPEAK (words)" << QStringList{speak(t, "SPEAK (words)")};
        QTest::newRow("interval, with the number's blank")
            << "Interval (seconds)" << QStringList{"Pellwick Show False", speak(p, "Current program line interval  5 seconds.")};
        QTest::newRow("nobody by that name: nothing, no failure") << "Nobody> Wave" << QStringList{};
    }
    void show_me_follows_the_first_matching_rule()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, acts);
        Composer c;
        c.editor.text = QStringLiteral("Do");
        pw::stage::compose(c.state, c.editor, true, entry);
        QTRY_COMPARE(c.acts(), acts);
        QCOMPARE(c.editor.text, QStringLiteral("Do"));
    }

    void show_me_moves_to_a_random_place_fully_on_screen()
    {
        Composer c;
        for (int round = 0; round < 30; ++round) {
            c.agent.log().clear();
            pw::stage::compose(c.state, c.editor, true, QStringLiteral("Tansy> MoveTo random"));
            const int x = c.editor.convert_x.toInt();
            const int y = c.editor.convert_y.toInt();
            QVERIFY(x >= 0 && x <= 800 - 128 && y >= 0 && y <= 600 - 128);
            QCOMPARE(c.acts(), (QStringList{
                speak(QStringLiteral("Tansy"), QStringLiteral("moveto  random: X %1, Y %2").arg(x).arg(y)),
                QStringLiteral("Tansy MoveTo %1 %2 0").arg(x).arg(y), QStringLiteral("Tansy Play \"pleased\""),
                speak(QStringLiteral("Tansy"), QStringLiteral("Here I am!"))}));
        }
    }

    void show_me_tickles()
    {
        Composer c;
        pw::stage::compose(c.state, c.editor, true, QStringLiteral("Tansy> Tickle (size)"));
        QVERIFY(c.acts().contains(speak(QStringLiteral("Tansy"), QStringLiteral("Hey, that tickled!"))));
        QVERIFY(c.agent.log().count(QStringLiteral("set Left"), QStringLiteral("Tansy")) > 10);
    }
};

PW_TEST_CLASS(TestComposer);
#include "test_composer.moc"
