#include "TableStore.h"

#include "StoreFiles.h"
#include "StoreFormat.h"

#include "platform/core/Currency.h"
#include "platform/core/Exception.h"

#include <algorithm>
#include <set>

using namespace StoreFormat;

QStringList tableFilePaths(const QString& datPath)
{
    const qsizetype slash = datPath.lastIndexOf(QLatin1Char('/'));
    const QString folder = datPath.left(slash + 1); // with its '/', or empty
    const QString name = datPath.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = folder + (dot < 0 ? name : name.left(dot));
    return {base + QLatin1String(".dat"), base + QLatin1String(".idx"), base + QLatin1String(".blb")};
}

namespace {

// Per slot: which copy won on open or by the last commit, and what it says.
struct SlotInfo
{
    quint64 seq = 0;  // sequence number of the winning copy; 0 when neither copy is valid
    qint8 winner = -1; // 0 or 1, -1 when neither copy is valid
    quint32 state = 0; // kStateRow, kStateDeleted, or 0 with no valid copy
};

// A document handed to insert/update that goes into new blocks before the row commits.
struct NewDocument
{
    int field;
    QByteArray content;
    quint32 firstBlock = 0;
    quint32 blocks = 0;
};

qsizetype codePoints(const QString& s)
{
    qsizetype n = s.size();
    for (qsizetype i = 0; i + 1 < s.size(); ++i)
        if (s[i].isHighSurrogate() && s[i + 1].isLowSurrogate())
            --n;
    return n;
}

class TableStoreImpl final : public TableStore
{
public:
    TableStoreImpl(FileSystem& fs, const QString& datPath) : m_fs(fs), m_paths(tableFilePaths(datPath)) {}

    void load();

    const TableSchema& schema() const override { return m_header.schema; }
    const std::vector<Row>& rows() const override;
    QByteArray readBlob(const BlobRef& ref) override;
    const Row& insert(const RowValues& values) override;
    const Row& update(quint32 slot, const RowValues& values) override;
    void remove(quint32 slot) override;
    std::optional<std::vector<std::vector<quint32>>> loadIndexOrder() override;
    void saveIndexOrder(const std::vector<std::vector<quint32>>& order) override;

private:
    qint64 slotOffset(quint32 slot) const { return m_header.slotBase + qint64(slot) * 2 * m_header.copySize; }
    quint64 blockCount() const { return m_blockUsed.size(); }
    void loadSlots();
    void checkDocuments();
    bool isLive(quint32 slot) const { return slot < m_slots.size() && m_slots[slot].state == kStateRow; }
    Row& liveRow(quint32 slot, const char* operation);
    RowValues checkValues(const RowValues& values, const Row* old, std::vector<NewDocument>* docs);
    void writeDocuments(std::vector<NewDocument>& docs, RowValues& values);
    void releaseBlocks(quint32 first, quint32 blocks);
    void releaseDocumentsOf(const RowValues& values, const RowValues* keep);
    struct Commit
    {
        quint64 seq;
        qint8 copy;
    };
    Commit commitCopy(quint32 slot, quint32 state, const RowValues* values);
    void tryUndo();
    void checkWritable();
    void noteCommit(quint32 slot, const Commit& c, quint32 state);

