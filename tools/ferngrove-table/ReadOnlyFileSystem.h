#pragma once

#include "platform/table/FileSystem.h"

// Another file system seen read-only: every file is opened for reading only, and writing,
// truncating, creating or removing a file throws EDatabaseError. The tool reads tables
// through it for every command that must leave the files as they are.
class ReadOnlyFileSystem final : public FileSystem
{
public:
    explicit ReadOnlyFileSystem(FileSystem& base) : m_base(base) {}

    std::unique_ptr<File> open(const QString& path, OpenMode mode) override;
    bool exists(const QString& path) override { return m_base.exists(path); }
    bool remove(const QString& path) override;
    void syncFolder(const QString&) override {}

private:
    FileSystem& m_base;
};
