// The filter expression: syntax, binding to a table's fields and evaluation of rows.

#include "platform/core/Exception.h"
#include "platform/core/FormatSettings.h"
#include "platform/table/Filter.h"

#include <QtTest>

namespace {

TableSchema eventSchema()
{
    TableSchema s;
    auto add = [&s](const char* name, FieldType type, int size = 0) {
        FieldDef f;
        f.number = int(s.fields.size()) + 1;
        f.name = QString::fromUtf8(name);
        f.type = type;
        f.size = size;
        s.fields.append(f);
    };
    add("Event", FieldType::String, 50);
    add("Start date", FieldType::Date);
    add("Start time", FieldType::Time);
    add("Cost", FieldType::Currency);
    add("Booked", FieldType::Boolean);
    add("RecordID", FieldType::AutoInc);
    return s;
}

RowValues row(const QVariant& event, const QVariant& startDate, const QVariant& cost = {}, const QVariant& booked = false)
{
    return RowValues{event, startDate, QVariant(), cost, booked, qint64(1)};
}

double day(int y, int m, int d)
{
    return DateTimeUtil::encodeDate(y, m, d);
}

FormatSettings usFormats()
{
    FormatSettings fs = FormatSettings::defaults();
    fs.shortDateFormat = QStringLiteral("M/d/yyyy");
    fs.dateSeparator = QLatin1Char('/');
    return fs;
}

FormatSettings swedishFormats()
{
    FormatSettings fs = FormatSettings::defaults();
    fs.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    fs.dateSeparator = QLatin1Char('-');
    fs.decimalSeparator = QLatin1Char(',');
    return fs;
}

// The expression the print dialog builds: no blank before "and", each date in the short
// date format in single quotes.
QString dateRange(double from, double to, const FormatSettings& fs)
{
    auto q = [&fs](double v) {
        QString t = Format::formatDateTime(fs.shortDateFormat, v, fs);
        t.replace(QLatin1Char('\''), QLatin1String("''"));
        return QLatin1Char('\'') + t + QLatin1Char('\'');
    };
    return QLatin1String("\"Start date\" >= ") + q(from) + QLatin1String("and \"Start date\" <= ") + q(to);
}

} // namespace

class TestFilter : public QObject
{
    Q_OBJECT
private slots:
    void shouldParseIntoTheExpectedTree_data();
    void shouldParseIntoTheExpectedTree();
    void shouldRefuseBadSyntaxNamingThePosition_data();
    void shouldRefuseBadSyntaxNamingThePosition();
    void shouldRefuseDeepNestingWithoutCrashing();
    void shouldKeepALongChainShallow();
    void shouldRefuseWhatCannotBeBound_data();
    void shouldRefuseWhatCannotBeBound();
    void shouldSelectDatesInclusively_data();
    void shouldSelectDatesInclusively();
    void shouldEvaluateConditions_data();
    void shouldEvaluateConditions();
    void shouldPassEveryRowWhenBlank();
};

void TestFilter::shouldParseIntoTheExpectedTree_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tree");
    QTest::newRow("date range as the print dialog writes it")
        << QStringLiteral("\"Start date\" >= '12/01/2026'and \"Start date\" <= '12/31/2026'")
        << QStringLiteral("(\"Start date\" >= '12/01/2026' and \"Start date\" <= '12/31/2026')");
    QTest::newRow("keywords in any case") << QStringLiteral("\"A\"=1 AnD NOT \"B\"<>2 oR tRuE")
                                          << QStringLiteral("((\"A\" = 1 and not \"B\" <> 2) or True)");
    QTest::newRow("doubled quote in a constant") << QStringLiteral("\"Event\" = 'O''Hara'")
                                                 << QStringLiteral("\"Event\" = 'O''Hara'");
    QTest::newRow("parentheses group") << QStringLiteral("(\"A\" < 1 or \"A\" > 2) and \"B\" = False")
                                       << QStringLiteral("((\"A\" < 1 or \"A\" > 2) and \"B\" = False)");
    QTest::newRow("plain field name, signed number") << QStringLiteral("Cost>=-1.5e2")
                                                     << QStringLiteral("\"Cost\" >= -1.5e2");
    QTest::newRow("all operators") << QStringLiteral("a=1 and a<>1 and a<1 and a>1 and a<=1 and a>=1")
                                   << QStringLiteral("(\"a\" = 1 and \"a\" <> 1 and \"a\" < 1 and \"a\" > 1 and \"a\" <= 1 and \"a\" >= 1)");
}

