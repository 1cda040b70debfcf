#pragma once

// A project table in a temporary folder, with the schema the program creates.

#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"
#include "platform/table/Table.h"
#include "tests/support/ProjectTableDefinition.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

inline TableProperties projectProperties()
{
    TableProperties p;
    p.userMajorVersion = 2;
    p.userMinorVersion = 0;
    return p;
}

inline double day(int y, int m, int d)
{
    return DateTimeUtil::encodeDate(y, m, d);
}

inline double at(int h, int m = 0)
{
    return DateTimeUtil::encodeTime(h, m, 0);
}

// A created and opened project table in a folder of its own.
struct ProjectTable
{
    QTemporaryDir dir;
    std::unique_ptr<Table> table = std::make_unique<Table>();

    explicit ProjectTable(bool open = true)
    {
        table->setDatabaseName(dir.path());
        table->setTableName(QStringLiteral("Trip.dat"));
        defineProjectTable(*table);
        table->createTable(projectProperties());
        if (open)
            table->open();
    }

    Table& operator*() { return *table; }
    Table* operator->() { return table.get(); }

    // Appends and posts an event; a null date or time leaves the field empty.
    void add(const QString& name, QVariant date, QVariant time = QVariant())
    {
        table->append();
        table->fieldByName(QStringLiteral("Event")).setAsString(name);
        if (!date.isNull())
            table->fieldByName(QStringLiteral("Start date")).setValue(date);
        if (!time.isNull())
            table->fieldByName(QStringLiteral("Start time")).setValue(time);
        table->post();
    }

    // Event names in the order in force, from the first row; the current row is left at the end.
    QStringList names()
    {
        QStringList out;
        for (table->first(); !table->eof(); table->next())
            out.append(table->fieldByName(QStringLiteral("Event")).asString());
        return out;
    }

    QString current() { return table->fieldByName(QStringLiteral("Event")).asString(); }
};

// Runs code that must throw E with exactly message.
#define FG_VERIFY_THROWS_MESSAGE(E, code, text)                                                        \
    do {                                                                                                \
        try {                                                                                           \
            code;                                                                                       \
            QFAIL("no " #E " thrown by " #code);                                                         \
        } catch (const E& fgError) {                                                                    \
            QCOMPARE(fgError.message(), QString(text));                                                 \
        }                                                                                               \
    } while (false)
