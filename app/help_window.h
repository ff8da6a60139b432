#pragma once
// The help book's window: the contents (or, while searching, the pages that hold the
// words) beside the page, back, forward and home buttons, and a "Try it" button under
// every example that hands the example to the Script window.

#include "app/help_book.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace pw::app {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(const QString& folder, QWidget* parent = nullptr);

    const HelpBook& book() const { return book_; }
    // Shows a page of the book (with its anchor); the first page when it is not there.
    void show_page(const QUrl& url);
    void show_first_page();
    // The page that explains the statement of a script line.
    void show_statement(const QString& line);
    // The examples of the page shown now.
    const QStringList& page_examples() const { return examples_; }
    QUrl page() const;

    QLineEdit* search = nullptr;
    QListWidget* contents = nullptr;
    QTextBrowser* pages = nullptr;
    QPushButton* back = nullptr;
    QPushButton* forward = nullptr;
    QPushButton* home = nullptr;

signals:
    // A "Try it" button: the example's script text.
    void try_it(const QString& script);

private:
    void build_controls();
    void list_contents();
    void search_changed(const QString& words);
    void link_clicked(const QUrl& url);
    void page_changed(const QUrl& url);
    // Marks the page in the list, without following the mark.
    void mark_in_list(const QString& file);

    HelpBook book_;
    QStringList examples_;
    bool listing_ = false;
};

}  // namespace pw::app
