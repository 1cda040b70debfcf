#include "StoreFiles.h"

#include "StoreFormat.h"

#include "platform/core/Exception.h"

#include <QRandomGenerator>

using namespace StoreFormat;

namespace {

[[noreturn]] void damaged(const QString& path, const QString& why)
{
    throw EDatabaseError(QStringLiteral("Table file '%1' is damaged: %2").arg(fileNameOf(path), why));
}

[[noreturn]] void notATable(const QString& path)
{
    throw EDatabaseError(QStringLiteral("Table file '%1' is not a Ferngrove table").arg(fileNameOf(path)));
}

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

// Empty when the properties can be stored and used.
QString propertiesProblem(const TableProperties& p)
{
    if (p.encrypted)
        return QStringLiteral("encrypted tables are not supported");
    if (!isPowerOfTwo(p.blobBlockSize) || p.blobBlockSize < 64 || p.blobBlockSize > 65536)
        return QStringLiteral("the document block size must be a power of two from 64 to 65536");
    if (p.indexPageSize < 256 || p.indexPageSize > 65536)
        return QStringLiteral("the index page size must be from 256 to 65536");
    if (p.userMajorVersion < 0 || p.userMajorVersion > 0xffff || p.userMinorVersion < 0 || p.userMinorVersion > 0xffff)
        return QStringLiteral("the user version numbers must be from 0 to 65535");
    if (p.lastAutoIncValue < -1)
        return QStringLiteral("the last auto-increment value must be -1 or more");
    return {};
}

void putCommon(QByteArray& h, const char* magic, quint32 headerSize, const DatHeader& dat)
{
    char* p = h.data();
    std::memcpy(p + kMagicOffset, magic, kMagicSize);
    put<quint32>(p + kVersionOffset, kFormatVersion);
    put<quint32>(p + kHeaderSizeOffset, headerSize);
    std::memcpy(p + kTableIdOffset, dat.tableId.constData(), kTableIdSize);
    const TableProperties& props = dat.schema.properties;
    put<qint32>(p + kLocaleOffset, props.localeId);
    put<quint16>(p + kUserMajorOffset, quint16(props.userMajorVersion));
    put<quint16>(p + kUserMinorOffset, quint16(props.userMinorVersion));
    put<quint32>(p + kIndexPageSizeOffset, quint32(props.indexPageSize));
    put<quint32>(p + kBlobBlockSizeOffset, quint32(props.blobBlockSize));
}

// True when a .blb or .idx header names the same table with the same properties.
bool sameTable(const char* p, const DatHeader& dat)
{
    const TableProperties& props = dat.schema.properties;
    return QByteArray::fromRawData(p + kTableIdOffset, kTableIdSize) == dat.tableId
        && get<qint32>(p + kLocaleOffset) == props.localeId
        && get<quint16>(p + kUserMajorOffset) == props.userMajorVersion
        && get<quint16>(p + kUserMinorOffset) == props.userMinorVersion
        && get<quint32>(p + kIndexPageSizeOffset) == quint32(props.indexPageSize)
        && get<quint32>(p + kBlobBlockSizeOffset) == quint32(props.blobBlockSize);
}

qint64 alignUp(qint64 v, qint64 a) { return (v + a - 1) / a * a; }

QByteArray encodeDatHeader(const DatHeader& dat)
{
    const QByteArray schema = encodeSchema(dat.schema);
    QByteArray h(qsizetype(dat.slotBase), '\0');
    putCommon(h, kDatMagic, quint32(dat.slotBase), dat);
    char* p = h.data();
    put<quint32>(p + kDatFlagsOffset, 0);
    put<quint32>(p + kDatCopySizeOffset, quint32(dat.copySize));
    put<qint64>(p + kDatLastAutoIncOffset, dat.schema.properties.lastAutoIncValue);
    put<quint32>(p + kDatSchemaLengthOffset, quint32(schema.size()));
    std::memcpy(p + kDatSchemaOffset, schema.constData(), size_t(schema.size()));
    put<quint32>(p + kDatSchemaOffset + schema.size(), crc32c(p, kDatSchemaOffset + schema.size()));
    return h;
}

QByteArray encodeBlbHeader(const DatHeader& dat)
{
    QByteArray h(kBlbDataOffset, '\0');
    putCommon(h, kBlbMagic, kBlbDataOffset, dat);
    put<quint32>(h.data() + kBlbHeaderCrcOffset, crc32c(h.constData(), kBlbHeaderCrcOffset));
    return h;
}

QByteArray encodeIdx(const DatHeader& dat, const IdxState& state, const std::vector<std::vector<quint32>>& order)
{
    Writer w;
    qsizetype entries = 0;
    for (const auto& list : order)
        entries += qsizetype(list.size());
    w.bytes = QByteArray(kIdxFixedSize, '\0');
    w.bytes.reserve(kIdxFixedSize + 4 * entries + 1024 * dat.schema.indexes.size());
    for (qsizetype i = 0; i < dat.schema.indexes.size(); ++i) {
        writeIndexDef(w, dat.schema.indexes[i]);
        const auto& list = order[size_t(i)];
        w.u32(quint32(list.size()));
        const qsizetype at = w.bytes.size();
        w.bytes.resize(at + 4 * qsizetype(list.size()));
        if (!list.empty())
            qToLittleEndian<quint32>(list.data(), qsizetype(list.size()), w.bytes.data() + at);
    }
    QByteArray& b = w.bytes;
    putCommon(b, kIdxMagic, quint32(b.size() + kCrcSize), dat);
    put<quint64>(b.data() + kIdxSeqOffset, state.seq);
    put<quint64>(b.data() + kIdxDigestOffset, state.digest);
    put<quint32>(b.data() + kIdxRowCountOffset, state.rowCount);
    put<quint32>(b.data() + kIdxIndexCountOffset, quint32(dat.schema.indexes.size()));
    w.u32(crc32c(b));
    return b;
}

} // namespace

