// The composer's "Program": the entry goes into the script as a line of its own, by
// the editor's text rules. (What "Show me" does is the script cases', show_me_*.)

#include "stage/composer.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/recording_run_host.h"
#include "tests/test_classes.h"

#include <QTest>

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
        pw::fakes::FakeAgent agent;
        pw::engine::RunState state{agent};
        pw::fakes::RecordingRunHost editor{state};
        editor.text = text;
        pw::stage::compose(state, editor, false, entry);
        QCOMPARE(editor.text, expected);
        QVERIFY(agent.log().records().isEmpty());
    }
};

PW_TEST_CLASS(TestComposer);
#include "test_composer.moc"
