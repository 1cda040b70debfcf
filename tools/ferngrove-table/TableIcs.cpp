// ics: the events of a table as an iCalendar file (RFC 5545), without changing a file.

#include "ReadOnlyFileSystem.h"
#include "RtfText.h"
#include "TableCliCommon.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

// TEXT values escape backslash, semicolon, comma and line breaks (RFC 5545 3.3.11).
QString icsText(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(','))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('\r') && i + 1 < s.size() && s[i + 1] == QLatin1Char('\n'))
            continue; // the \n that follows is the break
        else if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            out += QStringLiteral("\\n");
        else if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            continue; // control characters are not allowed in TEXT
        else
            out += c;
    }
    return out;
}

// A content line, folded so no physical line exceeds 75 octets, never inside a UTF-8 sequence.
QByteArray contentLine(const QString& line)
{
    const QByteArray utf8 = line.toUtf8();
    QByteArray out;
    qsizetype lineLength = 0;
    for (qsizetype i = 0; i < utf8.size();) {
        qsizetype n = 1; // bytes of this character
        const uchar b = uchar(utf8[i]);
        if (b >= 0xF0)
            n = 4;
        else if (b >= 0xE0)
            n = 3;
        else if (b >= 0xC0)
            n = 2;
        n = std::min(n, utf8.size() - i);
        if (lineLength + n > 75) {
            out += "\r\n ";
            lineLength = 1;
        }
        out += utf8.mid(i, n);
        lineLength += n;
        i += n;
    }
    return out + "\r\n";
}

QString icsDateTime(DateTime value)
{
    const QDateTime dt(DateTimeUtil::toQDate(value), DateTimeUtil::toQTime(value));
    return dt.toString(QStringLiteral("yyyyMMdd'T'HHmmss"));
}

bool fromOption(const ParsedArgs& parsed, const char* name, DateTime* value)
{
    const QString key = QLatin1String(name);
    if (!parsed.options.contains(key))
        return false;
    if (!parseIsoDate(parsed.options.value(key), value))
        throw CliError{QStringLiteral("ics: --%1 takes a date yyyy-mm-dd, not '%2'").arg(key, parsed.options.value(key)),
                       kExitUsage};
    return true;
}

} // namespace

void commandIcs(const QStringList& args, QIODevice& out, QIODevice& err)
{
    const ParsedArgs parsed = parseArgs(args, {QStringLiteral("from"), QStringLiteral("to")}, 1, "ics");
    DateTime from = 0, to = 0;
    const bool hasFrom = fromOption(parsed, "from", &from);
    const bool hasTo = fromOption(parsed, "to", &to);
    if (hasFrom && hasTo && to < from)
        throw CliError{QStringLiteral("ics: --to lies before --from"), kExitUsage};

    ReadOnlyFileSystem fs(realFileSystem());
    Table table;
    table.setFileSystem(&fs);
    nameTable(table, parsed.positional[0]);
    table.setIndexName(QStringLiteral("Start"));
    table.open();
    Field& event = table.fieldByName(QStringLiteral("Event"));
    Field& startDate = table.fieldByName(QStringLiteral("Start date"));
    Field& startTime = table.fieldByName(QStringLiteral("Start time"));
    Field& endDate = table.fieldByName(QStringLiteral("End date"));
    Field& endTime = table.fieldByName(QStringLiteral("End time"));
    Field& document = table.fieldByName(QStringLiteral("Document"));
    Field& cost = table.fieldByName(QStringLiteral("Cost"));
    Field& booked = table.fieldByName(QStringLiteral("Booked"));
    Field& paid = table.fieldByName(QStringLiteral("Paid"));
    Field& recordId = table.fieldByName(QStringLiteral("RecordID"));

    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString tableName = QFileInfo(parsed.positional[0]).completeBaseName();
    QByteArray ics;
    ics += contentLine(QStringLiteral("BEGIN:VCALENDAR"));
    ics += contentLine(QStringLiteral("VERSION:2.0"));
    ics += contentLine(QStringLiteral("PRODID:-//Ferngrove//ferngrove-table//EN"));
    ics += contentLine(QStringLiteral("CALSCALE:GREGORIAN"));
    ics += contentLine(QStringLiteral("X-WR-CALNAME:") + icsText(tableName));
    int withoutDate = 0;
    for (table.first(); !table.eof(); table.next()) {
        if (startDate.isNull()) {
            ++withoutDate;
            continue;
        }
        const DateTime day = startDate.asDateTime();
        if ((hasFrom && day < from) || (hasTo && day > to))
            continue;
        const DateTime start = day + startTime.asDateTime();
        // Without an end date the event ends on its start day, at its end time.
        const DateTime end = (endDate.isNull() ? day : endDate.asDateTime()) + endTime.asDateTime();
        QString description = rtfToPlainText(document.asBytes());
        if (!description.isEmpty())
            description += QStringLiteral("\n\n");
        description += QStringLiteral("Booked: %1\nPaid: %2\nCost: %3")
                           .arg(booked.asBoolean() ? QStringLiteral("yes") : QStringLiteral("no"),
                                paid.asBoolean() ? QStringLiteral("yes") : QStringLiteral("no"),
                                cost.isNull() ? QStringLiteral("none") : currencyText(cost.asCurrency()));
        ics += contentLine(QStringLiteral("BEGIN:VEVENT"));
        ics += contentLine(QStringLiteral("UID:%1-%2@ferngrove").arg(recordId.value().toLongLong()).arg(icsText(tableName)));
        ics += contentLine(QStringLiteral("DTSTAMP:") + stamp);
        ics += contentLine(QStringLiteral("DTSTART:") + icsDateTime(start));
        // DTEND must lie after DTSTART; an event that ends before it starts gets no end.
        if (icsDateTime(end) > icsDateTime(start))
            ics += contentLine(QStringLiteral("DTEND:") + icsDateTime(end));
        ics += contentLine(QStringLiteral("SUMMARY:") + icsText(event.asString()));
        ics += contentLine(QStringLiteral("DESCRIPTION:") + icsText(description));
        ics += contentLine(QStringLiteral("STATUS:") + (booked.asBoolean() ? QStringLiteral("CONFIRMED") : QStringLiteral("TENTATIVE")));
        ics += contentLine(QStringLiteral("END:VEVENT"));
    }
    ics += contentLine(QStringLiteral("END:VCALENDAR"));
    table.close();
    out.write(ics);
    if (withoutDate > 0)
        writeText(err, QStringLiteral("ics: left out %1 event%2 without a start date\n")
                           .arg(withoutDate)
                           .arg(withoutDate == 1 ? "" : "s"));
}
