#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Field types of the class library that project tables use.
enum class FieldType
{
    String,   // text of at most size characters
    Date,     // whole days (DateTime without its fraction)
    Time,     // time of day (DateTime fraction only)
    Blob,     // untyped large object (bytes)
    Currency, // money, exact to a ten-thousandth
    Boolean,
    AutoInc,  // the engine's own row identifier (RecordID)
};

struct FieldDef
{
    int number = 0; // 1-based position
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // characters, for String
    bool required = false;
    QString defaultValue; // text as the class library writes it ("00:00:00", "False"), empty for none
    QString minimum, maximum, description;
    bool operator==(const FieldDef&) const = default;
};

enum IndexOption
{
    ixNone = 0,
    ixPrimary = 1,
    ixUnique = 2,
    ixDescending = 4,
    ixCaseInsensitive = 8,
};

struct IndexDef
{
    QString name;   // empty for the primary index
    QString fields; // field names joined by ";"
    int options = ixNone;
    QString descFields;
    bool operator==(const IndexDef&) const = default;

    QStringList fieldNames() const { return fields.split(QLatin1Char(';'), Qt::SkipEmptyParts); }
    bool isUnique() const { return options & (ixPrimary | ixUnique); }
};

// Properties given when a table is created.
struct TableProperties
{
    int localeId = 0;
    int userMajorVersion = 1;
    int userMinorVersion = 0;
    bool encrypted = false;
    QString description;
    int indexPageSize = 4096;
    int blobBlockSize = 512;
    qint64 lastAutoIncValue = -1; // -1: left to the engine
    bool operator==(const TableProperties&) const = default;
};

// Everything a table's files say about its shape. Every table also gets the engine's own
// row identifier field "RecordID" (FieldType::AutoInc) after the defined fields.
struct TableSchema
{
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    TableProperties properties;
    bool operator==(const TableSchema&) const = default;

    // Position in fields, or -1.
    int fieldIndex(const QString& name) const;
};
