#include "MemoryFileSystem.h"

#include "platform/core/Exception.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(std::max<qsizetype>(slash, 1));
}

[[noreturn]] void fail(const char* what, const QString& path, int err)
{
    throw EDatabaseError(QStringLiteral("Cannot %1 '%2': %3")
                             .arg(QLatin1String(what), path, QString::fromLocal8Bit(std::strerror(err))));
}

class MemoryFile final : public File
{
public:
    MemoryFile(std::shared_ptr<QByteArray> data, QString path, bool readOnly)
        : m_data(std::move(data)), m_path(std::move(path)), m_readOnly(readOnly)
    {
    }

    qint64 size() override { return m_data->size(); }

    QByteArray read(qint64 offset, qint64 length) override
    {
        if (offset < 0 || length < 0)
            throw EDatabaseError(QStringLiteral("Cannot read '%1': invalid position").arg(m_path));
        if (offset >= m_data->size())
            return {};
        return m_data->mid(qsizetype(offset), qsizetype(std::min<qint64>(length, m_data->size() - offset)));
    }

    void write(qint64 offset, const QByteArray& data) override
    {
        if (m_readOnly)
            fail("write", m_path, EBADF);
        if (offset < 0)
            fail("write", m_path, EINVAL);
        const qint64 end = offset + data.size();
        if (end > m_data->size())
            m_data->append(QByteArray(qsizetype(end - m_data->size()), '\0'));
        std::memcpy(m_data->data() + offset, data.constData(), size_t(data.size()));
    }

    void truncate(qint64 length) override
    {
        if (m_readOnly)
            fail("truncate", m_path, EBADF);
        if (length < 0)
            fail("truncate", m_path, EINVAL);
        if (length <= m_data->size())
            m_data->truncate(qsizetype(length));
        else
            m_data->append(QByteArray(qsizetype(length - m_data->size()), '\0'));
    }

    void sync() override {}

private:
    std::shared_ptr<QByteArray> m_data;
    QString m_path;
    bool m_readOnly;
};

} // namespace

MemoryFileSystem::MemoryFileSystem()
{
    m_folders.insert(QStringLiteral("/"));
    m_folders.insert(QString());
}

MemoryFileSystem::MemoryFileSystem(const MemoryFileSystem& other)
    : FileSystem(), m_folders(other.m_folders), m_readOnlyFolders(other.m_readOnlyFolders)
{
    for (auto it = other.m_files.cbegin(); it != other.m_files.cend(); ++it)
        m_files.insert(it.key(), std::make_shared<QByteArray>(*it.value()));
}

MemoryFileSystem& MemoryFileSystem::operator=(const MemoryFileSystem& other)
{
    if (this != &other) {
        MemoryFileSystem copy(other);
        m_files.swap(copy.m_files);
        m_folders.swap(copy.m_folders);
        m_readOnlyFolders.swap(copy.m_readOnlyFolders);
    }
    return *this;
}

std::unique_ptr<File> MemoryFileSystem::open(const QString& path, OpenMode mode)
{
    auto it = m_files.find(path);
    if (mode == OpenMode::CreateNew) {
        if (it != m_files.end() || m_folders.contains(path))
            fail("create", path, EEXIST);
        const QString folder = folderOf(path);
        if (!m_folders.contains(folder))
            fail("create", path, ENOENT);
        if (m_readOnlyFolders.contains(folder))
            fail("create", path, EACCES);
        it = m_files.insert(path, std::make_shared<QByteArray>());
    } else if (it == m_files.end()) {
        fail("open", path, m_folders.contains(path) ? EISDIR : ENOENT);
    }
    return std::make_unique<MemoryFile>(it.value(), path, mode == OpenMode::ReadOnly);
}

bool MemoryFileSystem::exists(const QString& path) { return m_files.contains(path) || m_folders.contains(path); }

bool MemoryFileSystem::remove(const QString& path)
{
    if (m_readOnlyFolders.contains(folderOf(path)))
        return false;
    return m_files.remove(path) > 0;
}

void MemoryFileSystem::syncFolder(const QString& folder)
{
    if (!m_folders.contains(folder))
        fail("open the folder", folder, ENOENT);
}

void MemoryFileSystem::addFolder(const QString& folder)
{
    QString f = folder;
    while (!f.isEmpty() && !m_folders.contains(f)) {
        m_folders.insert(f);
        f = folderOf(f);
    }
}

void MemoryFileSystem::setFolderReadOnly(const QString& folder, bool readOnly)
{
    if (readOnly)
        m_readOnlyFolders.insert(folder);
    else
        m_readOnlyFolders.remove(folder);
}

QByteArray MemoryFileSystem::fileData(const QString& path) const
{
    auto it = m_files.constFind(path);
    return it == m_files.constEnd() ? QByteArray() : *it.value();
}

void MemoryFileSystem::setFileData(const QString& path, const QByteArray& data)
{
    addFolder(folderOf(path));
    auto it = m_files.find(path);
    if (it == m_files.end())
        m_files.insert(path, std::make_shared<QByteArray>(data));
    else
        *it.value() = data; // open handles see the new bytes
}

QStringList MemoryFileSystem::files() const
{
    QStringList list = m_files.keys();
    list.sort();
    return list;
}