    FileSystem& m_fs;
    QStringList m_paths; // .dat, .idx, .blb
    DatHeader m_header;
    std::unique_ptr<File> m_dat, m_blb;
    std::vector<SlotInfo> m_slots;
    // Rows addressed by slot, so that a change touches one entry; an entry holds a row only
    // while its slot is live (m_slots[slot].state == kStateRow).
    std::vector<Row> m_bySlot;
    qsizetype m_liveRows = 0;
    // rows(): the live rows in slot order, rebuilt on demand after an insert or remove.
    mutable std::vector<Row> m_view;
    mutable bool m_viewStale = true;
    std::set<quint32> m_freeSlots;    // slots below m_slots.size() without a live row
    std::vector<bool> m_blockUsed;    // per .blb block: referenced by a committed row
    quint64 m_firstFree = 0;          // no free block lies below this one
    quint64 m_committedSeq = 0;       // highest sequence number committed
    quint64 m_nextSeq = 1;            // never reuses a number that may have reached the disk
    qint64 m_highestId = 0;           // highest RecordID ever issued
    quint64 m_digest = 0;             // sum of digestTerm over live rows
    // A failed commit may have left a new copy on disk; until it is wiped (or the appended
    // slot cut off) no other change may be written, or a reopen could show the failed call.
    struct
    {
        bool pending = false;
        bool cut = false; // truncate .dat at offset, else zero length bytes at offset
        qint64 offset = 0;
        qint64 length = 0;
    } m_undo;
};

void TableStoreImpl::load()
{
    if (!m_fs.exists(m_paths[0]))
        throw EDatabaseError(QStringLiteral("The table file '%1' does not exist").arg(m_paths[0]));
    m_dat = m_fs.open(m_paths[0], FileSystem::OpenMode::ReadWrite);
    m_header = readDatHeader(*m_dat, m_paths[0]);
    if (!m_fs.exists(m_paths[2]))
        throw EDatabaseError(QStringLiteral("The table file '%1' is missing").arg(m_paths[2]));
    m_blb = m_fs.open(m_paths[2], FileSystem::OpenMode::ReadWrite);
    const qint64 blbSize = checkBlbHeader(*m_blb, m_paths[2], m_header);
    m_blockUsed.assign(size_t(std::max<qint64>(0, blbSize - kBlbDataOffset) / m_header.schema.properties.blobBlockSize),
                       false);
    m_highestId = std::max<qint64>(0, m_header.schema.properties.lastAutoIncValue);
    loadSlots();
    checkDocuments();
    while (m_firstFree < blockCount() && m_blockUsed[m_firstFree])
        ++m_firstFree;
    // .idx is written only after the rows it describes were synced, so an .idx of this table
    // that knows of later commits means .dat lost committed rows (cut short or replaced).
    if (const auto idx = readIdxFile(m_fs, m_paths[1], m_header); idx && idx->seq > m_committedSeq)
        throw EDatabaseError(QStringLiteral("Table file '%1' is damaged: it lacks changes that '%2' records")
                                 .arg(fileNameOf(m_paths[0]), fileNameOf(m_paths[1])));
}

void TableStoreImpl::loadSlots()
{
    const qint64 copySize = m_header.copySize;
    const qint64 slotSize = 2 * copySize;
    const qint64 datSize = m_dat->size();
    if (datSize < m_header.slotBase)
        throw EDatabaseError(
            QStringLiteral("Table file '%1' is damaged: it ends inside its header").arg(fileNameOf(m_paths[0])));
    const qint64 slotsInFile = (datSize - m_header.slotBase + slotSize - 1) / slotSize;
    if (slotsInFile > qint64(std::numeric_limits<quint32>::max()))
        throw EDatabaseError(QStringLiteral("Table file '%1' is damaged: it is too long").arg(fileNameOf(m_paths[0])));
    m_slots.assign(size_t(slotsInFile), SlotInfo());
    m_bySlot.assign(size_t(slotsInFile), Row());
    const qint64 chunkSlots = std::max<qint64>(1, (4 << 20) / slotSize); // read about 4 MiB at a time
    quint64 maxSeq = 0;
    quint32 expectedSlots = 0; // as the newest valid copy records it
    for (qint64 first = 0; first < slotsInFile; first += chunkSlots) {
        const qint64 count = std::min(chunkSlots, slotsInFile - first);
        const QByteArray chunk = m_dat->read(slotOffset(quint32(first)), count * slotSize);
        for (qint64 k = 0; k < count; ++k) {
            const quint32 slot = quint32(first + k);
            CopyHeader copies[2];
            for (int c = 0; c < 2; ++c) {
                const qint64 at = k * slotSize + c * copySize;
                if (at + copySize <= chunk.size())
                    copies[c] = readCopyHeader(chunk.constData() + at, int(copySize), slot);
                if (copies[c].valid) {
                    if (copies[c].seq > maxSeq)
                        expectedSlots = copies[c].slotCount;
                    maxSeq = std::max(maxSeq, copies[c].seq);
                    m_highestId = std::max(m_highestId, copies[c].highestId);
                }
            }
            // The newer valid copy wins; if its values are not a row of this schema, the other.
            int order[2] = {0, 1};
            if (copies[1].valid && (!copies[0].valid || copies[1].seq > copies[0].seq))
                std::swap(order[0], order[1]);
            for (int c : order) {
                if (!copies[c].valid)
                    continue;
                Row row{slot, {}};
                if (copies[c].state == kStateRow
                    && !decodeRow(m_header.schema, chunk.constData() + k * slotSize + c * copySize + kCopyPayloadOffset,
                                  &row.values))
                    continue;
                m_slots[slot] = SlotInfo{copies[c].seq, qint8(c), copies[c].state};
                if (copies[c].state == kStateRow) {
                    m_highestId = std::max(m_highestId, row.values.last().toLongLong());
                    m_digest += digestTerm(slot, copies[c].seq);
                    m_bySlot[slot] = std::move(row);
                    ++m_liveRows;
                }
                m_committedSeq = std::max(m_committedSeq, copies[c].seq);
                break;
            }
        }
    }
    // Only the last slot can lack a valid copy: a new slot is appended whole and its first
    // write may be torn by a crash. Anywhere else it means damage.
    while (!m_slots.empty() && m_slots.back().winner < 0)
        m_slots.pop_back();
    m_bySlot.resize(m_slots.size());
    if (m_slots.size() < expectedSlots)
        throw EDatabaseError(QStringLiteral("Table file '%1' is damaged: it ends before its last rows")
                                 .arg(fileNameOf(m_paths[0])));
    for (quint32 slot = 0; slot < m_slots.size(); ++slot) {
        if (m_slots[slot].winner < 0)
            throw EDatabaseError(QStringLiteral("Table file '%1' is damaged: row slot %2 has no readable copy")
                                     .arg(fileNameOf(m_paths[0]))
                                     .arg(slot));
        if (m_slots[slot].state != kStateRow)
            m_freeSlots.insert(slot);
    }
    m_nextSeq = maxSeq + 1;
}

const std::vector<TableStore::Row>& TableStoreImpl::rows() const
{
    if (m_viewStale) {
        m_view.clear();
        m_view.reserve(size_t(m_liveRows));
        for (quint32 slot = 0; slot < m_slots.size(); ++slot)
            if (isLive(slot))
                m_view.push_back(m_bySlot[slot]);
        m_viewStale = false;
    }
    return m_view;
}

void TableStoreImpl::checkDocuments()
{
    for (quint32 slot = 0; slot < m_slots.size(); ++slot) {
        if (!isLive(slot))
            continue;
        const Row& row = m_bySlot[slot];
        for (qsizetype i = 0; i < row.values.size(); ++i) {
            if (m_header.schema.fields[i].type != FieldType::Blob || row.values[i].isNull())
                continue;
            const BlobRef ref = row.values[i].value<BlobRef>();
            const quint64 blocks = blocksFor(ref.length, m_header.schema.properties.blobBlockSize);
            if (quint64(ref.firstBlock) + blocks > blockCount())
                throw EDatabaseError(QStringLiteral("Table file '%1' is damaged: it ends before a stored document")
                                         .arg(fileNameOf(m_paths[2])));
            for (quint64 b = ref.firstBlock; b < ref.firstBlock + blocks; ++b) {
                if (m_blockUsed[b])
                    throw EDatabaseError(QStringLiteral("Table file '%1' is damaged: two rows claim one document block")
                                             .arg(fileNameOf(m_paths[0])));
                m_blockUsed[b] = true;
            }
        }
    }
}

QByteArray TableStoreImpl::readBlob(const BlobRef& ref)
{
    if (ref.length == 0)
        return {};
    const int blockSize = m_header.schema.properties.blobBlockSize;
    const QByteArray data = m_blb->read(kBlbDataOffset + qint64(ref.firstBlock) * blockSize, ref.length);
    if (data.size() != qsizetype(ref.length))
        throw EDatabaseError(
            QStringLiteral("Table file '%1' is damaged: it ends before a stored document").arg(fileNameOf(m_paths[2])));
    if (crc32c(data) != ref.checksum)
        throw EDatabaseError(QStringLiteral("Table file '%1' is damaged: a stored document fails its checksum")
                                 .arg(fileNameOf(m_paths[2])));
    return data;
}

TableStore::Row& TableStoreImpl::liveRow(quint32 slot, const char* operation)
{
    if (!isLive(slot))
        throw EDatabaseError(QStringLiteral("Cannot %1 row slot %2 of '%3': it holds no row")
                                 .arg(QLatin1String(operation))
                                 .arg(slot)
                                 .arg(fileNameOf(m_paths[0])));
    return m_bySlot[slot];
}

RowValues TableStoreImpl::checkValues(const RowValues& values, const Row* old, std::vector<NewDocument>* docs)
{
    const auto& fields = m_header.schema.fields;
    if (values.size() != fields.size() && values.size() != fields.size() - 1)
        throw EDatabaseError(QStringLiteral("A row of '%1' needs %2 values, not %3")
                                 .arg(fileNameOf(m_paths[0]))
                                 .arg(fields.size() - 1)
                                 .arg(values.size()));
    RowValues out(fields.size());
    for (qsizetype i = 0; i + 1 < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        const QVariant& v = values[i];
        if (v.isNull())
            continue;
        const auto wrongType = [&] {
            return EDatabaseError(QStringLiteral("Field '%1' cannot hold a value of type %2")
                                      .arg(f.name, QLatin1String(v.metaType().name())));
        };
        switch (f.type) {
        case FieldType::String: {
            if (v.metaType() != QMetaType::fromType<QString>())
                throw wrongType();
            const QString s = v.toString();
            if (codePoints(s) > f.size)
                throw EDatabaseError(QStringLiteral("Field '%1' takes at most %2 characters, not %3")
                                         .arg(f.name)
                                         .arg(f.size)
                                         .arg(codePoints(s)));
            out[i] = s;
            break;
        }
        case FieldType::Date:
        case FieldType::Time: {
            bool ok = false;
            const double d = v.toDouble(&ok);
            if (!ok || v.metaType() == QMetaType::fromType<QString>())
                throw wrongType();
            out[i] = d;
            break;
        }
        case FieldType::Currency:
            if (v.metaType() != QMetaType::fromType<Currency>())
                throw wrongType();
            out[i] = v;
            break;
        case FieldType::Boolean:
            if (v.metaType() != QMetaType::fromType<bool>())
                throw wrongType();
            out[i] = v;
            break;
        case FieldType::Blob:
            if (v.metaType() == QMetaType::fromType<QByteArray>()) {
                docs->push_back(NewDocument{int(i), v.toByteArray()});
            } else if (v.metaType() == QMetaType::fromType<BlobRef>()) {
                // The row's own stored document stays where it is; any other one is copied,
                // so no two rows ever share blocks.
                if (old && old->values[i].metaType() == v.metaType() && old->values[i].value<BlobRef>() == v.value<BlobRef>())
                    out[i] = v;
                else
                    docs->push_back(NewDocument{int(i), readBlob(v.value<BlobRef>())});
            } else {
                throw wrongType();
            }
            break;
        case FieldType::AutoInc: break;
        }
    }
    if (old)
        out.last() = old->values.last();
    return out;
}

void TableStoreImpl::releaseBlocks(quint32 first, quint32 blocks)
{
    for (quint64 b = first; b < quint64(first) + blocks && b < blockCount(); ++b)
        m_blockUsed[b] = false;
    if (blocks > 0)
        m_firstFree = std::min<quint64>(m_firstFree, first);
}

// Puts new documents into free runs of blocks and makes them durable before the row that
// refers to them commits. The blocks count as used from here; the caller releases them if
// the commit fails.
void TableStoreImpl::writeDocuments(std::vector<NewDocument>& docs, RowValues& values)
{
    const int blockSize = m_header.schema.properties.blobBlockSize;
    bool wrote = false;
    try {
        for (NewDocument& doc : docs) {
            if (quint64(doc.content.size()) > std::numeric_limits<quint32>::max())
                throw EDatabaseError(QStringLiteral("A document of more than 4 GiB cannot be stored"));
            const quint32 blocks = quint32(blocksFor(quint32(doc.content.size()), blockSize));
            if (blocks > 0) {
                const quint64 first = findFreeRun(m_blockUsed, blocks, m_firstFree);
                // doc.blocks stays 0 until the blocks are taken: a refusal here must not
                // release blocks that other rows use.
                if (first + blocks > std::numeric_limits<quint32>::max())
                    throw EDatabaseError(
                        QStringLiteral("Table file '%1' cannot hold more documents").arg(fileNameOf(m_paths[2])));
                doc.firstBlock = quint32(first);
                doc.blocks = blocks;
                if (m_blockUsed.size() < first + doc.blocks)
                    m_blockUsed.resize(size_t(first + doc.blocks), false);
                for (quint64 b = first; b < first + doc.blocks; ++b)
                    m_blockUsed[b] = true;
                while (m_firstFree < blockCount() && m_blockUsed[m_firstFree])
                    ++m_firstFree;
                QByteArray padded = doc.content;
                padded.append(QByteArray(qsizetype(doc.blocks) * blockSize - doc.content.size(), '\0'));
                wrote = true;
                m_blb->write(kBlbDataOffset + qint64(doc.firstBlock) * blockSize, padded);
            }
            values[doc.field] = QVariant::fromValue(BlobRef{doc.firstBlock, quint32(doc.content.size()), crc32c(doc.content)});
        }
        if (wrote)
            m_blb->sync();
    } catch (...) {
        for (const NewDocument& doc : docs)
            releaseBlocks(doc.firstBlock, doc.blocks);
        throw;
    }
}

void TableStoreImpl::releaseDocumentsOf(const RowValues& values, const RowValues* keep)
{
    const int blockSize = m_header.schema.properties.blobBlockSize;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (m_header.schema.fields[i].type != FieldType::Blob || values[i].isNull())
            continue;
        if (keep && !(*keep)[i].isNull() && (*keep)[i].value<BlobRef>() == values[i].value<BlobRef>())
            continue;
        const BlobRef ref = values[i].value<BlobRef>();
        releaseBlocks(ref.firstBlock, quint32(blocksFor(ref.length, blockSize)));
    }
}

