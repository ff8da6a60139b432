// The script reader: lines, prefix, keyword and arguments, conditions, numbers; the
// questions and answers are in script_text.table.

#include "tests/answer_table.h"
#include "tests/test_classes.h"
#include "engine/rounding.h"
#include "engine/script_faults.h"
#include "engine/script_lines.h"
#include "engine/script_text.h"

#include <QTest>

using namespace pw::engine::script;
using pw::test::quoted;

namespace {

QString kind_of(Keyword k)
{
    for (const KeywordWord& w : keyword_table())
        if (w.keyword == k) return *w.word ? QString::fromLatin1(w.word) : QStringLiteral("(empty)");
    return k == Keyword::animation ? QStringLiteral("(animation)") : QStringLiteral("(?)");
}

QString condition_of(const std::optional<Condition>& c)
{
    return c ? quoted(c->name) + QLatin1Char(' ') + quoted(c->value) + (c->quiet ? " quiet" : "") : QStringLiteral("none");
}

QString answer(const QString& verb, const QStringList& args)
{
    const QString a = args.value(0);
    if (verb == QLatin1String("read")) {
        // The character of the lines above is "before".
        const ScriptLine r = read_line(a, QStringLiteral("before"));
        QString out = QStringLiteral("%1 at %2: %3 %4 %5").arg(quoted(r.character)).arg(r.statement_column)
                          .arg(quoted(r.keyword_word), quoted(r.arguments), kind_of(r.keyword));
        if (r.has_prefix) out += QStringLiteral(", prefix ") + quoted(r.prefix);
        if (r.label_line) out += QStringLiteral(", a label line");
        if (r.statement != statement_text(r.text.mid(r.statement_column))) out += QStringLiteral(", statement ") + quoted(r.statement);
        return out;
    }
    if (verb == QLatin1String("split")) return quoted(split_lines(a));
    if (verb == QLatin1String("split, dropping empty lines at the end")) {
        QStringList lines = split_lines(a);
        drop_trailing_empty_lines(lines);
        return quoted(lines);
    }
    if (verb == QLatin1String("statement")) return quoted(statement_text(a));
    if (verb == QLatin1String("faults")) {
        QStringList lines;
        for (const ScriptFault& f : script_fault_lines(args)) lines << QString::number(f.line);
        return lines.join(QLatin1Char(' '));
    }
    if (verb == QLatin1String("if")) return condition_of(if_condition(a));
    if (verb == QLatin1String("waitfor")) return condition_of(wait_condition(a));
    if (verb == QLatin1String("number")) return QString::number(leading_number(a));
    if (verb == QLatin1String("round")) return QString::number(pw::engine::round_half_even(a.toDouble()));
    if (verb == QLatin1String("written")) return quoted(str_number(a.toDouble()));
    if (verb == QLatin1String("whole number")) {
        const std::optional<int16_t> n = strict_int16(a);
        return n ? QString::number(*n) : QStringLiteral("none");
    }
    return QStringLiteral("(not a question)");
}

}  // namespace

class TestScriptText : public QObject {
    Q_OBJECT

private slots:
    void answers_as_on_file()
    {
        const QString mismatch = pw::test::table_mismatch(QStringLiteral(PW_SOURCE_DIR "/tests/engine/script_text.table"), answer);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    void the_branch_one_too_many_is_marked_also_in_a_later_block()
    {
        QStringList crowded{"if key=a", "endif", "if key=b"};
        for (int k = 0; k < 50; ++k) crowded << (k % 2 ? "else" : "elseif key=c");  // both kinds count
        const QList<ScriptFault> faults = script_fault_lines(crowded << "endif");
        QCOMPARE(faults.size(), 1);
        QCOMPARE(faults.value(0).line, 52);
    }
};

PW_TEST_CLASS(TestScriptText);
#include "test_script_text.moc"
