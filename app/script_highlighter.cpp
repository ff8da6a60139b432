#include "app/script_highlighter.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <utility>

namespace pw::app {
namespace {

double channel(double c)
{
    c /= 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

QStringList block_texts(const QTextDocument& document)
{
    QStringList lines;
    lines.reserve(document.blockCount());
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) lines << b.text();
    return lines;
}

bool same_words(const ScriptVocabulary& a, const ScriptVocabulary& b)
{
    if (a.characters.size() != b.characters.size()) return false;
    for (int i = 0; i < a.characters.size(); ++i) {
        const auto& x = a.characters[i];
        const auto& y = b.characters[i];
        if (x.id != y.id || x.animations_known != y.animations_known || x.animations != y.animations) return false;
    }
    return true;
}

}  // namespace

ScriptHighlighter::ScriptHighlighter(QTextDocument* document, WordSource words)
    : QSyntaxHighlighter(document), words_(std::move(words))
{
    if (words_) vocabulary_ = words_();
}

void ScriptHighlighter::set_background(const QColor& background)
{
    if (background == background_) return;
    background_ = background;
    rehighlight();
}

void ScriptHighlighter::refresh_words()
{
    if (!words_) return;
    ScriptVocabulary now = words_();
    if (same_words(now, vocabulary_)) return;
    vocabulary_ = std::move(now);
    cache_.clear();
    checked_valid_ = false;
    rehighlight();
}

double ScriptHighlighter::contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ScriptHighlighter::readable(const QColor& colour, const QColor& background)
{
    QColor c = colour;
    for (int step = 0; step < 40 && contrast(c, background) < 4.5; ++step) c = c.darker(108);
    return c;
}

QColor ScriptHighlighter::colour_of(WordKind kind) const
{
    switch (kind) {
    case WordKind::keyword: return readable(QColor(0x4c, 0x5f, 0xd5), background_);
    case WordKind::animation: return readable(QColor(0x8e, 0x44, 0xad), background_);
    case WordKind::number: return readable(QColor(0xd9, 0x48, 0x0f), background_);
    case WordKind::comment: return readable(QColor(0x7a, 0x80, 0x8c), background_);
    case WordKind::speed: return readable(QColor(0x2b, 0x8a, 0x3e), background_);
    case WordKind::wait: return readable(QColor(0xc2, 0x25, 0x5c), background_);
    case WordKind::prefix:
    case WordKind::unknown_prefix:
    case WordKind::unknown: break;
    }
    return readable(QColor(0x1f, 0x25, 0x45), background_);
}

QColor ScriptHighlighter::character_colour(const QString& id) const
{
    // Our characters' main colours; any other character gets a hue of its own.
    const QString lower = id.trimmed().toLower();
    QColor c;
    if (lower == QLatin1String("pellwick")) c = QColor(0x34, 0x90, 0xbd);
    else if (lower == QLatin1String("tansy")) c = QColor(0xee, 0xa3, 0x2b);
    else c = QColor::fromHsv(int(qHash(lower) % 360), 170, 180);
    return readable(c, background_);
}

const CheckedLine* ScriptHighlighter::checked(int block_number)
{
    if (!document()) return nullptr;
    // Any change colours the lines it touched, so a line whose text is not the one
    // checked (or a line count that differs) means the script changed. (The document's
    // revision is no help: replacing the whole text does not always move it.)
    const QTextBlock block = document()->findBlockByNumber(block_number);
    if (!checked_valid_ || texts_.size() != document()->blockCount()
        || (block.isValid() && texts_.value(block_number) != block.text()))
        check_again();
    if (block_number < 0 || block_number >= lines_.size()) return nullptr;
    return &lines_[block_number];
}

QString ScriptHighlighter::hint_at(int block_number, int column)
{
    const CheckedLine* line = checked(block_number);
    if (!line) return {};
    for (const Hint& h : line->hints)
        if (column >= h.start && column <= h.start + h.length) return h.text;
    return {};
}

void ScriptHighlighter::check_again()
{
    texts_ = block_texts(*document());
    QList<CheckedLine> now = check_script(texts_, vocabulary_, &cache_);
    checked_valid_ = true;
    // Lines above and below the change that came out different (a label, an endif or a
    // prefix elsewhere changed them) are coloured again once this change is done.
    const int n_old = int(lines_.size()), n_new = int(now.size());
    int top = 0;
    while (top < n_old && top < n_new && lines_[top] == now[top]) ++top;
    int bottom = 0;
    while (bottom < n_old - top && bottom < n_new - top && lines_[n_old - 1 - bottom] == now[n_new - 1 - bottom])
        ++bottom;
    // With as many lines as before, only lines that differ; otherwise the lines between.
    for (int i = top; i < n_new - bottom; ++i)
        if (n_old != n_new || !(lines_[i] == now[i])) stale_.insert(i);
    lines_ = std::move(now);
    if (!stale_.isEmpty() && !recolour_queued_) {
        recolour_queued_ = true;
        QMetaObject::invokeMethod(this, &ScriptHighlighter::recolour_stale, Qt::QueuedConnection);
    }
}

void ScriptHighlighter::recolour_stale()
{
    recolour_queued_ = false;
    const QSet<int> stale = std::exchange(stale_, {});
    for (const int i : stale) {
        const QTextBlock block = document()->findBlockByNumber(i);
        if (block.isValid()) rehighlightBlock(block);
    }
}

void ScriptHighlighter::highlightBlock(const QString& text)
{
    const int number = currentBlock().blockNumber();
    const CheckedLine* line = checked(number);
    stale_.remove(number);
    if (!line) return;
    for (const WordSpan& s : line->spans) {
        QTextCharFormat f;
        switch (s.kind) {
        case WordKind::prefix:
            f.setForeground(character_colour(text.left(s.length - 1)));
            f.setFontWeight(QFont::Bold);
            break;
        case WordKind::keyword:
            f.setForeground(colour_of(s.kind));
            f.setFontWeight(QFont::Bold);
            break;
        case WordKind::comment:
            f.setForeground(colour_of(s.kind));
            f.setFontItalic(true);
            break;
        default:
            f.setForeground(colour_of(s.kind));
            break;
        }
        setFormat(s.start, s.length, f);
    }
    static const QColor wave(0xe0, 0x31, 0x31);
    for (const Hint& h : line->hints) {
        for (int i = h.start; i < h.start + h.length && i < text.size(); ++i) {
            QTextCharFormat f = format(i);
            f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            f.setUnderlineColor(wave);
            setFormat(i, 1, f);
        }
    }
}

}  // namespace pw::app
