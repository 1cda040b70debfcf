// Fuzzes the filter expression: parse any text, write it back and parse that again (the same
// tree must come back), bind it to a project table and evaluate it on its rows, and switch it
// on in a table. Errors must be EDatabaseError (or EConvertError for a constant), nothing else.

#include "FuzzTable.h"

#include "platform/core/Exception.h"
#include "platform/table/Filter.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

struct Fixture
{
    MemoryFileSystem fs;
    Table table;
    std::unique_ptr<TableStore> store;

    Fixture()
    {
        fs.addFolder(FuzzTable::kFolder);
        table.setFileSystem(&fs);
        table.setDatabaseName(FuzzTable::kFolder);
        table.setTableName(FuzzTable::kTableName);
        FuzzTable::defineProjectTable(table);
        table.createTable();
        table.open();
        const struct
        {
            const char* event;
            const char* date;
            const char* cost;
            bool booked;
        } rows[] = {{"Flight", "12/01/2026", "120.5", true}, {"Hotel", "", "", false}, {"O'Brien's", "01/31/2027", "-3", true}};
        for (const auto& r : rows) {
            table.append();
            table.fieldByName(QStringLiteral("Event")).setAsString(QString::fromUtf8(r.event));
            table.fieldByName(QStringLiteral("Start date")).setAsString(QString::fromUtf8(r.date));
            table.fieldByName(QStringLiteral("Cost")).setAsString(QString::fromUtf8(r.cost));
            table.fieldByName(QStringLiteral("Booked")).setAsBoolean(r.booked);
            table.post();
        }
        store = TableStore::open(fs, FuzzTable::kFolder + QLatin1Char('/') + FuzzTable::kTableName);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture f;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        FilterExpression e = FilterExpression::parse(text);
        const QString canonical = e.toString();
        if (FilterExpression::parse(canonical).toString() != canonical)
            __builtin_trap(); // writing back must give text that parses to the same tree
        e.bind(f.store->schema());
        for (const TableStore::Row& row : f.store->rows())
            (void)e.matches(row.values);
    } catch (const EDatabaseError&) {
    } catch (const EConvertError&) {
    }
    try {
        f.table.setFilter(text);
        f.table.setFiltered(true);
        for (f.table.first(); !f.table.eof(); f.table.next())
            (void)f.table.fieldByName(QStringLiteral("Event")).asString();
    } catch (const EDatabaseError&) {
    } catch (const EConvertError&) {
    }
    f.table.setFiltered(false);
    return 0;
}
