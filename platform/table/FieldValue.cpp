#include "FieldValue.h"

#include "TableStore.h"

#include "platform/core/Exception.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>

namespace FieldValue {

namespace {

constexpr double MsecPerDay = 86400000.0;

template<typename T>
int threeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

double asDouble(const QVariant& v)
{
    return v.toDouble();
}

EConvertError notValid(const QString& text, const char* what)
{
    return EConvertError(QStringLiteral("'%1' is not a valid %2").arg(text, QLatin1String(what)));
}

bool isNumeric(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

namespace {

// Splits a value into whole days (toward zero, as the class library takes dates before day 0)
// and milliseconds of the day, rounding to the millisecond first so 0.99999999999 is the next
// day at 00:00 rather than 24:00.
void split(double value, qint64& days, qint64& msecOfDay)
{
    // Beyond 0001-01-01 .. 9999-12-31 no value is a date.
    if (!(value > -693594.0 && value < 2958466.0))
        throw EConvertError(QStringLiteral("%1 is not a valid date and time value").arg(value));
    const qint64 total = std::llround(value * MsecPerDay);
    const qint64 perDay = qint64(MsecPerDay);
    days = total / perDay;
    msecOfDay = std::abs(total % perDay);
}

} // namespace

double normalizeDate(double value)
{
    qint64 days = 0, ms = 0;
    split(value, days, ms);
    return double(days);
}

double normalizeTime(double value)
{
    // Rounded to the millisecond so that a time computed from a date-time compares equal to
    // the same time entered directly; a whole day (24:00) is midnight.
    qint64 days = 0, ms = 0;
    split(value, days, ms);
    return double(ms) / MsecPerDay;
}

int compare(FieldType type, const QVariant& a, const QVariant& b)
{
    const bool an = a.isNull(), bn = b.isNull();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    switch (type) {
    case FieldType::String: {
        // Code-unit order: case-sensitive and independent of the locale.
        if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
            return QString::compare(*static_cast<const QString*>(a.constData()),
                                    *static_cast<const QString*>(b.constData()), Qt::CaseSensitive);
        return QString::compare(a.toString(), b.toString(), Qt::CaseSensitive);
    }
    case FieldType::Date:
    case FieldType::Time:
        return threeWay(asDouble(a), asDouble(b));
    case FieldType::Currency:
        return threeWay(a.value<Currency>().units, b.value<Currency>().units);
    case FieldType::Boolean:
        return threeWay(int(a.toBool()), int(b.toBool()));
    case FieldType::AutoInc:
        return threeWay(a.toLongLong(), b.toLongLong());
    case FieldType::Blob:
        return 0; // documents are never keys
    }
    return 0;
}

QVariant fromText(const FieldDef& def, const QString& text, const FormatSettings& fs)
{
    if (text.isEmpty())
        return {};
    switch (def.type) {
    case FieldType::String:
        return text;
    case FieldType::Date: {
        DateTime v = 0;
        if (Format::tryStrToDate(text, v, fs) || Format::tryStrToDateTime(text, v, fs))
            return normalizeDate(v);
        throw notValid(text, "date");
    }
    case FieldType::Time: {
        DateTime v = 0;
        if (Format::tryStrToTime(text, v, fs) || Format::tryStrToDateTime(text, v, fs))
            return normalizeTime(v);
        throw notValid(text, "time");
    }
    case FieldType::Currency: {
        Currency c;
        if (Format::tryStrToCurrency(text, c, fs))
            return QVariant::fromValue(c);
        throw notValid(text, "currency value");
    }
    case FieldType::Boolean: {
        // Any leading part of "True" or "False", letter case ignored, as the class library takes it.
        const QString t = text.trimmed();
        if (!t.isEmpty() && QStringLiteral("true").startsWith(t, Qt::CaseInsensitive))
            return true;
        if (!t.isEmpty() && QStringLiteral("false").startsWith(t, Qt::CaseInsensitive))
            return false;
        throw notValid(text, "boolean value");
    }
    case FieldType::AutoInc: {
        bool ok = false;
        const qint64 n = text.trimmed().toLongLong(&ok);
        if (ok)
            return n;
        throw notValid(text, "integer value");
    }
    case FieldType::Blob:
        return text.toLatin1();
    }
    return {};
}

QVariant fromVariant(const FieldDef& def, const QVariant& value, const FormatSettings& fs)
{
    if (value.isNull() || !value.isValid())
        return {};
    const int id = value.typeId();
    if (id == QMetaType::QString)
        return fromText(def, value.toString(), fs);
    if (id == qMetaTypeId<Currency>()) {
        const Currency c = value.value<Currency>();
        switch (def.type) {
        case FieldType::Currency: return QVariant::fromValue(c);
        case FieldType::String: return Format::floatToStr(c.toDouble(), fs);
        case FieldType::Date: return normalizeDate(c.toDouble());
        case FieldType::Time: return normalizeTime(c.toDouble());
        default: break;
        }
        throw EConvertError(QStringLiteral("A currency value cannot be stored in field '%1'").arg(def.name));
    }
    if (id == QMetaType::QByteArray) {
        if (def.type == FieldType::Blob)
            return value;
        return fromText(def, QString::fromLatin1(value.toByteArray()), fs);
    }
    if (id == qMetaTypeId<BlobRef>() && def.type == FieldType::Blob)
        return value;

    double number = 0;
    if (id == QMetaType::QDate)
        number = DateTimeUtil::fromQDate(value.toDate());
    else if (id == QMetaType::QTime)
        number = DateTimeUtil::fromQTime(value.toTime());
    else if (id == QMetaType::QDateTime)
        number = DateTimeUtil::fromQDateTime(value.toDateTime());
    else if (id == QMetaType::Bool) {
        if (def.type == FieldType::Boolean)
            return value.toBool();
        if (def.type == FieldType::String)
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        throw EConvertError(QStringLiteral("A Boolean value cannot be stored in field '%1'").arg(def.name));
    } else if (isNumeric(value))
        number = value.toDouble();
    else
        throw EConvertError(QStringLiteral("A value of type %1 cannot be stored in field '%2'")
                                .arg(QLatin1String(value.metaType().name()), def.name));

    switch (def.type) {
    case FieldType::Date: return normalizeDate(number);
    case FieldType::Time: return normalizeTime(number);
    case FieldType::Currency: return QVariant::fromValue(Currency::fromDouble(number));
    case FieldType::Boolean: return number != 0;
    case FieldType::AutoInc: return qint64(std::llround(number));
    case FieldType::String:
        if (id == QMetaType::QDate || id == QMetaType::QTime || id == QMetaType::QDateTime)
            return Format::dateTimeToStr(number, fs);
        return isNumeric(value) && id != QMetaType::Double && id != QMetaType::Float
            ? QString::number(value.toLongLong())
            : Format::floatToStr(number, fs);
    case FieldType::Blob: break;
    }
    throw EConvertError(QStringLiteral("A number cannot be stored in field '%1'").arg(def.name));
}

QVariant fromDefault(const FieldDef& def)
{
    const QString text = def.defaultValue.trimmed();
    if (text.isEmpty())
        return {};
    switch (def.type) {
    case FieldType::String:
        return def.defaultValue.left(def.size > 0 ? def.size : def.defaultValue.size());
    case FieldType::Time: {
        QTime t = QTime::fromString(text, QStringLiteral("HH:mm:ss"));
        if (!t.isValid())
            t = QTime::fromString(text, QStringLiteral("H:mm"));
        return t.isValid() ? QVariant(normalizeTime(DateTimeUtil::fromQTime(t))) : QVariant();
    }
    case FieldType::Date: {
        const QDate d = QDate::fromString(text, Qt::ISODate);
        return d.isValid() ? QVariant(DateTimeUtil::fromQDate(d)) : QVariant();
    }
    case FieldType::Boolean:
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        return {};
    case FieldType::Currency: {
        bool ok = false;
        const double v = text.toDouble(&ok);
        return ok ? QVariant::fromValue(Currency::fromDouble(v)) : QVariant();
    }
    case FieldType::AutoInc:
    case FieldType::Blob:
        return {};
    }
    return {};
}

} // namespace FieldValue
