// Reading and writing CSV as RFC 4180 has it.

#include "tools/ferngrove-table/Csv.h"

#include <QTest>

class TestCsv : public QObject
{
    Q_OBJECT
private slots:
    void shouldReadRecords_data();
    void shouldReadRecords();
    void shouldRefuseMalformedText_data();
    void shouldRefuseMalformedText();
    void shouldQuoteFieldsThatNeedIt_data();
    void shouldQuoteFieldsThatNeedIt();
};

void TestCsv::shouldReadRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<QStringList>>("records");
    QTest::addColumn<QList<int>>("lines");
    QTest::newRow("plain, LF") << QStringLiteral("a,b\nc,d\n") << QList<QStringList>{{"a", "b"}, {"c", "d"}} << QList<int>{1, 2};
    QTest::newRow("CRLF, no final break") << QStringLiteral("a,b\r\nc,d") << QList<QStringList>{{"a", "b"}, {"c", "d"}}
                                          << QList<int>{1, 2};
    QTest::newRow("empty fields") << QStringLiteral(",\n,x,\n") << QList<QStringList>{{"", ""}, {"", "x", ""}} << QList<int>{1, 2};
    QTest::newRow("quoted comma and quote") << QStringLiteral("\"a,b\",\"say \"\"hi\"\"\"\n")
                                            << QList<QStringList>{{"a,b", "say \"hi\""}} << QList<int>{1};
    QTest::newRow("line breaks inside quotes") << QStringLiteral("\"one\r\ntwo\nthree\",x\nnext\n")
                                               << QList<QStringList>{{"one\r\ntwo\nthree", "x"}, {"next"}} << QList<int>{1, 4};
    QTest::newRow("blank lines skipped") << QStringLiteral("a\n\n\nb\n") << QList<QStringList>{{"a"}, {"b"}} << QList<int>{1, 4};
    QTest::newRow("byte-order mark") << QStringLiteral("\ufeffEvent\nx\n") << QList<QStringList>{{"Event"}, {"x"}}
                                     << QList<int>{1, 2};
    QTest::newRow("blanks kept") << QStringLiteral(" a , b \n") << QList<QStringList>{{" a ", " b "}} << QList<int>{1};
}

void TestCsv::shouldReadRecords()
{
    QFETCH(QString, text);
    QFETCH(QList<QStringList>, records);
    QFETCH(QList<int>, lines);
    QList<CsvRecord> got;
    QString error;
    QVERIFY2(parseCsv(text, &got, &error), qPrintable(error));
    QCOMPARE(got.size(), records.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        QCOMPARE(got[i].fields, records[i]);
        QCOMPARE(got[i].line, lines[i]);
    }
}

void TestCsv::shouldRefuseMalformedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("quote never closed") << QStringLiteral("a\nb,\"c\nd\n") << QStringLiteral("line 2: a quoted field is never closed");
    QTest::newRow("text after the quote") << QStringLiteral("a\n\"b\"c\n") << QStringLiteral("line 2: text after the closing quote of a field");
    QTest::newRow("quote inside") << QStringLiteral("a\"b\n") << QStringLiteral("line 1: a quote inside a field that does not start with one");
}

void TestCsv::shouldRefuseMalformedText()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    QList<CsvRecord> got;
    QString message;
    QVERIFY(!parseCsv(text, &got, &message));
    QCOMPARE(message, error);
}

void TestCsv::shouldQuoteFieldsThatNeedIt_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << QStringLiteral("Ferry") << QStringLiteral("Ferry");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("comma") << QStringLiteral("a,b") << QStringLiteral("\"a,b\"");
    QTest::newRow("quote") << QStringLiteral("say \"hi\"") << QStringLiteral("\"say \"\"hi\"\"\"");
    QTest::newRow("line break") << QStringLiteral("a\nb") << QStringLiteral("\"a\nb\"");
    QTest::newRow("leading blank") << QStringLiteral(" a") << QStringLiteral("\" a\"");
}

void TestCsv::shouldQuoteFieldsThatNeedIt()
{
    QFETCH(QString, value);
    QFETCH(QString, field);
    QCOMPARE(csvField(value), field);
    // What is written reads back as the value.
    QList<CsvRecord> got;
    QString error;
    QVERIFY(parseCsv(field + QStringLiteral(",end\n"), &got, &error));
    QCOMPARE(got.value(0).fields, (QStringList{value, QStringLiteral("end")}));
}

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