void TableStoreImpl::tryUndo()
{
    if (!m_undo.pending)
        return;
    try {
        if (m_undo.cut)
            m_dat->truncate(m_undo.offset);
        else
            m_dat->write(m_undo.offset, QByteArray(qsizetype(m_undo.length), '\0'));
        m_dat->sync();
        m_undo.pending = false;
    } catch (const EDatabaseError&) {
        // Stays pending: the next change tries again first.
    }
}

void TableStoreImpl::checkWritable()
{
    tryUndo();
    if (m_undo.pending)
        throw EDatabaseError(QStringLiteral("Table file '%1' could not be restored after a failed write; "
                                            "close the table and open it again")
                                 .arg(fileNameOf(m_paths[0])));
}

// Writes the slot's older copy (or appends a whole new slot) and syncs: the commit point.
// On failure the copy is wiped again so that no reopen can see the call that failed.
TableStoreImpl::Commit TableStoreImpl::commitCopy(quint32 slot, quint32 state, const RowValues* values)
{
    const int copySize = m_header.copySize;
    const quint64 seq = m_nextSeq++;
    const bool append = slot == m_slots.size();
    const quint32 slotCount = quint32(m_slots.size()) + (append ? 1 : 0);
    const QByteArray copy = encodeCopy(m_header.schema, copySize, seq, slot, state, m_highestId, slotCount, values);
    const qint8 target = append ? 0 : (m_slots[slot].winner == 0 ? 1 : 0);
    const qint64 offset = slotOffset(slot) + target * copySize;
    try {
        if (append)
            m_dat->write(offset, copy + QByteArray(copySize, '\0'));
        else
            m_dat->write(offset, copy);
        m_dat->sync();
    } catch (const EDatabaseError&) {
        m_undo.pending = true;
        m_undo.cut = append;
        m_undo.offset = offset;
        m_undo.length = copySize;
        tryUndo();
        throw;
    }
    return {seq, target};
}

