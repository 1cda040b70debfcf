// Writes the seed corpus of fuzz_table_files: small valid project tables (empty, a few rows
// with documents after edits and deletes, with and without the order cache), each as one input.
//
//   fuzz_make_seeds <folder>

#include "FuzzTable.h"

#include "platform/core/Exception.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <functional>

namespace {

QString filePath(const char* extension) { return FuzzTable::kFolder + QStringLiteral("/Trip") + QLatin1String(extension); }

void addRow(Table& t, const QString& event, const QString& date, const QByteArray& document, const QString& cost = {})
{
    t.append();
    t.fieldByName(QStringLiteral("Event")).setAsString(event);
    t.fieldByName(QStringLiteral("Start date")).setAsString(date);
    t.fieldByName(QStringLiteral("Cost")).setAsString(cost);
    t.fieldByName(QStringLiteral("Day")).setAsString(QStringLiteral("Mon"));
    if (!document.isNull())
        t.fieldByName(QStringLiteral("Document")).setAsBytes(document);
    t.post();
}

// Builds a table with fill, closes it and writes it as one input named name.
bool writeSeed(const QString& folder, const char* name, const std::function<void(Table&)>& fill, bool withIdx = true)
{
    MemoryFileSystem fs;
    fs.addFolder(FuzzTable::kFolder);
    Table t;
    t.setFileSystem(&fs);
    t.setDatabaseName(FuzzTable::kFolder);
    t.setTableName(FuzzTable::kTableName);
    FuzzTable::defineProjectTable(t);
    TableProperties p;
    p.userMajorVersion = 2;
    t.createTable(p);
    t.open();
    fill(t);
    t.close();
    const QByteArray idx = fs.fileData(filePath(".idx"));
    const QByteArray input = FuzzTable::join(fs.fileData(filePath(".dat")), withIdx ? &idx : nullptr, fs.fileData(filePath(".blb")));
    QFile out(folder + QLatin1Char('/') + QLatin1String(name));
    return out.open(QIODevice::WriteOnly) && out.write(input) == input.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const auto few = [](Table& t) {
        addRow(t, QStringLiteral("Flight"), QStringLiteral("12/01/2026"), QByteArray(700, 'a'), QStringLiteral("120.50"));
        addRow(t, QStringLiteral("Hotel"), QString(), QByteArray());
        addRow(t, QStringLiteral("東京"), QStringLiteral("12/03/2026"), QByteArray("{\\rtf1 Tokyo}"));
        t.first();
        t.edit();
        t.fieldByName(QStringLiteral("Document")).setAsBytes(QByteArray(1100, 'b'));
        t.post();
        t.last();
        t.deleteRecord();
    };
    bool ok = true;
    try {
        ok = ok && writeSeed(folder, "empty", [](Table&) {});
        ok = ok && writeSeed(folder, "one-row", [](Table& t) { addRow(t, QStringLiteral("Flight"), QStringLiteral("12/01/2026"), QByteArray()); });
        ok = ok && writeSeed(folder, "few-rows", few);
        ok = ok && writeSeed(folder, "few-rows-no-idx", few, false);
    } catch (const Exception& e) {
        std::fprintf(stderr, "fuzz_make_seeds: %s\n", e.what());
        return 1;
    }
    return ok ? 0 : 1;
}
