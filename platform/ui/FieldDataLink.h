#pragma once

#include "platform/table/DataSource.h"

#include <QString>

class Field;
class Table;

// The link of a control bound to one field of a data source's table: attaching, choosing the
// field, finding it in the current row, and reloading the control when the row, the state or
// the open state changes. The control supplies reload() and updateData().
class FieldDataLink : public DataLink
{
public:
    // Attaches to a source and reloads (nullptr detaches). A change not yet handed over is
    // first handed to the field of a row being edited; the field's error propagates then.
    void setDataSource(DataSource* source);
    void setDataField(const QString& fieldName);
    QString dataField() const { return m_fieldName; }
    // The bound field of the current row, or nullptr while not attached or closed.
    Field* field() const;

    void activeChanged() override;
    void recordChanged() override;
    // Reloads unless the table went back to browse (a post or cancel reloads the row anyway).
    void stateChanged() override;

protected:
    // The attached source's table, or nullptr.
    Table* boundTable() const;
    // Whether the table is in edit or insert.
    bool editing() const;
    // Shows the field of the current row again; a change not handed over is discarded.
    virtual void reload() = 0;

    // A change made in the control and not yet handed to the field.
    bool m_modified = false;

private:
    QString m_fieldName;
};