void TableStoreImpl::noteCommit(quint32 slot, const Commit& c, quint32 state)
{
    if (slot == m_slots.size())
        m_slots.push_back(SlotInfo());
    SlotInfo& info = m_slots[slot];
    if (info.state == kStateRow)
        m_digest -= digestTerm(slot, info.seq);
    if (state == kStateRow) {
        m_digest += digestTerm(slot, c.seq);
        m_freeSlots.erase(slot);
    } else {
        m_freeSlots.insert(slot);
    }
    info = SlotInfo{c.seq, c.copy, state};
    m_committedSeq = c.seq;
}

const TableStore::Row& TableStoreImpl::insert(const RowValues& values)
{
    checkWritable();
    std::vector<NewDocument> docs;
    RowValues checked = checkValues(values, nullptr, &docs);
    if (m_highestId == std::numeric_limits<qint64>::max())
        throw EDatabaseError(QStringLiteral("Table '%1' has no row identifiers left").arg(fileNameOf(m_paths[0])));
    const qint64 id = m_highestId + 1;
    checked.last() = QVariant::fromValue(id);
    const quint32 slot = m_freeSlots.empty() ? quint32(m_slots.size()) : *m_freeSlots.begin();
    if (slot == std::numeric_limits<quint32>::max())
        throw EDatabaseError(QStringLiteral("Table '%1' cannot hold more rows").arg(fileNameOf(m_paths[0])));
    writeDocuments(docs, checked);
    const qint64 previousId = m_highestId;
    m_highestId = id; // the copy records it
    Commit c;
    try {
        c = commitCopy(slot, kStateRow, &checked);
    } catch (...) {
        m_highestId = previousId;
        for (const NewDocument& doc : docs)
            releaseBlocks(doc.firstBlock, doc.blocks);
        throw;
    }
    noteCommit(slot, c, kStateRow);
    if (m_bySlot.size() < m_slots.size())
        m_bySlot.resize(m_slots.size());
    Row& row = m_bySlot[slot];
    row = Row{slot, std::move(checked)};
    ++m_liveRows;
    m_viewStale = true;
    return row;
}

