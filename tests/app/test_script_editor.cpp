// The Script window as an editor: what the colours and hints make of lines, the
// completion list, Esc on that list, and the script kept when it was not saved.

#include "window_cases.h"

#include "app/autosave.h"
#include "app/cursor_rest.h"
#include "app/load_save_window.h"
#include "app/script_check.h"
#include "app/script_edit.h"
#include "app/script_file.h"
#include "app/script_highlighter.h"
#include "tests/test_classes.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTest>

using namespace pw::app;

namespace {

ScriptVocabulary words()
{
    ScriptVocabulary v;
    v.characters << ScriptVocabulary::Character{QStringLiteral("Pellwick"), {"restpose", "wave", "greet"}, true}
                 << ScriptVocabulary::Character{QStringLiteral("Tansy"), {"restpose", "twirl"}, true};
    return v;
}

// "kind:start+length" for each span, the hints after a "|".
QString spans_of(const CheckedLine& line)
{
    static const char* names[] = {"prefix", "noprefix", "keyword", "animation", "unknown",
                                  "number", "comment",  "speed",   "wait"};
    QStringList out;
    for (const WordSpan& s : line.spans)
        out << QStringLiteral("%1:%2+%3").arg(QLatin1String(names[int(s.kind)])).arg(s.start).arg(s.length);
    for (const Hint& h : line.hints) out << QStringLiteral("| ") + h.text;
    return out.join(QLatin1Char(' '));
}

QString hints_of(const QList<CheckedLine>& lines)
{
    QStringList out;
    for (int i = 0; i < lines.size(); ++i)
        for (const Hint& h : lines[i].hints) out << QStringLiteral("%1: %2").arg(i + 1).arg(h.text);
    return out.join(QLatin1Char('\n'));
}

}  // namespace

class TestScriptEditor : public QObject {
    Q_OBJECT

private slots:
    void lines_are_read_as_the_runner_reads_them_data()
    {
        QTest::addColumn<QString>("before");  // the character of the lines above
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("statement") << "" << "pellwick> speak hi 3" << "prefix:0+9 keyword:10+5 number:19+1";
        QTest::newRow("animation in any case") << "" << "Pellwick> WAVE" << "prefix:0+9 animation:10+4";
        QTest::newRow("the friend's own trick") << "" << "tansy> twirl" << "prefix:0+6 animation:7+5";
        QTest::newRow("not the friend's trick")
            << "" << "pellwick> twirl" << "prefix:0+9 unknown:10+5 | Pellwick doesn't know 'twirl'.";
        QTest::newRow("typo") << "" << "pellwick> speek hi"
                              << "prefix:0+9 unknown:10+5 | Pellwick doesn't know 'speek'. Did you mean speak?";
        QTest::newRow("character from above") << "tansy" << "  twril" << "unknown:2+5 | Tansy doesn't know 'twril'. Did you mean twirl?";
        QTest::newRow("no character yet") << "" << "wave"
                                          << "unknown:0+4 | Who should do 'wave'? Start the line with a name, like pellwick> wave";
        QTest::newRow("not installed")
            << "" << "pelwick> wave" << "noprefix:0+8 | There is no character called 'pelwick'. Did you mean pellwick?";
        QTest::newRow("comment line") << "pellwick" << ";speek" << "comment:0+6";
        QTest::newRow("comment statement") << "" << "pellwick>  ; speek" << "prefix:0+9 comment:11+7";
        QTest::newRow("speeds and numbers")
            << "" << "pellwick> moveto 10,-20 fast" << "prefix:0+9 keyword:10+6 number:17+2 number:20+3 speed:24+4";
        QTest::newRow("wait words") << "" << "pellwick> waitfor key=anykey quiet"
                                    << "prefix:0+9 keyword:10+7 wait:18+3 wait:22+6 wait:29+5";
        QTest::newRow("label") << "" << "label 3" << "keyword:0+5 number:6+1";
    }
    void lines_are_read_as_the_runner_reads_them()
    {
        QFETCH(QString, before);
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(spans_of(check_line(line, before, words())), expected);
    }

    void hints_that_need_the_whole_script_and_completion()
    {
        const QStringList script{
            "pellwick> goto label 2", "pellwick> goto label 1", "label 1",  "pellwick> loop 2",
            "pellwick> do",           "pellwick> loop 3",       "if key=a", "pellwick> wave",
            "if key=b then",          "endif",                  "label 12"};
        QCOMPARE(hints_of(check_script(script, words())),
                 QStringLiteral("1: There is no label 2 to go to.\n"
                                "4: This loop has no do above it, so nothing repeats.\n"
                                "7: This if needs an endif below it.\n"
                                "11: Labels go from 0 to 10, not 12."));
        // What Play would refuse for the whole script (the script cases hold every such
        // fault), on its line or on the placeholder.
        const QStringList crowded = QStringList(201, "pellwick> wave") << "pellwick> wave";
        QCOMPARE(hints_of(check_script(crowded, words())),
                 QStringLiteral("202: A script can have at most 201 lines, and this is line 202."));
        // (The letters x,y are a statement of their own for charpos; notes are notes.)
        const QList<CheckedLine> unfinished = check_script(
            {"Tansy> Speak (words)", "pellwick> moveto X,Y slow", "pellwick> charpos x,y", "pellwick> ; Loop (number)"},
            words());
        QCOMPARE(hints_of(unfinished), QStringLiteral("1: Write what Tansy should say here.\n"
                                                      "2: Write two numbers here for the place, like 300,200."));
        QCOMPARE(unfinished[0].hints[0], (Hint{13, 7, "Write what Tansy should say here."}));
        // The character of a prefix holds for the lines below it.
        QCOMPARE(check_script({"tansy> twirl", "twirl", "pellwick> wave"}, words()).value(1).hints.size(), 0);
        // Before the characters are loaded nothing is called missing.
        QCOMPARE(hints_of(check_script({"nobody> zap"}, ScriptVocabulary{})), QString());
        // Completion offers the statements and the character's own tricks, once each.
        const QStringList offered = completion_words(words(), QStringLiteral("TANSY"));
        QVERIFY(offered.contains("show") && offered.contains("twirl") && !offered.contains("wave") && !offered.contains(""));
        QCOMPARE(offered.count("show"), 1);
    }

