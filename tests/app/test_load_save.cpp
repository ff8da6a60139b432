// "Load/Save Script": what is saved loads back the same, in any language and from old
// files; a failed save or load loses nothing and says so; writing over a script needs
// a yes; names are plain file names in the scripts folder; the list follows the folder.

#include "window_fixture.h"

#include "app/load_save_window.h"
#include "app/tell_child.h"
#include "engine/spoken_questions.h"
#include "platform/core/user_folders.h"
#include "tests/test_classes.h"
#include "windows/twips.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

namespace {

struct Dialog {
    WindowFixture f;
    pw::app::LoadSaveWindow* d = nullptr;
    QString folder;

    Dialog()
    {
        f.pellwick();
        folder = pw::folders::scripts_folder(f.state.user_folder);
        QDir().mkpath(folder);
        open();
    }

    void open()
    {
        f.window->show_load_save();
        d = f.window->save_dialog();
    }
    bool shown() const { return d->is_open() && !f.window->save_window()->isHidden(); }
    QString editor() const { return f.script().editor_text(); }
    void set_editor(const QString& text) const { f.script().set_editor_text(text); }

    QString path(const QString& name) const { return folder + QLatin1Char('/') + name; }
    QByteArray bytes(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    void write(const QString& name, const QByteArray& content) const
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }

    void save_as(const QString& name)
    {
        d->file_name_box->setText(name);
        save();
    }
    // A question about an old file is over once the dialog takes presses again.
    void save() const
    {
        d->save_clicked();
        QVERIFY(QTest::qWaitFor([this] { return d->isEnabled(); }));
    }
    bool load(const QString& name)
    {
        d->file_name_box->setText(name);
        return d->load_clicked();
    }
};

// Everything under a folder, for "nothing was written".
QStringList contents(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) out << it.next();
    out.sort();
    return out;
}

}  // namespace

