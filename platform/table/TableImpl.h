#pragma once

// The open table's inner state, shared by Table*.cpp, Field.cpp and DataSource.cpp.

#include "Filter.h"
#include "IndexOrder.h"
#include "Table.h"
#include "TableStore.h"

#include <QList>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

struct Table::Impl
{
    FileSystem* fs = nullptr; // nullptr: the real file system
    std::unique_ptr<TableStore> store;
    TableSchema schema;
    int recordIdField = -1; // position of RecordID in a row

    // Rows by RecordID; the map keeps its elements in place, so orders may point at them.
    std::unordered_map<qint64, TableRow> rows;
    std::vector<IndexOrder> orders; // one per schema index, same order
    int current = 0;                // order in force (index into orders)
    bool ordersChanged = false;     // the .idx cache must be written on close

    // Current position in the order in force. While inserting, the row that was current.
    int pos = 0;
    bool eof = true;
    bool bof = true;

    // The row buffer in Edit and Insert.
    RowValues buffer;
    bool modified = false;
    qint64 editedId = 0; // the row in Edit

    std::vector<std::unique_ptr<Field>> fields;
    RowValues defaults; // a new row's values: each field's default, read once at open

    std::optional<FilterExpression> activeFilter; // set while filtered with a non-blank expression
    int passingCount = 0;

    QList<DataSource*> sources;
    bool stateChangedWhileDisabled = false;

    IndexOrder& order() { return orders[size_t(current)]; }
    const IndexOrder& order() const { return orders[size_t(current)]; }
    int rowCount() const { return int(rows.size()); }
    TableRow* currentRow() const
    {
        const IndexOrder& o = orders[size_t(current)];
        return (pos >= 0 && pos < o.size()) ? o.at(pos) : nullptr;
    }
    bool passes(const TableRow& r) const { return !activeFilter || r.passes; }
};

// Position of an index by name: "" is the primary index (or, lacking one, the unnamed index).
inline int findOrder(const std::vector<IndexOrder>& orders, const QString& name)
{
    for (size_t i = 0; i < orders.size(); ++i) {
        const IndexDef& def = orders[i].def();
        if (name.isEmpty() ? (def.options & ixPrimary) : def.name == name)
            return int(i);
    }
    for (size_t i = 0; i < orders.size(); ++i) {
        const IndexDef& def = orders[i].def();
        if (name.isEmpty() ? def.name.isEmpty() : def.name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}
