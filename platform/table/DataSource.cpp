#include "DataSource.h"

#include "Table.h"
#include "TableImpl.h"

DataLink::~DataLink()
{
    setDataSource(nullptr);
}

void DataLink::setDataSource(DataSource* source)
{
    if (m_source == source)
        return;
    if (m_source)
        m_source->m_links.removeAll(this);
    m_source = source;
    if (m_source)
        m_source->m_links.append(this);
}

DataSource::DataSource(QObject* parent) : QObject(parent) {}

DataSource::~DataSource()
{
    setDataSet(nullptr);
    const QList<DataLink*> links = m_links;
    for (DataLink* link : links)
        link->setDataSource(nullptr);
}

void DataSource::setDataSet(Table* table)
{
    if (m_table == table)
        return;
    if (m_table)
        m_table->d->sources.removeAll(this);
    m_table = table;
    if (m_table)
        m_table->d->sources.append(this);
    notifyActiveChanged();
}

bool DataSource::edit()
{
    if (!m_table)
        return false;
    if (m_autoEdit && m_table->state() == TableState::Browse)
        m_table->edit();
    return m_table->state() == TableState::Edit || m_table->state() == TableState::Insert;
}

namespace {

// Links are walked over a copy: a handler may attach or detach links, or destroy one.
void notifyLinks(const QList<DataLink*>& live, void (DataLink::*hook)())
{
    const QList<DataLink*> links = live;
    for (DataLink* link : links)
        if (live.contains(link))
            (link->*hook)();
}

} // namespace

void DataSource::notifyActiveChanged()
{
    notifyLinks(m_links, &DataLink::activeChanged);
}

void DataSource::notifyRecordChanged()
{
    notifyLinks(m_links, &DataLink::recordChanged);
}

void DataSource::notifyStateChanged()
{
    notifyLinks(m_links, &DataLink::stateChanged);
}

void DataSource::notifyUpdateData()
{
    notifyLinks(m_links, &DataLink::updateData);
}
