#include "LocaleInfo.h"
#include "LocalePictures.h"

#include <QLocale>
#include <QVector>

#include <climits>
#include <clocale>
#include <cwchar>
#include <langinfo.h>
#include <locale.h>
#include <string>

// Everything here reads a private locale object (newlocale + nl_langinfo_l); the process's
// own C locale is never switched, except for the moment a text is decoded under uselocale.

namespace {

using namespace LocalePictures;

int categoryMask(int category)
{
    switch (category) {
    case LC_NUMERIC:
        return LC_NUMERIC_MASK;
    case LC_MONETARY:
        return LC_MONETARY_MASK;
    case LC_TIME:
        return LC_TIME_MASK;
    case LC_ADDRESS:
        return LC_ADDRESS_MASK;
    case LC_CTYPE:
        return LC_CTYPE_MASK;
    default:
        return LC_ALL_MASK;
    }
}

const char* categoryVariable(int category)
{
    switch (category) {
    case LC_NUMERIC:
        return "LC_NUMERIC";
    case LC_MONETARY:
        return "LC_MONETARY";
    case LC_TIME:
        return "LC_TIME";
    case LC_ADDRESS:
        return "LC_ADDRESS";
    case LC_CTYPE:
        return "LC_CTYPE";
    default:
        return nullptr;
    }
}

bool isPosixName(const QString& name)
{
    return name == QLatin1String("C") || name == QLatin1String("POSIX") ||
           name.startsWith(QLatin1String("C."));
}

// One category of the user's locale, opened privately. A name the C library cannot open
// reads as "C", as it would for the rest of the process.
class OpenLocale
{
public:
    explicit OpenLocale(int category) : m_name(LinuxLocaleInfo::localeNameFor(category))
    {
        // LC_CTYPE of the same name tells how the locale's texts are encoded.
        const QByteArray name = m_name.toLocal8Bit();
        m_locale = newlocale(categoryMask(category) | LC_CTYPE_MASK, name.constData(), locale_t(nullptr));
        if (!m_locale) {
            m_name = QStringLiteral("C");
            m_locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        }
    }
    ~OpenLocale()
    {
        if (m_locale)
            freelocale(m_locale);
    }
    OpenLocale(const OpenLocale&) = delete;
    OpenLocale& operator=(const OpenLocale&) = delete;

    const QString& name() const { return m_name; }
    bool isPosix() const { return isPosixName(m_name); }
    QLocale qlocale() const { return isPosix() ? QLocale::c() : QLocale(m_name); }

    QString text(nl_item item) const
    {
        if (!m_locale)
            return {};
        return decode(nl_langinfo_l(item, m_locale));
    }

    // A one-byte numeric item of LC_MONETARY; -1 when the locale leaves it unset (CHAR_MAX).
    int number(nl_item item) const
    {
        if (!m_locale)
            return -1;
        const char* value = nl_langinfo_l(item, m_locale);
        if (!value)
            return -1;
        const int n = static_cast<signed char>(value[0]);
        return (n == CHAR_MAX || n < 0) ? -1 : n;
    }

private:
    QString decode(const char* bytes) const
    {
        if (!bytes || !*bytes)
            return {};
        const locale_t previous = uselocale(m_locale);
        QString result;
        std::mbstate_t state{};
        const char* source = bytes;
        const size_t length = std::mbsrtowcs(nullptr, &source, 0, &state);
        if (length != static_cast<size_t>(-1)) {
            std::wstring wide(length, L'\0');
            state = std::mbstate_t{};
            source = bytes;
            std::mbsrtowcs(wide.data(), &source, length, &state);
            result = QString::fromWCharArray(wide.data(), static_cast<qsizetype>(length));
        } else {
            result = QString::fromUtf8(bytes);
        }
        uselocale(previous);
        return result;
    }

