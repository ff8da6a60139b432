#include "app/help_window.h"

#include "windows/style.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace pw::app {

namespace {

// The pages' own look: QTextBrowser reads this as the document's default style sheet.
const char* const page_css = R"(
body { font-family: "DejaVu Sans"; font-size: 12pt; color: #1f2545; }
h1 { font-size: 20pt; color: #1f2545; }
h2 { font-size: 15pt; color: #1d5f8a; margin-top: 18px; }
pre { font-family: "DejaVu Sans Mono"; font-size: 12pt; background-color: #fff1d0; white-space: pre-wrap; }
code { font-family: "DejaVu Sans Mono"; background-color: #fff1d0; }
a { color: #1d5f8a; }
table.tryit a { color: #1f2545; text-decoration: none; }
p.parents { background-color: #fff1d0; }
)";

// Pages come through here: the "Try it" buttons are put under the examples.
class HelpBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override
    {
        if (type == QTextDocument::HtmlResource && name.isLocalFile()) {
            QFile f(name.toLocalFile());
            if (!f.open(QIODevice::ReadOnly)) return missing_page();
            return HelpBook::with_try_links(QString::fromUtf8(f.readAll()));
        }
        return QTextBrowser::loadResource(type, name);
    }

    static QString missing_page()
    {
        return QStringLiteral(
            "<h1>Oops, this page is missing</h1>"
            "<p>The help book should be in the <code>help</code> folder beside Pellworks, but this "
            "page is not there. Ask a grown-up to install Pellworks again.</p>");
    }
};

}  // namespace

HelpWindow::HelpWindow(const QString& folder, QWidget* parent) : QWidget(parent), book_(folder)
{
    build_controls();
    list_contents();
}

void HelpWindow::build_controls()
{
    setWindowTitle(QStringLiteral("Help"));
    windows::style::dress(this);

    back = new QPushButton(QStringLiteral("Back"), this);
    forward = new QPushButton(QStringLiteral("Forward"), this);
    home = new QPushButton(QStringLiteral("Start"), this);
    windows::style::dress_button(back, "", QStringLiteral("back"));
    windows::style::dress_button(forward, "", QStringLiteral("forward"));
    windows::style::dress_button(home, "secondary", QStringLiteral("home"));
    back->setEnabled(false);
    forward->setEnabled(false);

    search = new QLineEdit(this);
    search->setPlaceholderText(QStringLiteral("Search the help"));
    search->setAccessibleName(QStringLiteral("Search the help"));
    search->setClearButtonEnabled(true);

    contents = new QListWidget(this);
    contents->setAccessibleName(QStringLiteral("Contents"));
    contents->setWordWrap(true);
    contents->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Wide enough for a page's title in two lines at most.
    contents->setMinimumWidth(contents->fontMetrics().horizontalAdvance(QStringLiteral("Choosing and repeating")) + 40);
    pages = new HelpBrowser(this);
    pages->setAccessibleName(QStringLiteral("Help page"));
    pages->setOpenLinks(false);
    pages->document()->setDefaultStyleSheet(QString::fromLatin1(page_css));
    pages->document()->setDocumentMargin(12);

    auto* top = new QHBoxLayout;
    top->addWidget(back);
    top->addWidget(forward);
    top->addWidget(home);
    top->addSpacing(12);
    top->addWidget(search, 1);

    auto* left = new QWidget(this);
    auto* left_column = new QVBoxLayout(left);
    left_column->setContentsMargins(0, 0, 0, 0);
    left_column->addWidget(contents);
    auto* split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(pages);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 3);
    split->setChildrenCollapsible(false);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(8);
    column->addLayout(top);
    column->addWidget(split, 1);

    connect(back, &QPushButton::clicked, pages, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, pages, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, this, [this] { show_first_page(); });
    connect(pages, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(pages, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(pages, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { link_clicked(url); });
    connect(pages, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) { page_changed(url); });
    connect(search, &QLineEdit::textChanged, this, [this](const QString& words) { search_changed(words); });
    connect(contents, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (listing_ || !item) return;
        show_page(book_.url(item->data(Qt::UserRole).toString()));
        // A page found by searching opens at the first place the words stand.
        const QString words = search->text().simplified();
        if (!words.isEmpty()) pages->find(words.section(QLatin1Char(' '), 0, 0));
    });
}

void HelpWindow::list_contents()
{
    listing_ = true;
    contents->clear();
    const QString words = search->text().simplified();
    const QList<HelpPage> list = words.isEmpty() ? book_.contents() : book_.search(words);
    for (const HelpPage& page : list) {
        auto* item = new QListWidgetItem(page.title, contents);
        item->setData(Qt::UserRole, page.file);
    }
    if (!words.isEmpty() && list.isEmpty()) {
        auto* item = new QListWidgetItem(QStringLiteral("Nothing found. Try another word!"), contents);
        item->setFlags(Qt::NoItemFlags);
    }
    listing_ = false;
    mark_in_list(QFileInfo(page().toLocalFile()).fileName());
}

void HelpWindow::search_changed(const QString&)
{
    list_contents();
}

QUrl HelpWindow::page() const
{
    return pages->source();
}

void HelpWindow::show_first_page()
{
    show_page(book_.url(HelpBook::first_page()));
}

void HelpWindow::show_page(const QUrl& url)
{
    if (!book_.is_there()) {
        pages->setHtml(HelpBrowser::missing_page());
        return;
    }
    pages->setSource(url, QTextDocument::HtmlResource);
}

void HelpWindow::show_statement(const QString& line)
{
    show_page(book_.statement_url(line));
}

void HelpWindow::link_clicked(const QUrl& url)
{
    if (url.scheme() == QLatin1String("try")) {
        const int n = url.path().toInt();
        if (n >= 0 && n < examples_.size()) emit try_it(examples_.at(n));
        return;
    }
    // Every link of the book stays in the book; a fragment alone stays on the page.
    const QUrl target = pages->source().resolved(url);
    if (target.isLocalFile()) show_page(target);
}

void HelpWindow::page_changed(const QUrl& url)
{
    const QString file = QFileInfo(url.toLocalFile()).fileName();
    examples_ = HelpBook::examples(book_.page_html(file));
    mark_in_list(file);
}

void HelpWindow::mark_in_list(const QString& file)
{
    listing_ = true;
    contents->setCurrentItem(nullptr);
    for (int i = 0; i < contents->count(); ++i) {
        if (contents->item(i)->data(Qt::UserRole).toString() == file) {
            contents->setCurrentRow(i);
            break;
        }
    }
    listing_ = false;
}

}  // namespace pw::app
