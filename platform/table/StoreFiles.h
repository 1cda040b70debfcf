#pragma once

// Reading and writing the headers of a table's files, row copies and the .idx file, for
// TableStore. Layouts in StoreFormat.h and FORMAT.md.

#include "FileSystem.h"
#include "Schema.h"
#include "TableStore.h"

#include <optional>
#include <vector>

// What the .dat header says; the .blb and .idx headers must repeat its id and properties.
struct DatHeader
{
    TableSchema schema; // RecordID last; properties included
    QByteArray tableId;
    qint64 slotBase = 0; // offset of slot 0
    int copySize = 0;
};

// The file name without its folder, for messages.
QString fileNameOf(const QString& path);

// Throws EDatabaseError naming the file when it is not a table data file or is damaged.
DatHeader readDatHeader(File& file, const QString& path);
// Checks the .blb header against the .dat header; returns the .blb file's size.
qint64 checkBlbHeader(File& file, const QString& path, const DatHeader& dat);

// The parts of a row copy before its values; valid only when the checksum holds, the copy
// names its own slot and its state and sequence number make sense.
struct CopyHeader
{
    bool valid = false;
    quint64 seq = 0;
    quint32 state = 0;
    qint64 highestId = 0;
    quint32 slotCount = 0;
};
CopyHeader readCopyHeader(const char* copy, int copySize, quint32 slot);
// values is null for a deleted row's copy.
QByteArray encodeCopy(const TableSchema& schema, int copySize, quint64 seq, quint32 slot, quint32 state,
                      qint64 highestId, quint32 slotCount, const RowValues* values);

quint64 blocksFor(quint32 length, int blockSize);
// First block of the lowest run of n free blocks; may lie partly or wholly past used.size().
// The search starts at from: the caller knows that no free block lies below it.
quint64 findFreeRun(const std::vector<bool>& used, quint32 n, quint64 from = 0);

struct IdxState
{
    quint64 seq = 0;
    quint64 digest = 0;
    quint32 rowCount = 0;
};
struct IdxContent : IdxState
{
    QList<IndexDef> indexes;
    std::vector<std::vector<quint32>> order;
};
// The .idx file if it is there, whole and of this table; nothing otherwise (never throws).
std::optional<IdxContent> readIdxFile(FileSystem& fs, const QString& path, const DatHeader& dat);
// Writes (or creates) the .idx file without syncing it.
void writeIdxFile(FileSystem& fs, const QString& path, const DatHeader& dat, const IdxState& state,
                  const std::vector<std::vector<quint32>>& order);

// TableStore::create: paths are the .dat, .idx and .blb paths.
void createTableFiles(FileSystem& fs, const QStringList& paths, const QString& datPath, const TableSchema& schema);