    void colours_read_well_on_the_editor()
    {
        const QColor cream(0xff, 0xfb, 0xe6);
        ScriptHighlighter h(nullptr, {});
        for (const WordKind k : {WordKind::keyword, WordKind::animation, WordKind::number, WordKind::comment,
                                 WordKind::speed, WordKind::wait, WordKind::unknown})
            QVERIFY(ScriptHighlighter::contrast(h.colour_of(k), cream) >= 4.5);
        for (const char* id : {"pellwick", "Tansy", "somebody"})
            QVERIFY2(ScriptHighlighter::contrast(h.character_colour(QLatin1String(id)), cream) >= 4.5, id);
        QVERIFY(h.character_colour("pellwick") != h.character_colour("tansy"));
    }

    void colours_stay_when_a_run_sets_the_text()
    {
        WindowFixture f;
        f.pellwick();
        auto& s = f.script();
        auto coloured = [&] {
            const QTextLayout* layout = s.script_text->document()->firstBlock().layout();
            return layout && !layout->formats().isEmpty();
        };
        s.set_editor_text(QStringLiteral("pellwick> speak hi\r\npellwick> wave"));
        QCoreApplication::processEvents();
        QVERIFY(coloured());
        // What a run does with a text that does not end in a line break.
        s.set_editor_text(s.editor_text() + QStringLiteral("\r\n"));
        QCoreApplication::processEvents();
        QVERIFY(coloured());
    }

    void esc_closes_the_completion_list_and_nothing_else()
    {
        WindowFixture f;
        pw::fakes::FakeTraits traits;
        for (const char* look : {"Down", "Left", "Right", "Up", "DownBlink", "UpBlink", "LeftBlink"})
            traits.animations << QStringLiteral("Look") + QLatin1String(look);
        pw::fakes::load_into_slot(f.state, f.agent, 0, QStringLiteral("Pellwick"), true, traits);
        f.state.char_count = 1;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        ScriptEdit& edit = f.script().edit();
        edit.setFocus();
        QTRY_VERIFY(edit.hasFocus());
        QTest::keyClicks(&edit, QStringLiteral("pellwick> gr"));
        QTRY_VERIFY(edit.completer()->popup()->isVisible());
        QCOMPARE(edit.completer()->currentCompletion(), QStringLiteral("greet"));
        // The list has the keys while it is open; the release comes to the editor.
        QTest::keyPress(edit.completer()->popup(), Qt::Key_Escape);
        QTest::keyRelease(&edit, Qt::Key_Escape);
        QVERIFY(!edit.completer()->popup()->isVisible());
        QVERIFY(!f.state.cancel_requested);
        QCOMPARE(edit.toPlainText(), QStringLiteral("pellwick> gr"));

        // Tab takes the word.
        QTest::keyClicks(&edit, QStringLiteral("e"));
        QTRY_VERIFY(edit.completer()->popup()->isVisible());
        QTest::keyClick(edit.completer()->popup(), Qt::Key_Tab);
        QCOMPARE(edit.toPlainText(), QStringLiteral("pellwick> greet"));

        // A long list: its scroll bar leaves every word whole.
        QTest::keyClick(&edit, Qt::Key_Return);
        QTest::keyClicks(&edit, QStringLiteral("pellwick> l"));
        QAbstractItemView* popup = edit.completer()->popup();
        QTRY_VERIFY(popup->isVisible());
        QVERIFY(popup->verticalScrollBar()->isVisible());
        QVERIFY(popup->viewport()->width() >= popup->sizeHintForColumn(0));
    }

    // The script kept when it was not saved: the cases in tests/app/kept_script.
    void the_kept_script_data() { pw::window_cases::add_rows(QStringLiteral(PW_SOURCE_DIR "/tests/app/kept_script")); }
    void the_kept_script() { pw::window_cases::check_row(QStringLiteral(PW_SOURCE_DIR "/tests/app/kept_script")); }

    void a_script_that_cannot_be_kept_is_told_once()
    {
        WindowFixture f;
        f.reopen_with_user_folder(f.write_file(QStringLiteral("not a folder"), "x"));
        f.pellwick();
        auto& s = f.script();
        for (const char* text : {"pellwick> wave", "pellwick> greet"}) {
            s.script_text->setPlainText(QLatin1String(text));
            s.autosave().write_pending();
        }
        QVERIFY(!s.not_kept_panel->isHidden());
        QCOMPARE(f.said().count(s.not_kept_sentence()), 1);
    }

    void the_cursor_stops_blinking_while_nobody_types()
    {
        const int blink = QApplication::cursorFlashTime();
        QVERIFY(blink > 0);
        ScriptEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        {
            CursorRest rest(nullptr, 20);
            QTRY_COMPARE(QApplication::cursorFlashTime(), 0);
            QTest::keyClick(&edit, Qt::Key_A);
            QCOMPARE(QApplication::cursorFlashTime(), blink);
            QTRY_COMPARE(QApplication::cursorFlashTime(), 0);
        }
        QCOMPARE(QApplication::cursorFlashTime(), blink);
    }
};

PW_TEST_CLASS(TestScriptEditor);
#include "test_script_editor.moc"
