#include "platform/core/FormatSettings.h"
#include "platform/os/LocaleInfo.h"
#include "platform/os/Shell.h"
#include "storage/Service.h"

#include <QtTest>

using namespace LocaleItem;

class TestServiceRoutines : public QObject
{
    Q_OBJECT

private:
    FakeLocaleInfo m_locale;

private slots:
    void init()
    {
        m_locale = FakeLocaleInfo::unitedStates();
        setLocaleInfo(&m_locale);
        formatSettings() = FormatSettings::defaults();
    }

    void cleanup()
    {
        setLocaleInfo(nullptr);
        setShell(nullptr);
        formatSettings() = FormatSettings::defaults();
    }

    void shouldReadEveryItemOfTheLocale()
    {
        m_locale.set(SCURRENCY, QStringLiteral("kr"));
        m_locale.set(ICURRENCY, QStringLiteral("3"));
        m_locale.set(INEGCURR, QStringLiteral("8"));
        m_locale.set(STHOUSAND, QString(QChar(0xA0)));
        m_locale.set(SDECIMAL, QStringLiteral(","));
        m_locale.set(ICURRDIGITS, QStringLiteral("3"));
        m_locale.set(SDATE, QStringLiteral("-"));
        m_locale.set(SSHORTDATE, QStringLiteral("yyyy-MM-dd"));
        m_locale.set(SLONGDATE, QStringLiteral("'den 'd MMMM yyyy"));
        m_locale.set(STIME, QStringLiteral("."));
        m_locale.set(S1159, QStringLiteral("fm"));
        m_locale.set(S2359, QStringLiteral("em"));
        m_locale.set(SLIST, QStringLiteral(";"));
        QVERIFY(ReloadFormatSettings());
        const FormatSettings& fs = formatSettings();
        QCOMPARE(fs.currencyString, QStringLiteral("kr"));
        QCOMPARE(fs.currencyFormat, 3);
        QCOMPARE(fs.negCurrFormat, 8);
        QCOMPARE(fs.thousandSeparator, QChar(0xA0));
        QCOMPARE(fs.decimalSeparator, QLatin1Char(','));
        QCOMPARE(fs.currencyDecimals, 3);
        QCOMPARE(fs.dateSeparator, QLatin1Char('-'));
        QCOMPARE(fs.shortDateFormat, QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(fs.longDateFormat, QStringLiteral("'den 'd MMMM yyyy"));
        QCOMPARE(fs.timeSeparator, QLatin1Char('.'));
        QCOMPARE(fs.timeAMString, QStringLiteral("fm"));
        QCOMPARE(fs.timePMString, QStringLiteral("em"));
        QCOMPARE(fs.shortTimeFormat, QStringLiteral("h:mm AMPM"));
        QCOMPARE(fs.longTimeFormat, QStringLiteral("h:mm:ss AMPM"));
        QCOMPARE(fs.listSeparator, QLatin1Char(';'));
    }

    void shouldTakeTheDefaultOfAnUnreadableItem_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("value"); // empty: the item is removed
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        const QString gone;
        QTest::newRow("currency symbol") << int(SCURRENCY) << gone << "currencyString"
                                         << "";
        QTest::newRow("currency format") << int(ICURRENCY) << gone << "currencyFormat"
                                         << "0";
        QTest::newRow("negative format") << int(INEGCURR) << gone << "negCurrFormat"
                                         << "0";
        QTest::newRow("thousands") << int(STHOUSAND) << gone << "thousandSeparator"
                                   << " ";
        QTest::newRow("decimal is a space") << int(SDECIMAL) << gone << "decimalSeparator"
                                            << " ";
        QTest::newRow("currency digits") << int(ICURRDIGITS) << gone << "currencyDecimals"
                                         << "0";
        QTest::newRow("date separator is a space") << int(SDATE) << gone << "dateSeparator"
                                                   << " ";
        QTest::newRow("short date") << int(SSHORTDATE) << gone << "shortDateFormat"
                                    << " ";
        QTest::newRow("long date") << int(SLONGDATE) << gone << "longDateFormat"
                                   << " ";
        QTest::newRow("time separator") << int(STIME) << gone << "timeSeparator"
                                        << ":";
        QTest::newRow("morning") << int(S1159) << gone << "timeAMString"
                                 << "am";
        QTest::newRow("afternoon") << int(S2359) << gone << "timePMString"
                                   << "pm";
        QTest::newRow("list") << int(SLIST) << gone << "listSeparator"
                              << ",";
        QTest::newRow("two-character thousands") << int(STHOUSAND) << "''"
                                                 << "thousandSeparator"
                                                 << " ";
        QTest::newRow("two-character decimal") << int(SDECIMAL) << ".."
                                               << "decimalSeparator"
                                               << " ";
        QTest::newRow("two-character list") << int(SLIST) << ";;"
                                            << "listSeparator"
                                            << ",";
        QTest::newRow("empty date separator") << int(SDATE) << "<empty>"
                                              << "dateSeparator"
                                              << " ";
        QTest::newRow("not a number") << int(ICURRDIGITS) << "two"
                                      << "currencyDecimals"
                                      << "0";
        QTest::newRow("not a number either") << int(INEGCURR) << "5x"
                                             << "negCurrFormat"
                                             << "0";
        QTest::newRow("255 characters fit") << int(SLONGDATE) << QString(255, QLatin1Char('d'))
                                            << "longDateFormat" << QString(255, QLatin1Char('d'));
        QTest::newRow("256 characters do not")
            << int(SLONGDATE) << QString(256, QLatin1Char('d')) << "longDateFormat"
            << " ";
        QTest::newRow("long currency symbol")
            << int(SCURRENCY) << QString(300, QLatin1Char('$')) << "currencyString"
            << "";
    }

