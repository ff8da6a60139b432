#pragma once
// The help book: the HTML pages in the program's help/ folder. The first page,
// index.html, links the others in the order of the contents. A statement is explained
// under an anchor named after its keyword (<a name="speak">); an example a child can
// try is a <pre class="try"> block.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace pw::app {

struct HelpPage {
    QString file;   // "talking.html"
    QString title;  // its <title>
};

class HelpBook {
public:
    explicit HelpBook(const QString& folder);

    QString folder() const { return folder_; }
    static QString first_page() { return QStringLiteral("index.html"); }
    // False when the pages are missing (the help/ folder was not installed).
    bool is_there() const;
    QUrl url(const QString& file, const QString& anchor = {}) const;

    // The first page and the pages it links, in its order.
    const QList<HelpPage>& contents() const;
    // The pages whose text holds every word of `words` (case ignored), in contents order.
    QList<HelpPage> search(const QString& words) const;

    // The page and anchor that explain the statement of a script line.
    QUrl statement_url(const QString& line) const;
    // The anchor for a script line: its keyword; "animations" for a word that is no
    // keyword; "comments" for a comment; empty for an empty line.
    static QString statement_anchor(const QString& line);

    // The page's HTML as written, or empty.
    QString page_html(const QString& file) const;
    // The examples of a page, as plain script text (lines separated by "\n").
    static QStringList examples(const QString& html);
    // The page with a "Try it" link (href "try:<n>") after its n-th example.
    static QString with_try_links(const QString& html);

private:
    void read_pages() const;

    QString folder_;
    mutable bool read_ = false;
    mutable QList<HelpPage> contents_;
    mutable QHash<QString, QString> text_;       // file -> plain text, for searching
    mutable QHash<QString, QString> anchor_page_;  // anchor -> file
};

}  // namespace pw::app
