// The Script window as an editor: what the colours and hints make of lines, the
// completion list, Esc on that list, and the script kept when it was not saved.

#include "window_cases.h"

#include "tests/answer_table.h"

#include "app/cursor_rest.h"
#include "app/script_check.h"
#include "app/script_edit.h"
#include "app/script_highlighter.h"
#include "tests/test_classes.h"

#include <QAbstractItemView>
#include <QCompleter>
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

const QStringList kinds{"prefix", "noprefix", "keyword", "animation", "unknown", "number", "comment", "speed", "wait"};

// "kind:start+length" for each span, then the hints.
QString spans_of(const CheckedLine& line)
{
    QStringList out;
    for (const WordSpan& s : line.spans) out << QStringLiteral("%1:%2+%3").arg(kinds.value(int(s.kind))).arg(s.start).arg(s.length);
    for (const Hint& h : line.hints) out << QStringLiteral("| %1+%2 ").arg(h.start).arg(h.length) + h.text;
    return out.join(QLatin1Char(' '));
}

QString hints_of(const QList<CheckedLine>& lines)
{
    QStringList out;
    for (int i = 0; i < lines.size(); ++i)
        for (const Hint& h : lines[i].hints) out << QStringLiteral("%1: %2+%3 %4").arg(i + 1).arg(h.start).arg(h.length).arg(h.text);
    return out.isEmpty() ? QStringLiteral("(none)") : out.join(QStringLiteral(" | "));
}

QString answer(const QString& verb, const QStringList& args)
{
    if (verb == QLatin1String("line")) return spans_of(check_line(args.value(1), args.value(0), words()));
    if (verb == QLatin1String("script")) return hints_of(check_script(args, words()));
    if (verb == QLatin1String("script, nobody loaded")) return hints_of(check_script(args, ScriptVocabulary{}));
    // A colour and its contrast to the editor's cream.
    const ScriptHighlighter h(nullptr, {});
    const QColor c = verb == QLatin1String("colour") ? h.colour_of(WordKind(kinds.indexOf(args.value(0)))) : h.character_colour(args.value(0));
    if (verb.endsWith(QLatin1String("colour")))
        return c.name() + QStringLiteral(", %1:1").arg(ScriptHighlighter::contrast(c, QColor(0xff, 0xfb, 0xe6)), 0, 'f', 2);
    if (verb == QLatin1String("completion")) return completion_words(words(), args.value(0)).join(QLatin1Char(' '));
    return QStringLiteral("(not a question)");
}

}  // namespace

class TestScriptEditor : public QObject {
    Q_OBJECT

private slots:
    void lines_scripts_and_completion_answer_as_on_file()
    {
        const QString mismatch = pw::test::table_mismatch(QStringLiteral(PW_SOURCE_DIR "/tests/app/script_check.table"), answer);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        // What Play would refuse for the whole script (the script cases hold every such
        // fault), on its line.
        const QStringList crowded = QStringList(201, "pellwick> wave") << "pellwick> wave";
        QCOMPARE(hints_of(check_script(crowded, words())),
                 QStringLiteral("202: 0+14 A script can have at most 201 lines, and this is line 202."));
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
