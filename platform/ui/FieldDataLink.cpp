// FieldDataLink: what every control bound to one field does with its data source.

#include "FieldDataLink.h"

#include "platform/table/Table.h"

void FieldDataLink::setDataSource(DataSource* source)
{
    if (source == dataSource())
        return;
    if (m_modified && editing())
        updateData();
    DataLink::setDataSource(source);
    reload();
}

void FieldDataLink::setDataField(const QString& fieldName)
{
    m_fieldName = fieldName;
    reload();
}

Field* FieldDataLink::field() const
{
    Table* table = boundTable();
    if (!table || !table->active() || m_fieldName.isEmpty())
        return nullptr;
    return table->findField(m_fieldName);
}

Table* FieldDataLink::boundTable() const
{
    return dataSource() ? dataSource()->dataSet() : nullptr;
}

bool FieldDataLink::editing() const
{
    const Table* table = boundTable();
    return table && (table->state() == TableState::Edit || table->state() == TableState::Insert);
}

void FieldDataLink::activeChanged()
{
    reload();
}

void FieldDataLink::recordChanged()
{
    reload();
}

void FieldDataLink::stateChanged()
{
    const Table* table = boundTable();
    if (!table || table->state() != TableState::Browse)
        reload();
}
