// DbCheckBox: a check box that follows the current row of a data source and writes one field.

#include "DbControls.h"

#include "Application.h"

#include "platform/table/Table.h"

#include <QKeyEvent>

namespace {

Table* tableOf(const DataLink& link)
{
    return link.dataSource() ? link.dataSource()->dataSet() : nullptr;
}

bool isEditState(const Table* table)
{
    return table && (table->state() == TableState::Edit || table->state() == TableState::Insert);
}

} // namespace

DbCheckBox::DbCheckBox(QWidget* parent) : QCheckBox(parent) {}

void DbCheckBox::setDataSource(DataSource* source)
{
    if (source == dataSource())
        return;
    if (m_modified && isEditState(tableOf(*this)))
        updateData();
    DataLink::setDataSource(source);
    reload();
}

void DbCheckBox::setDataField(const QString& fieldName)
{
    m_fieldName = fieldName;
    reload();
}

Field* DbCheckBox::field() const
{
    Table* table = tableOf(*this);
    if (!table || !table->active() || m_fieldName.isEmpty())
        return nullptr;
    return table->findField(m_fieldName);
}

bool DbCheckBox::editing() const
{
    return isEditState(tableOf(*this));
}

void DbCheckBox::activeChanged()
{
    reload();
}

void DbCheckBox::recordChanged()
{
    reload();
}

void DbCheckBox::stateChanged()
{
    const Table* table = tableOf(*this);
    if (!table || table->state() != TableState::Browse)
        reload();
}

void DbCheckBox::updateData()
{
    if (!m_modified)
        return;
    if (Field* f = field())
        f->setAsString(isChecked() ? m_valueChecked : m_valueUnchecked);
    m_modified = false;
}

void DbCheckBox::reload()
{
    m_modified = false;
    const Field* f = field();
    bool on = false;
    if (f && !f->isNull()) {
        if (f->dataType() == FieldType::Boolean)
            on = f->asBoolean();
        else
            on = f->asString().compare(m_valueChecked, Qt::CaseInsensitive) == 0;
    }
    setChecked(on);
}

void DbCheckBox::nextCheckState()
{
    // A click on a closed table, or one the row cannot be edited for, changes nothing.
    if (!field())
        return;
    if (!editing()) {
        bool ok = false;
        try {
            ok = dataSource()->edit();
        } catch (const std::exception& e) {
            Application::showException(e);
        }
        if (!ok)
            return;
    }
    // Entering edit reloaded the box from the field; the click toggles that state.
    QCheckBox::nextCheckState();
    m_modified = true;
}

void DbCheckBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_modified) {
        reload();
        event->accept();
        return;
    }
    QCheckBox::keyPressEvent(event);
}
