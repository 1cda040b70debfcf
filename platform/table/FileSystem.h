#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

// The only way the table engine reaches files, so tests can run in memory and inject
// I/O errors, a full disk or a crash after any write or sync.
// Every operation that fails throws EDatabaseError with a message naming the file.
class File
{
public:
    virtual ~File() = default;
    virtual qint64 size() = 0;
    // Reads up to length bytes at offset; fewer at the end of the file.
    virtual QByteArray read(qint64 offset, qint64 length) = 0;
    virtual void write(qint64 offset, const QByteArray& data) = 0;
    virtual void truncate(qint64 length) = 0;
    // Returns when everything written so far is durable.
    virtual void sync() = 0;
};

class FileSystem
{
public:
    enum class OpenMode
    {
        ReadWrite,     // existing file only
        ReadOnly,      // existing file only
        CreateNew,     // fails when the file exists
    };
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<File> open(const QString& path, OpenMode mode) = 0;
    virtual bool exists(const QString& path) = 0;
    // False when the file was missing or could not be removed.
    virtual bool remove(const QString& path) = 0;
    // Makes the creation or removal of files in the folder durable.
    virtual void syncFolder(const QString& folder) = 0;
};

// Real files through the operating system (POSIX open/pread/pwrite/fsync).
FileSystem& realFileSystem();