    void shouldTakeTheDefaultOfAnUnreadableItem()
    {
        QFETCH(int, item);
        QFETCH(QString, value);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        if (value.isEmpty())
            m_locale.remove(item);
        else
            m_locale.set(item, value == QLatin1String("<empty>") ? QString() : value);
        ReloadFormatSettings();
        const FormatSettings& fs = formatSettings();
        const QMap<QString, QString> fields{
            {"currencyString", fs.currencyString},
            {"currencyFormat", QString::number(fs.currencyFormat)},
            {"negCurrFormat", QString::number(fs.negCurrFormat)},
            {"thousandSeparator", QString(fs.thousandSeparator)},
            {"decimalSeparator", QString(fs.decimalSeparator)},
            {"currencyDecimals", QString::number(fs.currencyDecimals)},
            {"dateSeparator", QString(fs.dateSeparator)},
            {"shortDateFormat", fs.shortDateFormat},
            {"longDateFormat", fs.longDateFormat},
            {"timeSeparator", QString(fs.timeSeparator)},
            {"timeAMString", fs.timeAMString},
            {"timePMString", fs.timePMString},
            {"listSeparator", QString(fs.listSeparator)},
        };
        QVERIFY(fields.contains(field));
        QCOMPARE(fields.value(field), expected);
    }

    void shouldBuildTheTimeFormats_data()
    {
        QTest::addColumn<QString>("leadingZero");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<QString>("markerPosition");
        QTest::addColumn<QString>("shortTime");
        QTest::addColumn<QString>("longTime");
        QTest::newRow("24-hour, leading zero") << "1"
                                               << "1"
                                               << "0"
                                               << "hh:mm"
                                               << "hh:mm:ss";
        QTest::newRow("12-hour, marker after") << "0"
                                               << "0"
                                               << "0"
                                               << "h:mm AMPM"
                                               << "h:mm:ss AMPM";
        QTest::newRow("12-hour, marker before") << "1"
                                                << "0"
                                                << "1"
                                                << "AMPM hh:mm"
                                                << "AMPM hh:mm:ss";
        QTest::newRow("24-hour ignores the marker") << "0"
                                                    << "1"
                                                    << "1"
                                                    << "h:mm"
                                                    << "h:mm:ss";
        QTest::newRow("any non-zero is a leading zero") << "7"
                                                        << "2"
                                                        << "0"
                                                        << "hh:mm"
                                                        << "hh:mm:ss";
        QTest::newRow("unreadable: 12-hour, no zero, after") << ""
                                                             << ""
                                                             << ""
                                                             << "h:mm AMPM"
                                                             << "h:mm:ss AMPM";
        QTest::newRow("not numbers count as 0") << "x"
                                                << "y"
                                                << "z"
                                                << "h:mm AMPM"
                                                << "h:mm:ss AMPM";
    }

    void shouldBuildTheTimeFormats()
    {
        QFETCH(QString, leadingZero);
        QFETCH(QString, clock);
        QFETCH(QString, markerPosition);
        QFETCH(QString, shortTime);
        QFETCH(QString, longTime);
        const QList<QPair<int, QString>> items{
            {ITLZERO, leadingZero}, {ITIME, clock}, {ITIMEMARKPOSN, markerPosition}};
        for (const auto& [item, value] : items) {
            if (value.isEmpty())
                m_locale.remove(item);
            else
                m_locale.set(item, value);
        }
        ReloadFormatSettings();
        QCOMPARE(formatSettings().shortTimeFormat, shortTime);
        QCOMPARE(formatSettings().longTimeFormat, longTime);
    }