    QString m_name;
    locale_t m_locale = nullptr;
};

TimeShape timeShape(const OpenLocale& time)
{
    const QLocale qt = time.qlocale();
    if (qt.language() != QLocale::C)
        return timeShapeFromQt(qt.timeFormat(QLocale::ShortFormat));
    QString picture = time.text(T_FMT);
    if (picture.contains(QLatin1String("%r")))
        picture.replace(QLatin1String("%r"), time.text(T_FMT_AMPM));
    return timeShapeFromStrftime(picture);
}

// The Windows negative currency pattern for the C library's sign position, symbol position and
// spacing; the closest pattern where Windows has no exact one.
std::optional<int> negativeCurrencyPattern(int precedes, int space, int signPosition)
{
    if (precedes < 0 || precedes > 1 || space < 0 || space > 2)
        return std::nullopt;
    const bool before = precedes == 1;
    switch (signPosition) {
    case 0:
        return before ? (space == 1 ? 14 : 0) : (space == 1 ? 15 : 4);
    case 1:
        return before ? (space == 1 ? 9 : 1) : (space == 0 ? 5 : 8);
    case 2:
        return before ? (space == 0 ? 3 : 11) : (space == 0 ? 7 : 10);
    case 3:
        return before ? (space == 1 ? 9 : 1) : (space == 0 ? 6 : 13);
    case 4:
        return before ? (space == 0 ? 2 : 12) : (space == 1 ? 10 : 7);
    default:
        return std::nullopt;
    }
}

std::optional<QString> nonEmpty(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace

LinuxLocaleInfo::LinuxLocaleInfo() : m_startupLanguage(primaryLanguageOf(localeNameFor(LC_TIME))) {}

QString LinuxLocaleInfo::localeNameFor(int category)
{
    const char* variables[] = {"LC_ALL", categoryVariable(category), "LANG"};
    for (const char* variable : variables) {
        if (!variable)
            continue;
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("C");
}

int LinuxLocaleInfo::primaryLanguageOf(const QString& localeName)
{
    using namespace LocaleLanguage;
    if (isPosixName(localeName))
        return English;
    static const struct
    {
        const char* code;
        int id;
    } languages[] = {
        {"ar", Arabic},   {"zh", Chinese},    {"cs", Czech},      {"da", Danish},     {"de", German},
        {"el", Greek},    {"en", English},    {"es", Spanish},    {"fi", Finnish},    {"fr", French},
        {"he", Hebrew},   {"hu", Hungarian},  {"is", Icelandic},  {"it", Italian},    {"ja", Japanese},
        {"ko", Korean},   {"nl", Dutch},      {"nb", Norwegian},  {"nn", Norwegian},  {"no", Norwegian},
        {"pl", Polish},   {"pt", Portuguese}, {"ro", Romanian},   {"ru", Russian},    {"hr", Croatian},
        {"sk", Slovak},   {"sv", Swedish},    {"th", Thai},       {"tr", Turkish},    {"uk", Ukrainian},
        {"et", Estonian}, {"lv", Latvian},    {"lt", Lithuanian}, {"vi", Vietnamese},
    };
    qsizetype end = 0;
    while (end < localeName.size() && localeName.at(end).isLetter())
        ++end;
    const QString code = localeName.left(end).toLower();
    for (const auto& language : languages) {
        if (code == QLatin1String(language.code))
            return language.id;
    }
    return Neutral;
}

QString LinuxLocaleInfo::windowsDatePicture(const QString& strftimeFormat)
{
    return LocalePictures::windowsDatePicture(strftimeFormat);
}

std::optional<QString> LinuxLocaleInfo::item(LocaleScope /*scope*/, int id) const
{
    using namespace LocaleItem;
    switch (id) {
    case SCURRENCY:
        return OpenLocale(LC_MONETARY).text(CURRENCY_SYMBOL);
    case ICURRENCY: {
        const OpenLocale money(LC_MONETARY);
        const int precedes = money.number(P_CS_PRECEDES);
        const int space = money.number(P_SEP_BY_SPACE);
        if (precedes < 0 || precedes > 1 || space < 0 || space > 2)
            return std::nullopt;
        return QString::number((precedes ? 0 : 1) + (space == 1 ? 2 : 0));
    }
    case INEGCURR: {
        const OpenLocale money(LC_MONETARY);
        const auto pattern = negativeCurrencyPattern(money.number(N_CS_PRECEDES),
                                                     money.number(N_SEP_BY_SPACE), money.number(N_SIGN_POSN));
        if (!pattern)
            return std::nullopt;
        return QString::number(*pattern);
    }
    case STHOUSAND: {
        const OpenLocale numeric(LC_NUMERIC);
        const QString separator = numeric.text(THOUSEP);
        if (!separator.isEmpty())
            return separator;
        return nonEmpty(OpenLocale(LC_MONETARY).text(MON_THOUSANDS_SEP));
    }
    case SDECIMAL:
        return nonEmpty(OpenLocale(LC_NUMERIC).text(RADIXCHAR));
    case ICURRDIGITS: {
        const int digits = OpenLocale(LC_MONETARY).number(FRAC_DIGITS);
        if (digits < 0 || digits > 9)
            return std::nullopt;
        return QString::number(digits);
    }
    case SDATE:
        return dateSeparatorOf(OpenLocale(LC_TIME).text(D_FMT));
    case SSHORTDATE:
        return nonEmpty(windowsDatePicture(OpenLocale(LC_TIME).text(D_FMT)));
    case SLONGDATE:
        return nonEmpty(OpenLocale(LC_TIME).qlocale().dateFormat(QLocale::LongFormat));
    case STIME:
        return timeShape(OpenLocale(LC_TIME)).separator;
    case S1159:
        return OpenLocale(LC_TIME).text(AM_STR);
    case S2359:
        return OpenLocale(LC_TIME).text(PM_STR);
    case ITLZERO:
        return QString::number(timeShape(OpenLocale(LC_TIME)).leadingZero ? 1 : 0);
    case ITIME:
        return QString::number(timeShape(OpenLocale(LC_TIME)).twelveHour ? 0 : 1);
    case ITIMEMARKPOSN:
        return QString::number(timeShape(OpenLocale(LC_TIME)).markerFirst ? 1 : 0);
    case SLIST:
        // Windows derives it so: a comma list would clash with a decimal comma.
        return OpenLocale(LC_NUMERIC).text(RADIXCHAR) == QLatin1String(",") ? QStringLiteral(";")
                                                                            : QStringLiteral(",");
    case SISO3166CTRYNAME: {
        const OpenLocale address(LC_ADDRESS);
        if (address.isPosix())
            return std::nullopt;
        const QString code = address.text(_NL_ADDRESS_COUNTRY_AB2);
        if (code.size() == 2)
            return code;
        const QLocale qt = address.qlocale();
        if (qt.language() == QLocale::C || qt.territory() == QLocale::AnyTerritory)
            return std::nullopt;
        return nonEmpty(QLocale::territoryToCode(qt.territory()));
    }
    case ICALENDARTYPE:
        return QStringLiteral("1"); // Gregorian: the C library has no other
    default:
        break;
    }
    if (id >= SDAYNAME1 && id < SDAYNAME1 + 7)
        return OpenLocale(LC_TIME).qlocale().dayName(id - SDAYNAME1 + 1, QLocale::LongFormat);
    if (id >= SABBREVDAYNAME1 && id < SABBREVDAYNAME1 + 7)
        return OpenLocale(LC_TIME).qlocale().dayName(id - SABBREVDAYNAME1 + 1, QLocale::ShortFormat);
    if (id >= SMONTHNAME1 && id < SMONTHNAME1 + 12)
        return OpenLocale(LC_TIME).qlocale().standaloneMonthName(id - SMONTHNAME1 + 1, QLocale::LongFormat);
    if (id >= SABBREVMONTHNAME1 && id < SABBREVMONTHNAME1 + 12)
        return OpenLocale(LC_TIME).qlocale().standaloneMonthName(id - SABBREVMONTHNAME1 + 1,
                                                                 QLocale::ShortFormat);
    return std::nullopt;
}
