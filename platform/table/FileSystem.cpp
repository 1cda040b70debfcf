#include "FileSystem.h"

#include "platform/core/Exception.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const char* what, const QString& path, int err)
{
    throw EDatabaseError(QStringLiteral("Cannot %1 '%2': %3")
                             .arg(QLatin1String(what), path, QString::fromLocal8Bit(std::strerror(err))));
}

class PosixFile final : public File
{
public:
    PosixFile(int fd, QString path, bool readOnly) : m_fd(fd), m_path(std::move(path)), m_readOnly(readOnly) {}
    ~PosixFile() override { ::close(m_fd); }

    qint64 size() override
    {
        struct stat st;
        if (::fstat(m_fd, &st) != 0)
            fail("read the size of", m_path, errno);
        return st.st_size;
    }

    QByteArray read(qint64 offset, qint64 length) override
    {
        if (offset < 0 || length < 0)
            throw EDatabaseError(QStringLiteral("Cannot read '%1': invalid position").arg(m_path));
        const qint64 available = std::max<qint64>(0, std::min(length, size() - offset));
        QByteArray data(qsizetype(available), Qt::Uninitialized);
        qint64 done = 0;
        while (done < available) {
            const ssize_t n = ::pread(m_fd, data.data() + done, size_t(available - done), off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                fail("read", m_path, errno);
            }
            if (n == 0)
                break; // the file shrank meanwhile
            done += n;
        }
        data.truncate(qsizetype(done));
        return data;
    }

    void write(qint64 offset, const QByteArray& data) override
    {
        if (m_readOnly)
            fail("write", m_path, EBADF);
        qint64 done = 0;
        while (done < data.size()) {
            const ssize_t n = ::pwrite(m_fd, data.constData() + done, size_t(data.size() - done), off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                fail("write", m_path, errno);
            }
            done += n;
        }
    }

    void truncate(qint64 length) override
    {
        while (::ftruncate(m_fd, off_t(length)) != 0) {
            if (errno != EINTR)
                fail("truncate", m_path, errno);
        }
    }

    void sync() override
    {
        while (::fsync(m_fd) != 0) {
            if (errno != EINTR)
                fail("sync", m_path, errno);
        }
    }

private:
    int m_fd;
    QString m_path;
    bool m_readOnly;
};

class PosixFileSystem final : public FileSystem
{
public:
    std::unique_ptr<File> open(const QString& path, OpenMode mode) override
    {
        int flags = O_CLOEXEC;
        switch (mode) {
        case OpenMode::ReadWrite: flags |= O_RDWR; break;
        case OpenMode::ReadOnly: flags |= O_RDONLY; break;
        case OpenMode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
        }
        int fd;
        do
            fd = ::open(QFile::encodeName(path).constData(), flags, 0644);
        while (fd < 0 && errno == EINTR);
        if (fd < 0)
            fail(mode == OpenMode::CreateNew ? "create" : "open", path, errno);
        return std::make_unique<PosixFile>(fd, path, mode == OpenMode::ReadOnly);
    }

    bool exists(const QString& path) override
    {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0;
    }

    bool remove(const QString& path) override { return ::unlink(QFile::encodeName(path).constData()) == 0; }

    void syncFolder(const QString& folder) override
    {
        const QString dir = folder.isEmpty() ? QStringLiteral(".") : folder;
        const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            fail("open the folder", dir, errno);
        int rc;
        do
            rc = ::fsync(fd);
        while (rc != 0 && errno == EINTR);
        const int err = errno;
        ::close(fd);
        if (rc != 0)
            fail("sync the folder", dir, err);
    }
};

} // namespace

FileSystem& realFileSystem()
{
    static PosixFileSystem fs;
    return fs;
}