void TestFilter::shouldParseIntoTheExpectedTree()
{
    QFETCH(QString, text);
    QFETCH(QString, tree);
    QCOMPARE(FilterExpression::parse(text).toString(), tree);
}

void TestFilter::shouldRefuseBadSyntaxNamingThePosition_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("position");
    QTest::newRow("unterminated constant") << QStringLiteral("\"Start date\" >= '12/01/2026") << QStringLiteral("position 17");
    QTest::newRow("unterminated field name") << QStringLiteral("\"Start date >= 1") << QStringLiteral("position 1");
    QTest::newRow("missing right side") << QStringLiteral("\"Event\" =") << QStringLiteral("position 10");
    QTest::newRow("missing condition after and") << QStringLiteral("\"Event\" = 'a' and") << QStringLiteral("position 18");
    QTest::newRow("unbalanced parenthesis") << QStringLiteral("(\"Event\" = 'a'") << QStringLiteral("position 15");
    QTest::newRow("stray closing parenthesis") << QStringLiteral("\"Event\" = 'a')") << QStringLiteral("position 14");
    QTest::newRow("unknown character") << QStringLiteral("\"Event\" ! 'a'") << QStringLiteral("position 9");
    QTest::newRow("two operators") << QStringLiteral("\"Event\" = = 'a'") << QStringLiteral("position 11");
    QTest::newRow("comparison chained") << QStringLiteral("1 < 2 < 3") << QStringLiteral("position 7");
}

void TestFilter::shouldRefuseBadSyntaxNamingThePosition()
{
    QFETCH(QString, text);
    QFETCH(QString, position);
    try {
        FilterExpression::parse(text);
        QFAIL("parsed");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.message().contains(position), qPrintable(e.message()));
    }
}

void TestFilter::shouldRefuseDeepNestingWithoutCrashing()
{
    const QString deep = QString(100000, QLatin1Char('(')) + QStringLiteral("True");
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, FilterExpression::parse(deep));
    QString nots;
    for (int i = 0; i < 50000; ++i)
        nots += QLatin1String("not ");
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, FilterExpression::parse(nots + QLatin1String("True")));
}

void TestFilter::shouldKeepALongChainShallow()
{
    // 20,000 conditions joined by "and": neither parsing, evaluation nor destruction recurses per term.
    QStringList parts;
    for (int i = 0; i < 20000; ++i)
        parts.append(QStringLiteral("\"Booked\" = True"));
    FilterExpression e = FilterExpression::parse(parts.join(QLatin1String(" and ")));
    e.bind(eventSchema());
    QVERIFY(e.matches(row(QStringLiteral("x"), {}, {}, true)));
    QVERIFY(!e.matches(row(QStringLiteral("x"), {}, {}, false)));
}

void TestFilter::shouldRefuseWhatCannotBeBound_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown field") << QStringLiteral("\"Start day\" >= '12/01/2026'") << QStringLiteral("Field 'Start day' not found");
    QTest::newRow("not a date") << QStringLiteral("\"Start date\" >= '13/45/2026'") << QStringLiteral("'13/45/2026'");
    QTest::newRow("Swedish date under US formats") << QStringLiteral("\"Start date\" <= '2026-12-31'") << QStringLiteral("'2026-12-31'");
    QTest::newRow("text against a Boolean") << QStringLiteral("\"Booked\" = 'perhaps'") << QStringLiteral("Booked");
    QTest::newRow("a text field alone is no condition") << QStringLiteral("\"Event\"") << QStringLiteral("Event");
    QTest::newRow("a constant alone is no condition") << QStringLiteral("'x' and True") << QStringLiteral("position 1");
    QTest::newRow("a number against a Boolean") << QStringLiteral("\"Booked\" = 1") << QStringLiteral("Booked");
}

void TestFilter::shouldRefuseWhatCannotBeBound()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    FilterExpression e = FilterExpression::parse(text);
    try {
        e.bind(eventSchema(), usFormats());
        QFAIL("bound");
    } catch (const EDatabaseError& err) {
        QVERIFY2(err.message().contains(message), qPrintable(err.message()));
    }
}

