#include "IndexOrder.h"

#include "FieldValue.h"

#include <algorithm>

IndexOrder::IndexOrder(IndexDef def, std::vector<int> fieldPositions, std::vector<FieldType> fieldTypes)
    : m_def(std::move(def)), m_fields(std::move(fieldPositions)), m_types(std::move(fieldTypes))
{
}

int IndexOrder::compare(const TableRow& a, const TableRow& b) const
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const size_t f = size_t(m_fields[i]);
        if (const int c = FieldValue::compare(m_types[i], a.values.at(f), b.values.at(f)))
            return c;
    }
    return a.recordId < b.recordId ? -1 : (a.recordId > b.recordId ? 1 : 0);
}

int IndexOrder::compareKey(const RowValues& values, const QVariantList& key) const
{
    const size_t n = std::min(size_t(key.size()), m_fields.size());
    for (size_t i = 0; i < n; ++i) {
        if (const int c = FieldValue::compare(m_types[i], values.at(m_fields[i]), key.at(qsizetype(i))))
            return c;
    }
    return 0;
}

void IndexOrder::build(std::vector<TableRow*> rows)
{
    // The RecordID tie-break makes the order total, so a plain sort is stable in effect.
    std::sort(rows.begin(), rows.end(),
              [this](const TableRow* a, const TableRow* b) { return compare(*a, *b) < 0; });
    m_rows = std::move(rows);
}

bool IndexOrder::adopt(std::vector<TableRow*> rows)
{
    for (size_t i = 1; i < rows.size(); ++i) {
        if (compare(*rows[i - 1], *rows[i]) >= 0)
            return false;
    }
    m_rows = std::move(rows);
    return true;
}

int IndexOrder::positionOf(const TableRow& row) const
{
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), &row,
                               [this](const TableRow* a, const TableRow* b) { return compare(*a, *b) < 0; });
    if (it == m_rows.end() || (*it)->recordId != row.recordId)
        return -1;
    return int(it - m_rows.begin());
}

int IndexOrder::lowerBound(const QVariantList& key) const
{
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), key,
                               [this](const TableRow* a, const QVariantList& k) { return compareKey(a->values, k) < 0; });
    return int(it - m_rows.begin());
}

void IndexOrder::insert(TableRow* row)
{
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), row,
                               [this](const TableRow* a, const TableRow* b) { return compare(*a, *b) < 0; });
    m_rows.insert(it, row);
}

void IndexOrder::remove(const TableRow& row)
{
    const int pos = positionOf(row);
    if (pos >= 0)
        m_rows.erase(m_rows.begin() + pos);
}

QVariantList IndexOrder::keyOf(const RowValues& values) const
{
    QVariantList key;
    key.reserve(qsizetype(m_fields.size()));
    for (int f : m_fields)
        key.append(values.at(f));
    return key;
}
