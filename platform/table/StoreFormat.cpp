#include "StoreFormat.h"

#include "platform/core/Currency.h"

#include <QSet>
#include <array>

#if defined(__x86_64__) && defined(__GNUC__)
#include <nmmintrin.h>
#define FERNGROVE_CRC32C_INSTRUCTION 1
#endif

namespace StoreFormat {

namespace {

// Eight 256-entry tables, so the checksum takes eight bytes per step (slicing-by-8):
// opening a large table checksums every row copy.
struct CrcTables
{
    std::array<std::array<quint32, 256>, 8> t{};
    CrcTables()
    {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? (c >> 1) ^ 0x82F63B78u : c >> 1;
            t[0][i] = c;
        }
        for (quint32 i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s)
                t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xff];
    }
};

const CrcTables& crcTables()
{
    static const CrcTables tables;
    return tables;
}

#ifdef FERNGROVE_CRC32C_INSTRUCTION
// The SSE 4.2 crc32 instruction computes this very checksum (reflected, bytes in memory
// order), several times faster than the tables; used when the processor has it.
__attribute__((target("sse4.2"))) quint32 crc32cInstruction(const char* data, qsizetype length, quint32 crc)
{
    auto p = reinterpret_cast<const uchar*>(data);
    quint64 c = ~crc;
    while (length >= 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        c = _mm_crc32_u64(c, word);
        p += 8;
        length -= 8;
    }
    quint32 c32 = quint32(c);
    while (length-- > 0)
        c32 = _mm_crc32_u8(c32, *p++);
    return ~c32;
}

bool hasCrc32cInstruction()
{
    static const bool has = __builtin_cpu_supports("sse4.2");
    return has;
}
#endif

} // namespace

quint32 crc32c(const char* data, qsizetype length, quint32 crc)
{
#ifdef FERNGROVE_CRC32C_INSTRUCTION
    if (hasCrc32cInstruction())
        return crc32cInstruction(data, length, crc);
#endif
    return crc32cPortable(data, length, crc);
}

