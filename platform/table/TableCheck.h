#pragma once

#include "FileSystem.h"

#include <QList>
#include <QString>

// A look at a table's three files that changes nothing: magic numbers, versions, header
// checksums, both copies of every row slot, the index cache against the rows, and the
// document references. Every finding is reported, not only the first.
struct TableCheckFinding
{
    enum class Kind
    {
        Note,       // worth knowing, the table is sound (a stale index cache, a torn last write)
        Damage,     // the files do not hold what the engine wrote
        Unreadable, // not a table data file, a format this program does not read, or an I/O error
    };
    Kind kind = Kind::Note;
    QString file; // the file's name without its folder
    QString text; // one line
};

struct TableCheckResult
{
    QList<TableCheckFinding> findings;
    // What was read; zero where the check could not get that far.
    quint32 slotCount = 0;
    quint32 rows = 0;
    quint32 deletedRows = 0;
    quint32 documents = 0;
    quint64 documentBytes = 0;
    quint32 indexes = 0;

    enum class Verdict
    {
        Sound,
        Damaged,
        Unreadable,
    };
    // Unreadable when any finding is, else Damaged when any finding is damage, else Sound.
    Verdict verdict() const;
};

// Checks the table whose data file is datPath, reading its files through fs (opened read-only).
TableCheckResult checkTableFiles(FileSystem& fs, const QString& datPath);
