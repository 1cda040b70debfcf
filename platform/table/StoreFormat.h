#pragma once

// Byte layout of a table's three files (.dat, .idx, .blb), as FORMAT.md describes it.
// Every number is little-endian; every offset below is from the start of its file or record.

#include "Schema.h"
#include "TableStore.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cstring>

namespace StoreFormat {

constexpr quint32 kFormatVersion = 1;

// Common prefix of all three file headers.
constexpr int kMagicOffset = 0;          // 8 bytes, one value per file kind
constexpr int kMagicSize = 8;
constexpr int kVersionOffset = 8;        // u32 format version
constexpr int kHeaderSizeOffset = 12;    // u32: .dat offset of slot 0, .blb offset of block 0, .idx file size
constexpr int kTableIdOffset = 16;       // 16 random bytes, the same in the three files of one table
constexpr int kTableIdSize = 16;
constexpr int kLocaleOffset = 32;        // i32 locale identifier
constexpr int kUserMajorOffset = 36;     // u16
constexpr int kUserMinorOffset = 38;     // u16
constexpr int kIndexPageSizeOffset = 40; // u32
constexpr int kBlobBlockSizeOffset = 44; // u32
constexpr int kCommonHeaderSize = 48;

inline const char kDatMagic[kMagicSize + 1] = "FernDAT\x1a";
inline const char kIdxMagic[kMagicSize + 1] = "FernIDX\x1a";
inline const char kBlbMagic[kMagicSize + 1] = "FernBLB\x1a";

// .dat header after the common prefix; the schema follows, then the header checksum.
constexpr int kDatFlagsOffset = 48;        // u32, bit 0 encrypted (never set: refused at creation)
constexpr int kDatCopySizeOffset = 52;     // u32 size of one row copy
constexpr int kDatLastAutoIncOffset = 56;  // i64 last auto-increment value given at creation
constexpr int kDatSchemaLengthOffset = 64; // u32 S
constexpr int kDatSchemaOffset = 68;       // S bytes of schema, then u32 CRC-32C of [0, 68 + S)
constexpr int kDatHeaderAlign = 512;       // slot 0 starts at the next multiple of this
constexpr int kMaxSchemaLength = 1 << 20;

// One row slot is two copies of kCopy* layout, copy 0 then copy 1.
constexpr int kCopySeqOffset = 0;        // u64 sequence number of the write (from 1)
constexpr int kCopySlotOffset = 8;       // u32 the slot's own number
constexpr int kCopyStateOffset = 12;     // u32 kStateRow or kStateDeleted
constexpr int kCopyHighestIdOffset = 16; // i64 highest RecordID issued in the table at this write
constexpr int kCopySlotCountOffset = 24; // u32 slots the table has after this write
constexpr int kCopyPayloadOffset = 28;   // field values; CRC-32C of the copy's other bytes in its last 4
constexpr int kCopyTrailerSize = 4;
constexpr quint32 kStateRow = 1;
constexpr quint32 kStateDeleted = 2;

// Field value sizes in a row payload. Each field is a presence byte (0 empty, 1 set) and its value.
constexpr int kPresenceSize = 1;
constexpr int kStringLengthSize = 2; // u16 count of UTF-16 code units, then 2 units per character of size
constexpr int kDoubleSize = 8;       // Date, Time: IEEE double bits
constexpr int kCurrencySize = 8;     // i64 ten-thousandths
constexpr int kBooleanSize = 1;
constexpr int kAutoIncSize = 8;      // i64
constexpr int kBlobRefSize = 12;     // u32 first block, u32 length, u32 CRC-32C of the content
constexpr int kMaxStringSize = 8192; // characters

// Field type codes in the stored schema.
constexpr quint8 kTypeString = 1;
constexpr quint8 kTypeDate = 2;
constexpr quint8 kTypeTime = 3;
constexpr quint8 kTypeBlob = 4;
constexpr quint8 kTypeCurrency = 5;
constexpr quint8 kTypeBoolean = 6;
constexpr quint8 kTypeAutoInc = 7;

// .blb header after the common prefix.
constexpr int kBlbHeaderCrcOffset = 48; // u32 CRC-32C of [0, 48)
constexpr int kBlbHeaderUsed = 52;
constexpr int kBlbDataOffset = 512;     // block n starts at 512 + n * block size

// .idx after the common prefix; the file ends with a CRC-32C of everything before it.
constexpr int kIdxSeqOffset = 48;        // u64 highest committed sequence number of .dat it matches
constexpr int kIdxDigestOffset = 56;     // u64 digest of the live (slot, sequence) pairs
constexpr int kIdxRowCountOffset = 64;   // u32 live rows
constexpr int kIdxIndexCountOffset = 68; // u32, then per index: definition, u32 n, n u32 slots
constexpr int kIdxFixedSize = 72;

constexpr int kCrcSize = 4;

// CRC-32C (Castagnoli), as iSCSI and ext4 use it.
// Uses the processor's crc32 instruction where there is one.
quint32 crc32c(const char* data, qsizetype length, quint32 crc = 0);
// The same checksum from tables alone (what crc32c falls back to); tests compare the two.
quint32 crc32cPortable(const char* data, qsizetype length, quint32 crc = 0);
inline quint32 crc32c(const QByteArray& data) { return crc32c(data.constData(), data.size()); }

quint8 typeCode(FieldType type);
bool typeFromCode(quint8 code, FieldType* type);
// Bytes of one field's value (presence byte included) in a row payload.
int fieldPayloadSize(const FieldDef& field);
int copySize(const TableSchema& schema);

// Mixes a live row's slot and sequence into the order-independent state digest.
quint64 digestTerm(quint32 slot, quint64 seq);

template<typename T> inline void put(char* at, T value) { qToLittleEndian<T>(value, at); }
template<typename T> inline T get(const char* at) { return qFromLittleEndian<T>(at); }
inline void putDouble(char* at, double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    put<quint64>(at, bits);
}
inline double getDouble(const char* at)
{
    const quint64 bits = get<quint64>(at);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Appends little-endian values; strings as u32 count of UTF-16 units and the units.
class Writer
{
public:
    QByteArray bytes;
    void u8(quint8 v) { bytes.append(char(v)); }
    void u32(quint32 v);
    void u64(quint64 v);
    void str(const QString& s);
};

// Reads what Writer wrote; ok() turns false (and stays) at the first read past the end
// or a length that cannot be right.
class Reader
{
public:
    Reader(const char* data, qsizetype size) : m_data(data), m_size(size) {}
    quint8 u8();
    quint32 u32();
    quint64 u64();
    QString str();
    // Steps over n bytes (read in place by the caller); false past the end.
    bool skip(qsizetype n)
    {
        if (!take(n))
            return false;
        m_pos += n;
        return true;
    }
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos == m_size; }
    qsizetype pos() const { return m_pos; }

private:
    bool take(qsizetype n);
    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

// The schema part of the .dat header: fields (RecordID included), indexes, description.
QByteArray encodeSchema(const TableSchema& schema);
// False when the bytes are not a schema this program can use.
bool decodeSchema(const QByteArray& bytes, TableSchema* schema);
void writeIndexDef(Writer& w, const IndexDef& def);
// Empty when a stored or new schema is usable: names, types, sizes, indexes on existing
// fields, RecordID last; otherwise what is wrong.
QString schemaProblem(const TableSchema& schema);
IndexDef readIndexDef(Reader& r);

// A row's field values in payload bytes (copySize - kCopyPayloadOffset - kCopyTrailerSize).
// encodeRow takes checked values: one per field, Blob as BlobRef, strings that fit.
void encodeRow(const TableSchema& schema, const RowValues& values, char* payload);
// False when the bytes are not a row of this schema (a presence byte other than 0 or 1,
// a string longer than its room, a Boolean other than 0 or 1).
bool decodeRow(const TableSchema& schema, const char* payload, RowValues* values);

} // namespace StoreFormat