quint32 crc32cPortable(const char* data, qsizetype length, quint32 crc)
{
    const auto& t = crcTables().t;
    auto p = reinterpret_cast<const uchar*>(data);
    crc = ~crc;
    while (length >= 8) {
        const quint32 lo = crc ^ (quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
        crc = t[7][lo & 0xff] ^ t[6][(lo >> 8) & 0xff] ^ t[5][(lo >> 16) & 0xff] ^ t[4][lo >> 24] ^ t[3][p[4]]
              ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        length -= 8;
    }
    while (length-- > 0)
        crc = (crc >> 8) ^ t[0][(crc ^ *p++) & 0xff];
    return ~crc;
}

quint8 typeCode(FieldType type)
{
    switch (type) {
    case FieldType::String: return kTypeString;
    case FieldType::Date: return kTypeDate;
    case FieldType::Time: return kTypeTime;
    case FieldType::Blob: return kTypeBlob;
    case FieldType::Currency: return kTypeCurrency;
    case FieldType::Boolean: return kTypeBoolean;
    case FieldType::AutoInc: return kTypeAutoInc;
    }
    return 0;
}

bool typeFromCode(quint8 code, FieldType* type)
{
    switch (code) {
    case kTypeString: *type = FieldType::String; return true;
    case kTypeDate: *type = FieldType::Date; return true;
    case kTypeTime: *type = FieldType::Time; return true;
    case kTypeBlob: *type = FieldType::Blob; return true;
    case kTypeCurrency: *type = FieldType::Currency; return true;
    case kTypeBoolean: *type = FieldType::Boolean; return true;
    case kTypeAutoInc: *type = FieldType::AutoInc; return true;
    }
    return false;
}

int fieldPayloadSize(const FieldDef& field)
{
    switch (field.type) {
    // Room for size characters even when every one needs a surrogate pair.
    case FieldType::String: return kPresenceSize + kStringLengthSize + 4 * field.size;
    case FieldType::Date:
    case FieldType::Time: return kPresenceSize + kDoubleSize;
    case FieldType::Blob: return kPresenceSize + kBlobRefSize;
    case FieldType::Currency: return kPresenceSize + kCurrencySize;
    case FieldType::Boolean: return kPresenceSize + kBooleanSize;
    case FieldType::AutoInc: return kPresenceSize + kAutoIncSize;
    }
    return 0;
}

int copySize(const TableSchema& schema)
{
    int size = kCopyPayloadOffset + kCopyTrailerSize;
    for (const FieldDef& f : schema.fields)
        size += fieldPayloadSize(f);
    return size;
}

quint64 digestTerm(quint32 slot, quint64 seq)
{
    // splitmix64 finaliser: a sum of these changes when any live (slot, sequence) pair does.
    quint64 z = (quint64(slot) << 40) ^ seq ^ 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void Writer::u32(quint32 v)
{
    char b[4];
    put<quint32>(b, v);
    bytes.append(b, 4);
}

void Writer::u64(quint64 v)
{
    char b[8];
    put<quint64>(b, v);
    bytes.append(b, 8);
}

void Writer::str(const QString& s)
{
    u32(quint32(s.size()));
    const qsizetype at = bytes.size();
    bytes.resize(at + 2 * s.size());
    qToLittleEndian<quint16>(s.constData(), s.size(), bytes.data() + at);
}

bool Reader::take(qsizetype n)
{
    if (!m_ok || n < 0 || n > m_size - m_pos) {
        m_ok = false;
        return false;
    }
    return true;
}

quint8 Reader::u8()
{
    if (!take(1))
        return 0;
    return quint8(m_data[m_pos++]);
}

quint32 Reader::u32()
{
    if (!take(4))
        return 0;
    const quint32 v = get<quint32>(m_data + m_pos);
    m_pos += 4;
    return v;
}

quint64 Reader::u64()
{
    if (!take(8))
        return 0;
    const quint64 v = get<quint64>(m_data + m_pos);
    m_pos += 8;
    return v;
}

QString Reader::str()
{
    const quint32 n = u32();
    if (!take(qsizetype(n) * 2))
        return {};
    QString s(qsizetype(n), Qt::Uninitialized);
    qFromLittleEndian<quint16>(m_data + m_pos, n, s.data());
    m_pos += qsizetype(n) * 2;
    return s;
}

void writeIndexDef(Writer& w, const IndexDef& def)
{
    w.str(def.name);
    w.str(def.fields);
    w.u32(quint32(def.options));
    w.str(def.descFields);
}

IndexDef readIndexDef(Reader& r)
{
    IndexDef def;
    def.name = r.str();
    def.fields = r.str();
    def.options = int(r.u32());
    def.descFields = r.str();
    return def;
}

QByteArray encodeSchema(const TableSchema& schema)
{
    Writer w;
    w.u32(quint32(schema.fields.size()));
    for (const FieldDef& f : schema.fields) {
        w.u32(quint32(f.number));
        w.u8(typeCode(f.type));
        w.u32(quint32(f.size));
        w.u8(f.required ? 1 : 0);
        w.str(f.name);
        w.str(f.defaultValue);
        w.str(f.minimum);
        w.str(f.maximum);
        w.str(f.description);
    }
    w.u32(quint32(schema.indexes.size()));
    for (const IndexDef& i : schema.indexes)
        writeIndexDef(w, i);
    w.str(schema.properties.description);
    return w.bytes;
}

bool decodeSchema(const QByteArray& bytes, TableSchema* schema)
{
    Reader r(bytes.constData(), bytes.size());
    TableSchema s;
    const quint32 fieldCount = r.u32();
    if (fieldCount > 4096)
        return false;
    for (quint32 i = 0; i < fieldCount && r.ok(); ++i) {
        FieldDef f;
        f.number = int(r.u32());
        if (!typeFromCode(r.u8(), &f.type))
            return false;
        f.size = int(r.u32());
        const quint8 required = r.u8();
        if (required > 1)
            return false;
        f.required = required == 1;
        f.name = r.str();
        f.defaultValue = r.str();
        f.minimum = r.str();
        f.maximum = r.str();
        f.description = r.str();
        s.fields.append(f);
    }
    const quint32 indexCount = r.u32();
    if (indexCount > 4096)
        return false;
    for (quint32 i = 0; i < indexCount && r.ok(); ++i)
        s.indexes.append(readIndexDef(r));
    s.properties.description = r.str();
    if (!r.ok() || !r.atEnd() || !schemaProblem(s).isEmpty())
        return false;
    *schema = s;
    return true;
}

QString schemaProblem(const TableSchema& schema)
{
    const auto& fields = schema.fields;
    if (fields.size() < 2 || fields.size() > 1024)
        return QStringLiteral("a table needs between 1 and 1023 fields");
    QSet<QString> names;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        if (f.name.isEmpty())
            return QStringLiteral("field %1 has no name").arg(i + 1);
        if (f.number != int(i) + 1)
            return QStringLiteral("field '%1' has number %2 instead of %3").arg(f.name).arg(f.number).arg(i + 1);
        const QString key = f.name.toCaseFolded();
        if (names.contains(key))
            return QStringLiteral("the field name '%1' is used twice").arg(f.name);
        names.insert(key);
        if (f.type == FieldType::String && (f.size < 1 || f.size > kMaxStringSize))
            return QStringLiteral("the text field '%1' needs a size from 1 to %2").arg(f.name).arg(kMaxStringSize);
        if (f.type != FieldType::String && f.size != 0)
            return QStringLiteral("the field '%1' cannot have a size").arg(f.name);
        const bool last = i == fields.size() - 1;
        if ((f.type == FieldType::AutoInc) != last)
            return QStringLiteral("the row identifier must be the one auto-increment field, after the others");
    }
    if (fields.last().name != QLatin1String("RecordID"))
        return QStringLiteral("the row identifier field must be named RecordID");
    int primaries = 0;
    QSet<QString> indexNames;
    for (const IndexDef& ix : schema.indexes) {
        if (ix.options & ixPrimary)
            ++primaries;
        if (indexNames.contains(ix.name.toCaseFolded()))
            return QStringLiteral("the index name '%1' is used twice").arg(ix.name);
        indexNames.insert(ix.name.toCaseFolded());
        const QStringList parts = ix.fieldNames();
        if (parts.isEmpty())
            return QStringLiteral("the index '%1' has no fields").arg(ix.name);
        for (const QString& p : parts) {
            if (schema.fieldIndex(p) < 0)
                return QStringLiteral("the index '%1' names the field '%2', which the table lacks").arg(ix.name, p);
            if (fields[schema.fieldIndex(p)].type == FieldType::Blob)
                return QStringLiteral("the index '%1' cannot use the document field '%2'").arg(ix.name, p);
        }
    }
    if (primaries > 1)
        return QStringLiteral("a table can have only one primary index");
    return {};
}

} // namespace StoreFormat

