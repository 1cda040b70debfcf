#include "StoreTestSupport.h"

#include "platform/core/Currency.h"
#include "platform/core/Exception.h"

namespace StoreTest {

TableSchema projectSchema()
{
    TableSchema s;
    const auto field = [&](const char* name, FieldType type, int size, bool required, const char* def) {
        FieldDef f;
        f.number = int(s.fields.size()) + 1;
        f.name = QString::fromUtf8(name);
        f.type = type;
        f.size = size;
        f.required = required;
        f.defaultValue = QString::fromUtf8(def);
        s.fields.append(f);
    };
    field("Event", FieldType::String, 50, true, "");
    field("Start date", FieldType::Date, 0, false, "");
    field("Start time", FieldType::Time, 0, false, "00:00:00");
    field("End date", FieldType::Date, 0, false, "");
    field("End time", FieldType::Time, 0, false, "23:59:59");
    field("Document", FieldType::Blob, 0, false, "");
    field("Finished", FieldType::Date, 0, false, "");
    field("Cost", FieldType::Currency, 0, false, "");
    field("Booked", FieldType::Boolean, 0, false, "False");
    field("Paid", FieldType::Boolean, 0, false, "False");
    field("Day", FieldType::String, 10, false, "");
    s.indexes = {
        IndexDef{QString(), QStringLiteral("Event;Start date;Start time"), ixPrimary | ixUnique, QString()},
        IndexDef{QStringLiteral("Recno"), QStringLiteral("RecordID"), ixUnique, QString()},
        IndexDef{QStringLiteral("Start"), QStringLiteral("Start date;Start time"), ixNone, QString()},
    };
    s.properties.userMajorVersion = 2;
    s.properties.userMinorVersion = 0;
    s.properties.indexPageSize = 4096;
    s.properties.blobBlockSize = 512;
    return s;
}

RowValues projectRow(const QString& event, double startDate, double startTime, const QVariant& document)
{
    RowValues v(11);
    v[Event] = event;
    v[StartDate] = startDate;
    v[StartTime] = startTime;
    v[EndTime] = 86399.0 / 86400.0;
    v[Document] = document;
    v[Cost] = QVariant::fromValue(Currency::fromUnits(12345));
    v[Booked] = false;
    v[Paid] = true;
    v[Day] = QStringLiteral("Wen");
    return v;
}

QStringList describe(TableStore& store, bool tolerateDocumentErrors)
{
    QStringList out;
    for (const TableStore::Row& row : store.rows()) {
        QStringList parts{QString::number(row.slot)};
        for (const QVariant& v : row.values) {
            if (v.isNull())
                parts << QStringLiteral("null");
            else if (v.metaType() == QMetaType::fromType<BlobRef>()) {
                try {
                    parts << QStringLiteral("doc:") + QString::fromLatin1(store.readBlob(v.value<BlobRef>()).toHex());
                } catch (const EDatabaseError&) {
                    if (!tolerateDocumentErrors)
                        throw;
                    parts << QStringLiteral("doc:error");
                }
            }
            else if (v.metaType() == QMetaType::fromType<Currency>())
                parts << QStringLiteral("cur:") + QString::number(v.value<Currency>().units);
            else if (v.metaType() == QMetaType::fromType<double>())
                parts << QStringLiteral("d:") + QString::number(v.toDouble(), 'g', 17);
            else
                parts << QString::fromLatin1(v.metaType().name()) + QLatin1Char(':') + v.toString();
        }
        out << parts.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace StoreTest
