#include "FaultFileSystem.h"

#include "platform/core/Exception.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr qint64 kSector = 512;

// Copies the sectors of a write that keep() accepts into image, making it longer if needed.
template<typename Keep> void applyWrite(QByteArray& image, qint64 offset, const QByteArray& data, Keep keep)
{
    const qint64 end = offset + data.size();
    int piece = 0;
    for (qint64 from = offset; from < end; ++piece) {
        const qint64 to = std::min(end, (from / kSector + 1) * kSector);
        if (keep(piece)) {
            if (image.size() < to)
                image.append(QByteArray(qsizetype(to - image.size()), '\0'));
            std::memcpy(image.data() + from, data.constData() + (from - offset), size_t(to - from));
        }
        from = to;
    }
}

int sectorPieces(qint64 offset, qint64 length)
{
    if (length <= 0)
        return 0;
    return int((offset + length - 1) / kSector - offset / kSector + 1);
}

void resize(QByteArray& image, qint64 length)
{
    if (length <= image.size())
        image.truncate(qsizetype(length));
    else
        image.append(QByteArray(qsizetype(length - image.size()), '\0'));
}

} // namespace

class FaultFile final : public File
{
public:
    FaultFile(FaultFileSystem& fs, QString path, std::unique_ptr<File> inner)
        : m_fs(fs), m_path(std::move(path)), m_inner(std::move(inner))
    {
    }

    qint64 size() override
    {
        m_fs.throwIfCrashed(m_path);
        return m_inner->size();
    }

    QByteArray read(qint64 offset, qint64 length) override
    {
        m_fs.throwIfCrashed(m_path);
        return m_inner->read(offset, length);
    }

    void write(qint64 offset, const QByteArray& data) override
    {
        m_fs.throwIfCrashed(m_path);
        if (m_fs.beginOperation()) {
            QByteArray part;
            if (m_fs.m_effect == FaultFileSystem::PartialWrite::Half)
                part = data.left(data.size() / 2);
            else if (m_fs.m_effect == FaultFileSystem::PartialWrite::All)
                part = data;
            if (!part.isEmpty())
                apply(offset, part);
            m_fs.throwPlanned("write", m_path);
        }
        apply(offset, data);
        m_fs.afterOperation();
    }

    void truncate(qint64 length) override
    {
        m_fs.throwIfCrashed(m_path);
        if (m_fs.beginOperation())
            m_fs.throwPlanned("truncate", m_path);
        auto& t = m_fs.track(m_path);
        m_inner->truncate(length);
        t.pending.push_back({true, length, {}, ++m_fs.m_pendingOrder});
        m_fs.afterOperation();
    }

    void sync() override
    {
        m_fs.throwIfCrashed(m_path);
        if (m_fs.beginOperation())
            m_fs.throwPlanned("sync", m_path);
        m_inner->sync();
        auto& t = m_fs.track(m_path);
        t.durable = m_inner->read(0, m_inner->size());
        t.pending.clear();
        m_fs.afterOperation();
    }

private:
    void apply(qint64 offset, const QByteArray& data)
    {
        auto& t = m_fs.track(m_path);
        m_inner->write(offset, data);
        t.pending.push_back({false, offset, data, ++m_fs.m_pendingOrder});
    }

    FaultFileSystem& m_fs;
    QString m_path;
    std::unique_ptr<File> m_inner;
};

std::unique_ptr<File> FaultFileSystem::open(const QString& path, OpenMode mode)
{
    throwIfCrashed(path);
    auto inner = m_inner.open(path, mode);
    if (mode == OpenMode::CreateNew)
        m_tracked.insert(path, Tracked{});
    return std::make_unique<FaultFile>(*this, path, std::move(inner));
}

bool FaultFileSystem::exists(const QString& path)
{
    throwIfCrashed(path);
    return m_inner.exists(path);
}

bool FaultFileSystem::remove(const QString& path)
{
    throwIfCrashed(path);
    m_tracked.remove(path);
    return m_inner.remove(path);
}

