#pragma once

#include "platform/core/DateTime.h"
#include "platform/table/DataSource.h"
#include "platform/ui/FieldDataLink.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QString>

class Field;
class QInputMethodEvent;
class Table;

// A line edit bound to one field of a data source's table.
// - Shows the current row's field: its display text (currency in the regional format) while
//   the control does not have the focus, its edit text while it has.
// - Reloads when the current row changes, when the table enters edit or insert, when a new
//   row begins; text not yet handed to the field is discarded then.
// - Typing while the table browses first asks the data source to edit (a new row on an
//   empty table); when that fails the key is refused.
// - Hands changed text to the field on "update data" (before a post and before the table
//   leaves a changed row); text the field refuses raises the field's conversion error and
//   the field keeps its old value.
// - Accepts at most the field's size in characters; empty and read-only while the table is
//   closed or the control is not attached.
class DbEdit : public QLineEdit, public FieldDataLink
{
    Q_OBJECT
public:
    explicit DbEdit(QWidget* parent = nullptr);

    // setDataSource attaches to a source and shows its field (nullptr detaches: empty and
    // read-only). Text typed and not yet handed over is first handed to the field of a row
    // being edited, so detaching never drops it silently; the field's conversion error
    // propagates then. setDataField, dataField and field come with it from FieldDataLink.

    // Text typed, or set by setText, and not yet handed to the field. Only typing puts the
    // row into edit; text set while the row browses is discarded when the row enters edit.
    bool isModified() const { return m_modified; }

    void updateData() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void reload() override;
    // Shows the field's edit or display text unless typed text is pending.
    void showFieldText();
    bool beginEdit();
    void textEditedByUser();
    bool m_loading = false;
};

// A check box bound to a Boolean field: ticked writes the checked value ("True"), unticked the
// unchecked one ("False"). A click while browsing puts the row into edit first (a new row on
// an empty table); when that fails the click is refused. An empty field shows unticked.
class DbCheckBox : public QCheckBox, public FieldDataLink
{
    Q_OBJECT
public:
    explicit DbCheckBox(QWidget* parent = nullptr);

    // setDataSource attaches to a source and shows its field; a pending change is handed over
    // first, as for DbEdit. setDataField, dataField and field come from FieldDataLink.

    void setValueChecked(const QString& v) { m_valueChecked = v; }
    void setValueUnchecked(const QString& v) { m_valueUnchecked = v; }
    bool isModified() const { return m_modified; }

    void updateData() override;

protected:
    void nextCheckState() override;
    // Escape drops a change not yet handed to the field.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void reload() override;
    QString m_valueChecked = QStringLiteral("True");
    QString m_valueUnchecked = QStringLiteral("False");
};
