#include "Service.h"

#include "platform/core/FormatSettings.h"
#include "platform/os/LocaleInfo.h"
#include "platform/os/Shell.h"

// The regional-format, name and shell routines of the service unit.

namespace {

// A text item as the locale call gives it into a 256-character buffer: a longer value does
// not fit and counts as unreadable.
QString localeText(LocaleScope scope, int item, const QString& defaultValue)
{
    const auto value = localeInfo().item(scope, item);
    if (!value || value->size() > 255)
        return defaultValue;
    return *value;
}

// A character item read into a 2-character buffer: only a one-character value fits. An empty
// value is taken as unreadable too, so that no setting ever becomes a NUL character.
QChar localeChar(int item, QChar defaultValue)
{
    const auto value = localeInfo().item(LocaleScope::UserDefault, item);
    if (!value || value->size() != 1)
        return defaultValue;
    return value->at(0);
}

int toNumber(const QString& text, int valueWhenNotANumber)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    return ok ? number : valueWhenNotANumber;
}

int localeNumber(int item, const char* defaultValue)
{
    return toNumber(localeText(LocaleScope::UserDefault, item, QString::fromLatin1(defaultValue)), 0);
}

bool startsWithAt(const QString& text, qsizetype at, QLatin1String what)
{
    return QStringView(text).mid(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

} // namespace

bool ReloadFormatSettings()
{
    using namespace LocaleItem;
    const auto user = LocaleScope::UserDefault;
    FormatSettings& fs = formatSettings();
    fs.currencyString = localeText(user, SCURRENCY, QString());
    fs.currencyFormat = localeNumber(ICURRENCY, "0");
    fs.negCurrFormat = localeNumber(INEGCURR, "0");
    fs.thousandSeparator = localeChar(STHOUSAND, QLatin1Char(' '));
    fs.decimalSeparator = localeChar(SDECIMAL, QLatin1Char(' '));
    fs.currencyDecimals = localeNumber(ICURRDIGITS, "0");
    fs.dateSeparator = localeChar(SDATE, QLatin1Char(' '));
    fs.shortDateFormat = ConvertDateFormat(localeText(user, SSHORTDATE, QStringLiteral(" ")));
    fs.longDateFormat = ConvertDateFormat(localeText(user, SLONGDATE, QStringLiteral(" ")));
    fs.timeSeparator = localeChar(STIME, QLatin1Char(':'));
    fs.timeAMString = localeText(user, S1159, QStringLiteral("am"));
    fs.timePMString = localeText(user, S2359, QStringLiteral("pm"));

    const QString hour = localeNumber(ITLZERO, "0") != 0 ? QStringLiteral("hh") : QStringLiteral("h");
    QString prefix;
    QString suffix;
    if (localeNumber(ITIME, "0") == 0) { // a 12-hour clock shows the marker
        if (localeNumber(ITIMEMARKPOSN, "0") != 0)
            prefix = QStringLiteral("AMPM ");
        else
            suffix = QStringLiteral(" AMPM");
    }
    fs.shortTimeFormat = prefix + hour + QStringLiteral(":mm") + suffix;
    fs.longTimeFormat = prefix + hour + QStringLiteral(":mm:ss") + suffix;
    fs.listSeparator = localeChar(SLIST, QLatin1Char(','));
    return true;
}

QString ConvertDateFormat(const QString& format)
{
    const int calendar =
        toNumber(localeText(LocaleScope::Thread, LocaleItem::ICALENDARTYPE, QStringLiteral("1")), 1);
    if (calendar >= 3 && calendar <= 5) {
        // Japanese era, Taiwan and Korean calendars count years in eras.
        QString result;
        qsizetype i = 0;
        while (i < format.size()) {
            const QChar c = format.at(i);
            if (c.isHighSurrogate()) {
                // A character outside the basic plane is copied whole.
                const qsizetype length = (i + 1 < format.size() && format.at(i + 1).isLowSurrogate()) ? 2 : 1;
                result += format.mid(i, length);
                i += length;
            } else if (startsWithAt(format, i, QLatin1String("gg"))) {
                result += QLatin1String("ggg");
                i += 2;
            } else if (startsWithAt(format, i, QLatin1String("yyyy"))) {
                result += QLatin1String("eeee");
                i += 4;
            } else if (startsWithAt(format, i, QLatin1String("yy"))) {
                result += QLatin1String("ee");
                i += 2;
            } else if (c == QLatin1Char('y') || c == QLatin1Char('Y')) {
                result += QLatin1Char('e');
                i += 1;
            } else {
                result += c;
                i += 1;
            }
        }
        return result;
    }
    const int language = localeInfo().startupPrimaryLanguage();
    if (language == LocaleLanguage::Chinese || language == LocaleLanguage::Japanese ||
        language == LocaleLanguage::Korean) {
        QString result = format;
        result.remove(QLatin1Char('g'), Qt::CaseInsensitive);
        return result;
    }
    return format;
}

QString GetCountryCode()
{
    // A zero-filled buffer of three: the two letters and the terminator. A longer value does
    // not fit and leaves the buffer zero.
    QString buffer(2, QChar(0));
    const auto value = localeInfo().item(LocaleScope::UserDefault, LocaleItem::SISO3166CTRYNAME);
    if (value && value->size() <= 2) {
        for (qsizetype i = 0; i < value->size(); ++i)
            buffer[i] = value->at(i);
    }
    return buffer;
}

QString CutAtLastChar(const QString& text, const QString& mark)
{
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (QString(text.at(i)) == mark)
            return text.left(i);
    }
    return text;
}

int RunProgram(const QString& fileName, const QString& parameters, const QString& directory, int showCommand)
{
    // Each text reaches the shell whole, however long (a deep PDF path easily passes 100
    // characters); only an embedded NUL ends it, as it would end a C string.
    auto asCString = [](const QString& text) {
        const qsizetype nul = text.indexOf(QChar(0));
        return nul < 0 ? text : text.left(nul);
    };
    return shell().execute(asCString(fileName), asCString(parameters), asCString(directory), showCommand);
}
