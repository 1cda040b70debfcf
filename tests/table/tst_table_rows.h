#pragma once

// Rows of a table as comparable text, read through the Table: every field of every row in
// RecordID order, documents by length and checksum.

#include "platform/core/Exception.h"
#include "platform/table/StoreFormat.h"
#include "platform/table/Table.h"

#include <QStringList>

// One line per row: "id|field|field|...". A document that cannot be read shows as
// "doc:error" when tolerated, else the error goes on.
inline QString describeCurrentRow(Table& t, bool tolerateDocumentErrors = false)
{
    QStringList parts{QString::number(t.bookmark())};
    for (int i = 0; i < t.fieldCount(); ++i) {
        Field& f = t.field(i);
        if (f.dataType() != FieldType::Blob) {
            parts << f.asString();
            continue;
        }
        if (f.isNull()) {
            parts << QStringLiteral("doc:none");
            continue;
        }
        try {
            const QByteArray bytes = f.asBytes();
            parts << QStringLiteral("doc:%1:%2").arg(bytes.size()).arg(StoreFormat::crc32c(bytes), 8, 16, QLatin1Char('0'));
        } catch (const EDatabaseError&) {
            if (!tolerateDocumentErrors)
                throw;
            parts << QStringLiteral("doc:error");
        }
    }
    return parts.join(QLatin1Char('|'));
}

// Every row in the Recno order; leaves that order selected.
inline QStringList describeRows(Table& t, bool tolerateDocumentErrors = false)
{
    QStringList rows;
    t.setIndexName(QStringLiteral("Recno"));
    for (t.first(); !t.eof(); t.next())
        rows << describeCurrentRow(t, tolerateDocumentErrors);
    return rows;
}

// The RecordIDs in the order of the named index.
inline QList<qint64> orderOf(Table& t, const QString& index)
{
    QList<qint64> ids;
    t.setIndexName(index);
    for (t.first(); !t.eof(); t.next())
        ids << t.bookmark();
    return ids;
}
