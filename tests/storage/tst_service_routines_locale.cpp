#include "platform/core/FormatSettings.h"
#include "platform/os/LocaleInfo.h"
#include "storage/Service.h"

#include <QtTest>

#include <clocale>
#include <locale.h>

// The regional-format routines against the real locales of this machine.
class TestServiceRoutinesLocale : public QObject
{
    Q_OBJECT

private:
    QMap<QByteArray, QByteArray> m_saved;
    const QList<QByteArray> m_variables{"LC_ALL",  "LC_NUMERIC", "LC_MONETARY",
                                        "LC_TIME", "LC_ADDRESS", "LANG"};

    static bool installed(const QByteArray& name)
    {
        const locale_t probe = newlocale(LC_ALL_MASK, name.constData(), locale_t(nullptr));
        if (probe)
            freelocale(probe);
        return probe != nullptr;
    }

private slots:
    void init()
    {
        m_saved.clear();
        for (const QByteArray& variable : m_variables) {
            if (qEnvironmentVariableIsSet(variable.constData()))
                m_saved.insert(variable, qgetenv(variable.constData()));
            qunsetenv(variable.constData());
        }
        setLocaleInfo(nullptr);
        formatSettings() = FormatSettings::defaults();
    }

    void cleanup()
    {
        for (const QByteArray& variable : m_variables) {
            if (m_saved.contains(variable))
                qputenv(variable.constData(), m_saved.value(variable));
            else
                qunsetenv(variable.constData());
        }
        formatSettings() = FormatSettings::defaults();
    }

    void shouldReadTheUsersRegionalFormats_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QString>("currency");
        QTest::addColumn<int>("currencyFormat");
        QTest::addColumn<QChar>("thousands");
        QTest::addColumn<QChar>("decimal");
        QTest::addColumn<QChar>("dateSeparator");
        QTest::addColumn<QString>("shortDate");
        QTest::addColumn<QString>("longTime");
        QTest::addColumn<QChar>("list");
        QTest::addColumn<QString>("country");
        QTest::newRow("us") << QByteArray("en_US.UTF-8") << "$" << 0 << QChar(u',') << QChar(u'.')
                            << QChar(u'/') << "MM/dd/yyyy"
                            << "h:mm:ss AMPM" << QChar(u',') << "US";
        QTest::newRow("sv") << QByteArray("sv_SE.UTF-8") << "kr" << 3 << QChar(0x202F) << QChar(u',')
                            << QChar(u'-') << "yyyy-MM-dd"
                            << "hh:mm:ss" << QChar(u';') << "SE";
        QTest::newRow("de") << QByteArray("de_DE.UTF-8") << QString(QChar(0x20AC)) << 3 << QChar(u'.')
                            << QChar(u',') << QChar(u'.') << "dd.MM.yyyy"
                            << "hh:mm:ss" << QChar(u';') << "DE";
    }

    void shouldReadTheUsersRegionalFormats()
    {
        QFETCH(QByteArray, locale);
        QFETCH(QString, currency);
        QFETCH(int, currencyFormat);
        QFETCH(QChar, thousands);
        QFETCH(QChar, decimal);
        QFETCH(QChar, dateSeparator);
        QFETCH(QString, shortDate);
        QFETCH(QString, longTime);
        QFETCH(QChar, list);
        QFETCH(QString, country);
        if (!installed(locale))
            QSKIP(qPrintable(QStringLiteral("Locale %1 is not installed (run locale-gen)")
                                 .arg(QString::fromLatin1(locale))));
        qputenv("LC_ALL", locale);
        QVERIFY(ReloadFormatSettings());
        const FormatSettings& fs = formatSettings();
        QCOMPARE(fs.currencyString, currency);
        QCOMPARE(fs.currencyFormat, currencyFormat);
        QCOMPARE(fs.currencyDecimals, 2);
        QCOMPARE(fs.thousandSeparator, thousands);
        QCOMPARE(fs.decimalSeparator, decimal);
        QCOMPARE(fs.dateSeparator, dateSeparator);
        QCOMPARE(fs.shortDateFormat, shortDate);
        QCOMPARE(fs.longTimeFormat, longTime);
        QCOMPARE(fs.timeSeparator, QLatin1Char(':'));
        QCOMPARE(fs.listSeparator, list);
        QVERIFY(!fs.longDateFormat.trimmed().isEmpty());
        QCOMPARE(GetCountryCode(), country);
    }

    void shouldGiveNoCountryForThePosixLocale()
    {
        qputenv("LC_ALL", "C");
        QCOMPARE(GetCountryCode(), QString(2, QChar(0)));
        ReloadFormatSettings();
        QCOMPARE(formatSettings().thousandSeparator, QLatin1Char(' '));
        QCOMPARE(formatSettings().decimalSeparator, QLatin1Char('.'));
        QCOMPARE(formatSettings().longTimeFormat, QStringLiteral("hh:mm:ss"));
    }
};

QTEST_GUILESS_MAIN(TestServiceRoutinesLocale)
#include "tst_service_routines_locale.moc"
