#include "RegionalSettings.h"
#include "platform/core/Exception.h"

#include <QtTest>

#include <limits>

namespace {

constexpr qint64 MaxUnits = std::numeric_limits<qint64>::max();
const QString nbsp = QString(QChar(0x00A0));

} // namespace

class TestMoney : public QObject
{
    Q_OBJECT

private slots:
    void fromDouble_data();
    void fromDouble();
    void fromDoubleRefusesWhatDoesNotFit_data();
    void fromDoubleRefusesWhatDoesNotFit();
    void floatToStr_data();
    void floatToStr();
    void displayText_data();
    void displayText();
    void displayPatterns_data();
    void displayPatterns();
    void editText_data();
    void editText();
    void currencyParse_data();
    void currencyParse();
    void floatParse_data();
    void floatParse();
    void displayTextRoundTrip_data();
    void displayTextRoundTrip();
    void strToRaisesConvertErrors();
};

void TestMoney::fromDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("units");
    QTest::newRow("one") << 1.0 << qint64(10000);
    QTest::newRow("four decimals") << 123.4567 << qint64(1234567);
    QTest::newRow("half rounds up") << 1.00005 << qint64(10001);
    QTest::newRow("negative half rounds away from zero") << -1.00005 << qint64(-10001);
    QTest::newRow("smallest half") << 0.00005 << qint64(1);
    QTest::newRow("below half") << 0.0000499 << qint64(0);
    QTest::newRow("inexact sum") << 0.1 + 0.2 << qint64(3000);
    QTest::newRow("tiny") << 1e-300 << qint64(0);
    QTest::newRow("large") << 123456789012.3456 << qint64(1234567890123456);
    QTest::newRow("negative zero") << -0.0 << qint64(0);
}

void TestMoney::fromDouble()
{
    QFETCH(double, value);
    QFETCH(qint64, units);
    QCOMPARE(Currency::fromDouble(value).units, units);
}

void TestMoney::fromDoubleRefusesWhatDoesNotFit_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity();
    QTest::newRow("just above the range") << 922337203685478.0;
    QTest::newRow("far below the range") << -1e18;
}

void TestMoney::fromDoubleRefusesWhatDoesNotFit()
{
    QFETCH(double, value);
    QVERIFY_THROWS_EXCEPTION(EConvertError, Currency::fromDouble(value));
}

void TestMoney::floatToStr_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << "us" << 0.0 << "0";
    QTest::newRow("negative zero") << "us" << -0.0 << "0";
    QTest::newRow("whole") << "us" << 42.0 << "42";
    QTest::newRow("fraction") << "us" << 1.5 << "1.5";
    QTest::newRow("negative") << "us" << -1234.5 << "-1234.5";
    QTest::newRow("15 significant digits hide binary noise") << "us" << 0.1 + 0.2 << "0.3";
    QTest::newRow("a third") << "us" << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("two thirds round") << "us" << 2.0 / 3 << "0.666666666666667";
    QTest::newRow("largest without exponent") << "us" << 999999999999999.0 << "999999999999999";
    QTest::newRow("exponent from 1E15") << "us" << 1e15 << "1E15";
    QTest::newRow("large exponent") << "us" << -2.5e20 << "-2.5E20";
    QTest::newRow("0.0001 is plain") << "us" << 0.0001 << "0.0001";
    QTest::newRow("below 0.0001 has an exponent") << "us" << 0.000015 << "1.5E-5";
    QTest::newRow("rounding carries into the exponent") << "us" << 9.9999999999999999e14 << "1E15";
    QTest::newRow("regional decimal separator") << "de" << 1234.5 << "1234,5";
    QTest::newRow("regional separator in exponent form") << "se" << 1.5e-7 << "1,5E-7";
    QTest::newRow("NaN") << "us" << std::numeric_limits<double>::quiet_NaN() << "NAN";
    QTest::newRow("infinity") << "us" << std::numeric_limits<double>::infinity() << "INF";
    QTest::newRow("minus infinity") << "us" << -std::numeric_limits<double>::infinity() << "-INF";
}

void TestMoney::floatToStr()
{
    QFETCH(QString, region);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(Format::floatToStr(value, RegionalSettings::byName(region)), expected);
}

