#pragma once

// What the fuzz targets and the seed maker share: the project table's definition and the way
// one fuzz input holds the three files of a table.

#include "platform/table/MemoryFileSystem.h"
#include "platform/table/Table.h"
#include "tests/support/ProjectTableDefinition.h"

#include <QByteArray>
#include <QString>

namespace FuzzTable {

inline const QString kFolder = QStringLiteral("/db");
inline const QString kTableName = QStringLiteral("Trip.dat");

// The fields and indexes of a project table, as the program creates it.
using ::defineProjectTable;

// One input is: u32 length of .dat, u32 length of .idx (little-endian), the .dat bytes, the
// .idx bytes, and the rest is .blb. Lengths past the end are cut to what is there.
// 0xFFFFFFFF as the .idx length means there is no .idx file.
QByteArray join(const QByteArray& dat, const QByteArray* idx, const QByteArray& blb);
// Puts the three files of an input into fs under kFolder.
void split(const QByteArray& input, MemoryFileSystem& fs);
// Recomputes the checksums of the .dat header, every row copy, the .blb header and the .idx,
// so mutations reach the code behind the checksum tests (document checksums are left alone).
void sealChecksums(MemoryFileSystem& fs);

} // namespace FuzzTable
