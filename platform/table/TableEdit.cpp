// Table: append, edit, post, cancel, delete, leaving a changed row, filters and the
// notifications to data sources.

#include "Table.h"

#include "DataSource.h"
#include "FieldValue.h"
#include "TableImpl.h"

#include "platform/core/Exception.h"

namespace {

// "Event", "Event and Start date", "Event, Start date and Start time".
QString joinNames(const QStringList& names)
{
    if (names.size() <= 1)
        return names.value(0);
    return names.mid(0, names.size() - 1).join(QLatin1String(", ")) + QLatin1String(" and ") + names.last();
}

} // namespace

void Table::setState(TableState s)
{
    if (m_state == s)
        return;
    m_state = s;
    sendStateChanged();
}

void Table::append()
{
    checkActive();
    leaveRow();
    Impl& s = *d;
    if (s.defaults.size() == s.schema.fields.size()) {
        s.buffer = s.defaults;
    } else {
        s.buffer.clear();
        for (const FieldDef& f : s.schema.fields)
            s.buffer.append(FieldValue::fromDefault(f));
    }
    s.modified = false;
    s.editedId = 0;
    setState(TableState::Insert);
    sendRecordChanged();
}

void Table::edit()
{
    checkActive();
    if (m_state == TableState::Edit || m_state == TableState::Insert)
        return;
    const TableRow* row = d->currentRow();
    if (!row) {
        // Nothing to edit: a table without rows (or none passing the filter) begins a new one.
        append();
        return;
    }
    d->buffer = row->values;
    d->editedId = row->recordId;
    d->modified = false;
    setState(TableState::Edit);
    sendRecordChanged();
}

void Table::post()
{
    checkActive();
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    sendUpdateData();
    postRow();
}

void Table::postRow()
{
    Impl& s = *d;
    const bool inserting = m_state == TableState::Insert;
    for (qsizetype i = 0; i < s.schema.fields.size(); ++i) {
        const FieldDef& f = s.schema.fields.at(i);
        if (f.required && int(i) != s.recordIdField && s.buffer.at(i).isNull())
            throw EDatabaseError(QStringLiteral("Field '%1' must have a value").arg(f.name));
    }
    // Unique indexes; one holding RecordID is unique by construction.
    for (const IndexOrder& o : s.orders) {
        if (!o.def().isUnique())
            continue;
        bool hasRecordId = false;
        for (int f : o.fieldPositions())
            hasRecordId = hasRecordId || f == s.recordIdField;
        if (hasRecordId)
            continue;
        const QVariantList key = o.keyOf(s.buffer);
        for (int p = o.lowerBound(key); p < o.size() && o.compareKey(o.at(p)->values, key) == 0; ++p) {
            if (inserting || o.at(p)->recordId != s.editedId)
                throw EDatabaseError(QStringLiteral("Key violation: another row already has the same %1")
                                         .arg(joinNames(o.def().fieldNames())));
        }
    }

    // The store commits first; memory follows only once the row is safely written.
    TableRow* row = nullptr;
    std::vector<int> oldPositions; // a changed row: its place in each order before the change
    if (inserting) {
        RowValues values = s.buffer;
        values[s.recordIdField] = QVariant();
        const TableStore::Row stored = s.store->insert(values);
        TableRow fresh;
        fresh.slot = stored.slot;
        fresh.values = stored.values;
        while (fresh.values.size() < s.schema.fields.size())
            fresh.values.append(QVariant());
        fresh.recordId = fresh.values.at(s.recordIdField).toLongLong();
        row = &s.rows.emplace(fresh.recordId, std::move(fresh)).first->second;
    } else {
        auto it = s.rows.find(s.editedId);
        if (it == s.rows.end())
            throw EDatabaseError(QStringLiteral("Record not found"));
        row = &it->second;
        const TableStore::Row stored = s.store->update(row->slot, s.buffer);
        oldPositions.reserve(s.orders.size());
        for (const IndexOrder& o : s.orders)
            oldPositions.push_back(o.positionOf(*row));
        if (row->passes && s.activeFilter)
            --s.passingCount;
        row->slot = stored.slot;
        row->values = stored.values;
        while (row->values.size() < s.schema.fields.size())
            row->values.append(QVariant());
    }
    for (size_t i = 0; i < s.orders.size(); ++i) {
        if (i < oldPositions.size() && oldPositions[i] >= 0)
            s.orders[i].reposition(oldPositions[i]);
        else
            s.orders[i].insert(row);
    }
    row->passes = !s.activeFilter || s.activeFilter->matches(row->values);
    if (row->passes && s.activeFilter)
        ++s.passingCount;
    s.ordersChanged = true;

    s.buffer.clear();
    s.modified = false;
    s.editedId = 0;
    // The stored row stays current, even when it no longer passes the filter, until left.
    placeOn(row);
    setState(TableState::Browse);
    sendRecordChanged();
}