void TestMoney::displayText_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<qint64>("units");
    QTest::addColumn<QString>("expected");
    QTest::newRow("us") << "us" << 2 << qint64(12345678) << "$1,234.57";
    QTest::newRow("us negative") << "us" << 2 << qint64(-12345678) << "($1,234.57)";
    QTest::newRow("us zero") << "us" << 2 << qint64(0) << "$0.00";
    QTest::newRow("us small") << "us" << 2 << qint64(1200) << "$0.12";
    QTest::newRow("us half a cent rounds away from zero") << "us" << 2 << qint64(50) << "$0.01";
    QTest::newRow("us negative half cent") << "us" << 2 << qint64(-50) << "($0.01)";
    QTest::newRow("us negative that rounds to zero has no sign") << "us" << 2 << qint64(-49) << "$0.00";
    QTest::newRow("us no decimals") << "us" << 0 << qint64(12345678) << "$1,235";
    QTest::newRow("us four decimals") << "us" << 4 << qint64(12345678) << "$1,234.5678";
    QTest::newRow("us six decimals") << "us" << 6 << qint64(12345678) << "$1,234.567800";
    QTest::newRow("us exactly a thousand") << "us" << 2 << qint64(10000000) << "$1,000.00";
    QTest::newRow("us hundreds have no separator") << "us" << 2 << qint64(9990000) << "$999.00";
    QTest::newRow("us largest") << "us" << 4 << MaxUnits << "$922,337,203,685,477.5807";
    QTest::newRow("us most negative") << "us" << 2 << std::numeric_limits<qint64>::min()
                                      << "($922,337,203,685,477.58)";
    QTest::newRow("se") << "se" << 2 << qint64(12345678) << "1" + nbsp + "234,57 kr";
    QTest::newRow("se negative") << "se" << 2 << qint64(-12345678) << "-1" + nbsp + "234,57 kr";
    QTest::newRow("se millions") << "se" << 2 << qint64(12345678900) << "1" + nbsp + "234" + nbsp + "567,89 kr";
    QTest::newRow("de") << "de" << 2 << qint64(12345678) << "1.234,57 €";
    QTest::newRow("de negative") << "de" << 2 << qint64(-12345678) << "-1.234,57 €";
    QTest::newRow("blank separators, no symbol") << "unreadable" << 0 << qint64(-12345678) << "(1 235)";
}

void TestMoney::displayText()
{
    QFETCH(QString, region);
    QFETCH(int, decimals);
    QFETCH(qint64, units);
    QFETCH(QString, expected);
    FormatSettings fs = RegionalSettings::byName(region);
    fs.currencyDecimals = decimals;
    QCOMPARE(Format::currencyToDisplayText(Currency{units}, fs), expected);
}

void TestMoney::displayPatterns_data()
{
    QTest::addColumn<int>("currencyFormat");
    QTest::addColumn<int>("negCurrFormat");
    QTest::addColumn<QString>("positive");
    QTest::addColumn<QString>("negative");
    const char* positives[] = {"$1", "1$", "$ 1", "1 $"};
    const char* negatives[] = {"($1)", "-$1", "$-1", "$1-", "(1$)", "-1$", "1-$", "1$-",
                               "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
    for (int n = 0; n < 16; ++n)
        QTest::addRow("pattern %d", n) << n % 4 << n << QString::fromLatin1(positives[n % 4])
                                       << QString::fromLatin1(negatives[n]);
    QTest::newRow("unknown patterns fall back to the first") << 7 << 99 << "$1" << "($1)";
    QTest::newRow("negative pattern numbers fall back too") << -1 << -1 << "$1" << "($1)";
}

void TestMoney::displayPatterns()
{
    QFETCH(int, currencyFormat);
    QFETCH(int, negCurrFormat);
    QFETCH(QString, positive);
    QFETCH(QString, negative);
    FormatSettings fs = RegionalSettings::us();
    fs.currencyDecimals = 0;
    fs.currencyFormat = currencyFormat;
    fs.negCurrFormat = negCurrFormat;
    QCOMPARE(Format::currencyToDisplayText(Currency{10000}, fs), positive);
    QCOMPARE(Format::currencyToDisplayText(Currency{-10000}, fs), negative);
}

void TestMoney::editText_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<qint64>("units");
    QTest::addColumn<QString>("expected");
    QTest::newRow("us") << "us" << 2 << qint64(12345678) << "1234.57";
    QTest::newRow("us negative") << "us" << 2 << qint64(-12345678) << "-1234.57";
    QTest::newRow("us tiny negative") << "us" << 2 << qint64(-1) << "0.00";
    QTest::newRow("us no decimals") << "us" << 0 << qint64(-12345678) << "-1235";
    QTest::newRow("us most negative") << "us" << 4 << std::numeric_limits<qint64>::min() << "-922337203685477.5808";
    QTest::newRow("se") << "se" << 2 << qint64(12345678900) << "1234567,89";
    QTest::newRow("de") << "de" << 3 << qint64(-12345678) << "-1234,568";
    QTest::newRow("blank separators") << "unreadable" << 2 << qint64(-12345678) << "-1234 57";
}

