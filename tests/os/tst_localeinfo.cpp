#include "platform/core/FormatSettings.h"
#include "platform/os/LocaleInfo.h"

#include <QtTest>

#include <clocale>
#include <locale.h>

using namespace LocaleItem;

namespace {

bool localeInstalled(const char* name)
{
    const locale_t probe = newlocale(LC_ALL_MASK, name, locale_t(nullptr));
    if (!probe)
        return false;
    freelocale(probe);
    return true;
}

QString itemText(int item)
{
    LinuxLocaleInfo info;
    const auto value = info.item(LocaleScope::UserDefault, item);
    return value ? *value : QStringLiteral("<unreadable>");
}

} // namespace

class TestLocaleInfo : public QObject
{
    Q_OBJECT

private:
    // The locale variables as the test found them, put back after every test.
    QMap<QByteArray, QByteArray> m_saved;
    const QList<QByteArray> m_variables{"LC_ALL",  "LC_NUMERIC", "LC_MONETARY",
                                        "LC_TIME", "LC_ADDRESS", "LANG"};

    void useOnly(const QByteArray& lcAll)
    {
        for (const QByteArray& variable : m_variables)
            qunsetenv(variable.constData());
        qputenv("LC_ALL", lcAll);
    }

private slots:
    void init()
    {
        m_saved.clear();
        for (const QByteArray& variable : m_variables) {
            if (qEnvironmentVariableIsSet(variable.constData()))
                m_saved.insert(variable, qgetenv(variable.constData()));
        }
    }

    void cleanup()
    {
        for (const QByteArray& variable : m_variables) {
            if (m_saved.contains(variable))
                qputenv(variable.constData(), m_saved.value(variable));
            else
                qunsetenv(variable.constData());
        }
        setLocaleInfo(nullptr);
        formatSettings() = FormatSettings::defaults();
    }