void TestFilter::shouldSelectDatesInclusively_data()
{
    QTest::addColumn<bool>("swedish");
    QTest::addColumn<double>("start");
    QTest::addColumn<bool>("selected");
    for (bool sv : {false, true}) {
        const char* fmt = sv ? "sv" : "us";
        QTest::addRow("%s day before From", fmt) << sv << day(2026, 11, 30) << false;
        QTest::addRow("%s on From", fmt) << sv << day(2026, 12, 1) << true;
        QTest::addRow("%s inside", fmt) << sv << day(2026, 12, 15) << true;
        QTest::addRow("%s on To", fmt) << sv << day(2026, 12, 31) << true;
        QTest::addRow("%s day after To", fmt) << sv << day(2027, 1, 1) << false;
        QTest::addRow("%s ten days later sorts lower as text", fmt) << sv << day(2026, 12, 10) << true;
        QTest::addRow("%s no start date", fmt) << sv << -1.0 << false;
    }
}

void TestFilter::shouldSelectDatesInclusively()
{
    QFETCH(bool, swedish);
    QFETCH(double, start);
    QFETCH(bool, selected);
    const FormatSettings fs = swedish ? swedishFormats() : usFormats();
    const QString text = dateRange(day(2026, 12, 1), day(2026, 12, 31), fs);
    QCOMPARE(text, swedish ? QStringLiteral("\"Start date\" >= '2026-12-01'and \"Start date\" <= '2026-12-31'")
                           : QStringLiteral("\"Start date\" >= '12/1/2026'and \"Start date\" <= '12/31/2026'"));
    FilterExpression e = FilterExpression::parse(text);
    e.bind(eventSchema(), fs);
    QCOMPARE(e.matches(row(QStringLiteral("Trip"), start < 0 ? QVariant() : QVariant(start))), selected);
}

void TestFilter::shouldEvaluateConditions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    // The row: Event "Ferry", Start date 2026-12-05, Cost 12.50, Booked True.
    QTest::newRow("text equal") << QStringLiteral("\"Event\" = 'Ferry'") << true;
    QTest::newRow("text case significant") << QStringLiteral("\"Event\" = 'ferry'") << false;
    QTest::newRow("text order by code units") << QStringLiteral("\"Event\" < 'ferry'") << true;
    QTest::newRow("empty text is an empty field") << QStringLiteral("\"Event\" = ''") << false;
    QTest::newRow("not equal to empty") << QStringLiteral("\"Event\" <> ''") << true;
    QTest::newRow("currency exact") << QStringLiteral("\"Cost\" = 12.5") << true;
    QTest::newRow("currency greater") << QStringLiteral("\"Cost\" > 12.49") << true;
    QTest::newRow("Boolean field alone") << QStringLiteral("\"Booked\"") << true;
    QTest::newRow("not Boolean field") << QStringLiteral("not Booked") << false;
    QTest::newRow("Boolean as text constant") << QStringLiteral("\"Booked\" = 'true'") << true;
    QTest::newRow("empty date never in order") << QStringLiteral("\"Start time\" < '23:00' or \"Start time\" >= '00:00'") << false;
    QTest::newRow("empty date equals empty") << QStringLiteral("\"Start time\" = ''") << true;
    QTest::newRow("or") << QStringLiteral("\"Event\" = 'Bus' or \"Event\" = 'Ferry'") << true;
    QTest::newRow("and binds tighter than or") << QStringLiteral("True or False and False") << true;
    QTest::newRow("parentheses") << QStringLiteral("(True or False) and False") << false;
    QTest::newRow("constant against constant") << QStringLiteral("'a' < 'b' and 2 > 10") << false;
    QTest::newRow("constant on the left") << QStringLiteral("'12/5/2026' = \"Start date\"") << true;
    QTest::newRow("field against field") << QStringLiteral("\"Start date\" = \"Start date\"") << true;
}

void TestFilter::shouldEvaluateConditions()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    FilterExpression e = FilterExpression::parse(text);
    e.bind(eventSchema(), usFormats());
    const RowValues r = row(QStringLiteral("Ferry"), day(2026, 12, 5), QVariant::fromValue(Currency::fromUnits(125000)), true);
    QCOMPARE(e.matches(r), expected);
}

void TestFilter::shouldPassEveryRowWhenBlank()
{
    FilterExpression e = FilterExpression::parse(QStringLiteral("   "));
    QVERIFY(e.isEmpty());
    e.bind(eventSchema());
    QVERIFY(e.matches(row(QStringLiteral("x"), {})));
}

QTEST_GUILESS_MAIN(TestFilter)
#include "tst_filter.moc"
