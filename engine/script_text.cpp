#include "engine/script_text.h"

#include "engine/rounding.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdlib>
#include <string>

namespace pw::engine::script {

namespace {
const QString crlf = QStringLiteral("\r\n");
constexpr QChar blank = QLatin1Char(' ');
}  // namespace

QStringList split_lines(const QString& text)
{
    const QString all = text + crlf;
    QStringList lines;
    qsizetype from = 0;
    for (qsizetype at = all.indexOf(crlf, from); at >= 0; at = all.indexOf(crlf, from)) {
        QString line = all.mid(from, at - from);
        if (line.startsWith(QLatin1Char(';'))) line.clear();
        lines.append(line);
        from = at + 2;
    }
    return lines;
}

void drop_trailing_empty_lines(QStringList& lines)
{
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
}

LinePieces split_prefix(const QString& line)
{
    const qsizetype gt = line.indexOf(QLatin1Char('>'));
    if (gt < 0) return LinePieces{false, QString(), line};
    return LinePieces{true, line.left(gt), line.mid(gt + 2)};
}

QString statement_text(const QString& raw_statement)
{
    QString s = left_trim_blanks(raw_statement);
    if (!s.contains(blank)) s += blank;
    return s;
}

Statement cut_statement(const QString& raw_statement)
{
    const QString s = statement_text(raw_statement);
    const qsizetype at = s.indexOf(blank);
    const QString written = trim_blanks(s.mid(at + 1));
    return Statement{s.left(at).toLower(), written.toLower(), written};
}

const std::array<KeywordWord, 29>& keyword_table()
{
    static const std::array<KeywordWord, 29> table{{
        {"sequential", Keyword::sequential}, {"report", Keyword::report},
        {"if", Keyword::if_}, {"endif", Keyword::endif}, {"elseif", Keyword::elseif},
        {"else", Keyword::else_}, {"waitfor", Keyword::waitfor},
        {"timeout", Keyword::timeout}, {"do", Keyword::do_}, {"loop", Keyword::loop},
        {"tickle", Keyword::tickle}, {"sound", Keyword::sound}, {"shell", Keyword::shell},
        {"speak", Keyword::speak}, {"show", Keyword::show}, {"load", Keyword::load},
        {"unload", Keyword::unload}, {"stopmoving", Keyword::stopmoving},
        {"hide", Keyword::hide}, {"moveto", Keyword::moveto}, {"pause", Keyword::pause},
        {"charpos", Keyword::charpos}, {"charsize", Keyword::charsize},
        {"interval", Keyword::interval}, {"goto", Keyword::goto_},
        {";", Keyword::comment}, {"listen", Keyword::listen}, {"", Keyword::empty},
        {"label", Keyword::label},
    }};
    return table;
}

Keyword find_keyword(const QString& lower_case_word)
{
    for (const KeywordWord& k : keyword_table())
        if (lower_case_word == QLatin1String(k.word)) return k.keyword;
    return Keyword::animation;
}

QString remove_then(const QString& text)
{
    static const QRegularExpression then_word(QStringLiteral("\\bthen\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
    QString out = text;
    return out.remove(then_word);
}

std::optional<Condition> if_condition(const QString& arguments)
{
    const QString text = remove_then(arguments);
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq < 0) return std::nullopt;
    return Condition{text.left(eq), trim_blanks(text.mid(eq + 1)), false};
}

std::optional<Condition> wait_condition(const QString& arguments)
{
    const qsizetype eq = arguments.indexOf(QLatin1Char('='));
    if (eq < 0) return std::nullopt;
    QString rest = arguments.mid(eq + 1);
    const bool quiet = rest.contains(QLatin1String("quiet"), Qt::CaseInsensitive);
    rest.remove(QStringLiteral("quiet"), Qt::CaseInsensitive);
    return Condition{arguments.left(eq), trim_blanks(rest), quiet};
}

double leading_number(const QString& text)
{
    std::string digits;
    bool point = false;
    bool any_digit = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == ' ' || u == '\t' || u == '\n') continue;
        if ((u == '+' || u == '-') && digits.empty()) {
            digits += char(u);
        } else if (u >= '0' && u <= '9') {
            digits += char(u);
            any_digit = true;
        } else if (u == '.' && !point) {
            digits += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!any_digit) return 0.0;
    return std::strtod(digits.c_str(), nullptr);
}

QString str_number(double value)
{
    if (value == 0.0) value = 0.0;  // no "-0"
    QString digits;
    if (std::fabs(value) < 1e15 && value == std::floor(value))
        digits = QString::number(qint64(value));
    else
        digits = QString::number(value, 'g', 15).toUpper();
    // Fractions below one are written without the zero: .5 and -.5.
    if (digits.startsWith(QLatin1String("0."))) digits.remove(0, 1);
    else if (digits.startsWith(QLatin1String("-0."))) digits.remove(1, 1);
    return value < 0 ? digits : blank + digits;
}

std::optional<int16_t> strict_int16(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*[+-]?(\\d+\\.?\\d*|\\.\\d+)[ \\t]*$"));
    if (!number.match(text).hasMatch()) return std::nullopt;
    const double v = std::strtod(text.trimmed().toLatin1().constData(), nullptr);
    const double r = round_half_even(v);
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return int16_t(r);
}

QString trim_blanks(const QString& text) { return right_trim_blanks(left_trim_blanks(text)); }

QString left_trim_blanks(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == blank) ++i;
    return text.mid(i);
}

QString right_trim_blanks(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == blank) --n;
    return text.left(n);
}

}  // namespace pw::engine::script
