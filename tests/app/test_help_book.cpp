// The help book: its pages link only to pages and places that exist, every statement
// has its place (F1), "Try it" adds to the script without losing it, and the Window
// menu brings back the windows a child closed.

#include "app/help_book.h"
#include "app/help_window.h"
#include "engine/script_text.h"
#include "tests/answer_table.h"
#include "tests/app/window_fixture.h"
#include "tests/test_classes.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTextBlock>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTest>

namespace {

const QString pages_folder = QStringLiteral(PW_SOURCE_DIR "/data/help");

}  // namespace

class TestHelpBook : public QObject {
    Q_OBJECT

private slots:
    void every_link_leads_to_a_page_and_place_that_exist()
    {
        const pw::app::HelpBook book(pages_folder);
        QVERIFY(book.is_there());
        QStringList in_contents;
        for (const auto& page : book.contents()) in_contents << page.file;
        // Every page is in the contents, and the contents hold no page twice.
        QStringList files = QDir(pages_folder).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
        QStringList sorted = in_contents;
        sorted.sort();
        QCOMPARE(sorted, files);

        static const QRegularExpression href(QStringLiteral(R"re(href="([^"]*)")re"));
        static const QRegularExpression name(QStringLiteral(R"re(<a name="([^"]+)")re"));
        QHash<QString, QStringList> anchors;
        for (const QString& file : files)
            for (auto it = name.globalMatch(book.page_html(file)); it.hasNext();) anchors[file] << it.next().captured(1);
        for (const QString& file : files) {
            const QString html = book.page_html(file);
            QVERIFY2(!html.isEmpty(), qPrintable(file));
            QVERIFY2(!QRegularExpression(QStringLiteral("<title>\\s*</title>")).match(html).hasMatch() &&
                         html.contains(QStringLiteral("<title>")),
                     qPrintable(file));
            for (auto it = href.globalMatch(html); it.hasNext();) {
                const QString link = it.next().captured(1);
                const QString page = link.section(QLatin1Char('#'), 0, 0);
                const QString target = page.isEmpty() ? file : page;
                const QString anchor = link.section(QLatin1Char('#'), 1);
                const QString where = file + QStringLiteral(" -> ") + link;
                QVERIFY2(files.contains(target), qPrintable(where));
                QVERIFY2(anchor.isEmpty() || anchors[target].contains(anchor), qPrintable(where));
            }
            // Each page's "Try it" buttons match its examples one to one.
            const QString shown = pw::app::HelpBook::with_try_links(html);
            QCOMPARE(shown.count(QStringLiteral("href=\"try:")), pw::app::HelpBook::examples(html).size());
        }
    }

    void every_statement_has_its_place()
    {
        const pw::app::HelpBook book(pages_folder);
        // Every keyword of the language, by the line a child would write.
        for (const auto& k : pw::engine::script::keyword_table()) {
            const QString word = QString::fromLatin1(k.word);
            const QString line = QStringLiteral("pellwick> ") + (word.isEmpty() ? QString() : word + QStringLiteral(" 1"));
            const QUrl url = book.statement_url(line);
            QVERIFY2(url.hasFragment() || word.isEmpty(), qPrintable(word));
        }
        const auto answer = [&book](const QString&, const QStringList& args) {
            const QUrl url = book.statement_url(args.value(0));
            const QString page = QFileInfo(url.toLocalFile()).fileName();
            return url.hasFragment() ? page + QLatin1Char('#') + url.fragment() : page;
        };
        const QString mismatch = pw::test::table_mismatch(QStringLiteral(PW_SOURCE_DIR "/tests/app/help_places.table"), answer);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    void f1_and_try_it_in_the_main_window()
    {
        WindowFixture f;
        f.window->help_folder = pages_folder;
        f.window->show();
        QApplication::setActiveWindow(f.window.get());
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto& editor = *f.script().script_text;
        editor.setPlainText(QStringLiteral("pellwick> speak hi\ntansy> moveto 10,10\n"));
        QTextCursor cursor(editor.document()->findBlockByNumber(1));
        editor.setTextCursor(cursor);
        editor.setFocus();
        QTest::keyClick(&editor, Qt::Key_F1);
        pw::app::HelpWindow* help = f.window->help_book();
        QVERIFY(help);
        QVERIFY(f.window->help_book_window()->isVisible());
        QCOMPARE(help->page().fileName(), QStringLiteral("moving.html"));
        QCOMPARE(help->page().fragment(), QStringLiteral("moveto"));

        // The Help menu opens the first page, whose first example goes below the script.
        f.window->help->trigger();
        QCOMPARE(help->page().fileName(), QStringLiteral("index.html"));
        QVERIFY(!help->page_examples().isEmpty());
        emit help->pages->anchorClicked(QUrl(QStringLiteral("try:0")));
        const QString expected = QStringLiteral("pellwick> speak hi\ntansy> moveto 10,10\n") + help->page_examples().first();
        QCOMPARE(editor.toPlainText(), expected);
        // Not while a script runs: its text stays as it is.
        editor.setReadOnly(true);
        emit help->pages->anchorClicked(QUrl(QStringLiteral("try:0")));
        QCOMPARE(editor.toPlainText(), expected);
        editor.setReadOnly(false);

        // A link inside the book, then back and forward.
        emit help->pages->anchorClicked(QUrl(QStringLiteral("waiting.html#pause")));
        QCOMPARE(help->page().fileName(), QStringLiteral("waiting.html"));
        QVERIFY(help->back->isEnabled());
        help->back->click();
        QCOMPARE(help->page().fileName(), QStringLiteral("index.html"));

        // Searching lists only the pages with every word; an empty field the contents.
        help->search->setText(QStringLiteral("tickle"));
        QVERIFY(help->contents->count() >= 1 && help->contents->count() < help->book().contents().size());
        help->search->setText(QStringLiteral("zebracorn"));
        QCOMPARE(help->contents->count(), 1);
        QCOMPARE(help->contents->item(0)->flags(), Qt::NoItemFlags);
        help->search->clear();
        QCOMPARE(help->contents->count(), help->book().contents().size());
    }

    void window_menu_brings_back_closed_windows()
    {
        WindowFixture f;
        f.window->show();
        auto* w = f.window.get();
        for (QMdiSubWindow* sub : {w->script_window(), w->stage_window(), w->sounds_window()}) sub->show();
        const struct {
            QMdiSubWindow* sub;
            QAction* action;
        } cases[] = {{w->script_window(), w->show_script},
                     {w->stage_window(), w->show_actions},
                     {w->sounds_window(), w->show_sounds}};
        for (const auto& c : cases) {
            QVERIFY(c.sub->close());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // hidden, not deleted
            QVERIFY(!c.sub->isVisible());
            c.action->trigger();
            QVERIFY(c.sub->isVisible());
            QVERIFY(c.sub->widget()->isVisible());
            QCOMPARE(w->area()->activeSubWindow(), c.sub);
        }
        // The clock is there only while a script runs.
        emit w->window_menu->aboutToShow();
        QVERIFY(!w->show_clock_window->isEnabled());
        w->show_clock();
        emit w->window_menu->aboutToShow();
        QVERIFY(w->show_clock_window->isEnabled());
        w->unload_clock();
    }

    void a_missing_book_is_told_kindly()
    {
        WindowFixture f;
        f.window->help_folder = f.program_dir.filePath(QStringLiteral("nothing-here"));
        f.window->show_help_book();
        QVERIFY(f.window->help_book()->pages->toPlainText().contains(QStringLiteral("missing")));
        QCOMPARE(f.window->help_book()->contents->count(), 0);
        f.window->show_help_for(QStringLiteral("pellwick> speak hi"));
        QVERIFY(f.window->help_book()->pages->toPlainText().contains(QStringLiteral("missing")));
    }
};

PW_TEST_CLASS(TestHelpBook);
#include "test_help_book.moc"
