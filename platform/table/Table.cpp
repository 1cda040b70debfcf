// Table: naming, creation, open and close, index orders, navigation, bookmarks and key search.
// Changing rows is in TableEdit.cpp, the notifications in DataSource.cpp.

#include "Table.h"

#include "DataSource.h"
#include "FieldValue.h"
#include "TableImpl.h"

#include "platform/core/Exception.h"

#include <unordered_map>

namespace {

const QString RecordIdName = QStringLiteral("RecordID");

EDatabaseError closedError()
{
    return EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

// Position of an index by name: "" is the primary index (or, lacking one, the unnamed index).
int findOrder(const std::vector<IndexOrder>& orders, const QString& name)
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

} // namespace

Table::Table(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {}

Table::~Table()
{
    try {
        close();
    } catch (...) {
        // close() does not throw; a destructor must not either.
    }
    const QList<DataSource*> sources = d->sources;
    for (DataSource* s : sources)
        s->setDataSet(nullptr);
}

void Table::setFileSystem(FileSystem* fs)
{
    if (active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    d->fs = fs;
}

void Table::setDatabaseName(const QString& folder)
{
    if (active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    m_databaseName = folder;
}

void Table::setTableName(const QString& fileName)
{
    if (active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    m_tableName = fileName;
}

QString Table::dataFilePath() const
{
    if (m_databaseName.isEmpty())
        return m_tableName;
    if (m_databaseName.endsWith(QLatin1Char('/')))
        return m_databaseName + m_tableName;
    return m_databaseName + QLatin1Char('/') + m_tableName;
}

void Table::addFieldDef(int number, const QString& name, FieldType type, int size, bool required,
                        const QString& defaultValue)
{
    FieldDef def;
    def.number = number;
    def.name = name;
    def.type = type;
    def.size = size;
    def.required = required;
    def.defaultValue = defaultValue;
    m_fieldDefs.append(def);
}

void Table::addIndexDef(const QString& name, const QString& fields, int options, const QString& descFields)
{
    m_indexDefs.append(IndexDef{name, fields, options, descFields});
}

void Table::createTable(const TableProperties& properties)
{
    if (active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    if (m_tableName.isEmpty())
        throw EDatabaseError(QStringLiteral("Missing table name"));
    TableSchema schema;
    schema.fields = m_fieldDefs;
    schema.indexes = m_indexDefs;
    schema.properties = properties;
    bool hasRecordId = false;
    for (qsizetype i = 0; i < schema.fields.size(); ++i) {
        FieldDef& f = schema.fields[i];
        if (f.number == 0)
            f.number = int(i) + 1;
        if (f.name.isEmpty())
            throw EDatabaseError(QStringLiteral("Field %1 has no name").arg(i + 1));
        if (f.type == FieldType::String && f.size <= 0)
            throw EDatabaseError(QStringLiteral("Field '%1' needs a size").arg(f.name));
        hasRecordId = hasRecordId || f.name == RecordIdName;
        for (qsizetype j = 0; j < i; ++j) {
            if (schema.fields[j].name.compare(f.name, Qt::CaseInsensitive) == 0)
                throw EDatabaseError(QStringLiteral("Duplicate field name '%1'").arg(f.name));
        }
    }
    if (!hasRecordId) {
        FieldDef id;
        id.number = int(schema.fields.size()) + 1;
        id.name = RecordIdName;
        id.type = FieldType::AutoInc;
        schema.fields.append(id);
    }
    for (const IndexDef& ix : schema.indexes) {
        const QStringList names = ix.fieldNames();
        if (names.isEmpty())
            throw EDatabaseError(QStringLiteral("Index '%1' has no fields").arg(ix.name));
        for (const QString& n : names) {
            if (schema.fieldIndex(n) < 0)
                throw EDatabaseError(QStringLiteral("Index '%1': field '%2' not found").arg(ix.name, n));
        }
    }
    TableStore::create(d->fs ? *d->fs : realFileSystem(), dataFilePath(), schema);
}

bool Table::exists() const
{
    return (d->fs ? *d->fs : realFileSystem()).exists(dataFilePath());
}

const TableSchema& Table::schema() const
{
    return d->schema;
}

void Table::open()
{
    if (active())
        return;
    if (m_tableName.isEmpty())
        throw EDatabaseError(QStringLiteral("Missing table name"));
    Impl& s = *d;
    std::unique_ptr<TableStore> store = TableStore::open(s.fs ? *s.fs : realFileSystem(), dataFilePath());
    const TableSchema schema = store->schema();

    int recordIdField = schema.fieldIndex(RecordIdName);
    if (recordIdField < 0 || schema.fields.at(recordIdField).type != FieldType::AutoInc)
        recordIdField = -1;
    for (qsizetype i = 0; i < schema.fields.size(); ++i) {
        if (recordIdField < 0 && schema.fields.at(i).type == FieldType::AutoInc)
            recordIdField = int(i);
    }
    if (recordIdField < 0)
        throw EDatabaseError(QStringLiteral("Table '%1' has no RecordID field").arg(m_tableName));

    std::unordered_map<qint64, TableRow> rows;
    rows.reserve(store->rows().size());
    std::unordered_map<quint32, TableRow*> bySlot;
    for (const TableStore::Row& r : store->rows()) {
        TableRow row;
        row.slot = r.slot;
        row.values = r.values;
        while (row.values.size() < schema.fields.size())
            row.values.append(QVariant());
        row.recordId = row.values.at(recordIdField).toLongLong();
        auto [it, inserted] = rows.emplace(row.recordId, std::move(row));
        if (!inserted)
            throw EDatabaseError(QStringLiteral("Table '%1' is damaged: RecordID %2 occurs twice")
                                     .arg(m_tableName).arg(it->first));
        bySlot[it->second.slot] = &it->second;
    }

    std::vector<IndexOrder> orders;
    for (const IndexDef& ix : schema.indexes) {
        std::vector<int> pos;
        std::vector<FieldType> types;
        for (const QString& n : ix.fieldNames()) {
            const int f = schema.fieldIndex(n);
            if (f < 0)
                throw EDatabaseError(QStringLiteral("Index '%1': field '%2' not found").arg(ix.name, n));
            pos.push_back(f);
            types.push_back(schema.fields.at(f).type);
        }
        orders.emplace_back(ix, std::move(pos), std::move(types));
    }
    if (findOrder(orders, QString()) < 0) {
        // Without a primary index the natural order is the order of insertion.
        IndexDef natural{QString(), RecordIdName, ixPrimary, QString()};
        orders.emplace_back(natural, std::vector<int>{recordIdField}, std::vector<FieldType>{FieldType::AutoInc});
    }
    const int current = findOrder(orders, m_indexName);
    if (current < 0)
        throw EDatabaseError(QStringLiteral("Index '%1' not found").arg(m_indexName));

    std::optional<FilterExpression> filter;
    if (m_filtered) {
        FilterExpression e = FilterExpression::parse(m_filter);
        e.bind(schema);
        if (!e.isEmpty())
            filter = std::move(e);
    }

    // The cached order counts only if it lists every row once per index and is in key order.
    std::vector<TableRow*> all;
    all.reserve(rows.size());
    for (auto& [id, row] : rows)
        all.push_back(&row);
    bool cacheOk = false;
    try {
        if (auto cached = store->loadIndexOrder(); cached && cached->size() == size_t(schema.indexes.size())) {
            cacheOk = true;
            for (size_t i = 0; i < cached->size() && cacheOk; ++i) {
                const std::vector<quint32>& slotList = (*cached)[i];
                std::vector<TableRow*> list;
                list.reserve(slotList.size());
                for (quint32 slot : slotList) {
                    auto it = bySlot.find(slot);
                    if (it == bySlot.end())
                        break;
                    list.push_back(it->second);
                }
                cacheOk = list.size() == slotList.size() && list.size() == all.size() && orders[i].adopt(std::move(list));
            }
        }
    } catch (const EDatabaseError&) {
        cacheOk = false; // the .idx file is only a cache
    }
    for (size_t i = 0; i < orders.size(); ++i) {
        if (!cacheOk || i >= size_t(schema.indexes.size()))
            orders[i].build(all);
    }

    // Everything is in place: take it over.
    s.store = std::move(store);
    s.schema = schema;
    s.recordIdField = recordIdField;
    s.rows = std::move(rows);
    s.orders = std::move(orders);
    s.current = current;
    s.ordersChanged = !cacheOk;
    s.activeFilter = std::move(filter);
    s.buffer.clear();
    s.modified = false;
    s.editedId = 0;

    bool sameFields = s.fields.size() == size_t(schema.fields.size());
    for (size_t i = 0; sameFields && i < s.fields.size(); ++i)
        sameFields = s.fields[i]->m_def == schema.fields.at(qsizetype(i));
    if (!sameFields) {
        // Field objects outlive a close, so references taken while open stay valid for a reopen.
        s.fields.clear();
        for (qsizetype i = 0; i < schema.fields.size(); ++i)
            s.fields.push_back(std::unique_ptr<Field>(new Field(this, int(i), schema.fields.at(i))));
    }
    m_fieldDefs = schema.fields;
    m_indexDefs = schema.indexes;

    applyFilter();
    m_state = TableState::Browse;
    s.pos = passingFrom(0, 1);
    s.bof = true;
    s.eof = s.pos < 0;
    sendActiveChanged();
    sendStateChanged();
    sendRecordChanged();
}

void Table::close()
{
    if (!active())
        return;
    Impl& s = *d;
    // Changes of a row still in Edit or Insert are dropped, as the class library does.
    if (s.ordersChanged) {
        try {
            std::vector<std::vector<quint32>> order;
            for (qsizetype i = 0; i < s.schema.indexes.size(); ++i) {
                std::vector<quint32> slotList;
                slotList.reserve(s.orders[size_t(i)].rows().size());
                for (const TableRow* r : s.orders[size_t(i)].rows())
                    slotList.push_back(r->slot);
                order.push_back(std::move(slotList));
            }
            s.store->saveIndexOrder(order);
        } catch (...) {
            // The .idx file is only a cache of the order: the next open rebuilds it.
        }
    }
    s.store.reset();
    s.orders.clear();
    s.rows.clear();
    s.activeFilter.reset();
    s.passingCount = 0;
    s.buffer.clear();
    s.modified = false;
    s.editedId = 0;
    s.pos = -1;
    s.eof = s.bof = true;
    m_state = TableState::Inactive;
    sendStateChanged();
    sendActiveChanged();
}

void Table::setActive(bool on)
{
    if (on)
        open();
    else
        close();
}

void Table::checkActive() const
{
    if (!active())
        throw closedError();
}

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

int Table::fieldCount() const
{
    return int(d->fields.size());
}

Field& Table::field(int index)
{
    if (index < 0 || size_t(index) >= d->fields.size())
        throw EDatabaseError(QStringLiteral("Field index %1 out of range").arg(index));
    return *d->fields[size_t(index)];
}

Field* Table::findField(const QString& name)
{
    for (auto& f : d->fields) {
        if (f->fieldName() == name)
            return f.get();
    }
    for (auto& f : d->fields) {
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    }
    return nullptr;
}

Field& Table::fieldByName(const QString& name)
{
    if (Field* f = findField(name))
        return *f;
    throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
}

const QVariant& Table::readValue(int field) const
{
    static const QVariant empty;
    if (!active())
        return empty;
    if (m_state == TableState::Edit || m_state == TableState::Insert)
        return d->buffer.at(field);
    const TableRow* row = d->currentRow();
    return row ? row->values.at(field) : empty;
}

void Table::checkWritable(int field) const
{
    checkActive();
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    if (field == d->recordIdField)
        throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(d->schema.fields.at(field).name));
}

void Table::writeValue(int field, const QVariant& v)
{
    checkWritable(field);
    d->buffer[field] = v;
    d->modified = true;
}
