// The plain text of RTF documents, as ics writes it into descriptions, and the ASCII form
// of RTF source that import stores.

#include "tools/ferngrove-table/RtfText.h"

#include <QTest>

class TestRtfText : public QObject
{
    Q_OBJECT
private slots:
    void shouldReadTheTextOfRichEditRtf_data();
    void shouldReadTheTextOfRichEditRtf();
    void shouldSurviveMalformedInput_data();
    void shouldSurviveMalformedInput();
    void shouldSurviveDeepNesting();
    void shouldEscapeNonAsciiSource_data();
    void shouldEscapeNonAsciiSource();
};

void TestRtfText::shouldReadTheTextOfRichEditRtf_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    const QByteArray head = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
                            "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
                            "{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    QTest::newRow("bold and italic") << head + "\\b Bold\\b0  and \\i italic\\i0\\par\r\n}" << QStringLiteral("Bold and italic");
    QTest::newRow("paragraphs and tab") << head + "One\\par\r\nTwo\\tab 2\\line Three\\par\r\n\\par\r\n}"
                                        << QStringLiteral("One\nTwo\t2\nThree");
    QTest::newRow("bullets") << head + "Take:\\par\r\n\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
                                       "\\fi-200\\li200 Passports\\par\r\n{\\pntext\\f1\\'B7\\tab}Tickets\\par\r\n}"
                             << QStringLiteral("Take:\n\u2022 Passports\n\u2022 Tickets");
    QTest::newRow("numbered list") << head + "{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta.}}First\\par\r\n}"
                                   << QStringLiteral("1. First");
    QTest::newRow("code page escapes") << head + "N\\'e6r\\'f8yfjord \\'80 5\\par}" << QStringLiteral("N\u00e6r\u00f8yfjord \u20ac 5");
    QTest::newRow("unicode with fallback") << head + "\\u8364?\\u-3913?x\\par}" << QStringLiteral("\u20ac\uf0b7x");
    QTest::newRow("uc2 skips two") << QByteArray("{\\rtf1\\uc2 a\\u269\\'63\\'68b}") << QStringLiteral("a\u010db");
    QTest::newRow("surrogate pair") << QByteArray("{\\rtf1 \\u-10179?\\u-8704?!}") << QStringLiteral("\U0001F600!");
    QTest::newRow("escaped braces") << QByteArray("{\\rtf1 a\\{b\\}c\\\\d}") << QStringLiteral("a{b}c\\d");
    QTest::newRow("unknown star destination") << QByteArray("{\\rtf1 a{\\*\\unknownthing secret}b}") << QStringLiteral("ab");
    QTest::newRow("binary data") << QByteArray("{\\rtf1 a{\\*\\blipuid x}{\\pict\\bin4 \x01}{\\x}b}") << QStringLiteral("ab");
    QTest::newRow("field result kept") << QByteArray("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt site}}}")
                                       << QStringLiteral("site");
    QTest::newRow("quotes and dashes") << QByteArray("{\\rtf1 \\ldblquote a\\rdblquote  \\endash  \\emdash}")
                                       << QStringLiteral("\u201ca\u201d \u2013 \u2014");
    QTest::newRow("not RTF") << QByteArray("plain caf\xe9") << QStringLiteral("plain caf\u00e9");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestRtfText::shouldReadTheTextOfRichEditRtf()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(rtfToPlainText(rtf), text);
}

void TestRtfText::shouldSurviveMalformedInput_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("unclosed group") << QByteArray("{\\rtf1 abc{\\b def") << QStringLiteral("abcdef");
    QTest::newRow("extra closing braces") << QByteArray("{\\rtf1 a}}}b}") << QStringLiteral("ab");
    QTest::newRow("backslash at the end") << QByteArray("{\\rtf1 a\\") << QStringLiteral("a");
    QTest::newRow("cut escape") << QByteArray("{\\rtf1 a\\'e") << QStringLiteral("a");
    QTest::newRow("bad hex") << QByteArray("{\\rtf1 a\\'zzb}") << QStringLiteral("azzb");
    QTest::newRow("u without number") << QByteArray("{\\rtf1 a\\u b}") << QStringLiteral("ab");
    QTest::newRow("huge u") << QByteArray("{\\rtf1 a\\u99999999999999999999 b}") << QStringLiteral("a");
    QTest::newRow("bin past the end") << QByteArray("{\\rtf1 a\\bin999999999 xyz") << QStringLiteral("a");
    QTest::newRow("negative bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << QStringLiteral("ab");
    QTest::newRow("lone high surrogate") << QByteArray("{\\rtf1 \\u-10179?x}") << QStringLiteral("\ufffdx");
    QTest::newRow("long control word") << QByteArray("{\\rtf1 \\") + QByteArray(100000, 'u') + "1 b}" << QStringLiteral("b");
    QTest::newRow("nul bytes") << QByteArray("{\\rtf1 a\0b}", 10) << QString::fromUtf16(u"a\u0000b", 3);
}

void TestRtfText::shouldSurviveMalformedInput()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(rtfToPlainText(rtf), text);
}

void TestRtfText::shouldSurviveDeepNesting()
{
    const QByteArray deep = "{\\rtf1 " + QByteArray(200000, '{') + "x" + QByteArray(200000, '}') + "y}";
    QCOMPARE(rtfToPlainText(deep), QStringLiteral("xy"));
    const QByteArray skipped = "{\\rtf1 {\\*\\x " + QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "}y}";
    QCOMPARE(rtfToPlainText(skipped), QStringLiteral("y"));
}

void TestRtfText::shouldEscapeNonAsciiSource_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("ascii");
    QTest::newRow("ascii") << QStringLiteral("{\\rtf1 plain\\par}") << QByteArray("{\\rtf1 plain\\par}");
    QTest::newRow("latin") << QStringLiteral("{\\rtf1 Fl\u00e5m}") << QByteArray("{\\rtf1 Fl\\'e5m}");
    QTest::newRow("euro from the C1 range") << QStringLiteral("{\\rtf1 \u20ac}") << QByteArray("{\\rtf1 \\'80}");
    QTest::newRow("outside the code page") << QStringLiteral("{\\rtf1 \u010d\u4e2d}") << QByteArray("{\\rtf1 \\u269?\\u20013?}");
    QTest::newRow("signed sixteen bits") << QStringLiteral("{\\rtf1 \uf0b7}") << QByteArray("{\\rtf1 \\u-3913?}");
}

void TestRtfText::shouldEscapeNonAsciiSource()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, ascii);
    QCOMPARE(rtfSourceToAscii(source), ascii);
    // Read back, the escapes are the characters that were written.
    const QString text = source.mid(7, source.size() - 8);
    if (!text.contains(QLatin1Char('\\')))
        QCOMPARE(rtfToPlainText(ascii), text);
}

QTEST_GUILESS_MAIN(TestRtfText)
#include "tst_rtf_text.moc"
