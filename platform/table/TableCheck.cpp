// The store-level check behind "ferngrove-table check". It reads what TableStore would read,
// but goes on after a fault and says what it found; it opens every file read-only.

#include "TableCheck.h"

#include "IndexOrder.h"
#include "StoreFiles.h"
#include "StoreFormat.h"
#include "TableStore.h"

#include "platform/core/Exception.h"

#include <map>
#include <optional>
#include <set>

using namespace StoreFormat;

TableCheckResult::Verdict TableCheckResult::verdict() const
{
    Verdict v = Verdict::Sound;
    for (const TableCheckFinding& f : findings) {
        if (f.kind == TableCheckFinding::Kind::Unreadable)
            return Verdict::Unreadable;
        if (f.kind == TableCheckFinding::Kind::Damage)
            v = Verdict::Damaged;
    }
    return v;
}

namespace {

enum FileIndex { Dat = 0, Idx = 1, Blb = 2 };

// What one copy of a row slot holds.
struct CopyInfo
{
    enum class State { Absent, Empty, Valid, Torn } state = State::Absent;
    quint64 seq = 0;       // valid: its sequence number; torn: what its first 8 bytes say
    quint32 rowState = 0;
    quint32 slotCount = 0;
    RowValues values;
    QString problem;       // torn: why
    bool checksumHolds = false;
};

struct SlotInfo
{
    CopyInfo copies[2];
    int winner = -1; // the valid copy with the higher sequence number
};

struct TornCandidate
{
    quint32 slot;
    int copy;
    quint64 seq;
};

bool allZero(const char* p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

class Checker
{
public:
    Checker(FileSystem& fs, const QString& datPath) : m_fs(fs), m_paths(tableFilePaths(datPath))
    {
        for (const QString& p : m_paths)
            m_names.append(fileNameOf(p));
    }

    TableCheckResult run()
    {
        try {
            check();
        } catch (const EDatabaseError& e) {
            add(TableCheckFinding::Kind::Unreadable, Dat, e.message());
        }
        return m_result;
    }

private:
    void add(TableCheckFinding::Kind kind, int file, const QString& text)
    {
        m_result.findings.append(TableCheckFinding{kind, m_names[file], text});
    }
    void note(int file, const QString& text) { add(TableCheckFinding::Kind::Note, file, text); }
    void damage(int file, const QString& text) { add(TableCheckFinding::Kind::Damage, file, text); }

    std::unique_ptr<File> openFile(int file)
    {
        if (!m_fs.exists(m_paths[file]))
            return nullptr;
        return m_fs.open(m_paths[file], FileSystem::OpenMode::ReadOnly);
    }

    void check()
    {
        auto dat = openFile(Dat);
        if (!dat) {
            add(TableCheckFinding::Kind::Unreadable, Dat, QStringLiteral("the file does not exist"));
            return;
        }
        if (!checkDatHeader(*dat))
            return;
        checkBlb();
        readIdx();
        checkSlots(*dat);
        checkRows();
        checkDocuments();
        checkIdx();
        resolveTornCopies();
    }

    // False when nothing more can be read: not a table, another version or a damaged header.
    bool checkDatHeader(File& dat)
    {
        const QByteArray fixed = dat.read(0, kDatSchemaOffset);
        if (fixed.size() < kMagicSize || std::memcmp(fixed.constData(), kDatMagic, kMagicSize) != 0) {
            add(TableCheckFinding::Kind::Unreadable, Dat, QStringLiteral("not a table data file (wrong magic number)"));
            return false;
        }
        if (fixed.size() < kDatSchemaOffset) {
            damage(Dat, QStringLiteral("the file ends inside its header"));
            return false;
        }
        const quint32 schemaLength = get<quint32>(fixed.constData() + kDatSchemaLengthOffset);
        const qint64 crcAt = kDatSchemaOffset + qint64(schemaLength);
        const QByteArray whole = schemaLength <= quint32(kMaxSchemaLength) ? dat.read(0, crcAt + kCrcSize) : QByteArray();
        if (whole.size() < crcAt + kCrcSize
            || get<quint32>(whole.constData() + crcAt) != crc32c(whole.constData(), qsizetype(crcAt))) {
            damage(Dat, QStringLiteral("the header fails its checksum"));
            return false;
        }
        const quint32 version = get<quint32>(fixed.constData() + kVersionOffset);
        if (version != kFormatVersion) {
            add(TableCheckFinding::Kind::Unreadable, Dat,
                QStringLiteral("format version %1; this program reads version %2").arg(version).arg(kFormatVersion));
            return false;
        }
        try {
            m_header = readDatHeader(dat, m_paths[Dat]);
        } catch (const EDatabaseError& e) {
            damage(Dat, e.message());
            return false;
        }
        m_result.indexes = quint32(m_header.schema.indexes.size());
        return true;
    }

    void checkBlb()
    {
        m_blb = openFile(Blb);
        if (!m_blb) {
            damage(Blb, QStringLiteral("the document file is missing"));
            return;
        }
        try {
            m_blbSize = checkBlbHeader(*m_blb, m_paths[Blb], m_header);
        } catch (const EDatabaseError& e) {
            damage(Blb, e.message());
            m_blb.reset();
            return;
        }
        const int blockSize = m_header.schema.properties.blobBlockSize;
        if ((m_blbSize - kBlbDataOffset) % blockSize != 0)
            note(Blb, QStringLiteral("the file ends inside a block (a document write cut short; no row needs it "
                                     "unless reported below)"));
        m_blocks = quint64(std::max<qint64>(0, m_blbSize - kBlbDataOffset)) / quint64(blockSize);
    }

    // The .idx file as far as it is readable and of this table; notes why not otherwise.
    void readIdx()
    {
        std::unique_ptr<File> file = openFile(Idx);
        if (!file) {
            note(Idx, QStringLiteral("the index cache is missing; it is rebuilt when the table opens"));
            return;
        }
        const QByteArray b = file->read(0, file->size());
        const char* p = b.constData();
        const auto unusable = [&](const QString& why) {
            note(Idx, QStringLiteral("the index cache %1; it is rebuilt when the table opens").arg(why));
        };
        if (b.size() < kMagicSize || std::memcmp(p, kIdxMagic, kMagicSize) != 0)
            return unusable(QStringLiteral("has no index file's magic number"));
        if (b.size() < kIdxFixedSize + kCrcSize || get<quint32>(p + b.size() - kCrcSize) != crc32c(p, b.size() - kCrcSize))
            return unusable(QStringLiteral("fails its checksum (a write cut short)"));
        if (get<quint32>(p + kVersionOffset) != kFormatVersion || get<quint32>(p + kHeaderSizeOffset) != quint32(b.size()))
            return unusable(QStringLiteral("has a header this program does not read"));
        if (QByteArray(p + kTableIdOffset, kTableIdSize) != m_header.tableId)
            return unusable(QStringLiteral("belongs to another table"));
        // The header checksum holds from here: what it says was written by the engine.
        IdxContent idx;
        idx.seq = get<quint64>(p + kIdxSeqOffset);
        idx.digest = get<quint64>(p + kIdxDigestOffset);
        idx.rowCount = get<quint32>(p + kIdxRowCountOffset);
        const quint32 count = get<quint32>(p + kIdxIndexCountOffset);
        Reader r(p + kIdxFixedSize, b.size() - kIdxFixedSize - kCrcSize);
        for (quint32 i = 0; i < count && r.ok(); ++i) {
            idx.indexes.append(readIndexDef(r));
            const quint32 n = r.u32();
            if (!r.ok() || qint64(n) * 4 > b.size() || !r.skip(qsizetype(n) * 4))
                break;
            std::vector<quint32> list(n);
            if (n > 0)
                qFromLittleEndian<quint32>(p + kIdxFixedSize + r.pos() - qsizetype(n) * 4, n, list.data());
            idx.order.push_back(std::move(list));
        }
        if (!r.ok() || !r.atEnd() || idx.order.size() != count) {
            damage(Idx, QStringLiteral("the index cache passes its checksum but its lists cannot be read"));
            return;
        }
        m_idx = std::move(idx);
    }

    CopyInfo readCopy(const char* p, qsizetype available, quint32 slot)
    {
        CopyInfo c;
        const int size = m_header.copySize;
        if (available <= 0)
            return c;
        if (available < size) {
            c.state = CopyInfo::State::Torn;
            c.problem = QStringLiteral("the file ends inside it");
            c.seq = available >= 8 ? get<quint64>(p) : 0;
            return c;
        }
        if (allZero(p, size)) {
            c.state = CopyInfo::State::Empty;
            return c;
        }
        c.seq = get<quint64>(p + kCopySeqOffset);
        c.checksumHolds = get<quint32>(p + size - kCopyTrailerSize) == crc32c(p, size - kCopyTrailerSize);
        const CopyHeader h = readCopyHeader(p, size, slot);
        c.state = CopyInfo::State::Torn;
        if (!c.checksumHolds) {
            c.problem = QStringLiteral("fails its checksum");
        } else if (!h.valid) {
            c.problem = QStringLiteral("passes its checksum but names slot %1, state %2, write %3")
                            .arg(get<quint32>(p + kCopySlotOffset))
                            .arg(get<quint32>(p + kCopyStateOffset))
                            .arg(c.seq);
        } else if (h.state == kStateRow && !decodeRow(m_header.schema, p + kCopyPayloadOffset, &c.values)) {
            c.problem = QStringLiteral("passes its checksum but its values are not a row of this table");
        } else {
            c.state = CopyInfo::State::Valid;
            c.rowState = h.state;
            c.slotCount = h.slotCount;
        }
        return c;
    }

    void checkSlots(File& dat)
    {
        const qint64 copySize = m_header.copySize;
        const qint64 slotSize = 2 * copySize;
        const qint64 datSize = dat.size();
        if (datSize < m_header.slotBase) {
            damage(Dat, QStringLiteral("the file ends inside its header"));
            return;
        }
        const qint64 slotCount = (datSize - m_header.slotBase + slotSize - 1) / slotSize;
        if (slotCount > qint64(std::numeric_limits<quint32>::max())) {
            damage(Dat, QStringLiteral("the file is too long to be a table"));
            return;
        }
        m_slots.assign(size_t(slotCount), SlotInfo());
        const qint64 chunkSlots = std::max<qint64>(1, (4 << 20) / slotSize);
        quint64 newestSeq = 0;
        quint32 expectedSlots = 0;
        for (qint64 first = 0; first < slotCount; first += chunkSlots) {
            const qint64 count = std::min(chunkSlots, slotCount - first);
            const QByteArray chunk = dat.read(m_header.slotBase + first * slotSize, count * slotSize);
            for (qint64 k = 0; k < count; ++k) {
                SlotInfo& s = m_slots[size_t(first + k)];
                for (int c = 0; c < 2; ++c) {
                    const qint64 at = k * slotSize + c * copySize;
                    s.copies[c] = readCopy(chunk.constData() + at, chunk.size() - at, quint32(first + k));
                    const CopyInfo& ci = s.copies[c];
                    if (ci.state == CopyInfo::State::Valid && ci.seq > newestSeq) {
                        newestSeq = ci.seq;
                        expectedSlots = ci.slotCount;
                    }
                }
                const CopyInfo* cs = s.copies;
                if (cs[0].state == CopyInfo::State::Valid && (cs[1].state != CopyInfo::State::Valid || cs[0].seq >= cs[1].seq))
                    s.winner = 0;
                else if (cs[1].state == CopyInfo::State::Valid)
                    s.winner = 1;
            }
        }
        m_committedSeq = newestSeq;

        quint32 present = quint32(m_slots.size());
        // Only the last slot may lack a valid copy: an append that a crash cut short.
        if (present > 0 && m_slots[present - 1].winner < 0 && present - 1 >= expectedSlots) {
            note(Dat, QStringLiteral("row slot %1 was being added when a write stopped; the table opens without it")
                          .arg(present - 1));
            --present;
        }
        if (present < expectedSlots)
            damage(Dat, QStringLiteral("the file ends before its last rows: the newest write records %1 slots, %2 are "
                                       "readable")
                            .arg(expectedSlots)
                            .arg(present));
        m_slots.resize(present);
        m_result.slotCount = present;

        for (quint32 slot = 0; slot < present; ++slot) {
            SlotInfo& s = m_slots[slot];
            if (s.winner < 0) {
                damage(Dat, QStringLiteral("row slot %1 has no readable copy (copy 0 %2, copy 1 %3)")
                                .arg(slot)
                                .arg(copyText(s.copies[0]), copyText(s.copies[1])));
                continue;
            }
            const CopyInfo& win = s.copies[s.winner];
            const CopyInfo& other = s.copies[1 - s.winner];
            if (win.rowState == kStateRow) {
                ++m_result.rows;
                m_digest += digestTerm(slot, win.seq);
            } else {
                ++m_result.deletedRows;
            }
            if (other.state != CopyInfo::State::Torn)
                continue;
            // A crash tears the copy being written, which always carries a later write than
            // the copy that stands. A torn copy older than that was changed on disk.
            if (!other.checksumHolds && other.seq > win.seq)
                m_torn.push_back(TornCandidate{slot, 1 - s.winner, other.seq});
            else
                damage(Dat, QStringLiteral("copy %1 of row slot %2 %3, though no write to it can have been pending "
                                           "(copy %4 holds the later write %5)")
                                .arg(1 - s.winner)
                                .arg(slot)
                                .arg(other.problem)
                                .arg(s.winner)
                                .arg(win.seq));
        }
    }

    static QString copyText(const CopyInfo& c)
    {
        switch (c.state) {
        case CopyInfo::State::Absent: return QStringLiteral("absent");
        case CopyInfo::State::Empty: return QStringLiteral("never written");
        case CopyInfo::State::Valid: return QStringLiteral("valid");
        case CopyInfo::State::Torn: return c.problem;
        }
        return {};
    }

    const RowValues* liveValues(quint32 slot) const
    {
        const SlotInfo& s = m_slots[slot];
        if (s.winner < 0 || s.copies[s.winner].rowState != kStateRow)
            return nullptr;
        return &s.copies[s.winner].values;
    }

    // RecordIDs, required fields and unique keys of the rows that stand.
    void checkRows()
    {
        const TableSchema& schema = m_header.schema;
        std::map<qint64, quint32> ids;
        for (quint32 slot = 0; slot < m_slots.size(); ++slot) {
            const RowValues* v = liveValues(slot);
            if (!v)
                continue;
            TableRow row;
            row.slot = slot;
            row.values = *v;
            row.recordId = v->last().toLongLong();
            if (auto [it, inserted] = ids.emplace(row.recordId, slot); !inserted)
                damage(Dat, QStringLiteral("row slots %1 and %2 have the same RecordID %3").arg(it->second).arg(slot).arg(row.recordId));
            for (qsizetype i = 0; i < schema.fields.size(); ++i)
                if (schema.fields[i].required && row.values[i].isNull())
                    damage(Dat, QStringLiteral("row slot %1 has no value in the required field '%2'").arg(slot).arg(schema.fields[i].name));
            m_rows.push_back(std::move(row));
        }
        for (const IndexDef& ix : schema.indexes) {
            IndexOrder order = makeOrder(ix);
            std::vector<TableRow*> all;
            for (TableRow& r : m_rows)
                all.push_back(&r);
            order.build(all);
            if (!ix.isUnique())
                continue;
            for (int i = 1; i < order.size(); ++i)
                if (order.compareKey(order.at(i)->values, order.keyOf(order.at(i - 1)->values)) == 0)
                    damage(Dat, QStringLiteral("row slots %1 and %2 have the same key in the unique index '%3' (%4)")
                                    .arg(order.at(i - 1)->slot)
                                    .arg(order.at(i)->slot)
                                    .arg(ix.name.isEmpty() ? QStringLiteral("primary") : ix.name, ix.fields));
        }
    }

    IndexOrder makeOrder(const IndexDef& ix) const
    {
        std::vector<int> pos;
        std::vector<FieldType> types;
        for (const QString& n : ix.fieldNames()) {
            const int f = m_header.schema.fieldIndex(n);
            pos.push_back(f);
            types.push_back(m_header.schema.fields.at(f).type);
        }
        return IndexOrder(ix, std::move(pos), std::move(types));
    }

    void checkDocuments()
    {
        const TableSchema& schema = m_header.schema;
        const int blockSize = schema.properties.blobBlockSize;
        std::vector<qint64> owner(size_t(m_blocks), -1);
        for (const TableRow& row : m_rows) {
            for (qsizetype i = 0; i < schema.fields.size(); ++i) {
                if (schema.fields[i].type != FieldType::Blob || row.values[i].isNull())
                    continue;
                const BlobRef ref = row.values[i].value<BlobRef>();
                const QString what = QStringLiteral("the document of row slot %1 (field '%2', blocks %3..)")
                                         .arg(row.slot)
                                         .arg(schema.fields[i].name)
                                         .arg(ref.firstBlock);
                ++m_result.documents;
                m_result.documentBytes += ref.length;
                if (ref.length == 0)
                    continue;
                if (!m_blb) {
                    damage(Blb, QStringLiteral("%1 cannot be read").arg(what));
                    continue;
                }
                const quint64 blocks = blocksFor(ref.length, blockSize);
                if (quint64(ref.firstBlock) + blocks > m_blocks) {
                    damage(Blb, QStringLiteral("%1 lies past the end of the file (%2 bytes in %3 blocks; the file has "
                                               "%4 blocks)")
                                    .arg(what)
                                    .arg(ref.length)
                                    .arg(blocks)
                                    .arg(m_blocks));
                    continue;
                }
                for (quint64 b = ref.firstBlock; b < ref.firstBlock + blocks; ++b) {
                    if (owner[b] >= 0 && owner[b] != qint64(row.slot)) {
                        damage(Blb, QStringLiteral("%1 shares block %2 with row slot %3").arg(what).arg(b).arg(owner[b]));
                        break;
                    }
                    owner[b] = row.slot;
                }
                const QByteArray data = m_blb->read(kBlbDataOffset + qint64(ref.firstBlock) * blockSize, ref.length);
                if (data.size() != qsizetype(ref.length))
                    damage(Blb, QStringLiteral("%1 is cut short").arg(what));
                else if (crc32c(data) != ref.checksum)
                    damage(Blb, QStringLiteral("%1 fails its checksum").arg(what));
            }
        }
    }

    void checkIdx()
    {
        if (!m_idx)
            return;
        const IdxContent& idx = *m_idx;
        if (idx.seq > m_committedSeq) {
            damage(Dat, QStringLiteral("%1 records write %2, but the newest write here is %3: committed changes are lost")
                            .arg(m_names[Idx])
                            .arg(idx.seq)
                            .arg(m_committedSeq));
            return;
        }
        if (idx.seq == m_committedSeq && (idx.digest != m_digest || idx.rowCount != m_rows.size())) {
            // Written for this very write, yet for other rows: a committed row state is gone.
            damage(Dat, QStringLiteral("%1 was written after write %2, the newest here, but for other rows (%3 rows, "
                                       "%4 readable): committed rows are lost")
                            .arg(m_names[Idx])
                            .arg(idx.seq)
                            .arg(idx.rowCount)
                            .arg(m_rows.size()));
            return;
        }
        if (idx.seq != m_committedSeq) {
            note(Idx, QStringLiteral("the index cache describes an older state of the rows (write %1, now %2); it is "
                                     "rebuilt when the table opens")
                          .arg(idx.seq)
                          .arg(m_committedSeq));
            return;
        }
        // It claims to describe these very rows: then every list must be right.
        if (idx.indexes != m_header.schema.indexes) {
            damage(Idx, QStringLiteral("the index cache has other index definitions than the table"));
            return;
        }
        std::map<quint32, TableRow*> bySlot;
        for (TableRow& r : m_rows)
            bySlot[r.slot] = &r;
        for (qsizetype i = 0; i < idx.indexes.size(); ++i) {
            const IndexDef& ix = idx.indexes[i];
            const QString name = ix.name.isEmpty() ? QStringLiteral("primary") : ix.name;
            const std::vector<quint32>& list = idx.order[size_t(i)];
            std::vector<TableRow*> rows;
            std::set<quint32> seen;
            QString problem;
            for (quint32 slot : list) {
                auto it = bySlot.find(slot);
                if (it == bySlot.end()) {
                    problem = QStringLiteral("lists slot %1, which holds no row").arg(slot);
                    break;
                }
                if (!seen.insert(slot).second) {
                    problem = QStringLiteral("lists slot %1 twice").arg(slot);
                    break;
                }
                rows.push_back(it->second);
            }
            if (problem.isEmpty() && rows.size() != m_rows.size())
                problem = QStringLiteral("lists %1 of %2 rows").arg(rows.size()).arg(m_rows.size());
            if (problem.isEmpty()) {
                IndexOrder order = makeOrder(ix);
                for (size_t k = 1; k < rows.size() && problem.isEmpty(); ++k)
                    if (order.compare(*rows[k - 1], *rows[k]) >= 0)
                        problem = QStringLiteral("is out of key order at entry %1 (slot %2)").arg(k).arg(rows[k]->slot);
            }
            if (!problem.isEmpty())
                damage(Idx, QStringLiteral("index '%1' of the cache %2").arg(name, problem));
        }
    }

    // A torn copy newer than the one that stands is what a crash during its write leaves,
    // unless the index cache shows that this write had been committed.
    void resolveTornCopies()
    {
        for (const TornCandidate& t : m_torn) {
            if (m_idx && t.seq <= m_idx->seq && (m_idx->seq > m_committedSeq || m_idx->digest != m_digest))
                damage(Dat, QStringLiteral("copy %1 of row slot %2 fails its checksum; it held write %3, which %4 "
                                           "records as committed: the row's newest state is lost")
                                .arg(t.copy)
                                .arg(t.slot)
                                .arg(t.seq)
                                .arg(m_names[Idx]));
            else
                note(Dat, QStringLiteral("copy %1 of row slot %2 is torn (a write that did not complete, as a crash "
                                         "leaves it); the other copy stands")
                              .arg(t.copy)
                              .arg(t.slot));
        }
    }

    FileSystem& m_fs;
    QStringList m_paths, m_names;
    TableCheckResult m_result;
    DatHeader m_header;
    std::unique_ptr<File> m_blb;
    qint64 m_blbSize = 0;
    quint64 m_blocks = 0;
    std::optional<IdxContent> m_idx;
    std::vector<SlotInfo> m_slots;
    std::vector<TableRow> m_rows;
    std::vector<TornCandidate> m_torn;
    quint64 m_committedSeq = 0;
    quint64 m_digest = 0;
};

} // namespace

TableCheckResult checkTableFiles(FileSystem& fs, const QString& datPath)
{
    return Checker(fs, datPath).run();
}