void FaultFileSystem::syncFolder(const QString& folder)
{
    throwIfCrashed(folder);
    if (beginOperation())
        throwPlanned("sync the folder", folder);
    m_inner.syncFolder(folder);
    afterOperation();
}

void FaultFileSystem::failAt(int operation, Error error, PartialWrite effect, bool persistent)
{
    m_failAt = operation;
    m_error = error;
    m_effect = effect;
    m_persistent = persistent;
}

void FaultFileSystem::crashAfter(int operation, CrashKeep keep, quint32 seed)
{
    m_crashAfter = operation;
    m_keep = keep;
    m_random.seed(seed);
}

void FaultFileSystem::clearFaults()
{
    m_failAt = 0;
    m_crashAfter = 0;
    m_count = 0;
}

bool FaultFileSystem::beginOperation()
{
    ++m_count;
    return m_failAt > 0 && (m_count == m_failAt || (m_persistent && m_count > m_failAt));
}

void FaultFileSystem::throwIfCrashed(const QString& path) const
{
    if (m_crashed)
        throw EDatabaseError(QStringLiteral("Cannot reach '%1': the machine has crashed").arg(path));
}

void FaultFileSystem::throwPlanned(const char* what, const QString& path) const
{
    const int err = m_error == Error::Io ? EIO : ENOSPC;
    throw EDatabaseError(
        QStringLiteral("Cannot %1 '%2': %3").arg(QLatin1String(what), path, QString::fromLocal8Bit(std::strerror(err))));
}

void FaultFileSystem::afterOperation()
{
    if (m_crashAfter > 0 && m_count == m_crashAfter)
        crashNow();
}

FaultFileSystem::Tracked& FaultFileSystem::track(const QString& path)
{
    auto it = m_tracked.find(path);
    if (it == m_tracked.end()) {
        auto file = m_inner.open(path, OpenMode::ReadOnly);
        it = m_tracked.insert(path, Tracked{file->read(0, file->size()), {}});
    }
    return it.value();
}

QByteArray FaultFileSystem::crashImage(const Tracked& t, quint64 newest)
{
    QByteArray image = t.durable;
    for (const Pending& p : t.pending) {
        const qint64 length = p.truncate ? 0 : p.data.size();
        const int pieces = sectorPieces(p.offset, length);
        switch (m_keep) {
        case CrashKeep::Nothing: continue;
        case CrashKeep::Everything: break;
        case CrashKeep::TornLast:
            if (p.order == newest) {
                if (!p.truncate)
                    applyWrite(image, p.offset, p.data, [&](int piece) { return pieces > 1 && piece < (pieces + 1) / 2; });
                continue;
            }
            break;
        case CrashKeep::Random: {
            const int choice = int(m_random.bounded(3));
            if (choice == 0) { // lost; the new length may survive without its bytes
                if (!p.truncate && p.offset + length > image.size() && m_random.bounded(2) == 0)
                    resize(image, p.offset + length);
                continue;
            }
            if (choice == 2 && !p.truncate) {
                std::vector<bool> keep(static_cast<size_t>(pieces), false);
                for (int i = 0; i < pieces; ++i)
                    keep[size_t(i)] = m_random.bounded(2) == 0;
                applyWrite(image, p.offset, p.data, [&](int piece) { return keep[size_t(piece)]; });
                continue;
            }
            break;
        }
        }
        if (p.truncate)
            resize(image, p.offset);
        else
            applyWrite(image, p.offset, p.data, [](int) { return true; });
    }
    return image;
}

void FaultFileSystem::crashNow()
{
    quint64 newest = 0;
    for (const Tracked& t : std::as_const(m_tracked))
        for (const Pending& p : t.pending)
            newest = std::max(newest, p.order);
    for (auto it = m_tracked.cbegin(); it != m_tracked.cend(); ++it) {
        if (it.value().pending.empty() || !m_inner.exists(it.key()))
            continue;
        const QByteArray image = crashImage(it.value(), newest);
        auto file = m_inner.open(it.key(), OpenMode::ReadWrite);
        file->write(0, image);
        file->truncate(image.size());
    }
    m_tracked.clear();
    m_crashed = true;
}
