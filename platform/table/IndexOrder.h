#pragma once

#include "Schema.h"
#include "TableStore.h"

#include <QVariant>
#include <vector>

// One row as the open table holds it in memory.
struct TableRow
{
    qint64 recordId = 0;
    quint32 slot = 0;
    RowValues values;
    bool passes = true; // passes the filter in force
};

// The rows of one index in key order; rows with equal keys in RecordID (insertion) order.
// Rows are kept by pointer: the table owns them and keeps them alive while listed.
class IndexOrder
{
public:
    IndexOrder(IndexDef def, std::vector<int> fieldPositions, std::vector<FieldType> fieldTypes);

    const IndexDef& def() const { return m_def; }
    int keyFieldCount() const { return int(m_fields.size()); }
    const std::vector<int>& fieldPositions() const { return m_fields; }
    FieldType keyFieldType(int i) const { return m_types[size_t(i)]; }

    // Orders two rows by key, then RecordID.
    int compare(const TableRow& a, const TableRow& b) const;
    // Compares the first key.size() key fields of values with key (values already in field form).
    int compareKey(const RowValues& values, const QVariantList& key) const;

    // Sorts rows into this order.
    void build(std::vector<TableRow*> rows);
    // Takes a cached order if it is strictly sorted; false (and nothing kept) otherwise.
    bool adopt(std::vector<TableRow*> rows);

    // Position of the row (found by its key and RecordID), or -1.
    int positionOf(const TableRow& row) const;
    // First position whose leading key fields are not less than key.
    int lowerBound(const QVariantList& key) const;
    // Inserts a row at its place; removes one by its current values and RecordID.
    void insert(TableRow* row);
    void remove(const TableRow& row);
    // The row at pos has new values: moves it to its place and returns that position.
    int reposition(int pos);

    // The key of values: its key fields in order.
    QVariantList keyOf(const RowValues& values) const;

    int size() const { return int(m_rows.size()); }
    TableRow* at(int pos) const { return m_rows[size_t(pos)]; }
    const std::vector<TableRow*>& rows() const { return m_rows; }

private:
    IndexDef m_def;
    std::vector<int> m_fields;
    std::vector<FieldType> m_types;
    std::vector<TableRow*> m_rows;
};
