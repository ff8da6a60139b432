#include "app/help_book.h"

#include "engine/script_lines.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextDocumentFragment>

#include <algorithm>

namespace pw::app {

namespace {

const QRegularExpression& example_block()
{
    static const QRegularExpression re(QStringLiteral(R"re(<pre class="try">(.*?)</pre>)re"),
                                       QRegularExpression::DotMatchesEverythingOption);
    return re;
}

QString title_of(const QString& html, const QString& fallback)
{
    static const QRegularExpression re(QStringLiteral("<title>(.*?)</title>"),
                                       QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(html);
    return m.hasMatch() ? QTextDocumentFragment::fromHtml(m.captured(1)).toPlainText().trimmed() : fallback;
}

}  // namespace

HelpBook::HelpBook(const QString& folder) : folder_(folder) {}

bool HelpBook::is_there() const
{
    return QFile::exists(QDir(folder_).filePath(first_page()));
}

QUrl HelpBook::url(const QString& file, const QString& anchor) const
{
    QUrl u = QUrl::fromLocalFile(QDir(folder_).filePath(file));
    if (!anchor.isEmpty()) u.setFragment(anchor);
    return u;
}

QString HelpBook::page_html(const QString& file) const
{
    QFile f(QDir(folder_).filePath(file));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

void HelpBook::read_pages() const
{
    if (read_) return;
    read_ = true;
    const QString first = page_html(first_page());
    if (first.isEmpty()) return;
    contents_ << HelpPage{first_page(), title_of(first, first_page())};
    static const QRegularExpression link(QStringLiteral(R"re(href="([a-z0-9_-]+\.html)")re"));
    for (auto it = link.globalMatch(first); it.hasNext();) {
        const QString file = it.next().captured(1);
        const bool known = std::any_of(contents_.begin(), contents_.end(),
                                       [&file](const HelpPage& p) { return p.file == file; });
        if (!known) contents_ << HelpPage{file, QString()};
    }
    static const QRegularExpression anchor(QStringLiteral(R"re(<a name="([^"]+)")re"));
    for (HelpPage& page : contents_) {
        const QString html = page.file == first_page() ? first : page_html(page.file);
        if (page.title.isEmpty()) page.title = title_of(html, page.file);
        for (auto it = anchor.globalMatch(html); it.hasNext();) anchor_page_.insert(it.next().captured(1), page.file);
    }
}

const QList<HelpPage>& HelpBook::contents() const
{
    read_pages();
    return contents_;
}

QList<HelpPage> HelpBook::search(const QString& words) const
{
    read_pages();
    const QStringList wanted = words.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<HelpPage> found;
    if (wanted.isEmpty()) return found;
    // The pages' plain text is made on the first search, not when the window opens.
    if (text_.isEmpty())
        for (const HelpPage& page : contents_)
            text_.insert(page.file, QTextDocumentFragment::fromHtml(page_html(page.file)).toPlainText());
    for (const HelpPage& page : contents_) {
        const QString& text = text_.value(page.file);
        if (std::all_of(wanted.begin(), wanted.end(),
                        [&text](const QString& w) { return text.contains(w, Qt::CaseInsensitive); }))
            found << page;
    }
    return found;
}

QString HelpBook::statement_anchor(const QString& line)
{
    using namespace pw::engine::script;
    if (line.startsWith(QLatin1Char(';'))) return QStringLiteral("comments");
    const ScriptLine read = read_line(line);
    switch (read.keyword) {
    case Keyword::empty: return read.has_prefix ? QStringLiteral("prefix") : QString();
    case Keyword::comment: return QStringLiteral("comments");
    case Keyword::animation: return QStringLiteral("animations");
    default: return read.keyword_word;
    }
}

QUrl HelpBook::statement_url(const QString& line) const
{
    read_pages();
    const QString anchor = statement_anchor(line);
    const QString file = anchor_page_.value(anchor);
    if (file.isEmpty()) return url(first_page());
    return url(file, anchor);
}

QStringList HelpBook::examples(const QString& html)
{
    QStringList out;
    for (auto it = example_block().globalMatch(html); it.hasNext();) {
        QString text = QTextDocumentFragment::fromHtml(QStringLiteral("<pre>") + it.next().captured(1) +
                                                       QStringLiteral("</pre>"))
                           .toPlainText();
        // Line breaks come back as paragraph separators, blanks as no-break spaces.
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::Nbsp, QLatin1Char(' '));
        out << text.trimmed();
    }
    return out;
}

QString HelpBook::with_try_links(const QString& html)
{
    QString out;
    qsizetype from = 0;
    int n = 0;
    for (auto it = example_block().globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        out += html.mid(from, m.capturedEnd() - from);
        out += QStringLiteral(
                   "<table class=\"tryit\" cellpadding=\"6\" cellspacing=\"0\"><tr><td bgcolor=\"#45b0d8\">"
                   "<a href=\"try:%1\"><b>&#x25B6;&nbsp;Try it</b></a></td></tr></table>")
                   .arg(n++);
        from = m.capturedEnd();
    }
    out += html.mid(from);
    return out;
}

}  // namespace pw::app
