#pragma once

#include <QList>
#include <QObject>

class Table;
class Field;
class DataSource;

// What a bound control follows. Every hook is optional.
class DataLink
{
public:
    virtual ~DataLink();
    DataSource* dataSource() const { return m_source; }
    // Attaches to a source (nullptr detaches).
    void setDataSource(DataSource* source);

    // The table opened or closed.
    virtual void activeChanged() {}
    // The current row moved, was reloaded, or the whole data set changed (after a scan).
    virtual void recordChanged() {}
    // The table's state changed (browse, edit, insert, inactive).
    virtual void stateChanged() {}
    // The table is about to post or leave a changed row: hand changed text to the fields.
    virtual void updateData() {}

private:
    DataSource* m_source = nullptr;
};

// Connects a table to bound controls. With autoEdit on, edit() puts the table into Edit
// (a new row on an empty table).
class DataSource : public QObject
{
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);
    ~DataSource() override;

    Table* dataSet() const { return m_table; }
    void setDataSet(Table* table);
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool on) { m_autoEdit = on; }
    // Asks the table to enter Edit when it is browsing and autoEdit is on. Returns whether the
    // table is now in Edit or Insert.
    bool edit();

    // Used by Table to notify the links.
    void notifyActiveChanged();
    void notifyRecordChanged();
    void notifyStateChanged();
    void notifyUpdateData();

private:
    friend class DataLink;
    Table* m_table = nullptr;
    bool m_autoEdit = true;
    QList<DataLink*> m_links;
};