QString fileNameOf(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

DatHeader readDatHeader(File& file, const QString& path)
{
    const QByteArray fixed = file.read(0, kDatSchemaOffset);
    if (fixed.size() < kMagicSize || std::memcmp(fixed.constData(), kDatMagic, kMagicSize) != 0)
        notATable(path);
    if (fixed.size() < kDatSchemaOffset)
        damaged(path, QStringLiteral("it ends inside its header"));
    const char* p = fixed.constData();
    const quint32 version = get<quint32>(p + kVersionOffset);
    const quint32 schemaLength = get<quint32>(p + kDatSchemaLengthOffset);
    if (schemaLength > quint32(kMaxSchemaLength))
        damaged(path, QStringLiteral("its header is not readable"));
    const QByteArray whole = file.read(0, kDatSchemaOffset + qint64(schemaLength) + kCrcSize);
    if (whole.size() < kDatSchemaOffset + qsizetype(schemaLength) + kCrcSize)
        damaged(path, QStringLiteral("it ends inside its header"));
    const qsizetype crcAt = kDatSchemaOffset + qsizetype(schemaLength);
    if (get<quint32>(whole.constData() + crcAt) != crc32c(whole.constData(), crcAt))
        damaged(path, QStringLiteral("its header fails its checksum"));
    if (version != kFormatVersion)
        throw EDatabaseError(QStringLiteral("Table file '%1' has format version %2; this program reads version %3")
                                 .arg(fileNameOf(path))
                                 .arg(version)
                                 .arg(kFormatVersion));
    DatHeader dat;
    if (!decodeSchema(whole.mid(kDatSchemaOffset, qsizetype(schemaLength)), &dat.schema))
        damaged(path, QStringLiteral("its table definition is not readable"));
    TableProperties& props = dat.schema.properties;
    props.localeId = get<qint32>(p + kLocaleOffset);
    props.userMajorVersion = get<quint16>(p + kUserMajorOffset);
    props.userMinorVersion = get<quint16>(p + kUserMinorOffset);
    props.indexPageSize = int(get<quint32>(p + kIndexPageSizeOffset));
    props.blobBlockSize = int(get<quint32>(p + kBlobBlockSizeOffset));
    props.lastAutoIncValue = get<qint64>(p + kDatLastAutoIncOffset);
    props.encrypted = false;
    dat.tableId = QByteArray(p + kTableIdOffset, kTableIdSize);
    dat.slotBase = get<quint32>(p + kHeaderSizeOffset);
    dat.copySize = int(get<quint32>(p + kDatCopySizeOffset));
    if (!propertiesProblem(props).isEmpty() || get<quint32>(p + kDatFlagsOffset) != 0
        || dat.slotBase != alignUp(crcAt + kCrcSize, kDatHeaderAlign) || dat.copySize != copySize(dat.schema))
        damaged(path, QStringLiteral("its header is not readable"));
    return dat;
}

qint64 checkBlbHeader(File& file, const QString& path, const DatHeader& dat)
{
    const QByteArray h = file.read(0, kBlbHeaderUsed);
    if (h.size() < kMagicSize || std::memcmp(h.constData(), kBlbMagic, kMagicSize) != 0)
        notATable(path);
    if (h.size() < kBlbHeaderUsed)
        damaged(path, QStringLiteral("it ends inside its header"));
    if (get<quint32>(h.constData() + kBlbHeaderCrcOffset) != crc32c(h.constData(), kBlbHeaderCrcOffset))
        damaged(path, QStringLiteral("its header fails its checksum"));
    if (get<quint32>(h.constData() + kVersionOffset) != kFormatVersion
        || get<quint32>(h.constData() + kHeaderSizeOffset) != quint32(kBlbDataOffset))
        damaged(path, QStringLiteral("its header is not readable"));
    if (!sameTable(h.constData(), dat))
        throw EDatabaseError(QStringLiteral("Table file '%1' belongs to another table than '%2'")
                                 .arg(fileNameOf(path), fileNameOf(path.left(path.size() - 4) + QLatin1String(".dat"))));
    return file.size();
}

CopyHeader readCopyHeader(const char* p, int size, quint32 slot)
{
    CopyHeader h;
    // A copy never written (the second copy of an appended slot) is zeros: no checksum needed.
    if (get<quint64>(p + kCopySeqOffset) == 0)
        return h;
    const int crcAt = size - kCopyTrailerSize;
    if (get<quint32>(p + crcAt) != crc32c(p, crcAt) || get<quint32>(p + kCopySlotOffset) != slot)
        return h;
    h.seq = get<quint64>(p + kCopySeqOffset);
    h.state = get<quint32>(p + kCopyStateOffset);
    h.highestId = get<qint64>(p + kCopyHighestIdOffset);
    h.slotCount = get<quint32>(p + kCopySlotCountOffset);
    h.valid = h.seq != 0 && (h.state == kStateRow || h.state == kStateDeleted) && h.highestId >= 0 && slot < h.slotCount;
    return h;
}

QByteArray encodeCopy(const TableSchema& schema, int size, quint64 seq, quint32 slot, quint32 state,
                      qint64 highestId, quint32 slotCount, const RowValues* values)
{
    QByteArray c(size, '\0');
    char* p = c.data();
    put<quint64>(p + kCopySeqOffset, seq);
    put<quint32>(p + kCopySlotOffset, slot);
    put<quint32>(p + kCopyStateOffset, state);
    put<qint64>(p + kCopyHighestIdOffset, highestId);
    put<quint32>(p + kCopySlotCountOffset, slotCount);
    if (values)
        encodeRow(schema, *values, p + kCopyPayloadOffset);
    put<quint32>(p + size - kCopyTrailerSize, crc32c(p, size - kCopyTrailerSize));
    return c;
}

quint64 blocksFor(quint32 length, int blockSize) { return (quint64(length) + quint64(blockSize) - 1) / quint64(blockSize); }

quint64 findFreeRun(const std::vector<bool>& used, quint32 n, quint64 from)
{
    quint64 run = 0;
    for (quint64 b = std::min<quint64>(from, used.size()); b < used.size(); ++b) {
        run = used[b] ? 0 : run + 1;
        if (run == n)
            return b + 1 - n;
    }
    return used.size() - run; // the free tail, continued past the end
}

std::optional<IdxContent> readIdxFile(FileSystem& fs, const QString& path, const DatHeader& dat)
{
    QByteArray b;
    try {
        if (!fs.exists(path))
            return std::nullopt;
        auto file = fs.open(path, FileSystem::OpenMode::ReadOnly);
        b = file->read(0, file->size());
    } catch (const EDatabaseError&) {
        return std::nullopt; // only a cache: an unreadable one is rebuilt
    }
    if (b.size() < kIdxFixedSize + kCrcSize || std::memcmp(b.constData(), kIdxMagic, kMagicSize) != 0)
        return std::nullopt;
    const char* p = b.constData();
    if (get<quint32>(p + b.size() - kCrcSize) != crc32c(p, b.size() - kCrcSize)
        || get<quint32>(p + kVersionOffset) != kFormatVersion || get<quint32>(p + kHeaderSizeOffset) != quint32(b.size())
        || !sameTable(p, dat))
        return std::nullopt;
    IdxContent idx;
    idx.seq = get<quint64>(p + kIdxSeqOffset);
    idx.digest = get<quint64>(p + kIdxDigestOffset);
    idx.rowCount = get<quint32>(p + kIdxRowCountOffset);
    const quint32 count = get<quint32>(p + kIdxIndexCountOffset);
    Reader r(p + kIdxFixedSize, b.size() - kIdxFixedSize - kCrcSize);
    for (quint32 i = 0; i < count && r.ok(); ++i) {
        idx.indexes.append(readIndexDef(r));
        const quint32 n = r.u32();
        if (qint64(n) * 4 > b.size())
            return std::nullopt;
        if (!r.skip(qsizetype(n) * 4))
            return std::nullopt;
        std::vector<quint32> list(n);
        if (n > 0) // an empty list has no buffer to copy into
            qFromLittleEndian<quint32>(p + kIdxFixedSize + r.pos() - qsizetype(n) * 4, n, list.data());
        idx.order.push_back(std::move(list));
    }
    if (!r.ok() || !r.atEnd())
        return std::nullopt;
    return idx;
}

void writeIdxFile(FileSystem& fs, const QString& path, const DatHeader& dat, const IdxState& state,
                  const std::vector<std::vector<quint32>>& order)
{
    const QByteArray bytes = encodeIdx(dat, state, order);
    auto file = fs.open(path, fs.exists(path) ? FileSystem::OpenMode::ReadWrite : FileSystem::OpenMode::CreateNew);
    file->write(0, bytes);
    file->truncate(bytes.size());
}

void createTableFiles(FileSystem& fs, const QStringList& paths, const QString& datPath, const TableSchema& given)
{
    const QString name = fileNameOf(datPath);
    DatHeader dat;
    dat.schema = given;
    auto& fields = dat.schema.fields;
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (fields[i].number == 0)
            fields[i].number = int(i) + 1;
    if (fields.isEmpty() || fields.last().type != FieldType::AutoInc) {
        FieldDef id;
        id.number = int(fields.size()) + 1;
        id.name = QStringLiteral("RecordID");
        id.type = FieldType::AutoInc;
        fields.append(id);
    }
    QString problem = propertiesProblem(dat.schema.properties);
    if (problem.isEmpty())
        problem = schemaProblem(dat.schema);
    if (!problem.isEmpty())
        throw EDatabaseError(QStringLiteral("Cannot create the table '%1': %2").arg(name, problem));
    dat.copySize = copySize(dat.schema);
    const qsizetype schemaLength = encodeSchema(dat.schema).size();
    dat.slotBase = alignUp(kDatSchemaOffset + schemaLength + kCrcSize, kDatHeaderAlign);
    if (schemaLength > kMaxSchemaLength)
        throw EDatabaseError(QStringLiteral("Cannot create the table '%1': its definition is too long").arg(name));
    dat.tableId = QByteArray(kTableIdSize, '\0');
    QRandomGenerator::system()->generate(dat.tableId.begin(), dat.tableId.end());

    const qsizetype slash = paths[0].lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : paths[0].left(std::max<qsizetype>(slash, 1));
    if (!fs.exists(folder))
        throw EDatabaseError(QStringLiteral("Cannot create the table '%1': the folder '%2' does not exist").arg(name, folder));
    for (const QString& p : paths)
        if (fs.exists(p))
            throw EDatabaseError(QStringLiteral("The table '%1' already exists").arg(name));

    const QByteArray contents[3] = {
        encodeDatHeader(dat),
        encodeIdx(dat, IdxState{}, std::vector<std::vector<quint32>>(size_t(dat.schema.indexes.size()))),
        encodeBlbHeader(dat),
    };
    QStringList created;
    try {
        for (int i = 0; i < 3; ++i) {
            auto file = fs.open(paths[i], FileSystem::OpenMode::CreateNew);
            created.append(paths[i]);
            file->write(0, contents[i]);
            file->sync();
        }
        fs.syncFolder(folder);
    } catch (const EDatabaseError& e) {
        // Best effort: the first error is the one to report.
        try {
            for (const QString& p : created)
                fs.remove(p);
            fs.syncFolder(folder);
        } catch (const EDatabaseError&) {
        }
        throw EDatabaseError(
            QStringLiteral("Cannot create the table '%1' in the folder '%2': %3").arg(name, folder, e.message()));
    }
}
