// import: CSV rows into a project table, each posted through the engine.

#include "Csv.h"
#include "RtfText.h"
#include "TableCliCommon.h"

#include "platform/core/Exception.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

// One CSV row turned into field values (null: leave the new row's default).
struct ImportRow
{
    int number = 0; // data row, from 1
    int line = 0;
    QList<QPair<QString, QVariant>> values;
};

QString weekdayLabel(DateTime date)
{
    // Wednesday is written Wen in stored rows.
    static const char* const names[] = {"Mon", "Tue", "Wen", "Thu", "Fri", "Sat", "Sun"};
    return QLatin1String(names[DateTimeUtil::dayOfTheWeek(date) - 1]);
}

qsizetype codePoints(const QString& s)
{
    return s.toUcs4().size();
}

QVariant convertCell(const QString& column, const QString& cell, const QString& where)
{
    const auto bad = [&](const QString& what) {
        return CliError{QStringLiteral("%1: %2 '%3' is not %4").arg(where, column, cell, what), kExitFailed};
    };
    if (column == QLatin1String("Event") || column == QLatin1String("Day")) {
        const int size = column == QLatin1String("Event") ? 50 : 10;
        if (codePoints(cell) > size)
            throw CliError{QStringLiteral("%1: %2 is longer than %3 characters").arg(where, column).arg(size), kExitFailed};
        return cell;
    }
    if (column == QLatin1String("Start date") || column == QLatin1String("End date")) {
        DateTime v;
        if (!parseIsoDate(cell, &v))
            throw bad(QStringLiteral("a date (yyyy-mm-dd)"));
        return v;
    }
    if (column == QLatin1String("Start time") || column == QLatin1String("End time")) {
        DateTime v;
        if (!parseIsoTime(cell, &v))
            throw bad(QStringLiteral("a time (hh:mm or hh:mm:ss)"));
        return v;
    }
    if (column == QLatin1String("Cost")) {
        Currency v;
        if (!parseCost(cell, &v))
            throw bad(QStringLiteral("an amount (digits, '.', at most four decimals)"));
        return QVariant::fromValue(v);
    }
    if (column == QLatin1String("Booked") || column == QLatin1String("Paid")) {
        if (cell.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (cell.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        throw bad(QStringLiteral("True or False"));
    }
    // Document: RTF source, kept as the ASCII bytes a rich-edit control writes.
    if (!cell.startsWith(QLatin1String("{\\rtf")))
        throw CliError{QStringLiteral("%1: Document is not RTF text (it must begin with {\\rtf)").arg(where), kExitFailed};
    return rtfSourceToAscii(cell);
}

QList<ImportRow> readRows(const QString& csvPath)
{
    QFile file(csvPath);
    if (!file.exists())
        throw CliError{QStringLiteral("import: the file '%1' does not exist").arg(csvPath), kExitFailed};
    if (!file.open(QIODevice::ReadOnly))
        throw CliError{QStringLiteral("import: cannot read '%1': %2").arg(csvPath, file.errorString()), kExitFailed};
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(file.readAll());
    if (utf8.hasError())
        throw CliError{QStringLiteral("import: '%1' is not UTF-8 text").arg(csvPath), kExitFailed};
    QList<CsvRecord> records;
    QString error;
    if (!parseCsv(text, &records, &error))
        throw CliError{QStringLiteral("import: %1: %2").arg(QFileInfo(csvPath).fileName(), error), kExitFailed};
    if (records.isEmpty())
        throw CliError{QStringLiteral("import: '%1' has no header row").arg(csvPath), kExitFailed};

    const QString csvName = QFileInfo(csvPath).fileName();
    QStringList header;
    for (const QString& raw : records.first().fields) {
        const QString name = raw.trimmed();
        QString column;
        for (const QString& c : projectColumns())
            if (c.compare(name, Qt::CaseInsensitive) == 0)
                column = c;
        if (column.isEmpty())
            throw CliError{QStringLiteral("import: %1: unknown column '%2'; the columns are %3")
                               .arg(csvName, name, projectColumns().join(QStringLiteral(", "))),
                           kExitFailed};
        if (header.contains(column))
            throw CliError{QStringLiteral("import: %1: the column '%2' appears twice").arg(csvName, column), kExitFailed};
        header.append(column);
    }
    const bool fillDay = !header.contains(QLatin1String("Day"));

    QList<ImportRow> rows;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const CsvRecord& rec = records[r];
        ImportRow row;
        row.number = int(r);
        row.line = rec.line;
        const QString where = QStringLiteral("%1 row %2 (line %3)").arg(csvName).arg(row.number).arg(rec.line);
        if (rec.fields.size() != header.size())
            throw CliError{QStringLiteral("import: %1: %2 fields where the header has %3")
                               .arg(where)
                               .arg(rec.fields.size())
                               .arg(header.size()),
                           kExitFailed};
        QVariant startDate;
        for (qsizetype c = 0; c < header.size(); ++c) {
            if (rec.fields[c].isEmpty())
                continue;
            const QVariant v = convertCell(header[c], rec.fields[c], QStringLiteral("import: ") + where);
            row.values.append({header[c], v});
            if (header[c] == QLatin1String("Start date"))
                startDate = v;
        }
        if (fillDay && startDate.isValid())
            row.values.append({QStringLiteral("Day"), weekdayLabel(startDate.toDouble())});
        rows.append(row);
    }
    return rows;
}

} // namespace

void commandImport(const QStringList& args, QIODevice& out)
{
    const ParsedArgs parsed = parseArgs(args, {}, 2, "import");
    const QString datPath = parsed.positional[0];
    // Every value is read and checked before the table is touched.
    const QList<ImportRow> rows = readRows(parsed.positional[1]);

    Table table;
    nameTable(table, datPath);
    table.open();
    int imported = 0;
    for (const ImportRow& row : rows) {
        try {
            table.append();
            for (const auto& [name, value] : row.values)
                table.fieldByName(name).setValue(value);
            table.post();
        } catch (const Exception& e) {
            table.cancel();
            table.close();
            throw CliError{QStringLiteral("import: %1 row %2 (line %3) refused: %4 (%5 row%6 before it imported)")
                               .arg(QFileInfo(parsed.positional[1]).fileName())
                               .arg(row.number)
                               .arg(row.line)
                               .arg(e.message())
                               .arg(imported)
                               .arg(imported == 1 ? "" : "s"),
                           kExitFailed};
        }
        ++imported;
    }
    table.close();
    writeText(out, QStringLiteral("Imported %1 row%2 into %3\n")
                       .arg(imported)
                       .arg(imported == 1 ? "" : "s")
                       .arg(QFileInfo(datPath).fileName()));
}
