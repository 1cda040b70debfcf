// dump: the rows of a table in an index order, as CSV or JSON, without changing a file.

#include "Csv.h"
#include "ReadOnlyFileSystem.h"
#include "TableCliCommon.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonValue jsonValue(Field& field)
{
    if (field.isNull())
        return QJsonValue::Null;
    switch (field.dataType()) {
    case FieldType::Boolean: return field.asBoolean();
    case FieldType::Currency: return field.asCurrency().toDouble();
    default: return isoText(field);
    }
}

} // namespace

void commandDump(const QStringList& args, QIODevice& out)
{
    const ParsedArgs parsed =
        parseArgs(args, {QStringLiteral("index"), QStringLiteral("filter"), QStringLiteral("format")}, 1, "dump");
    const QString format = parsed.options.value(QStringLiteral("format"), QStringLiteral("csv"));
    if (format != QLatin1String("csv") && format != QLatin1String("json"))
        throw CliError{QStringLiteral("dump: --format takes csv or json, not '%1'").arg(format), kExitUsage};
    QString index = parsed.options.value(QStringLiteral("index"), QStringLiteral("primary"));
    if (index == QLatin1String("primary"))
        index.clear();

    ReadOnlyFileSystem fs(realFileSystem());
    Table table;
    table.setFileSystem(&fs);
    nameTable(table, parsed.positional[0]);
    table.setIndexName(index);
    if (parsed.options.contains(QStringLiteral("filter"))) {
        table.setFilter(parsed.options.value(QStringLiteral("filter")));
        table.setFiltered(true);
    }
    table.open();
    QList<Field*> fields;
    for (const QString& name : projectColumns())
        fields.append(&table.fieldByName(name));

    if (format == QLatin1String("csv")) {
        QStringList header;
        for (const QString& name : projectColumns())
            header.append(csvField(name));
        QString text = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        for (table.first(); !table.eof(); table.next()) {
            QStringList cells;
            for (Field* f : fields)
                cells.append(csvField(isoText(*f)));
            text += cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        }
        writeText(out, text);
    } else {
        QJsonArray rows;
        for (table.first(); !table.eof(); table.next()) {
            QJsonObject row;
            for (Field* f : fields)
                row.insert(f->fieldName(), jsonValue(*f));
            rows.append(row);
        }
        out.write(QJsonDocument(rows).toJson(QJsonDocument::Indented));
    }
    table.close();
}
