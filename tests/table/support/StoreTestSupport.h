#pragma once

// Shared by the table tests: the project table's definition and rows built from it.

#include "platform/table/MemoryFileSystem.h"
#include "platform/table/TableStore.h"

#include <QString>
#include <QVariant>

namespace StoreTest {

// The eleven fields and three indexes of a project table (RecordID is added by the engine),
// user version 2.0, index page 4096, document blocks of 512 bytes.
TableSchema projectSchema();

// A project row without RecordID: the event's name, start date and time, and a document
// (QByteArray for new content, BlobRef to keep, null for none). Other fields as a new row has them.
RowValues projectRow(const QString& event, double startDate = 46000, double startTime = 0.5,
                     const QVariant& document = QVariant());

// A memory file system with the folder /db, where tests put their tables.
inline const QString kFolder = QStringLiteral("/db");
inline const QString kDat = QStringLiteral("/db/Trip.dat");

// Field positions in a project row.
enum ProjectField { Event, StartDate, StartTime, EndDate, EndTime, Document, Finished, Cost, Booked, Paid, Day, RecordID };

// The rows as comparable text (slot, then every value), to compare a store with what a test
// expects. A document that cannot be read shows as "doc:error" when tolerated, else throws.
QStringList describe(TableStore& store, bool tolerateDocumentErrors = false);

} // namespace StoreTest
