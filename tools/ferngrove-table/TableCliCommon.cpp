#include "TableCliCommon.h"

#include "RtfText.h"

#include "platform/core/DateTime.h"

#include <QFileInfo>
#include <QRegularExpression>

const QStringList& projectColumns()
{
    static const QStringList columns = {
        QStringLiteral("Event"),    QStringLiteral("Start date"), QStringLiteral("Start time"),
        QStringLiteral("End date"), QStringLiteral("End time"),   QStringLiteral("Cost"),
        QStringLiteral("Booked"),   QStringLiteral("Paid"),       QStringLiteral("Day"),
        QStringLiteral("Document"),
    };
    return columns;
}

void nameTable(Table& table, const QString& datPath)
{
    const QFileInfo info(datPath);
    table.setDatabaseName(info.path());
    table.setTableName(info.fileName());
}

void writeText(QIODevice& device, const QString& text)
{
    device.write(text.toUtf8());
}

QString isoDate(DateTime value)
{
    return DateTimeUtil::toQDate(value).toString(QStringLiteral("yyyy-MM-dd"));
}

QString isoTime(DateTime value)
{
    return DateTimeUtil::toQTime(value).toString(QStringLiteral("HH:mm:ss"));
}

QString currencyText(Currency value)
{
    // Exact: the whole part and the ten-thousandths apart, never through a double.
    const bool negative = value.units < 0;
    const quint64 units = negative ? 0 - quint64(value.units) : quint64(value.units);
    QString fraction = QString::number(units % Currency::Scale).rightJustified(4, QLatin1Char('0'));
    while (fraction.size() > 2 && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return (negative ? QStringLiteral("-") : QString()) + QString::number(units / Currency::Scale) + QLatin1Char('.')
         + fraction;
}

QString documentText(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes)
        text += QChar(windows1252ToUnicode(uchar(c)));
    return text;
}

QString isoText(Field& field)
{
    if (field.isNull())
        return {};
    switch (field.dataType()) {
    case FieldType::Date: return isoDate(field.asDateTime());
    case FieldType::Time: return isoTime(field.asDateTime());
    case FieldType::Currency: return currencyText(field.asCurrency());
    case FieldType::Boolean: return field.asBoolean() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Blob: return documentText(field.asBytes());
    case FieldType::AutoInc: return QString::number(field.value().toLongLong());
    case FieldType::String: break;
    }
    return field.value().toString();
}

bool parseIsoDate(const QString& text, DateTime* value)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return false;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid() || date.year() < 1)
        return false;
    *value = DateTimeUtil::fromQDate(date);
    return true;
}

bool parseIsoTime(const QString& text, DateTime* value)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return false;
    const int h = m.captured(1).toInt(), mi = m.captured(2).toInt(), s = m.captured(3).toInt();
    if (h > 23 || mi > 59 || s > 59)
        return false;
    *value = DateTimeUtil::encodeTime(h, mi, s);
    return true;
}

bool parseCost(const QString& text, Currency* value)
{
    static const QRegularExpression re(QStringLiteral("^(-?)(\\d{1,15})(?:\\.(\\d{1,4}))?$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return false;
    const qint64 whole = m.captured(2).toLongLong();
    const qint64 fraction = m.captured(3).leftJustified(4, QLatin1Char('0')).toLongLong();
    const qint64 units = whole * Currency::Scale + fraction; // 15 digits fit in 63 bits with 4 more
    *value = Currency::fromUnits(m.captured(1).isEmpty() ? units : -units);
    return true;
}

ParsedArgs parseArgs(const QStringList& args, const QStringList& allowed, int positionalCount, const char* command)
{
    ParsedArgs parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.startsWith(QLatin1String("--"))) {
            QString name = a.mid(2), value;
            bool hasValue = false;
            if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
                value = name.mid(eq + 1);
                name = name.left(eq);
                hasValue = true;
            }
            if (!allowed.contains(name))
                throw CliError{QStringLiteral("%1: unknown option '--%2'").arg(QLatin1String(command), name), kExitUsage};
            if (!hasValue) {
                if (i + 1 >= args.size())
                    throw CliError{QStringLiteral("%1: option '--%2' needs a value").arg(QLatin1String(command), name),
                                   kExitUsage};
                value = args[++i];
            }
            if (parsed.options.contains(name))
                throw CliError{QStringLiteral("%1: option '--%2' given twice").arg(QLatin1String(command), name),
                               kExitUsage};
            parsed.options.insert(name, value);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            throw CliError{QStringLiteral("%1: unknown option '%2'").arg(QLatin1String(command), a), kExitUsage};
        } else {
            parsed.positional.append(a);
        }
    }
    if (parsed.positional.size() != positionalCount)
        throw CliError{QStringLiteral("%1: expected %2 argument%3, got %4 (see --help)")
                           .arg(QLatin1String(command))
                           .arg(positionalCount)
                           .arg(positionalCount == 1 ? "" : "s")
                           .arg(parsed.positional.size()),
                       kExitUsage};
    return parsed;
}