namespace StoreFormat {

void encodeRow(const TableSchema& schema, const RowValues& values, char* p)
{
    for (qsizetype i = 0; i < schema.fields.size(); ++i) {
        const FieldDef& f = schema.fields[i];
        const QVariant& v = values[i];
        const int size = fieldPayloadSize(f);
        std::memset(p, 0, size_t(size));
        if (!v.isNull()) {
            p[0] = 1;
            char* at = p + kPresenceSize;
            switch (f.type) {
            case FieldType::String: {
                const QString s = v.toString();
                put<quint16>(at, quint16(s.size()));
                qToLittleEndian<quint16>(s.constData(), s.size(), at + kStringLengthSize);
                break;
            }
            case FieldType::Date:
            case FieldType::Time: putDouble(at, v.toDouble()); break;
            case FieldType::Currency: put<qint64>(at, v.value<Currency>().units); break;
            case FieldType::Boolean: at[0] = v.toBool() ? 1 : 0; break;
            case FieldType::AutoInc: put<qint64>(at, v.toLongLong()); break;
            case FieldType::Blob: {
                const BlobRef ref = v.value<BlobRef>();
                put<quint32>(at, ref.firstBlock);
                put<quint32>(at + 4, ref.length);
                put<quint32>(at + 8, ref.checksum);
                break;
            }
            }
        }
        p += size;
    }
}

bool decodeRow(const TableSchema& schema, const char* p, RowValues* values)
{
    RowValues out;
    out.reserve(schema.fields.size());
    for (const FieldDef& f : schema.fields) {
        const int size = fieldPayloadSize(f);
        const quint8 present = quint8(p[0]);
        const char* at = p + kPresenceSize;
        p += size;
        if (present > 1)
            return false;
        if (present == 0) {
            out.append(QVariant());
            continue;
        }
        switch (f.type) {
        case FieldType::String: {
            const quint16 n = get<quint16>(at);
            if (n > 2 * f.size)
                return false;
            QString s(qsizetype(n), Qt::Uninitialized);
            qFromLittleEndian<quint16>(at + kStringLengthSize, n, s.data());
            out.append(s);
            break;
        }
        case FieldType::Date:
        case FieldType::Time: out.append(getDouble(at)); break;
        case FieldType::Currency: out.append(QVariant::fromValue(Currency::fromUnits(get<qint64>(at)))); break;
        case FieldType::Boolean:
            if (quint8(at[0]) > 1)
                return false;
            out.append(at[0] == 1);
            break;
        case FieldType::AutoInc: out.append(QVariant::fromValue(get<qint64>(at))); break;
        case FieldType::Blob: {
            const BlobRef ref{get<quint32>(at), get<quint32>(at + 4), get<quint32>(at + 8)};
            out.append(QVariant::fromValue(ref));
            break;
        }
        }
    }
    *values = std::move(out);
    return true;
}

} // namespace StoreFormat