class TestLoadSave : public QObject {
    Q_OBJECT

private slots:
    void save_then_load_gives_back_the_same_bytes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii, the final break added once")
            << "tea" << "pellwick> speak hi\r\npellwick> wave" << "tea.csp" << QByteArray("pellwick> speak hi\r\npellwick> wave\r\n");
        QTest::newRow("already ending with a break") << "b.csp" << "wave\r\n" << "b.csp" << QByteArray("wave\r\n");
        QTest::newRow("empty") << "nothing" << "" << "nothing.csp" << QByteArray("\r\n");
        QTest::newRow("utf-8 name and text, no byte-order mark")
            << QStringLiteral("Grüße 🐢") << QStringLiteral("pellwick> speak Héllo “zoë” 🐢")
            << QStringLiteral("Grüße 🐢.csp") << QStringLiteral("pellwick> speak Héllo “zoë” 🐢\r\n").toUtf8();
        // The extension test is case-sensitive, and only the end of a name counts.
        QTest::newRow("capital extension") << "Tea.CSP" << "wave" << "Tea.CSP.csp" << QByteArray("wave\r\n");
        QTest::newRow("extension inside") << "my.csp story" << "wave" << "my.csp story.csp" << QByteArray("wave\r\n");
    }
    void save_then_load_gives_back_the_same_bytes()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        Dialog t;
        t.set_editor(text);
        t.save_as(name);
        QCOMPARE(t.bytes(file), bytes);
        QCOMPARE(t.f.script().current_file_text(), QStringLiteral("Current file: ") + file);
        QVERIFY(!t.shown());

        t.set_editor(QStringLiteral("something else"));
        t.f.script().set_current_file(QString());
        t.open();
        QCOMPARE(t.d->file_name_box->text(), file);  // the name comes back
        QVERIFY(t.d->listed_names().contains(file));
        QVERIFY(t.load(name));  // as it was typed
        QCOMPARE(t.editor(), QString::fromUtf8(bytes));
        QCOMPARE(t.f.script().current_file_text(), QStringLiteral("Current file: ") + file);
        QVERIFY(!t.shown());

        // Saving what was loaded writes the same bytes again: the file does not grow.
        t.f.agent.post_dbl_click(QStringLiteral("Pellwick"));
        t.open();
        t.save();
        QCOMPARE(t.bytes(file), bytes);
        QVERIFY(t.f.messages.isEmpty());
    }

    void old_and_marked_files_load_as_they_were_written()
    {
        Dialog t;
        // Not UTF-8: read as Windows-1252, then saved as UTF-8.
        t.write(QStringLiteral("old.csp"), "speak caf\xe9 \x93hi\x94 \x80 \x81\r\n");
        QVERIFY(t.load(QStringLiteral("old.csp")));
        const QString text = QStringLiteral("speak café “hi” € \u0081\r\n");
        QCOMPARE(t.editor(), text);
        t.f.agent.post_dbl_click(QStringLiteral("Pellwick"));
        t.open();
        t.save();
        QCOMPARE(t.bytes(QStringLiteral("old.csp")), text.toUtf8());

        // A byte-order mark from another editor is no part of the text.
        t.write(QStringLiteral("marked.csp"), "\xef\xbb\xbfspeak h\xc3\xa9llo\r\n");
        t.open();
        QVERIFY(t.load(QStringLiteral("marked.csp")));
        QCOMPARE(t.editor(), QStringLiteral("speak héllo\r\n"));
    }

    void writing_over_a_script_needs_a_double_click()
    {
        Dialog t;
        t.write(QStringLiteral("tea.csp"), "old tea");
        t.set_editor(QStringLiteral("new tea"));

        // Nobody answers: asked, nothing written, the dialog stays.
        t.save_as(QStringLiteral("tea"));
        QVERIFY(t.f.said().endsWith(pw::engine::overwrite_question()));
        QCOMPARE(t.bytes(QStringLiteral("tea.csp")), QByteArray("old tea"));
        QVERIFY(t.shown() && t.d->isEnabled());
        QVERIFY(!t.f.state.questions.overwrite);

        // A double click while the character asks: the answer, then the file.
        t.f.agent.post_dbl_click(QStringLiteral("Pellwick"));
        t.save();
        QVERIFY(t.f.said().contains(QStringLiteral("OK, I saved it!")));
        QCOMPARE(t.bytes(QStringLiteral("tea.csp")), QByteArray("new tea\r\n"));
        QVERIFY(!t.shown());
    }

    void a_failed_save_keeps_the_old_file_and_says_so()
    {
        Dialog t;
        t.set_editor(QStringLiteral("pellwick> wave"));
        // The scripts folder is a file: nothing can be saved, and that file stays.
        QVERIFY(QDir(t.folder).removeRecursively());
        QFile blocker(t.folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("not a folder") > 0);
        blocker.close();
        t.save_as(QStringLiteral("tea"));
        QVERIFY(t.f.said().endsWith(pw::app::couldnt_save_sentence()));
        QCOMPARE(t.f.messages.size(), 1);
        QVERIFY(t.f.messages[0].startsWith(pw::app::couldnt_save_sentence() + QStringLiteral("\n\n")));
        QVERIFY(t.f.messages[0].contains(QStringLiteral("tea.csp")));
        QVERIFY(t.shown());
        QVERIFY(blocker.open(QIODevice::ReadOnly));
        QCOMPARE(blocker.readAll(), QByteArray("not a folder"));
        blocker.close();

        // A script that may not be changed stays as it was, even after a yes. (Root may
        // write anywhere, so there the case cannot happen.)
        QVERIFY(blocker.remove() && QDir().mkpath(t.folder));
        t.write(QStringLiteral("kept.csp"), "kept\r\n");
        QFile::setPermissions(t.path(QStringLiteral("kept.csp")), QFileDevice::ReadOwner);
        if (access(QFile::encodeName(t.path(QStringLiteral("kept.csp"))).constData(), W_OK) == 0)
            QSKIP("running as root: a read-only file is writable");
        t.f.agent.post_dbl_click(QStringLiteral("Pellwick"));
        t.save_as(QStringLiteral("kept.csp"));
        QCOMPARE(t.bytes(QStringLiteral("kept.csp")), QByteArray("kept\r\n"));
        QVERIFY(t.f.said().endsWith(pw::app::couldnt_save_sentence()));
        QCOMPARE(t.f.messages.size(), 2);
        QVERIFY(t.shown());
    }

    void a_failed_load_says_so_and_keeps_the_text()
    {
        Dialog t;
        t.set_editor(QStringLiteral("my script"));
        t.f.script().set_current_file(QStringLiteral("mine.csp"));
        QDir(t.folder).mkdir(QStringLiteral("folder.csp"));
        t.write(QStringLiteral("picture.csp"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
        const QList<std::pair<QString, QString>> cases{{"missing.csp", pw::app::couldnt_open_sentence()},
                                                       {"folder.csp", pw::app::couldnt_open_sentence()},
                                                       {"picture", pw::app::not_a_script_sentence()}};
        for (const auto& [name, sentence] : cases) {
            t.f.messages.clear();
            QVERIFY(!t.load(name));
            QVERIFY2(t.f.said().endsWith(sentence), qPrintable(name));
            QCOMPARE(t.f.messages.size(), 1);
            QCOMPARE(t.editor(), QStringLiteral("my script"));
            QCOMPARE(t.f.script().current_file_text(), QStringLiteral("Current file: mine.csp"));
            QVERIFY(t.shown());
        }

        // Started with a file on the command line, a full path loads too.
        t.f.state.command_line_mode = 3;
        QVERIFY(t.load(t.f.write_file(QStringLiteral("elsewhere.csp"), "from elsewhere")));
        QCOMPARE(t.editor(), QStringLiteral("from elsewhere"));
    }

    void only_plain_names_are_used_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sentence");
        const QString empty = QStringLiteral("Silly, you have to type in a file name!");
        QTest::newRow("empty") << "" << empty;
        QTest::newRow("blanks") << "   " << empty;
        QTest::newRow("up a folder") << "../escape" << pw::app::LoadSaveWindow::name_sentence(pw::app::NameProblem::separator);
        QTest::newRow("backslash") << "a\\b" << pw::app::LoadSaveWindow::name_sentence(pw::app::NameProblem::separator);
        QTest::newRow("hidden") << ".hidden" << pw::app::LoadSaveWindow::name_sentence(pw::app::NameProblem::leading_dot);
        QTest::newRow("dot dot") << ".." << pw::app::LoadSaveWindow::name_sentence(pw::app::NameProblem::leading_dot);
        QTest::newRow("tab") << "tab\tname" << pw::app::LoadSaveWindow::name_sentence(pw::app::NameProblem::control);
    }
    void only_plain_names_are_used()
    {
        QFETCH(QString, name);
        QFETCH(QString, sentence);
        Dialog t;
        const QString home = t.f.state.user_folder;
        const QStringList before = contents(home);
        t.set_editor(QStringLiteral("my script"));

        t.save_as(name);
        QVERIFY2(t.f.said().endsWith(sentence), qPrintable(t.f.said().join(QLatin1Char('|'))));
        QVERIFY(t.shown());
        QCOMPARE(contents(home), before);

        // Load looks only in the scripts folder as well.
        t.f.write_file(QStringLiteral("escape"), "secret");
        QVERIFY(!t.load(name));
        QVERIFY(t.f.said().endsWith(sentence));
        QCOMPARE(t.editor(), QStringLiteral("my script"));
        QVERIFY(t.f.messages.isEmpty());
    }

    void the_list_is_sorted_and_follows_the_folder()
    {
        Dialog t;
        for (const char* name : {"b.csp", "A.csp", "c.CSP", "notes.txt", ".hidden.csp"}) t.write(QLatin1String(name), "x");
        QDir(t.folder).mkdir(QStringLiteral("d.csp"));
        t.d->cancel_clicked();
        t.open();
        QCOMPARE(t.d->listed_names(), (QStringList{"A.csp", "b.csp", "c.CSP"}));
        QVERIFY(!t.d->load->isEnabled() && !t.d->save_button->isEnabled());  // no name yet

        // Choosing a script names it; one added from elsewhere appears in its place.
        t.d->file_list->setCurrentRow(1);
        QCOMPARE(t.d->file_name_box->text(), QStringLiteral("b.csp"));
        QVERIFY(t.d->load->isEnabled() && t.d->save_button->isEnabled());
        t.write(QStringLiteral("B2.csp"), "x");
        QTRY_COMPARE(t.d->listed_names(), (QStringList{"A.csp", "b.csp", "B2.csp", "c.CSP"}));
        QCOMPARE(t.d->file_list->currentItem()->text(), QStringLiteral("b.csp"));
        QCOMPARE(t.d->file_name_box->text(), QStringLiteral("b.csp"));

        // A double click loads it and names it in the editor's status bar.
        t.d->file_list_double_clicked();
        QCOMPARE(t.editor(), QStringLiteral("x"));
        QCOMPARE(t.f.script().current_file_text(), QStringLiteral("Current file: b.csp"));
    }

    void the_dialog_opens_clear_of_the_characters()
    {
        Dialog t;
        t.d->cancel_clicked();
        t.f.window->resize(1200, 900);
        t.f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.f.window.get()));
        // Pellwick stands where the dialog would first go; characters stay on top.
        QWidget* area = t.f.window->save_window()->parentWidget();
        const QPoint first = area->mapToGlobal(pw::windows::twips_rect(5820, 1845, 0, 0, area).topLeft());
        auto* pellwick = t.f.agent.character(QStringLiteral("Pellwick"));
        pellwick->place(first.x() + 40, first.y() + 10);
        t.open();
        const QRect dialog(area->mapToGlobal(t.f.window->save_window()->pos()), t.f.window->save_window()->size());
        QVERIFY(!dialog.intersects(QRect(pellwick->left(), pellwick->top(), pellwick->width(), pellwick->height())));
        QVERIFY(area->rect().contains(t.f.window->save_window()->geometry()));
    }
};

PW_TEST_CLASS(TestLoadSave);
#include "test_load_save.moc"
