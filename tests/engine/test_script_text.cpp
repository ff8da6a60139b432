// The script reader: lines, prefix, keyword and arguments, conditions, numbers.

#include "tests/test_classes.h"
#include "engine/rounding.h"
#include "engine/script_faults.h"
#include "engine/script_lines.h"
#include "engine/script_text.h"

#include <QTest>

using namespace pw::engine::script;

class TestScriptText : public QObject {
    Q_OBJECT

private slots:
    void reads_statement_lines_data();
    void reads_statement_lines();
    void splits_lines_at_crlf_only();
    void reads_conditions();
    void reads_leading_numbers_data();
    void reads_leading_numbers();
    void writes_and_converts_numbers();
};

void TestScriptText::reads_statement_lines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("column");  // where the statement starts
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("label_line");
    const int speak = int(Keyword::speak);
    const int animation = int(Keyword::animation);
    QTest::newRow("prefix") << "pellwick> speak Hello Sam" << "pellwick" << 10 << "speak" << "hello sam" << speak << false;
    QTest::newRow("prefix as written") << " Pell wick > SPEAK  hi  " << " Pell wick " << 13 << "speak" << "hi" << speak << false;
    QTest::newRow("no blank after >") << "pellwick>speak hi" << "pellwick" << 10 << "peak" << "hi" << animation << false;
    QTest::newRow("first > only") << "a>b>c" << "a" << 3 << ">c" << "" << animation << false;
    QTest::newRow("bare word") << "Wave" << "" << 0 << "wave" << "" << animation << false;
    QTest::newRow("comment line") << ";speak" << "" << 0 << "" << "" << int(Keyword::empty) << false;
    QTest::newRow("comment word") << "   ; say nothing" << "" << 0 << ";" << "say nothing" << int(Keyword::comment) << false;
    QTest::newRow("glued ;") << "   ;word" << "" << 0 << ";word" << "" << animation << false;
    QTest::newRow("empty after >") << "pellwick>" << "pellwick" << 9 << "" << "" << int(Keyword::empty) << false;
    QTest::newRow("branch in any case") << "Pellwick> ElseIf key=b" << "Pellwick" << 10 << "elseif" << "key=b" << int(Keyword::elseif) << false;
    QTest::newRow("if inside a word") << "pellwick> speak a gift" << "pellwick" << 10 << "speak" << "a gift" << speak << false;
    QTest::newRow("label") << "label 3" << "" << 0 << "label" << "3" << int(Keyword::label) << true;
    // Jump targets are found as the help describes them: "label" anywhere, "goto" nowhere.
    QTest::newRow("goto") << "goto label 3" << "" << 0 << "goto" << "label 3" << int(Keyword::goto_) << false;
    QTest::newRow("label with prefix") << "p> label 3" << "p" << 3 << "label" << "3" << int(Keyword::label) << true;
    QTest::newRow("tab is no blank") << "speak\thi" << "" << 0 << "speak\thi" << "" << animation << false;
}

void TestScriptText::reads_statement_lines()
{
    QFETCH(QString, line);
    const ScriptLine read = read_line(line, QStringLiteral("before"));
    QTEST(read.prefix, "prefix");
    QCOMPARE(read.has_prefix, line.contains(QLatin1Char('>')));
    QCOMPARE(read.character, read.has_prefix ? read.prefix : QStringLiteral("before"));
    QTEST(read.statement_column, "column");
    QCOMPARE(read.statement, statement_text(read.text.mid(read.statement_column)));
    QTEST(read.keyword_word, "keyword");
    QTEST(read.arguments, "arguments");
    QTEST(int(read.keyword), "kind");
    QTEST(read.label_line, "label_line");
}

void TestScriptText::splits_lines_at_crlf_only()
{
    QCOMPARE(split_lines(QStringLiteral("a\r\nb")), (QStringList{"a", "b"}));
    // A text ending with CR LF gets one empty line more; lone CR and LF stay inside.
    QCOMPARE(split_lines(QStringLiteral("a\rb\nc\r\n")), (QStringList{"a\rb\nc", ""}));
    QCOMPARE(split_lines(QString()), QStringList{""});
    // Comment lines keep their place as empty lines; "  ;" is no comment line.
    QStringList lines = split_lines(QStringLiteral(";x\r\n  ;y\r\nz\r\n;tail\r\n\r\n"));
    QCOMPARE(lines, (QStringList{"", "  ;y", "z", "", "", ""}));
    drop_trailing_empty_lines(lines);
    QCOMPARE(lines, (QStringList{"", "  ;y", "z"}));

    // As the child types, the branch line that is one too many is marked, also in a
    // block after another.
    QStringList crowded{"if key=a", "endif", "if key=b"};
    for (int k = 0; k < 50; ++k) crowded << "else";
    const QList<ScriptFault> faults = script_fault_lines(crowded << "endif");
    QCOMPARE(faults.size(), 1);
    QCOMPARE(faults.value(0).line, 52);
    // Labels 0 to 10 are the ones a goto can reach.
    QCOMPARE(script_fault_lines({"label 0", "label 10", "label 11"}).size(), 1);
    QCOMPARE(statement_text(QStringLiteral("   wave")), QStringLiteral("wave "));
    QCOMPARE(statement_text(QStringLiteral("  speak hi")), QStringLiteral("speak hi"));
}

