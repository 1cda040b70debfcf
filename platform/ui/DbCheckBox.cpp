// DbCheckBox: a check box that follows the current row of a data source and writes one field.

#include "DbControls.h"

#include "Application.h"

#include "platform/table/Table.h"

#include <QKeyEvent>

DbCheckBox::DbCheckBox(QWidget* parent) : QCheckBox(parent) {}

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
