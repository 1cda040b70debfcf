#pragma once

#include "FileSystem.h"

#include <QHash>
#include <QRandomGenerator>
#include <vector>

// A file system wrapped to fail on purpose, for tests. Operations that change files are
// counted from 1: write, truncate, sync and syncFolder (opening and reading are not).
//
// Failing (failAt): the n-th operation throws EDatabaseError with the text of an I/O error or
// of a full disk, as the real file system words it; a failing write may first put none, half
// or all of its bytes into the file. Only that operation fails, unless persistent.
//
// Crashing (crashAfter): once the n-th operation has completed, the machine stops. Every
// later operation, reads included, throws, and the wrapped file system is left holding what
// a real disk may hold after power loss: for each file the bytes of its last sync, plus a
// choice of the writes and truncations made since then, applied in order:
//   Nothing     none of them (the page cache is lost),
//   Everything  all of them (the cache happened to be written back),
//   TornLast    all but the most recent one; that one only in its first half of 512-byte
//               sectors (a write inside one sector is lost whole: sectors are atomic),
//   Random      each one kept, lost, or kept in a random subset of its sectors; a lost write
//               that made the file longer may leave the new length filled with zeros.
// Creating and removing files counts as durable at once (the table engine syncs the folder
// right after it creates files, and a table whose creation crashed was never acknowledged).
// Files must have been synced, or written only through this wrapper, before it sees them.
class FaultFileSystem : public FileSystem
{
public:
    enum class Error
    {
        Io,      // "Input/output error"
        NoSpace, // "No space left on device"
    };
    enum class PartialWrite
    {
        None,
        Half,
        All,
    };
    enum class CrashKeep
    {
        Nothing,
        Everything,
        TornLast,
        Random,
    };

    // inner must outlive this wrapper, and the wrapper every file it opened.
    explicit FaultFileSystem(FileSystem& inner) : m_inner(inner) {}

    std::unique_ptr<File> open(const QString& path, OpenMode mode) override;
    bool exists(const QString& path) override;
    bool remove(const QString& path) override;
    void syncFolder(const QString& folder) override;

    void failAt(int operation, Error error, PartialWrite effect = PartialWrite::None, bool persistent = false);
    void crashAfter(int operation, CrashKeep keep, quint32 seed = 1);
    // Clears the planned fault and crash (not a crash that happened) and restarts the count.
    void clearFaults();
    bool crashed() const { return m_crashed; }
    int operationCount() const { return m_count; }

private:
    friend class FaultFile;
    struct Pending
    {
        bool truncate = false;
        qint64 offset = 0; // truncate: the new length
        QByteArray data;
        quint64 order = 0; // when it was made, across all files
    };
    struct Tracked
    {
        QByteArray durable;
        std::vector<Pending> pending;
    };
    // Counts an operation; throws the planned error or the crash. Returns true when this
    // operation is the one that fails (after any partial effect the caller applies).
    bool beginOperation();
    void throwIfCrashed(const QString& path) const;
    [[noreturn]] void throwPlanned(const char* what, const QString& path) const;
    void afterOperation();
    Tracked& track(const QString& path);
    void crashNow();
    QByteArray crashImage(const Tracked& t, quint64 newest);

    FileSystem& m_inner;
    QHash<QString, Tracked> m_tracked;
    quint64 m_pendingOrder = 0;
    int m_count = 0;
    int m_failAt = 0;
    Error m_error = Error::Io;
    PartialWrite m_effect = PartialWrite::None;
    bool m_persistent = false;
    int m_crashAfter = 0;
    CrashKeep m_keep = CrashKeep::Nothing;
    QRandomGenerator m_random;
    bool m_crashed = false;
};
