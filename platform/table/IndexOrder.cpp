#include "IndexOrder.h"

#include "FieldValue.h"

#include "platform/core/Currency.h"

#include <algorithm>

namespace {

// One key field of one row, taken out of its QVariant once so that sorting many rows does
// not convert values on every comparison. Orders exactly as FieldValue::compare does.
struct KeyPart
{
    bool null = true;
    double number = 0; // Date, Time
    qint64 integer = 0; // Currency, Boolean, AutoInc
    QString text; // String
};

template<typename T> int threeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// FieldValue::compare, with the forms stored rows hold read in place: an index compares
// values many times per change, and a conversion through QVariant costs more than the rest.
int compareValue(FieldType type, const QVariant& a, const QVariant& b)
{
    const bool an = a.isNull(), bn = b.isNull();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    const int ta = a.typeId(), tb = b.typeId();
    switch (type) {
    case FieldType::String:
        if (ta == QMetaType::QString && tb == QMetaType::QString)
            return QString::compare(*static_cast<const QString*>(a.constData()),
                                    *static_cast<const QString*>(b.constData()), Qt::CaseSensitive);
        break;
    case FieldType::Date:
    case FieldType::Time:
        if (ta == QMetaType::Double && tb == QMetaType::Double)
            return threeWay(*static_cast<const double*>(a.constData()), *static_cast<const double*>(b.constData()));
        break;
    case FieldType::AutoInc:
        if (ta == QMetaType::LongLong && tb == QMetaType::LongLong)
            return threeWay(*static_cast<const qint64*>(a.constData()), *static_cast<const qint64*>(b.constData()));
        break;
    default: break;
    }
    return FieldValue::compare(type, a, b);
}

KeyPart keyPart(FieldType type, const QVariant& v)
{
    KeyPart k;
    k.null = v.isNull();
    if (k.null)
        return k;
    switch (type) {
    case FieldType::String:
        k.text = v.typeId() == QMetaType::QString ? *static_cast<const QString*>(v.constData()) : v.toString();
        break;
    case FieldType::Date:
    case FieldType::Time: k.number = v.toDouble(); break;
    case FieldType::Currency: k.integer = v.value<Currency>().units; break;
    case FieldType::Boolean: k.integer = v.toBool() ? 1 : 0; break;
    case FieldType::AutoInc: k.integer = v.toLongLong(); break;
    case FieldType::Blob: break; // documents are never keys: all equal
    }
    return k;
}

int comparePart(FieldType type, const KeyPart& a, const KeyPart& b)
{
    if (a.null || b.null)
        return a.null == b.null ? 0 : (a.null ? -1 : 1);
    switch (type) {
    case FieldType::String: return QString::compare(a.text, b.text, Qt::CaseSensitive);
    case FieldType::Date:
    case FieldType::Time: return threeWay(a.number, b.number);
    case FieldType::Currency:
    case FieldType::Boolean:
    case FieldType::AutoInc: return threeWay(a.integer, b.integer);
    case FieldType::Blob: return 0;
    }
    return 0;
}

// Rows with their keys taken out, for sorting and for checking a cached order.
class ExtractedKeys
{
public:
    struct Entry
    {
        TableRow* row;
        const KeyPart* parts;
    };

    ExtractedKeys(const std::vector<TableRow*>& rows, const std::vector<int>& fields, const std::vector<FieldType>& types)
        : m_types(types)
    {
        const size_t k = fields.size();
        m_parts.resize(rows.size() * k);
        m_entries.reserve(rows.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            KeyPart* parts = m_parts.data() + r * k;
            for (size_t i = 0; i < k; ++i)
                parts[i] = keyPart(types[i], rows[r]->values.at(fields[i]));
            m_entries.push_back(Entry{rows[r], parts});
        }
    }

    // As IndexOrder::compare: key fields, then RecordID.
    int compare(const Entry& a, const Entry& b) const
    {
        for (size_t i = 0; i < m_types.size(); ++i)
            if (const int c = comparePart(m_types[i], a.parts[i], b.parts[i]))
                return c;
        return threeWay(a.row->recordId, b.row->recordId);
    }

    std::vector<Entry>& entries() { return m_entries; }

private:
    const std::vector<FieldType>& m_types;
    std::vector<KeyPart> m_parts;
    std::vector<Entry> m_entries;
};

} // namespace

IndexOrder::IndexOrder(IndexDef def, std::vector<int> fieldPositions, std::vector<FieldType> fieldTypes)
    : m_def(std::move(def)), m_fields(std::move(fieldPositions)), m_types(std::move(fieldTypes))
{
}

int IndexOrder::compare(const TableRow& a, const TableRow& b) const
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const size_t f = size_t(m_fields[i]);
        if (const int c = compareValue(m_types[i], a.values.at(f), b.values.at(f)))
            return c;
    }
    return a.recordId < b.recordId ? -1 : (a.recordId > b.recordId ? 1 : 0);
}

int IndexOrder::compareKey(const RowValues& values, const QVariantList& key) const
{
    const size_t n = std::min(size_t(key.size()), m_fields.size());
    for (size_t i = 0; i < n; ++i) {
        if (const int c = compareValue(m_types[i], values.at(m_fields[i]), key.at(qsizetype(i))))
            return c;
    }
    return 0;
}

void IndexOrder::build(std::vector<TableRow*> rows)
{
    // The RecordID tie-break makes the order total, so a plain sort is stable in effect.
    ExtractedKeys keys(rows, m_fields, m_types);
    auto& entries = keys.entries();
    std::sort(entries.begin(), entries.end(),
              [&keys](const ExtractedKeys::Entry& a, const ExtractedKeys::Entry& b) { return keys.compare(a, b) < 0; });
    for (size_t i = 0; i < entries.size(); ++i)
        rows[i] = entries[i].row;
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

int IndexOrder::reposition(int pos)
{
    TableRow* row = m_rows[size_t(pos)];
    const auto less = [this](const TableRow* a, const TableRow* b) { return compare(*a, *b) < 0; };
    const auto at = m_rows.begin() + pos;
    // Only the rows between the old and the new place move, so a change that keeps the key
    // (or moves it a little) costs no more than a search.
    if (pos > 0 && less(row, *(at - 1))) {
        const auto to = std::upper_bound(m_rows.begin(), at, row, less);
        std::rotate(to, at, at + 1);
        return int(to - m_rows.begin());
    }
    if (pos + 1 < size() && less(*(at + 1), row)) {
        const auto to = std::lower_bound(at + 1, m_rows.end(), row, less);
        std::rotate(at, at + 1, to);
        return int(to - m_rows.begin()) - 1;
    }
    return pos;
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
