#pragma once

#include "FileSystem.h"
#include "Schema.h"

#include "platform/core/Currency.h"
#include "platform/core/DateTime.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class Table;
class DataSource;
class TableStore;
struct TableRow;

enum class TableState
{
    Inactive,
    Browse,
    Edit,
    Insert,
};

// One field of the table's current row (the row buffer while editing or inserting).
// Fields exist once the table has been opened and stay valid while it is closed (they read as
// empty then). Writing needs Edit or Insert, else EDatabaseError "Dataset not in edit or
// insert mode"; RecordID is never written.
class Field
{
public:
    const QString& fieldName() const { return m_def.name; }
    FieldType dataType() const { return m_def.type; }
    int size() const { return m_def.size; }
    bool required() const { return m_def.required; }
    int fieldNo() const { return m_def.number; }

    bool isNull() const;
    // Null for an empty field; otherwise QString, DateTime (double), Currency, bool, qint64 or
    // QByteArray by type.
    QVariant value() const;
    // Converts from any of those types or from text (as setAsString); a null QVariant empties.
    void setValue(const QVariant& v);
    void clear();

    // Text of the value: strings as they are; Date by the short date format, Time by the long
    // time format; Boolean "True"/"False"; Currency as a plain number (floatToStr);
    // Blob as its bytes (Latin-1); empty fields give "".
    QString asString() const;
    // Parses text by the field's type (regional formats); empty text empties the field.
    // A string longer than the field's size is cut to the size. Throws EConvertError on
    // text that is not a value of the type ("'abc' is not a valid currency value").
    void setAsString(const QString& text);
    bool asBoolean() const;
    void setAsBoolean(bool b);
    DateTime asDateTime() const; // 0 for an empty field
    void setAsDateTime(DateTime v); // Date keeps the whole part, Time the fraction
    double asFloat() const;
    void setAsFloat(double v);
    Currency asCurrency() const;
    void setAsCurrency(Currency v);
    QByteArray asBytes() const; // Blob content (read from the store on demand)
    void setAsBytes(const QByteArray& bytes);

    // What a bound control shows while browsing: Currency in the regional currency format;
    // the rest as asString().
    QString displayText() const;
    // What a bound control shows while editing: Currency as a fixed number with the
    // currency decimals; the rest as asString().
    QString editText() const;

private:
    friend class Table;
    Field(Table* table, int index, FieldDef def) : m_table(table), m_index(index), m_def(std::move(def)) {}
    Table* m_table;
    int m_index;
    FieldDef m_def;
};

// A position that survives index changes: the row's RecordID. 0 is no bookmark.
using Bookmark = qint64;

// A table of the embedded engine: create, open, navigate in the order of an index, search
// by key, filter, and change rows through the states of the class library's data sets.
//
// Leaving a row that is being edited or inserted (first, next, prior, last, append, edit of
// another row, setIndexName, findKey, gotoBookmark) first asks bound controls to hand over
// their text (DataSource "update data"), then posts the row if any field changed and
// cancels it otherwise. Errors are EDatabaseError.
class Table : public QObject
{
    Q_OBJECT
public:
    explicit Table(QObject* parent = nullptr);
    ~Table() override;

    // Replaces the file layer (tests); the default is realFileSystem(). Only while closed.
    void setFileSystem(FileSystem* fs);

    // Naming, on a closed table: the folder and the data file name with ".dat".
    void setDatabaseName(const QString& folder);
    QString databaseName() const { return m_databaseName; }
    void setTableName(const QString& fileName);
    QString tableName() const { return m_tableName; }
    QString dataFilePath() const; // folder + "/" + table name

    // Definitions used by createTable (and filled from the files on open).
    QList<FieldDef>& fieldDefs() { return m_fieldDefs; }
    QList<IndexDef>& indexDefs() { return m_indexDefs; }
    void addFieldDef(int number, const QString& name, FieldType type, int size, bool required,
                     const QString& defaultValue = QString());
    void addIndexDef(const QString& name, const QString& fields, int options, const QString& descFields = {});
    // Creates the three files from the definitions; the table stays closed.
    // Throws "The table '%s' already exists" when the files are there.
    void createTable(const TableProperties& properties = {});
    bool exists() const;

    void open();
    // Drops the changes of a row still in Edit or Insert (call checkBrowseMode() first to keep
    // them) and saves the index order cache; never throws.
    void close();
    bool active() const { return m_state != TableState::Inactive; }
    void setActive(bool on);
    TableState state() const { return m_state; }
    const TableSchema& schema() const;

