#pragma once

#include "FileSystem.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <memory>

// Files kept in memory, for tests and tools. Folders exist once added (or once a file was
// created in them); a folder marked read-only refuses new files like a real one would.
// Handles share the file's bytes, so a write is seen by every handle at once.
class MemoryFileSystem : public FileSystem
{
public:
    MemoryFileSystem();
    // Copies are snapshots: they share no bytes with the original.
    MemoryFileSystem(const MemoryFileSystem& other);
    MemoryFileSystem& operator=(const MemoryFileSystem& other);

    std::unique_ptr<File> open(const QString& path, OpenMode mode) override;
    bool exists(const QString& path) override;
    bool remove(const QString& path) override;
    void syncFolder(const QString& folder) override;

    void addFolder(const QString& folder);
    void setFolderReadOnly(const QString& folder, bool readOnly);

    // Direct access for tests: the bytes of a file (empty when missing), replacing them
    // (creates the file), and the paths that exist.
    QByteArray fileData(const QString& path) const;
    void setFileData(const QString& path, const QByteArray& data);
    QStringList files() const;

private:
    QHash<QString, std::shared_ptr<QByteArray>> m_files;
    QSet<QString> m_folders;
    QSet<QString> m_readOnlyFolders;
};
