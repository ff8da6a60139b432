// "Load/Save Script": what is saved loads back the same, in any language and from old
// files; a failed save or load loses nothing and says so; writing over a script needs
// a yes; names are plain file names in the scripts folder; the list follows the folder.
// Each is a case in tests/app/load_save (see tests/app/README.md); the dialog's place
// on the screen is checked here.

#include "window_cases.h"

#include "app/load_save_window.h"
#include "tests/test_classes.h"
#include "windows/twips.h"

#include <QMdiSubWindow>
#include <QTest>

namespace {
const QString cases = QStringLiteral(PW_SOURCE_DIR "/tests/app/load_save");
}  // namespace

class TestLoadSave : public QObject {
    Q_OBJECT

private slots:
    void each_case_reads_as_its_transcript_data() { pw::window_cases::add_rows(cases); }
    void each_case_reads_as_its_transcript() { pw::window_cases::check_row(cases); }

    void the_dialog_opens_clear_of_the_characters()
    {
        WindowFixture f;
        f.pellwick();
        f.window->resize(1200, 900);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        // Pellwick stands where the dialog would first go; characters stay on top.
        f.window->show_load_save();
        f.window->save_dialog()->cancel_clicked();
        QWidget* area = f.window->save_window()->parentWidget();
        const QPoint first = area->mapToGlobal(pw::windows::twips_rect(5820, 1845, 0, 0, area).topLeft());
        auto* pellwick = f.agent.character(QStringLiteral("Pellwick"));
        pellwick->place(first.x() + 40, first.y() + 10);
        f.window->show_load_save();
        const QRect dialog(area->mapToGlobal(f.window->save_window()->pos()), f.window->save_window()->size());
        QVERIFY(!dialog.intersects(QRect(pellwick->left(), pellwick->top(), pellwick->width(), pellwick->height())));
        QVERIFY(area->rect().contains(f.window->save_window()->geometry()));
    }
};

PW_TEST_CLASS(TestLoadSave);
#include "test_load_save.moc"
