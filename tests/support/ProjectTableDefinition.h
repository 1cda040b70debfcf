#pragma once

// The project table's fields and indexes as the program creates them, for tests, benchmarks
// and fuzz targets that build project tables without the data module.

#include "platform/table/Table.h"

#include <QString>

// Replaces the field and index definitions of t with the project table's. An older version
// of the program did not require the event name: eventRequired false writes that schema.
inline void defineProjectTable(Table& t, bool eventRequired = true)
{
    t.fieldDefs().clear();
    t.indexDefs().clear();
    t.addFieldDef(1, QStringLiteral("Event"), FieldType::String, 50, eventRequired);
    t.addFieldDef(2, QStringLiteral("Start date"), FieldType::Date, 0, false);
    t.addFieldDef(3, QStringLiteral("Start time"), FieldType::Time, 0, false, QStringLiteral("00:00:00"));
    t.addFieldDef(4, QStringLiteral("End date"), FieldType::Date, 0, false);
    t.addFieldDef(5, QStringLiteral("End time"), FieldType::Time, 0, false, QStringLiteral("23:59:59"));
    t.addFieldDef(6, QStringLiteral("Document"), FieldType::Blob, 0, false);
    t.addFieldDef(7, QStringLiteral("Finished"), FieldType::Date, 0, false);
    t.addFieldDef(8, QStringLiteral("Cost"), FieldType::Currency, 0, false);
    t.addFieldDef(9, QStringLiteral("Booked"), FieldType::Boolean, 0, false, QStringLiteral("False"));
    t.addFieldDef(10, QStringLiteral("Paid"), FieldType::Boolean, 0, false, QStringLiteral("False"));
    t.addFieldDef(11, QStringLiteral("Day"), FieldType::String, 10, false);
    t.addIndexDef(QString(), QStringLiteral("Event;Start date;Start time"), ixPrimary | ixUnique);
    t.addIndexDef(QStringLiteral("Recno"), QStringLiteral("RecordID"), ixUnique);
    t.addIndexDef(QStringLiteral("Start"), QStringLiteral("Start date;Start time"), ixNone);
}
