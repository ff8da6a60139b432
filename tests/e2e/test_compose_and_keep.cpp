// A child makes a script with real mouse and keys on a real X server: a double click on
// "Wave" in Program mode adds the line, pasting from an empty clipboard changes nothing,
// and the editor is emptied by hand (saving and loading are the load/save cases').

#include "tests/app/window_fixture.h"

#include "app/load_save_window.h"
#include "stage/stage_window.h"
#include "tests/test_classes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// Where a point of a widget is in the main window, which receives the real events.
QPoint at(const WindowFixture& f, const QWidget* widget, QPoint point)
{
    return widget->mapTo(f.window.get(), point);
}

void click(WindowFixture& f, const QWidget* widget)
{
    QTest::mouseClick(f.window->windowHandle(), Qt::LeftButton, {}, at(f, widget, widget->rect().center()));
}

void double_click_item(WindowFixture& f, QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    list->scrollToItem(found.first());
    const QPoint p = at(f, list->viewport(), list->visualItemRect(found.first()).center());
    QTest::mouseDClick(f.window->windowHandle(), Qt::LeftButton, {}, p);
}

}  // namespace

class TestComposeAndKeep : public QObject {
    Q_OBJECT

private slots:
    void a_programmed_line_stays_until_emptied_by_hand()
    {
        WindowFixture f;
        f.state.wait_idle_limit = std::chrono::milliseconds(50);
        f.window->show();
        f.start_up();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        auto* stage = f.window->stage();
        auto& script = f.script();

        // Program mode is chosen at the start; Pellwick's actions are listed.
        QVERIFY(stage->mode_choice[1]->isChecked());
        stage->char_avail->setCurrentIndex(stage->char_avail->findText(QStringLiteral("Pellwick")));
        double_click_item(f, stage->animation_list, QStringLiteral("Pellwick> Wave"));
        QTRY_COMPARE(script.editor_text(), QStringLiteral("Pellwick> Wave"));

        // Every way of pasting, with nobody owning the clipboard: nothing happens.
        click(f, script.script_text);
        QTest::keyClick(f.window->windowHandle(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(f.window->windowHandle(), Qt::Key_Insert, Qt::ShiftModifier);
        QWidget* page = script.script_text->viewport();
        QTest::mouseClick(f.window->windowHandle(), Qt::MiddleButton, {}, at(f, page, page->rect().center()));
        QMimeData nothing;
        QDropEvent drop(page->rect().center(), Qt::CopyAction, &nothing, Qt::LeftButton, {});
        QCoreApplication::sendEvent(page, &drop);
        QCOMPARE(script.editor_text(), QStringLiteral("Pellwick> Wave"));

        // The editor emptied by hand.
        QTest::keyClick(f.window->windowHandle(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(f.window->windowHandle(), Qt::Key_Delete);
        QTRY_COMPARE(script.editor_text(), QString());

        // File opens the Load/Save dialog ready for a name to be typed.
        click(f, script.file_button);
        QTRY_VERIFY(f.window->save_dialog() && f.window->save_dialog()->file_name_box->hasFocus());
        QVERIFY(f.messages.isEmpty());
    }
};

PW_TEST_CLASS(TestComposeAndKeep);
#include "test_compose_and_keep.moc"