const TableStore::Row& TableStoreImpl::update(quint32 slot, const RowValues& values)
{
    checkWritable();
    const Row& old = liveRow(slot, "update");
    std::vector<NewDocument> docs;
    RowValues checked = checkValues(values, &old, &docs);
    writeDocuments(docs, checked);
    Commit c;
    try {
        c = commitCopy(slot, kStateRow, &checked);
    } catch (...) {
        for (const NewDocument& doc : docs)
            releaseBlocks(doc.firstBlock, doc.blocks);
        throw;
    }
    noteCommit(slot, c, kStateRow);
    Row& row = m_bySlot[slot];
    releaseDocumentsOf(row.values, &checked);
    row.values = std::move(checked);
    if (!m_viewStale) {
        // Same rows, same order: the view's entry changes in place.
        auto at = std::lower_bound(m_view.begin(), m_view.end(), slot, [](const Row& r, quint32 s) { return r.slot < s; });
        at->values = row.values;
    }
    return row;
}

void TableStoreImpl::remove(quint32 slot)
{
    checkWritable();
    liveRow(slot, "delete");
    const Commit c = commitCopy(slot, kStateDeleted, nullptr);
    noteCommit(slot, c, kStateDeleted);
    Row& row = m_bySlot[slot];
    releaseDocumentsOf(row.values, nullptr);
    row.values = RowValues();
    --m_liveRows;
    m_viewStale = true;
}

