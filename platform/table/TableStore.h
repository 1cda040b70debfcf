#pragma once

#include "FileSystem.h"
#include "Schema.h"

#include <QList>
#include <QStringList>
#include <QMetaType>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

// Where a document's bytes lie in the .blb file (consecutive blocks). length 0 is an empty
// document. checksum is the CRC-32C of the content, checked on every read.
struct BlobRef
{
    quint32 firstBlock = 0;
    quint32 length = 0;
    quint32 checksum = 0;
    bool operator==(const BlobRef&) const = default;
};
Q_DECLARE_METATYPE(BlobRef)

// Values of a stored row, one per schema field in order, RecordID last. An empty field is a
// null QVariant; otherwise String: QString, Date and Time: double, Currency: Currency,
// Boolean: bool, AutoInc: qint64, Blob: BlobRef (as stored) or QByteArray (new content
// handed to insert/update).
using RowValues = QList<QVariant>;

// The three files of the table whose data file is datPath: the folder, then the file name up
// to its last '.' (the whole name when it has none), then ".dat", ".idx", ".blb" in this order.
// "x/Trip.dat" and "x/Trip" give x/Trip.dat, x/Trip.idx, x/Trip.blb; "a.b.dat" gives a.b.*.
QStringList tableFilePaths(const QString& datPath);

// The three files of one table and the crash-safe way rows reach them (see FORMAT.md).
// Knows nothing of row order: indexes are the table's business; the .idx file only
// caches their order for the .dat state it was written for.
class TableStore
{
public:
    struct Row
    {
        quint32 slot = 0;
        RowValues values;
    };

    // Creates the three files of an empty table. The schema's fields may end with the RecordID
    // field or not; the stored schema always has it last (numbered after the others), and
    // fields numbered 0 are numbered by position. Throws EDatabaseError for a schema the
    // engine cannot store (unnamed or repeated fields, a String size outside 1..8192, an index
    // on a missing field, more than one primary index, encryption). Throws EDatabaseError "The table '%s' already
    // exists" (with the .dat path's file name) when any of them exists; a missing or read-only
    // folder gives an error naming it. Nothing is left behind on failure.
    static void create(FileSystem& fs, const QString& datPath, const TableSchema& schema);

    // Opens and checks the files; a missing, foreign, truncated or damaged file throws
    // EDatabaseError. A damaged row copy falls back to the other copy of its slot.
    static std::unique_ptr<TableStore> open(FileSystem& fs, const QString& datPath);

    virtual ~TableStore() = default;

    // As stored: RecordID (FieldType::AutoInc) is the last field.
    virtual const TableSchema& schema() const = 0;
    // The committed rows, in slot order; RecordID filled in.
    virtual const std::vector<Row>& rows() const = 0;
    // The document's bytes; throws EDatabaseError when they are missing or fail their checksum.
    virtual QByteArray readBlob(const BlobRef& ref) = 0;

    // Each of these commits before it returns (at most two syncs) and throws EDatabaseError
    // on any failure, leaving the store as it was before the call.
    // values: QByteArray in a Blob field is new content, BlobRef keeps the stored one (a BlobRef
    // of another row is copied). values has one entry per field; RecordID may be left out and
    // is ignored (insert assigns it, update keeps it). A String holds at most size characters
    // (Unicode code points); a value of the wrong type or too long throws before anything is
    // written. Values are stored as given: required fields and unique keys are the Table's checks.
    // insert assigns RecordID (never reused in the table's life) and returns the new row.
    virtual const Row& insert(const RowValues& values) = 0;
    virtual const Row& update(quint32 slot, const RowValues& values) = 0;
    virtual void remove(quint32 slot) = 0;

    // The order of each index (slots, one list per schema index) as cached in .idx, if that
    // file matches the current .dat state; nothing when it is missing, damaged or stale.
    virtual std::optional<std::vector<std::vector<quint32>>> loadIndexOrder() = 0;
    // Writes .idx for the current .dat state (on close; no sync needed: a stale or torn .idx
    // is rebuilt on the next open).
    virtual void saveIndexOrder(const std::vector<std::vector<quint32>>& order) = 0;
};