void TestMoney::editText()
{
    QFETCH(QString, region);
    QFETCH(int, decimals);
    QFETCH(qint64, units);
    QFETCH(QString, expected);
    FormatSettings fs = RegionalSettings::byName(region);
    fs.currencyDecimals = decimals;
    QCOMPARE(Format::currencyToEditText(Currency{units}, fs), expected);
}

void TestMoney::currencyParse_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("units");
    QTest::newRow("plain") << "us" << "1234.56" << true << qint64(12345600);
    QTest::newRow("thousands") << "us" << "1,234.56" << true << qint64(12345600);
    QTest::newRow("symbol") << "us" << "$1,234.56" << true << qint64(12345600);
    QTest::newRow("sign before symbol") << "us" << "-$1.5" << true << qint64(-15000);
    QTest::newRow("sign after symbol") << "us" << "$-1.5" << true << qint64(-15000);
    QTest::newRow("plus") << "us" << "+2" << true << qint64(20000);
    QTest::newRow("blanks") << "us" << "  3  " << true << qint64(30000);
    QTest::newRow("only a fraction") << "us" << ".5" << true << qint64(5000);
    QTest::newRow("trailing point") << "us" << "5." << true << qint64(50000);
    QTest::newRow("fifth decimal rounds up") << "us" << "1.23455" << true << qint64(12346);
    QTest::newRow("negative fifth decimal rounds away") << "us" << "-1.23455" << true << qint64(-12346);
    QTest::newRow("fifth decimal rounds down") << "us" << "1.234549999" << true << qint64(12345);
    QTest::newRow("exponent") << "us" << "1e3" << true << qint64(10000000);
    QTest::newRow("negative exponent") << "us" << "1.5E-2" << true << qint64(150);
    QTest::newRow("largest") << "us" << "922337203685477.5807" << true << MaxUnits;
    QTest::newRow("most negative allowed") << "us" << "-922337203685477.5807" << true << -MaxUnits;
    QTest::newRow("just above the largest") << "us" << "922337203685477.5808" << false << qint64(0);
    QTest::newRow("just below the most negative") << "us" << "-922337203685477.5808" << false << qint64(0);
    QTest::newRow("rounds up past the largest") << "us" << "922337203685477.58075" << false << qint64(0);
    QTest::newRow("1e15") << "us" << "1e15" << false << qint64(0);
    QTest::newRow("many digits") << "us" << "123456789012345678901234567890" << false << qint64(0);
    QTest::newRow("zero with a huge exponent") << "us" << "0e999999999999" << true << qint64(0);
    QTest::newRow("tiny") << "us" << "1e-999999999" << true << qint64(0);
    QTest::newRow("leading zeros") << "us" << "000000000000000000000012.5" << true << qint64(125000);
    QTest::newRow("empty") << "us" << "" << false << qint64(0);
    QTest::newRow("only a symbol") << "us" << "$" << false << qint64(0);
    QTest::newRow("only a sign") << "us" << "-" << false << qint64(0);
    QTest::newRow("letters") << "us" << "abc" << false << qint64(0);
    QTest::newRow("two decimal points") << "us" << "1.2.3" << false << qint64(0);
    QTest::newRow("NaN") << "us" << "NaN" << false << qint64(0);
    QTest::newRow("inf") << "us" << "inf" << false << qint64(0);
    QTest::newRow("exponent without digits") << "us" << "1e" << false << qint64(0);
    QTest::newRow("two signs") << "us" << "--1" << false << qint64(0);
    QTest::newRow("doubled thousands separator") << "us" << "1,,234" << false << qint64(0);
    QTest::newRow("thousands separator first") << "us" << ",123" << false << qint64(0);
    QTest::newRow("thousands separator in the fraction") << "us" << "1.234,5" << false << qint64(0);
    QTest::newRow("parentheses") << "us" << "(1)" << false << qint64(0);
    QTest::newRow("hexadecimal") << "us" << "0x10" << false << qint64(0);
    QTest::newRow("Arabic-Indic digits") << "us" << QString(QChar(0x0661)) << false << qint64(0);
    QTest::newRow("se display text") << "se" << "1" + nbsp + "234,56 kr" << true << qint64(12345600);
    QTest::newRow("se plain blank as thousands") << "se" << "-1 234,56 kr" << true << qint64(-12345600);
    QTest::newRow("se point refused") << "se" << "1.5" << false << qint64(0);
    QTest::newRow("de display text") << "de" << "-1.234,56 €" << true << qint64(-12345600);
    QTest::newRow("de symbol first") << "de" << "€ 7" << true << qint64(70000);
    QTest::newRow("blank separators: the blank is the decimal one") << "unreadable" << "1234 5" << true
                                                                    << qint64(12345000);
    QTest::newRow("blank separators: two blanks") << "unreadable" << "1 234 5" << false << qint64(0);
}