std::optional<std::vector<std::vector<quint32>>> TableStoreImpl::loadIndexOrder()
{
    auto idx = readIdxFile(m_fs, m_paths[1], m_header);
    if (!idx || idx->seq != m_committedSeq || idx->digest != m_digest || idx->rowCount != size_t(m_liveRows)
        || idx->indexes != m_header.schema.indexes)
        return std::nullopt;
    // Every list must name each live row exactly once.
    std::vector<quint32> seen(m_slots.size(), 0);
    quint32 round = 0;
    for (const auto& list : idx->order) {
        ++round;
        if (list.size() != size_t(m_liveRows))
            return std::nullopt;
        for (quint32 slot : list) {
            if (slot >= m_slots.size() || m_slots[slot].state != kStateRow || seen[slot] == round)
                return std::nullopt;
            seen[slot] = round;
        }
    }
    return std::move(idx->order);
}

void TableStoreImpl::saveIndexOrder(const std::vector<std::vector<quint32>>& order)
{
    if (order.size() != size_t(m_header.schema.indexes.size()))
        throw EDatabaseError(QStringLiteral("Index order for '%1' has %2 lists; the table has %3 indexes")
                                 .arg(fileNameOf(m_paths[1]))
                                 .arg(order.size())
                                 .arg(m_header.schema.indexes.size()));
    for (const auto& list : order)
        if (list.size() != size_t(m_liveRows))
            throw EDatabaseError(QStringLiteral("Index order for '%1' does not list every row").arg(fileNameOf(m_paths[1])));
    writeIdxFile(m_fs, m_paths[1], m_header, IdxState{m_committedSeq, m_digest, quint32(size_t(m_liveRows))}, order);
}

} // namespace

std::unique_ptr<TableStore> TableStore::open(FileSystem& fs, const QString& datPath)
{
    auto store = std::make_unique<TableStoreImpl>(fs, datPath);
    store->load();
    return store;
}

void TableStore::create(FileSystem& fs, const QString& datPath, const TableSchema& schema)
{
    createTableFiles(fs, tableFilePaths(datPath), datPath, schema);
}
