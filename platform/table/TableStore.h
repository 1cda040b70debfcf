#pragma once

#include "FileSystem.h"
#include "Schema.h"

#include <QList>
#include <QMetaType>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

// Where a document's bytes lie in the .blb file. length 0 is an empty document.
struct BlobRef
{
    quint32 firstBlock = 0;
    quint32 length = 0;
    bool operator==(const BlobRef&) const = default;
};
Q_DECLARE_METATYPE(BlobRef)

// Values of a stored row, one per schema field in order, RecordID last. An empty field is a
// null QVariant; otherwise String: QString, Date and Time: double, Currency: Currency,
// Boolean: bool, AutoInc: qint64, Blob: BlobRef (as stored) or QByteArray (new content
// handed to insert/update).
using RowValues = QList<QVariant>;

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

    // Creates the three files of an empty table. Throws EDatabaseError "The table '%s' already
    // exists" (with the .dat path's file name) when any of them exists; a missing or read-only
    // folder gives an error naming it. Nothing is left behind on failure.
    static void create(FileSystem& fs, const QString& datPath, const TableSchema& schema);

    // Opens and checks the files; a missing, foreign, truncated or damaged file throws
    // EDatabaseError. A damaged row copy falls back to the other copy of its slot.
    static std::unique_ptr<TableStore> open(FileSystem& fs, const QString& datPath);

    virtual ~TableStore() = default;

    virtual const TableSchema& schema() const = 0;
    // The committed rows, in slot order; RecordID filled in.
    virtual const std::vector<Row>& rows() const = 0;
    virtual QByteArray readBlob(const BlobRef& ref) = 0;

    // Each of these commits before it returns (at most two syncs) and throws EDatabaseError
    // on any failure, leaving the store as it was before the call.
    // values: QByteArray in a Blob field is new content, BlobRef keeps the stored one.
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
