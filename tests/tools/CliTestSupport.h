#pragma once

// Shared by the tool's tests: running one command line in-process, the files of a table,
// and a small project table made through the tool.

#include "tools/ferngrove-table/TableCli.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

namespace CliTest {

struct Result
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

inline Result run(const QStringList& args)
{
    QBuffer out, err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    Result r;
    r.code = runTableCli(args, out, err);
    r.out = out.data();
    r.err = err.data();
    return r;
}

// True when err is exactly one line (ending in a line feed).
inline bool oneLine(const QByteArray& err)
{
    return err.endsWith('\n') && err.count('\n') == 1 && !err.contains('\r');
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

// The bytes of the three files of a table (missing ones empty), to compare before and after.
inline QList<QByteArray> tableBytes(const QString& datPath)
{
    const QString base = datPath.left(datPath.size() - 4);
    return {readFile(base + QLatin1String(".dat")), readFile(base + QLatin1String(".idx")),
            readFile(base + QLatin1String(".blb"))};
}

// Four events with a duplicate name at another time and one document.
inline const QByteArray kSmallCsv =
    "Event,Start date,Start time,End date,End time,Cost,Booked,Paid,Document\r\n"
    "Museum,2026-07-08,10:00,2026-07-08,12:30,12.5,True,False,\r\n"
    "Ferry,2026-07-06,09:15,2026-07-06,11:00,340.25,True,True,\"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\b Pier 3\\b0\\par\r\nCafe, \\i deck\\i0\\par\r\n}\"\r\n"
    "Museum,2026-07-05,14:00,2026-07-05,16:00,,False,False,\r\n"
    "Dinner,2026-07-06,19:00,2026-07-06,21:00,0.0001,False,False,\r\n";

// Creates dir/Trip.dat and imports kSmallCsv into it; returns the .dat path.
inline QString makeSmallTable(const QString& dir)
{
    const QString dat = dir + QLatin1String("/Trip.dat");
    const QString csv = dir + QLatin1String("/small.csv");
    writeFile(csv, kSmallCsv);
    const Result created = run({QStringLiteral("create"), dat});
    if (created.code != 0)
        qWarning() << created.err;
    const Result imported = run({QStringLiteral("import"), dat, csv});
    if (imported.code != 0)
        qWarning() << imported.err;
    return dat;
}

} // namespace CliTest
