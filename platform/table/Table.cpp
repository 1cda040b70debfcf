// Table: naming, creation, open and close, and field access.
// Navigation and key search are in TableNavigation.cpp, changing rows and filters in
// TableEdit.cpp, the links in DataSource.cpp.

#include "Table.h"

#include "DataSource.h"
#include "FieldValue.h"
#include "TableImpl.h"

#include "platform/core/Exception.h"

#include <algorithm>
#include <unordered_map>

namespace {

const QString RecordIdName = QStringLiteral("RecordID");

EDatabaseError closedError()
{
    return EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
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
    // Rows by slot, to read the cached order; slots are dense (deleted rows' slots are reused).
    quint32 slotEnd = 0;
    for (const TableStore::Row& r : store->rows())
        slotEnd = std::max(slotEnd, r.slot + 1);
    std::vector<TableRow*> bySlot(slotEnd, nullptr);
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
                    if (slot >= bySlot.size() || !bySlot[slot])
                        break;
                    list.push_back(bySlot[slot]);
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
    s.defaults.clear();
    try {
        for (const FieldDef& f : schema.fields)
            s.defaults.append(FieldValue::fromDefault(f));
    } catch (const Exception&) {
        s.defaults.clear(); // append reads them again and reports the error there
    }

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
