// Fuzzes opening a table from arbitrary files: the input is split into .dat, .idx and .blb
// (see FuzzTable.h), the files are checked, the table is opened and every index walked both ways, reading every
// field and document; then a row is changed and the table closed. Damage must end in an
// EDatabaseError (or a rebuilt order), never a crash, a hang or undefined behaviour.

#include "FuzzTable.h"

#include "platform/core/Exception.h"
#include "platform/table/TableCheck.h"

#include <cstddef>
#include <cstdint>

namespace {

void readRow(Table& table)
{
    for (int i = 0; i < table.fieldCount(); ++i) {
        Field& f = table.field(i);
        (void)f.value();
        (void)f.isNull();
        if (f.dataType() == FieldType::Blob) {
            try {
                (void)f.asBytes();
            } catch (const EDatabaseError&) {
                // a document that fails its checksum is refused when read
            }
        } else {
            (void)f.asString();
            (void)f.displayText();
        }
    }
}

void walk(Table& table)
{
    int forward = 0;
    for (table.first(); !table.eof(); table.next()) {
        readRow(table);
        (void)table.recNo();
        ++forward;
    }
    int backward = 0;
    for (table.last(); !table.bof(); table.prior())
        ++backward;
    if (forward != table.recordCount() || backward != forward)
        __builtin_trap(); // an order that does not list each row once
}

void openAndUse(MemoryFileSystem& fs)
{
    // The read-only check reports damage as findings; it must never fail on any bytes.
    (void)checkTableFiles(fs, FuzzTable::kFolder + QLatin1Char('/') + FuzzTable::kTableName).verdict();
    Table table;
    table.setFileSystem(&fs);
    table.setDatabaseName(FuzzTable::kFolder);
    table.setTableName(FuzzTable::kTableName);
    try {
        table.open();
    } catch (const EDatabaseError&) {
        return;
    }
    try {
        for (const IndexDef& index : table.schema().indexes) {
            table.setIndexName(index.name);
            walk(table);
        }
        table.setIndexName(QString());
        table.setFilter(QStringLiteral("\"Start date\" >= '01/01/2026' or \"Booked\" = True"));
        table.setFiltered(true);
        walk(table);
        table.setFiltered(false);
        // A change over whatever the files held: an edit of the first row and a new row.
        table.first();
        if (!table.eof() && table.findField(QStringLiteral("Event"))) {
            table.edit();
            table.fieldByName(QStringLiteral("Event")).setAsString(QStringLiteral("fuzzed"));
            table.post();
        }
        table.append();
        for (int i = 0; i < table.fieldCount(); ++i)
            if (table.field(i).dataType() == FieldType::String)
                table.field(i).setAsString(QStringLiteral("x"));
        table.post();
        if (!table.isEmpty())
            table.deleteRecord();
    } catch (const Exception&) {
        // refused changes and damaged rows are errors the user sees, not faults
    }
    table.close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    MemoryFileSystem fs;
    FuzzTable::split(input, fs);
    openAndUse(fs);
    // Again with every checksum made to fit, to reach what lies behind them.
    MemoryFileSystem sealed;
    FuzzTable::split(input, sealed);
    FuzzTable::sealChecksums(sealed);
    openAndUse(sealed);
    return 0;
}
