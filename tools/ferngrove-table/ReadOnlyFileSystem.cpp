#include "ReadOnlyFileSystem.h"

#include "platform/core/Exception.h"

namespace {

[[noreturn]] void refuse(const char* what, const QString& path)
{
    throw EDatabaseError(QStringLiteral("Cannot %1 '%2': the table is open for reading only").arg(QLatin1String(what), path));
}

class ReadOnlyFile final : public File
{
public:
    ReadOnlyFile(std::unique_ptr<File> base, QString path) : m_base(std::move(base)), m_path(std::move(path)) {}
    qint64 size() override { return m_base->size(); }
    QByteArray read(qint64 offset, qint64 length) override { return m_base->read(offset, length); }
    void write(qint64, const QByteArray&) override { refuse("write", m_path); }
    void truncate(qint64) override { refuse("truncate", m_path); }
    void sync() override {} // nothing was written

private:
    std::unique_ptr<File> m_base;
    QString m_path;
};

} // namespace

std::unique_ptr<File> ReadOnlyFileSystem::open(const QString& path, OpenMode mode)
{
    if (mode == OpenMode::CreateNew)
        refuse("create", path);
    return std::make_unique<ReadOnlyFile>(m_base.open(path, OpenMode::ReadOnly), path);
}

bool ReadOnlyFileSystem::remove(const QString& path)
{
    refuse("remove", path);
}