    void shouldLeaveMonthAndDayNamesAlone()
    {
        formatSettings().longMonthNames[0] = QStringLiteral("januari");
        formatSettings().shortDayNames[0] = QStringLiteral("sön");
        m_locale.set(SMONTHNAME1, QStringLiteral("Jänner"));
        ReloadFormatSettings();
        QCOMPARE(formatSettings().longMonthNames.at(0), QStringLiteral("januari"));
        QCOMPARE(formatSettings().shortDayNames.at(0), QStringLiteral("sön"));
    }

    void shouldConvertDatesOfEraCalendars_data()
    {
        QTest::addColumn<QString>("calendar"); // thread locale; empty: unreadable
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        const int english = LocaleLanguage::English, japanese = LocaleLanguage::Japanese;
        QTest::newRow("japanese era") << "3" << japanese << "gg yyyy/MM/dd"
                                      << "ggg eeee/MM/dd";
        QTest::newRow("japanese era, short year") << "3" << english << "yy/M/d"
                                                  << "ee/M/d";
        QTest::newRow("taiwan, capitals") << "4" << english << "GG YYYY Y"
                                          << "ggg eeee e";
        QTest::newRow("korean, single y") << "5" << english << "y.M.d"
                                          << "e.M.d";
        QTest::newRow("five y") << "3" << english << "yyyyy"
                                << "eeeee";
        QTest::newRow("three y") << "3" << english << "yyy"
                                 << "eee";
        QTest::newRow("single g is kept") << "3" << english << "g d"
                                          << "g d";
        QTest::newRow("surrogate pair kept whole")
            << "3" << english << QString::fromUtf8("\xF0\xA0\x80\x8Byyyy")
            << QString::fromUtf8("\xF0\xA0\x80\x8B") + "eeee";
        QTest::newRow("gregorian, japanese start") << "1" << japanese << "gg yyyy/MM/dd"
                                                   << " yyyy/MM/dd";
        QTest::newRow("gregorian, chinese start") << "1" << int(LocaleLanguage::Chinese) << "Gyyyy/g"
                                                  << "yyyy/";
        QTest::newRow("gregorian, korean start") << "1" << int(LocaleLanguage::Korean) << "gg yy"
                                                 << " yy";
        QTest::newRow("gregorian, english") << "1" << english << "gg yyyy/MM/dd"
                                            << "gg yyyy/MM/dd";
        QTest::newRow("hebrew calendar is not an era one") << "8" << english << "yy"
                                                           << "yy";
        QTest::newRow("unreadable calendar is gregorian") << "" << english << "yy"
                                                          << "yy";
        QTest::newRow("not a number is gregorian") << "three" << japanese << "gg yy"
                                                   << " yy";
    }

    void shouldConvertDatesOfEraCalendars()
    {
        QFETCH(QString, calendar);
        QFETCH(int, language);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        m_locale.remove(ICALENDARTYPE);
        if (!calendar.isEmpty())
            m_locale.set(LocaleScope::Thread, ICALENDARTYPE, calendar);
        m_locale.setStartupPrimaryLanguage(language);
        QCOMPARE(ConvertDateFormat(format), expected);
    }

    void shouldReadTheCalendarOfTheThreadNotTheUser()
    {
        m_locale.set(LocaleScope::UserDefault, ICALENDARTYPE, QStringLiteral("3"));
        m_locale.set(LocaleScope::Thread, ICALENDARTYPE, QStringLiteral("1"));
        QCOMPARE(ConvertDateFormat(QStringLiteral("yyyy")), QStringLiteral("yyyy"));
    }

    void shouldConvertTheDatePicturesItReads()
    {
        m_locale.set(LocaleScope::Thread, ICALENDARTYPE, QStringLiteral("3"));
        m_locale.set(SSHORTDATE, QStringLiteral("gg yy/MM/dd"));
        m_locale.set(SLONGDATE, QStringLiteral("gg yyyy'年'M'月'd'日'"));
        ReloadFormatSettings();
        QCOMPARE(formatSettings().shortDateFormat, QStringLiteral("ggg ee/MM/dd"));
        QCOMPARE(formatSettings().longDateFormat, QStringLiteral("ggg eeee'年'M'月'd'日'"));
    }

