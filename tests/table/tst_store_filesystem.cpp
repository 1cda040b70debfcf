// The file layers under the store: real files, memory files, and the fault-injecting wrapper's
// failure and crash models.

#include "platform/core/Exception.h"
#include "platform/table/FaultFileSystem.h"
#include "platform/table/MemoryFileSystem.h"

#include <QTemporaryDir>
#include <QTest>

class TestStoreFileSystem : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadWriteAndReportErrors_data()
    {
        QTest::addColumn<bool>("real");
        QTest::newRow("memory") << false;
        QTest::newRow("files") << true;
    }
    void shouldReadWriteAndReportErrors()
    {
        QFETCH(bool, real);
        QTemporaryDir dir;
        MemoryFileSystem memory;
        memory.addFolder(dir.path());
        FileSystem& fs = real ? realFileSystem() : static_cast<FileSystem&>(memory);
        const QString path = dir.path() + QStringLiteral("/f.bin");

        try {
            fs.open(path, FileSystem::OpenMode::ReadWrite);
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot open '%1': No such file or directory").arg(path));
        }
        {
            auto f = fs.open(path, FileSystem::OpenMode::CreateNew);
            f->write(10, "abc");
            QCOMPARE(f->size(), 13);
            QCOMPARE(f->read(0, 100), QByteArray(10, '\0') + "abc");
            QCOMPARE(f->read(11, 1), QByteArray("b"));
            QCOMPARE(f->read(50, 5), QByteArray());
            f->truncate(11);
            f->sync();
            QCOMPARE(f->read(0, 100).size(), 11);
        }
        QVERIFY(fs.exists(path));
        try {
            fs.open(path, FileSystem::OpenMode::CreateNew);
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot create '%1': File exists").arg(path));
        }
        auto readOnly = fs.open(path, FileSystem::OpenMode::ReadOnly);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, readOnly->write(0, "x"));
        fs.syncFolder(dir.path());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, fs.syncFolder(dir.path() + QStringLiteral("/missing")));
        QVERIFY(fs.remove(path));
        QVERIFY(!fs.remove(path));
        QVERIFY(!fs.exists(path));
    }

    void shouldKeepWhatTheCrashModelSays_data()
    {
        QTest::addColumn<int>("keep");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray synced(1536, 'o');                       // three sectors, synced
        const QByteArray first = QByteArray(1536, 'a');            // unsynced, whole file
        QByteArray torn = first;                                   // then "b" over 1100 bytes from 200
        torn.replace(200, 824, QByteArray(824, 'b'));              // sectors 0 and 1 of that write
        QByteArray all = first;
        all.replace(200, 1100, QByteArray(1100, 'b'));
        QTest::newRow("nothing") << int(FaultFileSystem::CrashKeep::Nothing) << synced;
        QTest::newRow("everything") << int(FaultFileSystem::CrashKeep::Everything) << all;
        QTest::newRow("last write torn") << int(FaultFileSystem::CrashKeep::TornLast) << torn;
    }
    void shouldKeepWhatTheCrashModelSays()
    {
        QFETCH(int, keep);
        QFETCH(QByteArray, expected);
        MemoryFileSystem memory;
        memory.setFileData(QStringLiteral("/d/f"), QByteArray(1536, 'o'));
        FaultFileSystem fault(memory);
        fault.crashAfter(2, FaultFileSystem::CrashKeep(keep));
        auto f = fault.open(QStringLiteral("/d/f"), FileSystem::OpenMode::ReadWrite);
        f->write(0, QByteArray(1536, 'a'));
        f->write(200, QByteArray(1100, 'b')); // the crash follows this write
        QVERIFY(fault.crashed());
        QCOMPARE(memory.fileData(QStringLiteral("/d/f")), expected);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, f->read(0, 1));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, f->write(0, "x"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, fault.exists(QStringLiteral("/d/f")));
    }

    void shouldKeepSyncedBytesInEveryCrash()
    {
        for (quint32 seed = 1; seed < 20; ++seed) {
            MemoryFileSystem memory;
            memory.addFolder(QStringLiteral("/d"));
            FaultFileSystem fault(memory);
            fault.crashAfter(4, FaultFileSystem::CrashKeep::Random, seed);
            auto f = fault.open(QStringLiteral("/d/f"), FileSystem::OpenMode::CreateNew);
            f->write(0, QByteArray(700, 's'));
            f->sync();
            f->write(1000, QByteArray(100, 'u'));
            f->write(0, QByteArray(10, 'u'));
            const QByteArray after = memory.fileData(QStringLiteral("/d/f"));
            QVERIFY(after.size() >= 700);
            QCOMPARE(after.mid(10, 690), QByteArray(690, 's'));
            QVERIFY(after.left(10) == QByteArray(10, 's') || after.left(10) == QByteArray(10, 'u'));
        }
    }

    void shouldFailTheChosenOperation_data()
    {
        QTest::addColumn<int>("effect");
        QTest::addColumn<QByteArray>("left");
        QTest::newRow("none") << int(FaultFileSystem::PartialWrite::None) << QByteArray("0000");
        QTest::newRow("half") << int(FaultFileSystem::PartialWrite::Half) << QByteArray("xx00");
        QTest::newRow("all") << int(FaultFileSystem::PartialWrite::All) << QByteArray("xxxx");
    }
    void shouldFailTheChosenOperation()
    {
        QFETCH(int, effect);
        QFETCH(QByteArray, left);
        MemoryFileSystem memory;
        memory.setFileData(QStringLiteral("/d/f"), "0000");
        FaultFileSystem fault(memory);
        fault.failAt(2, FaultFileSystem::Error::NoSpace, FaultFileSystem::PartialWrite(effect));
        auto f = fault.open(QStringLiteral("/d/f"), FileSystem::OpenMode::ReadWrite);
        f->sync();
        try {
            f->write(0, "xxxx");
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot write '/d/f': No space left on device"));
        }
        QCOMPARE(memory.fileData(QStringLiteral("/d/f")), left);
        f->write(0, "yy"); // only the chosen operation fails
        f->sync();
        QCOMPARE(fault.operationCount(), 4);
        fault.failAt(5, FaultFileSystem::Error::Io, FaultFileSystem::PartialWrite::None, true);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, f->sync());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, f->truncate(0));
        fault.clearFaults();
        f->truncate(1);
        QCOMPARE(memory.fileData(QStringLiteral("/d/f")), QByteArray("y"));
    }

    void shouldCopyMemoryFileSystemsAsSnapshots()
    {
        MemoryFileSystem a;
        a.setFileData(QStringLiteral("/d/f"), "one");
        MemoryFileSystem b = a;
        b.open(QStringLiteral("/d/f"), FileSystem::OpenMode::ReadWrite)->write(0, "two");
        QCOMPARE(a.fileData(QStringLiteral("/d/f")), QByteArray("one"));
        QCOMPARE(b.fileData(QStringLiteral("/d/f")), QByteArray("two"));
    }
};

QTEST_GUILESS_MAIN(TestStoreFileSystem)
#include "tst_store_filesystem.moc"