void TestScriptText::reads_conditions()
{
    auto c = if_condition(QStringLiteral("key=a then"));
    QVERIFY(c);
    QCOMPARE(c->name, QStringLiteral("key"));
    QCOMPARE(c->value, QStringLiteral("a"));
    QCOMPARE(if_condition(QStringLiteral("key=b THEN"))->value, QStringLiteral("b"));
    QCOMPARE(if_condition(QStringLiteral("listen=athens then"))->value, QStringLiteral("athens"));
    QCOMPARE(if_condition(QStringLiteral("key =a"))->name, QStringLiteral("key "));
    QCOMPARE(if_condition(QStringLiteral("key=a=b"))->value, QStringLiteral("a=b"));
    QCOMPARE(if_condition(QStringLiteral("=a")).value_or(Condition{"?", {}, false}).name, QString());
    QCOMPARE(wait_condition(QStringLiteral("=a")).value_or(Condition{}).value, QStringLiteral("a"));
    QVERIFY(!if_condition(QStringLiteral("key a")));

    // waitfor keeps "then" and takes "quiet" out of the value.
    c = wait_condition(QStringLiteral("listen=yes then quiet"));
    QCOMPARE(c->value, QStringLiteral("yes then"));
    QVERIFY(c->quiet);
    c = wait_condition(QStringLiteral("time=3:45 pm"));
    QCOMPARE(c->name, QStringLiteral("time"));
    QCOMPARE(c->value, QStringLiteral("3:45 pm"));
    QVERIFY(!c->quiet);
    QVERIFY(!wait_condition(QStringLiteral("anykey")));
}

void TestScriptText::reads_leading_numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "12" << 12.0;
    QTest::newRow("blanks inside") << " 1 5" << 15.0;
    QTest::newRow("tabs and line feeds") << "\t7\n0" << 70.0;
    QTest::newRow("sign and point") << "-3.5" << -3.5;
    QTest::newRow("plus") << "+2" << 2.0;
    QTest::newRow("blank after sign") << "- 5" << -5.0;
    QTest::newRow("one point") << "1.2.3" << 1.2;
    QTest::newRow("no zero") << ".5" << 0.5;
    QTest::newRow("stops at letter") << "100abc, 20" << 100.0;
    QTest::newRow("second sign stops") << "5-3" << 5.0;
    QTest::newRow("no exponent") << "1e3" << 1.0;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("carriage return stops") << "1\r2" << 1.0;
}

void TestScriptText::reads_leading_numbers()
{
    QFETCH(QString, text);
    QTEST(leading_number(text), "value");
}

void TestScriptText::writes_and_converts_numbers()
{
    using pw::engine::round_half_even;
    QCOMPARE(round_half_even(2.5), 2.0);
    QCOMPARE(round_half_even(3.5), 4.0);
    QCOMPARE(round_half_even(-2.5), -2.0);
    QCOMPARE(round_half_even(0.4), 0.0);
    QCOMPARE(round_half_even(12.8), 13.0);

    QCOMPARE(str_number(150), QStringLiteral(" 150"));
    QCOMPARE(str_number(112.5), QStringLiteral(" 112.5"));
    QCOMPARE(str_number(0.5), QStringLiteral(" .5"));
    QCOMPARE(str_number(-0.5), QStringLiteral("-.5"));
    QCOMPARE(str_number(-3), QStringLiteral("-3"));
    QCOMPARE(str_number(-0.0), QStringLiteral(" 0"));
    QCOMPARE(str_number(1.0 / 3.0), QStringLiteral(" .333333333333333"));
    QCOMPARE(str_number(1e20), QStringLiteral(" 1E+20"));

    const QList<std::pair<QString, std::optional<int16_t>>> strict{
        {" 12 ", 12}, {"12.5", 12}, {"13.5", 14}, {"-7", -7}, {"+3", 3}, {".5", 0},
        {"5.", 5}, {"32767", 32767}, {"-32768", -32768}, {"32767.5", std::nullopt},
        {"100abc", std::nullopt}, {"1 5", std::nullopt}, {"", std::nullopt},
        {" ", std::nullopt}, {"-", std::nullopt}, {"1e3", std::nullopt}};
    for (const auto& [text, value] : strict) QVERIFY2(strict_int16(text) == value, qPrintable(text));
}

PW_TEST_CLASS(TestScriptText);
#include "test_script_text.moc"