void Table::cancel()
{
    checkActive();
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        return;
    const bool wasInsert = m_state == TableState::Insert;
    d->buffer.clear();
    d->modified = false;
    d->editedId = 0;
    if (wasInsert) {
        // As after any append, the table stands at its last row.
        d->pos = passingFrom(d->order().size() - 1, -1);
        d->eof = d->bof = d->pos < 0;
    }
    setState(TableState::Browse);
    sendRecordChanged();
}

void Table::deleteRecord()
{
    checkActive();
    if (m_state == TableState::Insert) {
        cancel(); // a row never stored has nothing to delete
        return;
    }
    Impl& s = *d;
    TableRow* row = s.currentRow();
    if (!row)
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    // Changes of a row in Edit are dropped with the row.
    s.store->remove(row->slot);
    const int p = s.pos;
    for (IndexOrder& o : s.orders)
        o.remove(*row);
    if (row->passes && s.activeFilter)
        --s.passingCount;
    s.rows.erase(row->recordId);
    s.ordersChanged = true;
    s.buffer.clear();
    s.modified = false;
    s.editedId = 0;

    // The next row takes its place; after the last row, the one before it (and eof is set).
    const int next = passingFrom(p, 1);
    if (next >= 0) {
        s.pos = next;
        s.eof = s.bof = false;
    } else {
        s.pos = passingFrom(p - 1, -1);
        s.eof = true;
        s.bof = s.pos < 0;
    }
    setState(TableState::Browse);
    sendRecordChanged();
}

void Table::checkBrowseMode()
{
    checkActive();
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        return;
    sendUpdateData();
    if (d->modified)
        postRow();
    else
        cancel();
}

void Table::leaveRow()
{
    if (m_state == TableState::Edit || m_state == TableState::Insert)
        checkBrowseMode();
}

bool Table::modified() const
{
    return (m_state == TableState::Edit || m_state == TableState::Insert) && d->modified;
}

void Table::applyFilter()
{
    Impl& s = *d;
    s.passingCount = 0;
    for (auto& [id, row] : s.rows) {
        row.passes = !s.activeFilter || s.activeFilter->matches(row.values);
        s.passingCount += row.passes ? 1 : 0;
    }
}

void Table::setFilter(const QString& expression)
{
    if (!active() || !m_filtered) {
        m_filter = expression;
        return;
    }
    FilterExpression e = FilterExpression::parse(expression);
    e.bind(d->schema);
    leaveRow();
    m_filter = expression;
    if (e.isEmpty())
        d->activeFilter.reset();
    else
        d->activeFilter = std::move(e);
    applyFilter();
    first();
}

void Table::setFiltered(bool on)
{
    if (!active() || on == m_filtered) {
        m_filtered = on;
        return;
    }
    std::optional<FilterExpression> filter;
    if (on) {
        FilterExpression e = FilterExpression::parse(m_filter);
        e.bind(d->schema);
        if (!e.isEmpty())
            filter = std::move(e);
    }
    leaveRow();
    m_filtered = on;
    d->activeFilter = std::move(filter);
    applyFilter();
    first();
}

void Table::disableControls()
{
    ++m_disableCount;
}

void Table::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount > 0)
        return;
    if (d->stateChangedWhileDisabled) {
        d->stateChangedWhileDisabled = false;
        sendStateChanged();
    }
    sendRecordChanged();
}

// Sources are walked over a copy: a handler may attach or detach sources and links.
void Table::sendRecordChanged()
{
    if (controlsDisabled())
        return;
    const QList<DataSource*> sources = d->sources;
    for (DataSource* s : sources)
        if (d->sources.contains(s))
            s->notifyRecordChanged();
}

void Table::sendStateChanged()
{
    if (controlsDisabled()) {
        d->stateChangedWhileDisabled = true;
        return;
    }
    const QList<DataSource*> sources = d->sources;
    for (DataSource* s : sources)
        if (d->sources.contains(s))
            s->notifyStateChanged();
}

void Table::sendActiveChanged()
{
    const QList<DataSource*> sources = d->sources;
    for (DataSource* s : sources)
        if (d->sources.contains(s))
            s->notifyActiveChanged();
}

// Sent even while controls are disabled: text typed into a control must not be lost when a
// scan leaves the row.
void Table::sendUpdateData()
{
    const QList<DataSource*> sources = d->sources;
    for (DataSource* s : sources)
        if (d->sources.contains(s))
            s->notifyUpdateData();
}
