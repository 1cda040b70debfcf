// Table: index selection, navigation, row numbers, bookmarks and key search.

#include "Table.h"

#include "FieldValue.h"
#include "TableImpl.h"

#include "platform/core/Exception.h"

void Table::setIndexName(const QString& name)
{
    if (!active()) {
        m_indexName = name;
        return;
    }
    const int idx = findOrder(d->orders, name);
    if (idx < 0)
        throw EDatabaseError(QStringLiteral("Index '%1' not found").arg(name));
    leaveRow();
    const TableRow* row = d->currentRow();
    d->current = idx;
    m_indexName = name;
    if (row)
        placeOn(row);
    else {
        d->pos = passingFrom(0, 1);
        d->bof = true;
        d->eof = d->pos < 0;
    }
    sendRecordChanged();
}

int Table::passingFrom(int pos, int step) const
{
    const IndexOrder& o = d->order();
    for (; pos >= 0 && pos < o.size(); pos += step) {
        if (d->passes(*o.at(pos)))
            return pos;
    }
    return -1;
}

void Table::placeOn(const TableRow* row)
{
    d->pos = row ? d->order().positionOf(*row) : -1;
    d->eof = d->bof = d->pos < 0;
}

void Table::first()
{
    checkActive();
    leaveRow();
    d->pos = passingFrom(0, 1);
    d->bof = true;
    d->eof = d->pos < 0;
    sendRecordChanged();
}

void Table::last()
{
    checkActive();
    leaveRow();
    d->pos = passingFrom(d->order().size() - 1, -1);
    d->eof = true;
    d->bof = d->pos < 0;
    sendRecordChanged();
}

void Table::next()
{
    checkActive();
    leaveRow();
    const int p = d->pos < 0 ? -1 : passingFrom(d->pos + 1, 1);
    if (p < 0) {
        d->eof = true;
        return;
    }
    d->pos = p;
    d->eof = d->bof = false;
    sendRecordChanged();
}

void Table::prior()
{
    checkActive();
    leaveRow();
    const int p = d->pos < 0 ? -1 : passingFrom(d->pos - 1, -1);
    if (p < 0) {
        d->bof = true;
        return;
    }
    d->pos = p;
    d->eof = d->bof = false;
    sendRecordChanged();
}

bool Table::eof() const
{
    return !active() || d->eof;
}

bool Table::bof() const
{
    return !active() || d->bof;
}

int Table::recordCount() const
{
    if (!active())
        return 0;
    return d->activeFilter ? d->passingCount : d->rowCount();
}

int Table::recNo() const
{
    if (!active() || m_state == TableState::Insert || d->pos < 0)
        return 0;
    if (!d->activeFilter)
        return d->pos + 1;
    int n = 1;
    const IndexOrder& o = d->order();
    for (int i = 0; i < d->pos; ++i)
        n += o.at(i)->passes ? 1 : 0;
    return n;
}

Bookmark Table::bookmark() const
{
    if (!active() || m_state == TableState::Insert)
        return 0;
    const TableRow* row = d->currentRow();
    return row ? row->recordId : 0;
}

bool Table::bookmarkValid(Bookmark b) const
{
    return active() && d->rows.count(b) > 0;
}

void Table::gotoBookmark(Bookmark b)
{
    checkActive();
    leaveRow();
    auto it = d->rows.find(b);
    if (it == d->rows.end() || !d->passes(it->second))
        throw EDatabaseError(QStringLiteral("Record not found"));
    placeOn(&it->second);
    sendRecordChanged();
}

bool Table::findKey(const QVariantList& values)
{
    checkActive();
    return locateKey(d->current, values);
}

bool Table::findKeyOnIndex(const QString& indexName, const QVariantList& values)
{
    checkActive();
    const int idx = findOrder(d->orders, indexName);
    if (idx < 0)
        throw EDatabaseError(QStringLiteral("Index '%1' not found").arg(indexName));
    return locateKey(idx, values);
}

bool Table::locateKey(int orderIndex, const QVariantList& values)
{
    const IndexOrder& o = d->orders[size_t(orderIndex)];
    if (values.size() > o.keyFieldCount())
        throw EDatabaseError(QStringLiteral("Too many key values: index '%1' has %2 fields")
                                 .arg(o.def().name).arg(o.keyFieldCount()));
    // Key values take the form of their fields (a date-time searched in a Date field keeps its
    // date); strings are compared exactly, not cut to the field's size.
    QVariantList key;
    for (qsizetype i = 0; i < values.size(); ++i) {
        FieldDef def = d->schema.fields.at(o.fieldPositions()[size_t(i)]);
        key.append(FieldValue::fromVariant(def, values.at(i)));
    }
    leaveRow();
    for (int p = o.lowerBound(key); p < o.size() && o.compareKey(o.at(p)->values, key) == 0; ++p) {
        const TableRow* row = o.at(p);
        if (d->passes(*row)) {
            placeOn(row);
            sendRecordChanged();
            return true;
        }
    }
    return false;
}