    void shouldGiveTheTwoLetterCountry_data()
    {
        QTest::addColumn<QString>("value"); // "<none>": unreadable
        QTest::addColumn<QString>("expected");
        const QString zeros(2, QChar(0));
        QTest::newRow("united states") << "US"
                                       << "US";
        QTest::newRow("sweden") << "SE"
                                << "SE";
        QTest::newRow("unreadable") << "<none>" << zeros;
        QTest::newRow("too long for the buffer") << "USA" << zeros;
        QTest::newRow("one letter") << "X" << QStringLiteral("X") + QChar(0);
        QTest::newRow("empty") << "" << zeros;
    }

    void shouldGiveTheTwoLetterCountry()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        if (value == QLatin1String("<none>"))
            m_locale.remove(SISO3166CTRYNAME);
        else
            m_locale.set(SISO3166CTRYNAME, value);
        const QString code = GetCountryCode();
        QCOMPARE(code.size(), 2);
        QCOMPARE(code, expected);
    }

    void shouldCutAtTheLastMark_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Trip.dat") << "Trip.dat"
                                  << "."
                                  << "Trip";
        QTest::newRow("a.b.dat") << "a.b.dat"
                                 << "."
                                 << "a.b";
        QTest::newRow("no mark") << "Trip"
                                 << "."
                                 << "Trip";
        QTest::newRow(".dat") << ".dat"
                              << "."
                              << "";
        QTest::newRow("final point") << "Trip."
                                     << "."
                                     << "Trip";
        QTest::newRow("empty text") << ""
                                    << "."
                                    << "";
        QTest::newRow("two-character mark") << "Trip.dat"
                                            << ".d"
                                            << "Trip.dat";
        QTest::newRow("empty mark") << "Trip.dat"
                                    << ""
                                    << "Trip.dat";
        QTest::newRow("other mark") << "C:/Projects/Trip.dat"
                                    << "/"
                                    << "C:/Projects";
        QTest::newRow("case matters") << "TripXdatx"
                                      << "X"
                                      << "Trip";
    }

    void shouldCutAtTheLastMark()
    {
        QFETCH(QString, text);
        QFETCH(QString, mark);
        QFETCH(QString, expected);
        QCOMPARE(CutAtLastChar(text, mark), expected);
    }

    void shouldHandTheCallToTheShellWhole_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("sentParameters");
        QTest::newRow("reader") << "Acrord32"
                                << "/home/u/Trip.pdf"
                                << ""
                                << "/home/u/Trip.pdf";
        QTest::newRow("150 characters") << "Acrobat" << QString(150, QLatin1Char('p'))
                                        << QString(120, QLatin1Char('d')) << QString(150, QLatin1Char('p'));
        QTest::newRow("a NUL ends the text") << "Acrobat" << QStringLiteral("a.pdf") + QChar(0) + "junk"
                                             << ""
                                             << "a.pdf";
    }

    void shouldHandTheCallToTheShellWhole()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, parameters);
        QFETCH(QString, directory);
        QFETCH(QString, sentParameters);
        FakeShell fake;
        fake.setResult(fileName, 42);
        setShell(&fake);
        QCOMPARE(RunProgram(fileName, parameters, directory, 1), 42);
        QCOMPARE(fake.calls().size(), 1);
        QCOMPARE(fake.calls().first().fileName, fileName);
        QCOMPARE(fake.calls().first().parameters, sentParameters);
        QCOMPARE(fake.calls().first().directory, directory);
        QCOMPARE(fake.calls().first().showCommand, 1);
    }

    void shouldReturnTheShellsFailureUnchanged()
    {
        FakeShell fake;
        fake.setDefaultResult(ShellResult::FileNotFound);
        setShell(&fake);
        QCOMPARE(RunProgram(QStringLiteral("Acrord32"), QStringLiteral("x.pdf"), QString(), 1), 2);
    }

    void shouldFailForAProgramThatCannotBeFound()
    {
        QVERIFY(RunProgram(QStringLiteral("no-such-program-ferngrove"), QString(), QString(), 1) <= 32);
    }

    void shouldStartAProgramOnThePath()
    {
        QVERIFY(RunProgram(QStringLiteral("true"), QString(), QString(), 1) > 32);
    }

    void shouldPassALongParameterToTheProgramWhole()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString out = dir.path() + QStringLiteral("/argument.txt");
        const QString script = dir.path() + QStringLiteral("/record-argument");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && /bin/mv \"$0.tmp\" \"" + out.toUtf8() +
                   "\"\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString parameter(150, QLatin1Char('a'));
        QVERIFY(RunProgram(script, parameter, dir.path(), 1) > 32);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out), 10000);
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()), parameter);
    }
};

QTEST_GUILESS_MAIN(TestServiceRoutines)
#include "tst_service_routines.moc"