    // "" selects the primary index, another name the index of that name; the current row
    // stays current. Throws "Index '%s' not found" for an unknown name.
    QString indexName() const { return m_indexName; }
    void setIndexName(const QString& name);

    void first(); // sets bof()
    void next();  // at the last row sets eof() and stays
    void prior(); // at the first row sets bof() and stays
    void last();  // sets eof(), as the class library does
    bool eof() const;
    bool bof() const;
    bool isEmpty() const { return recordCount() == 0; }
    // Rows that pass the filter.
    int recordCount() const;
    // Position of the current row in the current order and filter, from 1; 0 for a row
    // being inserted or on an empty table.
    int recNo() const;

    Bookmark bookmark() const;
    // Throws "Record not found" if the row is gone or filtered out.
    void gotoBookmark(Bookmark b);
    void freeBookmark(Bookmark) {}
    bool bookmarkValid(Bookmark b) const;

    // Exact match of values on the leading fields of an index (the current one, or the named
    // one without changing the order in force); on success the first match in that index's
    // order becomes current and true is returned, otherwise nothing moves.
    bool findKey(const QVariantList& values);
    bool findKeyOnIndex(const QString& indexName, const QVariantList& values);

    int fieldCount() const;
    Field& field(int index);
    // Throws EDatabaseError "Field '%s' not found".
    Field& fieldByName(const QString& name);
    Field* findField(const QString& name);
    QVariant fieldValue(const QString& name) { return fieldByName(name).value(); }
    void setFieldValue(const QString& name, const QVariant& v) { fieldByName(name).setValue(v); }

    // A new row with the fields' defaults, placed after the last row; Insert state.
    void append();
    // Edit state on the current row; does nothing in Edit or Insert; on a table without rows
    // it begins a new row (append) instead.
    void edit();
    // Stores the row in Edit or Insert: takes the bound controls' text first, then refuses an
    // empty required field ("Field '%s' must have a value") and a duplicate of a unique index
    // ("Key violation: ..." naming the index's fields). On refusal the state and values stay.
    void post();
    // Drops the changes of the row in Edit or Insert; back to Browse. After a dropped new row
    // the last row is current (as after any append).
    void cancel();
    // Removes the current row (a row in Insert is cancelled instead; pending changes of a row
    // in Edit go with it); the next row becomes current, or the previous one after the last,
    // with eof() set. Throws "Cannot perform this operation on an empty dataset" without a row.
    void deleteRecord();
    // Posts the row in Edit or Insert if it was changed, cancels it otherwise.
    void checkBrowseMode();
    // True when a field of the row in Edit or Insert has been changed.
    bool modified() const;

    // Filter expression: field names in double quotes, constants in single quotes (a date in
    // the regional short date format, '' for a quote), numbers, True/False, the operators
    // = <> < > <= >=, and/or/not and parentheses. An expression that does not parse throws
    // when the filter is switched on (or set while on), and the filter in force stays as it was.
    // Switching the filter on or off, or changing it while on, makes the first row current.
    // A row changed so that it no longer passes stays current until the table leaves it.
    void setFilter(const QString& expression);
    QString filter() const { return m_filter; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // While disabled, data sources are not told of moves or state changes (a scan);
    // enableControls tells them once that the data set changed. "Update data" is still sent,
    // so text typed into a control is not lost when a scan leaves the row.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

private:
    friend class Field;
    friend class DataSource;
    struct Impl;

    void checkActive() const; // "Cannot perform this operation on a closed dataset"
    void setState(TableState s);
    void sendRecordChanged();
    void sendStateChanged();
    void sendActiveChanged();
    void sendUpdateData();
    // Before moving away from the current row: hands over control text, posts or cancels.
    void leaveRow();
    void buildOrders();
    void applyFilter();
    // First position from pos going by step (+1/-1) whose row passes the filter, or -1.
    int passingFrom(int pos, int step) const;
    // Makes row current in the order in force (nullptr: no row); eof and bof cleared.
    void placeOn(const TableRow* row);
    bool locateKey(int orderIndex, const QVariantList& values);
    void postRow();
    const QVariant& readValue(int field) const;
    void checkWritable(int field) const;
    void writeValue(int field, const QVariant& v);

    std::unique_ptr<Impl> d;
    QString m_databaseName, m_tableName, m_indexName, m_filter;
    QList<FieldDef> m_fieldDefs;
    QList<IndexDef> m_indexDefs;
    TableState m_state = TableState::Inactive;
    bool m_filtered = false;
    int m_disableCount = 0;
};
