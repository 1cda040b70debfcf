#include "LocaleInfo.h"

#include "platform/core/FormatSettings.h"

// Kept apart from LocaleInfo.cpp so that code using only the locale items does not pull in
// the process-wide FormatSettings.

namespace {

std::optional<QString> userItem(int item)
{
    const auto value = localeInfo().item(LocaleScope::UserDefault, item);
    // Windows answers "insufficient buffer" for texts that do not fit its 256-character buffer.
    if (value && value->size() > 255)
        return std::nullopt;
    return value;
}

void readText(int item, QString& target)
{
    if (const auto value = userItem(item))
        target = *value;
}

void readChar(int item, QChar& target)
{
    if (const auto value = userItem(item); value && value->size() == 1)
        target = value->at(0);
}

void readNumber(int item, int& target)
{
    if (const auto value = userItem(item)) {
        bool ok = false;
        const int number = value->trimmed().toInt(&ok);
        target = ok ? number : 0;
    }
}

void readNames(int firstItem, int count, int firstIndex, QStringList& target)
{
    QStringList names = target;
    while (names.size() < count)
        names.append(QString());
    for (int i = 0; i < count; ++i) {
        // Windows numbers days from Monday; the class library keeps Sunday first.
        const int index = (firstIndex + i) % count;
        if (const auto value = userItem(firstItem + i))
            names[index] = *value;
    }
    target = names;
}

} // namespace

void initFormatSettingsFromLocale()
{
    using namespace LocaleItem;
    FormatSettings fs = FormatSettings::defaults();
    readText(SCURRENCY, fs.currencyString);
    readNumber(ICURRENCY, fs.currencyFormat);
    readNumber(INEGCURR, fs.negCurrFormat);
    readChar(STHOUSAND, fs.thousandSeparator);
    readChar(SDECIMAL, fs.decimalSeparator);
    readNumber(ICURRDIGITS, fs.currencyDecimals);
    readChar(SDATE, fs.dateSeparator);
    readText(SSHORTDATE, fs.shortDateFormat);
    readText(SLONGDATE, fs.longDateFormat);
    readChar(STIME, fs.timeSeparator);
    readText(S1159, fs.timeAMString);
    readText(S2359, fs.timePMString);

    int leadingZero = fs.shortTimeFormat.startsWith(QLatin1String("hh"), Qt::CaseInsensitive) ? 1 : 0;
    int clock = fs.shortTimeFormat.contains(QLatin1String("AMPM"), Qt::CaseInsensitive) ? 0 : 1;
    int markerFirst = fs.shortTimeFormat.startsWith(QLatin1String("AMPM"), Qt::CaseInsensitive) ? 1 : 0;
    readNumber(ITLZERO, leadingZero);
    readNumber(ITIME, clock);
    readNumber(ITIMEMARKPOSN, markerFirst);
    const QString hour = leadingZero != 0 ? QStringLiteral("hh") : QStringLiteral("h");
    QString prefix;
    QString suffix;
    if (clock == 0) {
        if (markerFirst != 0)
            prefix = QStringLiteral("AMPM ");
        else
            suffix = QStringLiteral(" AMPM");
    }
    fs.shortTimeFormat = prefix + hour + QStringLiteral(":mm") + suffix;
    fs.longTimeFormat = prefix + hour + QStringLiteral(":mm:ss") + suffix;
    readChar(SLIST, fs.listSeparator);

    readNames(SMONTHNAME1, 12, 0, fs.longMonthNames);
    readNames(SABBREVMONTHNAME1, 12, 0, fs.shortMonthNames);
    readNames(SDAYNAME1, 7, 1, fs.longDayNames);
    readNames(SABBREVDAYNAME1, 7, 1, fs.shortDayNames);
    formatSettings() = fs;
}