    void shouldAnswerItemsOfAnInstalledLocale_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("expected");
        const QByteArray us = "en_US.UTF-8", sv = "sv_SE.UTF-8", de = "de_DE.UTF-8";
        QTest::newRow("us currency") << us << int(SCURRENCY) << "$";
        QTest::newRow("us currency before, no space") << us << int(ICURRENCY) << "0";
        QTest::newRow("us negative -$1") << us << int(INEGCURR) << "1";
        QTest::newRow("us thousands") << us << int(STHOUSAND) << ",";
        QTest::newRow("us decimal") << us << int(SDECIMAL) << ".";
        QTest::newRow("us currency digits") << us << int(ICURRDIGITS) << "2";
        QTest::newRow("us date separator") << us << int(SDATE) << "/";
        QTest::newRow("us short date") << us << int(SSHORTDATE) << "MM/dd/yyyy";
        QTest::newRow("us long date") << us << int(SLONGDATE) << "dddd, MMMM d, yyyy";
        QTest::newRow("us time separator") << us << int(STIME) << ":";
        QTest::newRow("us morning") << us << int(S1159) << "AM";
        QTest::newRow("us afternoon") << us << int(S2359) << "PM";
        QTest::newRow("us no leading zero") << us << int(ITLZERO) << "0";
        QTest::newRow("us 12-hour clock") << us << int(ITIME) << "0";
        QTest::newRow("us marker after") << us << int(ITIMEMARKPOSN) << "0";
        QTest::newRow("us list") << us << int(SLIST) << ",";
        QTest::newRow("us country") << us << int(SISO3166CTRYNAME) << "US";
        QTest::newRow("us calendar") << us << int(ICALENDARTYPE) << "1";
        QTest::newRow("us first month") << us << int(SMONTHNAME1) << "January";
        QTest::newRow("us first day is Monday") << us << int(SDAYNAME1) << "Monday";
        QTest::newRow("sv currency") << sv << int(SCURRENCY) << "kr";
        QTest::newRow("sv currency after with space") << sv << int(ICURRENCY) << "3";
        QTest::newRow("sv negative -1 kr") << sv << int(INEGCURR) << "8";
        QTest::newRow("sv thousands") << sv << int(STHOUSAND) << QString(QChar(0x202F));
        QTest::newRow("sv decimal") << sv << int(SDECIMAL) << ",";
        QTest::newRow("sv date separator") << sv << int(SDATE) << "-";
        QTest::newRow("sv short date") << sv << int(SSHORTDATE) << "yyyy-MM-dd";
        QTest::newRow("sv leading zero") << sv << int(ITLZERO) << "1";
        QTest::newRow("sv 24-hour clock") << sv << int(ITIME) << "1";
        QTest::newRow("sv list") << sv << int(SLIST) << ";";
        QTest::newRow("sv country") << sv << int(SISO3166CTRYNAME) << "SE";
        QTest::newRow("sv first month") << sv << int(SMONTHNAME1) << "januari";
        QTest::newRow("de currency") << de << int(SCURRENCY) << QString(QChar(0x20AC));
        QTest::newRow("de negative") << de << int(INEGCURR) << "8";
        QTest::newRow("de thousands") << de << int(STHOUSAND) << ".";
        QTest::newRow("de decimal") << de << int(SDECIMAL) << ",";
        QTest::newRow("de date separator") << de << int(SDATE) << ".";
        QTest::newRow("de short date") << de << int(SSHORTDATE) << "dd.MM.yyyy";
        QTest::newRow("de time separator") << de << int(STIME) << ":";
        QTest::newRow("de 24-hour clock") << de << int(ITIME) << "1";
        QTest::newRow("de list") << de << int(SLIST) << ";";
        QTest::newRow("de country") << de << int(SISO3166CTRYNAME) << "DE";
        QTest::newRow("de Sunday") << de << int(SDAYNAME1 + 6) << "Sonntag";
    }

    void shouldAnswerItemsOfAnInstalledLocale()
    {
        QFETCH(QByteArray, locale);
        QFETCH(int, item);
        QFETCH(QString, expected);
        if (!localeInstalled(locale.constData()))
            QSKIP(qPrintable(QStringLiteral("Locale %1 is not installed (run locale-gen)")
                                 .arg(QString::fromLatin1(locale))));
        useOnly(locale);
        QCOMPARE(itemText(item), expected);
    }

    void shouldAnswerTheLongDateFromTheLocalesOwnPicture()
    {
        if (!localeInstalled("de_DE.UTF-8"))
            QSKIP("Locale de_DE.UTF-8 is not installed (run locale-gen)");
        useOnly("de_DE.UTF-8");
        const QString longDate = itemText(SLONGDATE);
        QVERIFY2(longDate.contains(QLatin1String("MMMM")) && longDate.contains(QLatin1String("yyyy")),
                 qPrintable(longDate));
    }

    void shouldReadThePosixLocaleWithoutCountryOrGrouping_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::newRow("C") << QByteArray("C");
        QTest::newRow("POSIX") << QByteArray("POSIX");
        QTest::newRow("a locale that is not installed reads as C") << QByteArray("xx_YY.UTF-8");
    }

    void shouldReadThePosixLocaleWithoutCountryOrGrouping()
    {
        QFETCH(QByteArray, locale);
        useOnly(locale);
        QCOMPARE(itemText(SISO3166CTRYNAME), QStringLiteral("<unreadable>"));
        QCOMPARE(itemText(STHOUSAND), QStringLiteral("<unreadable>"));
        QCOMPARE(itemText(ICURRENCY), QStringLiteral("<unreadable>"));
        QCOMPARE(itemText(ICURRDIGITS), QStringLiteral("<unreadable>"));
        QCOMPARE(itemText(SCURRENCY), QString());
        QCOMPARE(itemText(SDECIMAL), QStringLiteral("."));
        QCOMPARE(itemText(SSHORTDATE), QStringLiteral("MM/dd/yy"));
        QCOMPARE(itemText(ITIME), QStringLiteral("1"));
        QCOMPARE(itemText(ITLZERO), QStringLiteral("1"));
        QCOMPARE(itemText(ICALENDARTYPE), QStringLiteral("1"));
    }

    void shouldTakeEachCategoryFromItsOwnVariable()
    {
        if (!localeInstalled("de_DE.UTF-8") || !localeInstalled("en_US.UTF-8"))
            QSKIP("Locales de_DE.UTF-8 and en_US.UTF-8 are needed (run locale-gen)");
        useOnly(QByteArray());
        qputenv("LC_NUMERIC", "de_DE.UTF-8");
        qputenv("LANG", "en_US.UTF-8");
        QCOMPARE(itemText(SDECIMAL), QStringLiteral(","));
        QCOMPARE(itemText(SCURRENCY), QStringLiteral("$"));
        qputenv("LC_ALL", "de_DE.UTF-8");
        QCOMPARE(itemText(SCURRENCY), QString(QChar(0x20AC)));
    }

    void shouldNotChangeTheProcessLocale()
    {
        const QByteArray before = setlocale(LC_ALL, nullptr);
        useOnly("de_DE.UTF-8");
        for (int item : {int(SDECIMAL), int(SCURRENCY), int(SSHORTDATE), int(S1159)})
            itemText(item);
        QCOMPARE(QByteArray(setlocale(LC_ALL, nullptr)), before);
    }

    void shouldTurnDatePicturesIntoWindowsLetters_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("expected");
        QTest::newRow("us") << "%m/%d/%Y"
                            << "MM/dd/yyyy";
        QTest::newRow("iso") << "%Y-%m-%d"
                             << "yyyy-MM-dd";
        QTest::newRow("german") << "%d.%m.%Y"
                                << "dd.MM.yyyy";
        QTest::newRow("%D") << "%D"
                            << "MM/dd/yy";
        QTest::newRow("%F") << "%F"
                            << "yyyy-MM-dd";
        QTest::newRow("unpadded") << "%-d/%-m/%Y"
                                  << "d/M/yyyy";
        QTest::newRow("month name") << "%e %B %Y"
                                    << "d MMMM yyyy";
        QTest::newRow("words are quoted") << "%d de %b"
                                          << "dd 'de' MMM";
        QTest::newRow("day names") << "%a %A"
                                   << "ddd dddd";
        QTest::newRow("percent sign") << "%d%%"
                                      << "dd%";
    }

    void shouldTurnDatePicturesIntoWindowsLetters()
    {
        QFETCH(QString, picture);
        QFETCH(QString, expected);
        QCOMPARE(LinuxLocaleInfo::windowsDatePicture(picture), expected);
    }

    void shouldKnowThePrimaryLanguageOfALocaleName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("language");
        QTest::newRow("swedish") << "sv_SE.UTF-8" << int(LocaleLanguage::Swedish);
        QTest::newRow("japanese") << "ja_JP.eucJP" << int(LocaleLanguage::Japanese);
        QTest::newRow("chinese") << "zh_TW" << int(LocaleLanguage::Chinese);
        QTest::newRow("korean") << "ko_KR.UTF-8" << int(LocaleLanguage::Korean);
        QTest::newRow("german, no territory") << "de" << int(LocaleLanguage::German);
        QTest::newRow("english") << "en_GB.UTF-8@euro" << int(LocaleLanguage::English);
        QTest::newRow("C is English") << "C.UTF-8" << int(LocaleLanguage::English);
        QTest::newRow("unknown") << "xx_YY" << int(LocaleLanguage::Neutral);
    }

    void shouldKnowThePrimaryLanguageOfALocaleName()
    {
        QFETCH(QString, name);
        QFETCH(int, language);
        QCOMPARE(LinuxLocaleInfo::primaryLanguageOf(name), language);
    }

    void shouldTakeTheStartupLanguageWhenMade()
    {
        useOnly("ja_JP.UTF-8");
        LinuxLocaleInfo info;
        useOnly("sv_SE.UTF-8");
        QCOMPARE(info.startupPrimaryLanguage(), int(LocaleLanguage::Japanese));
    }

    void shouldAnswerFakeItemsPerScope()
    {
        FakeLocaleInfo fake;
        QVERIFY(!fake.item(LocaleScope::UserDefault, SLIST));
        fake.set(SLIST, QStringLiteral(";"));
        fake.set(LocaleScope::Thread, ICALENDARTYPE, QStringLiteral("3"));
        QCOMPARE(fake.item(LocaleScope::UserDefault, SLIST).value_or(QString()), QStringLiteral(";"));
        QCOMPARE(fake.item(LocaleScope::Thread, SLIST).value_or(QString()), QStringLiteral(";"));
        QCOMPARE(fake.item(LocaleScope::Thread, ICALENDARTYPE).value_or(QString()), QStringLiteral("3"));
        QVERIFY(!fake.item(LocaleScope::UserDefault, ICALENDARTYPE));
        fake.remove(SLIST);
        QVERIFY(!fake.item(LocaleScope::UserDefault, SLIST));
        QVERIFY(!fake.item(LocaleScope::Thread, SLIST));
    }

    void shouldPutAnInstanceInForceAndBack()
    {
        FakeLocaleInfo fake;
        fake.setStartupPrimaryLanguage(LocaleLanguage::Korean);
        setLocaleInfo(&fake);
        QCOMPARE(&localeInfo(), static_cast<LocaleInfo*>(&fake));
        QCOMPARE(localeInfo().startupPrimaryLanguage(), int(LocaleLanguage::Korean));
        setLocaleInfo(nullptr);
        QVERIFY(dynamic_cast<LinuxLocaleInfo*>(&localeInfo()));
    }

    void shouldFillTheWholeFormatSettingsAtStart()
    {
        FakeLocaleInfo fake = FakeLocaleInfo::unitedStates();
        fake.set(SCURRENCY, QStringLiteral("kr"));
        fake.set(ICURRENCY, QStringLiteral("3"));
        fake.set(INEGCURR, QStringLiteral("8"));
        fake.set(STHOUSAND, QString(QChar(0xA0)));
        fake.set(SDECIMAL, QStringLiteral(","));
        fake.set(SDATE, QStringLiteral("-"));
        fake.set(SSHORTDATE, QStringLiteral("yyyy-MM-dd"));
        fake.set(ITLZERO, QStringLiteral("1"));
        fake.set(ITIME, QStringLiteral("1"));
        fake.set(SLIST, QStringLiteral(";"));
        fake.set(SMONTHNAME1, QStringLiteral("januari"));
        fake.set(SDAYNAME1, QStringLiteral("måndag"));
        fake.set(SDAYNAME1 + 6, QStringLiteral("söndag"));
        fake.set(SABBREVDAYNAME1 + 6, QStringLiteral("sön"));
        setLocaleInfo(&fake);
        initFormatSettingsFromLocale();
        const FormatSettings& fs = formatSettings();
        QCOMPARE(fs.currencyString, QStringLiteral("kr"));
        QCOMPARE(fs.currencyFormat, 3);
        QCOMPARE(fs.negCurrFormat, 8);
        QCOMPARE(fs.thousandSeparator, QChar(0xA0));
        QCOMPARE(fs.decimalSeparator, QLatin1Char(','));
        QCOMPARE(fs.currencyDecimals, 2);
        QCOMPARE(fs.dateSeparator, QLatin1Char('-'));
        QCOMPARE(fs.shortDateFormat, QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(fs.longDateFormat, QStringLiteral("dddd, MMMM d, yyyy"));
        QCOMPARE(fs.shortTimeFormat, QStringLiteral("hh:mm"));
        QCOMPARE(fs.longTimeFormat, QStringLiteral("hh:mm:ss"));
        QCOMPARE(fs.listSeparator, QLatin1Char(';'));
        QCOMPARE(fs.longMonthNames.size(), 12);
        QCOMPARE(fs.longMonthNames.first(), QStringLiteral("januari"));
        QCOMPARE(fs.shortMonthNames.at(11), QStringLiteral("Dec"));
        // Sunday first, as the class library keeps them.
        QCOMPARE(fs.longDayNames.size(), 7);
        QCOMPARE(fs.longDayNames.at(0), QStringLiteral("söndag"));
        QCOMPARE(fs.longDayNames.at(1), QStringLiteral("måndag"));
        QCOMPARE(fs.shortDayNames.at(0), QStringLiteral("sön"));
        QCOMPARE(fs.shortDayNames.at(6), QStringLiteral("Sat"));
    }

    void shouldKeepTheDefaultsForItemsTheLocaleLacks()
    {
        FakeLocaleInfo empty;
        setLocaleInfo(&empty);
        formatSettings().currencyString = QStringLiteral("changed");
        initFormatSettingsFromLocale();
        const FormatSettings defaults = FormatSettings::defaults();
        const FormatSettings& fs = formatSettings();
        QCOMPARE(fs.currencyString, defaults.currencyString);
        QCOMPARE(fs.decimalSeparator, defaults.decimalSeparator);
        QCOMPARE(fs.thousandSeparator, defaults.thousandSeparator);
        QCOMPARE(fs.shortDateFormat, defaults.shortDateFormat);
        QCOMPARE(fs.shortTimeFormat, defaults.shortTimeFormat);
        QCOMPARE(fs.longTimeFormat, defaults.longTimeFormat);
        QCOMPARE(fs.longMonthNames, defaults.longMonthNames);
        QCOMPARE(fs.shortDayNames, defaults.shortDayNames);
    }

    void shouldFillFormatSettingsFromARealLocale()
    {
        if (!localeInstalled("sv_SE.UTF-8"))
            QSKIP("Locale sv_SE.UTF-8 is not installed (run locale-gen)");
        useOnly("sv_SE.UTF-8");
        initFormatSettingsFromLocale();
        const FormatSettings& fs = formatSettings();
        QCOMPARE(fs.decimalSeparator, QLatin1Char(','));
        QCOMPARE(fs.shortDateFormat, QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(fs.longTimeFormat, QStringLiteral("hh:mm:ss"));
        QCOMPARE(fs.longMonthNames.at(0), QStringLiteral("januari"));
        QCOMPARE(fs.longDayNames.at(0), QStringLiteral("söndag"));
    }
};

QTEST_GUILESS_MAIN(TestLocaleInfo)
#include "tst_localeinfo.moc"
