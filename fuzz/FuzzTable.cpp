#include "FuzzTable.h"

#include "platform/table/StoreFormat.h"

#include <QtEndian>

namespace FuzzTable {

namespace {

constexpr quint32 kNoFile = 0xFFFFFFFFu;

QString path(const char* extension) { return kFolder + QStringLiteral("/Trip") + QLatin1String(extension); }

} // namespace

QByteArray join(const QByteArray& dat, const QByteArray* idx, const QByteArray& blb)
{
    QByteArray out(8, '\0');
    qToLittleEndian<quint32>(quint32(dat.size()), out.data());
    qToLittleEndian<quint32>(idx ? quint32(idx->size()) : kNoFile, out.data() + 4);
    out += dat;
    if (idx)
        out += *idx;
    out += blb;
    return out;
}

void split(const QByteArray& input, MemoryFileSystem& fs)
{
    fs.addFolder(kFolder);
    if (input.size() < 8) {
        fs.setFileData(path(".dat"), input);
        return;
    }
    const quint32 datLength = qFromLittleEndian<quint32>(input.constData());
    const quint32 idxLength = qFromLittleEndian<quint32>(input.constData() + 4);
    qsizetype at = 8;
    const auto take = [&](quint32 length) {
        const qsizetype n = std::min<qsizetype>(qsizetype(length), input.size() - at);
        const QByteArray part = input.mid(at, n);
        at += n;
        return part;
    };
    fs.setFileData(path(".dat"), take(datLength));
    if (idxLength != kNoFile)
        fs.setFileData(path(".idx"), take(idxLength));
    fs.setFileData(path(".blb"), input.mid(at));
}

void sealChecksums(MemoryFileSystem& fs)
{
    using namespace StoreFormat;
    const auto sealAt = [](QByteArray& bytes, qsizetype end) {
        if (end >= 0 && end + kCrcSize <= bytes.size())
            qToLittleEndian<quint32>(crc32c(bytes.constData(), end), bytes.data() + end);
    };
    QByteArray dat = fs.fileData(path(".dat"));
    if (dat.size() >= kDatSchemaOffset) {
        const quint32 schemaLength = qFromLittleEndian<quint32>(dat.constData() + kDatSchemaLengthOffset);
        if (schemaLength <= quint32(dat.size()))
            sealAt(dat, kDatSchemaOffset + qsizetype(schemaLength));
        const quint32 slot0 = qFromLittleEndian<quint32>(dat.constData() + kHeaderSizeOffset);
        const quint32 copy = qFromLittleEndian<quint32>(dat.constData() + kDatCopySizeOffset);
        if (copy > quint32(kCopyPayloadOffset + kCopyTrailerSize) && slot0 < quint32(dat.size()))
            for (qsizetype at = slot0; at + qsizetype(copy) <= dat.size(); at += copy)
                sealAt(dat, at + qsizetype(copy) - kCopyTrailerSize);
        fs.setFileData(path(".dat"), dat);
    }
    QByteArray blb = fs.fileData(path(".blb"));
    if (blb.size() >= kBlbHeaderUsed) {
        sealAt(blb, kBlbHeaderCrcOffset);
        fs.setFileData(path(".blb"), blb);
    }
    if (fs.exists(path(".idx"))) {
        QByteArray idx = fs.fileData(path(".idx"));
        if (idx.size() >= kIdxFixedSize + kCrcSize) {
            sealAt(idx, idx.size() - kCrcSize);
            fs.setFileData(path(".idx"), idx);
        }
    }
}

} // namespace FuzzTable