void TestMoney::currencyParse()
{
    QFETCH(QString, region);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(qint64, units);
    Currency value{-77};
    QCOMPARE(Format::tryStrToCurrency(text, value, RegionalSettings::byName(region)), ok);
    QCOMPARE(value.units, ok ? units : qint64(-77));
}

void TestMoney::floatParse_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "us" << "1.5" << true << 1.5;
    QTest::newRow("exponent and sign") << "us" << "-1.5e3" << true << -1500.0;
    QTest::newRow("thousands") << "us" << "1,234.5" << true << 1234.5;
    QTest::newRow("symbol") << "us" << "$3" << true << 3.0;
    QTest::newRow("many digits") << "us" << "0.1000000000000000055511151231257827" << true << 0.1;
    QTest::newRow("largest double") << "us" << "1.7976931348623157e308" << true
                                    << std::numeric_limits<double>::max();
    QTest::newRow("beyond a double") << "us" << "1e309" << false << 0.0;
    QTest::newRow("underflow is zero") << "us" << "1e-400" << true << 0.0;
    QTest::newRow("letters") << "us" << "abc" << false << 0.0;
    QTest::newRow("two points") << "us" << "1.2.3" << false << 0.0;
    QTest::newRow("nan") << "us" << "nan" << false << 0.0;
    QTest::newRow("infinity") << "us" << "INF" << false << 0.0;
    QTest::newRow("empty") << "us" << "" << false << 0.0;
    QTest::newRow("de comma") << "de" << "1,5" << true << 1.5;
    QTest::newRow("de thousands point") << "de" << "1.000,25" << true << 1000.25;
    QTest::newRow("se exponent") << "se" << "2,5E-1" << true << 0.25;
}

void TestMoney::floatParse()
{
    QFETCH(QString, region);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    double parsed = -77;
    QCOMPARE(Format::tryStrToFloat(text, parsed, RegionalSettings::byName(region)), ok);
    QCOMPARE(parsed, ok ? value : -77.0);
}

void TestMoney::displayTextRoundTrip_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<qint64>("units");
    const char* regions[] = {"se", "de"};
    const qint64 amounts[] = {0, 1, -1, 12345678, -12345678, 9999999999, MaxUnits, -MaxUnits};
    for (const char* region : regions)
        for (qint64 units : amounts)
            QTest::addRow("%s %lld", region, static_cast<long long>(units)) << QString::fromLatin1(region) << units;
}

void TestMoney::displayTextRoundTrip()
{
    QFETCH(QString, region);
    QFETCH(qint64, units);
    FormatSettings fs = RegionalSettings::byName(region);
    fs.currencyDecimals = 4;
    for (const QString& text : {Format::currencyToDisplayText(Currency{units}, fs),
                                Format::currencyToEditText(Currency{units}, fs)}) {
        Currency back;
        QVERIFY2(Format::tryStrToCurrency(text, back, fs), qPrintable(text));
        QCOMPARE(back.units, units);
    }
}

void TestMoney::strToRaisesConvertErrors()
{
    const FormatSettings fs = RegionalSettings::us();
    QCOMPARE(Format::strToFloat(QStringLiteral("2.5"), fs), 2.5);
    QCOMPARE(Format::strToCurrency(QStringLiteral("2.5"), fs).units, qint64(25000));
    try {
        Format::strToFloat(QStringLiteral("abc"), fs);
        QFAIL("no error for abc");
    } catch (const EConvertError& e) {
        QCOMPARE(e.message(), QStringLiteral("'abc' is not a valid floating point value"));
    }
    try {
        Format::strToCurrency(QStringLiteral("1e20"), fs);
        QFAIL("no error for 1e20");
    } catch (const EConvertError& e) {
        QCOMPARE(e.message(), QStringLiteral("'1e20' is not a valid floating point value"));
    }
}

QTEST_APPLESS_MAIN(TestMoney)
#include "tst_money.moc"
