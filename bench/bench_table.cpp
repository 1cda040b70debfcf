// Times the table engine on a large project table in real files and prints one line per
// measure. No assertions on speed; the only failure is a post that needs more than two syncs.
//
//   bench_table [rows]      (default 100000)

#include "platform/core/Currency.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"
#include "platform/core/FormatSettings.h"
#include "platform/table/FileSystem.h"
#include "platform/table/Table.h"
#include "tests/support/ProjectTableDefinition.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Real files, with every sync counted; while filling the table syncs are skipped, so that
// building 100,000 rows does not take 100,000 disk flushes.
class CountingFileSystem : public FileSystem
{
public:
    int syncs = 0;
    qint64 syncNsecs = 0; // time spent waiting for the disk
    bool skipSyncs = false;

    void syncOne(const std::function<void()>& sync)
    {
        ++syncs;
        if (skipSyncs)
            return;
        QElapsedTimer timer;
        timer.start();
        sync();
        syncNsecs += timer.nsecsElapsed();
    }

    std::unique_ptr<File> open(const QString& path, OpenMode mode) override;
    bool exists(const QString& path) override { return m_inner.exists(path); }
    bool remove(const QString& path) override { return m_inner.remove(path); }
    void syncFolder(const QString& folder) override
    {
        syncOne([&] { m_inner.syncFolder(folder); });
    }

private:
    FileSystem& m_inner = realFileSystem();
};

class CountingFile : public File
{
public:
    CountingFile(std::unique_ptr<File> inner, CountingFileSystem& fs) : m_inner(std::move(inner)), m_fs(fs) {}
    qint64 size() override { return m_inner->size(); }
    QByteArray read(qint64 offset, qint64 length) override { return m_inner->read(offset, length); }
    void write(qint64 offset, const QByteArray& data) override { m_inner->write(offset, data); }
    void truncate(qint64 length) override { m_inner->truncate(length); }
    void sync() override
    {
        m_fs.syncOne([&] { m_inner->sync(); });
    }

private:
    std::unique_ptr<File> m_inner;
    CountingFileSystem& m_fs;
};

std::unique_ptr<File> CountingFileSystem::open(const QString& path, OpenMode mode)
{
    return std::make_unique<CountingFile>(m_inner.open(path, mode), *this);
}

// One line per measure; syncNsecs is the part of nsecs spent in syncs (shown when not 0).
void report(const char* what, qint64 nsecs, int ops, qint64 syncNsecs = 0)
{
    const double ms = double(nsecs) / 1e6;
    std::printf("%-40s %10.1f ms %12.2f us/op %8d ops", what, ms, ops > 0 ? ms * 1000.0 / ops : 0.0, ops);
    if (syncNsecs > 0) {
        const double rest = double(nsecs - syncNsecs) / 1e6;
        std::printf("   without syncs %8.1f ms %10.2f us/op", rest, ops > 0 ? rest * 1000.0 / ops : 0.0);
    }
    std::printf("\n");
    std::fflush(stdout);
}

const DateTime firstDay = DateTimeUtil::encodeDate(2030, 1, 1);
constexpr int daySpan = 3650; // events spread over ten years

QByteArray documentText(int n)
{
    return QByteArrayLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Notes for event ")
           + QByteArray::number(n) + QByteArray(200, 'x') + QByteArrayLiteral("\\par}");
}

// Fills the current row of t (in Insert or Edit) as event n.
void fillEvent(Table& t, int n, QRandomGenerator& rnd, bool withDocument)
{
    const DateTime start = firstDay + rnd.bounded(daySpan);
    const DateTime time = DateTimeUtil::encodeTime(rnd.bounded(24), rnd.bounded(60), 0);
    t.fieldByName(QStringLiteral("Event")).setValue(QStringLiteral("Event %1").arg(n));
    t.fieldByName(QStringLiteral("Start date")).setValue(start);
    t.fieldByName(QStringLiteral("Start time")).setValue(time);
    t.fieldByName(QStringLiteral("End date")).setValue(start + rnd.bounded(5));
    t.fieldByName(QStringLiteral("Cost")).setValue(QVariant::fromValue(Currency::fromUnits(rnd.bounded(1000000))));
    t.fieldByName(QStringLiteral("Booked")).setValue(rnd.bounded(2) == 1);
    t.fieldByName(QStringLiteral("Day")).setValue(QStringLiteral("Wen"));
    if (withDocument)
        t.fieldByName(QStringLiteral("Document")).setValue(documentText(n));
}

// Walks the table from first to last and returns the rows seen; reads a field per row as
// a window filling a list would.
int walk(Table& t)
{
    Field& start = t.fieldByName(QStringLiteral("Start date"));
    Field& event = t.fieldByName(QStringLiteral("Event"));
    int n = 0;
    double sum = 0;
    qsizetype chars = 0;
    for (t.first(); !t.eof(); t.next()) {
        sum += start.asFloat();
        chars += event.asString().size();
        ++n;
    }
    return (sum >= 0 && chars >= 0) ? n : -1;
}

int run(int rows)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    CountingFileSystem fs;
    QRandomGenerator rnd(20240601);
    QElapsedTimer timer;
    Table t;
    t.setFileSystem(&fs);
    t.setDatabaseName(dir.path());
    t.setTableName(QStringLiteral("Bench.dat"));
    defineProjectTable(t);
    t.createTable();
    t.setIndexName(QStringLiteral("Start"));
    std::printf("table engine, %d rows, files in %s\n", rows, qPrintable(dir.path()));

    fs.skipSyncs = true;
    t.open();
    timer.start();
    for (int i = 1; i <= rows; ++i) {
        t.append();
        fillEvent(t, i, rnd, i % 10 == 0);
        t.post();
    }
    report("fill (syncs skipped)", timer.nsecsElapsed(), rows);
    timer.start();
    t.close();
    report("close after fill (writes .idx)", timer.nsecsElapsed(), 1);
    fs.skipSyncs = false;

    timer.start();
    t.open();
    report("open, valid .idx", timer.nsecsElapsed(), rows);
    timer.start();
    int seen = walk(t);
    report("walk in Start order", timer.nsecsElapsed(), seen);
    if (seen != rows)
        std::printf("  walk saw %d rows, not %d\n", seen, rows);
    t.close();

    const QString idxPath = dir.filePath(QStringLiteral("Bench.idx"));
    fs.remove(idxPath);
    timer.start();
    t.open();
    report("open, no .idx (orders rebuilt)", timer.nsecsElapsed(), rows);
    timer.start();
    seen = walk(t);
    report("walk in Start order", timer.nsecsElapsed(), seen);

    // Posts: half new events (every fifth with a document), half changes to existing ones.
    constexpr int posts = 1000;
    int maxSyncs = 0;
    qint64 totalSyncs = 0;
    fs.syncNsecs = 0;
    timer.start();
    for (int i = 0; i < posts; ++i) {
        const int before = fs.syncs;
        if (i % 2 == 0) {
            t.append();
            fillEvent(t, rows + 1 + i, rnd, i % 10 == 0);
        } else {
            t.gotoBookmark(Bookmark(1 + rnd.bounded(rows)));
            t.edit();
            t.fieldByName(QStringLiteral("Cost")).setValue(QVariant::fromValue(Currency::fromUnits(i)));
            t.fieldByName(QStringLiteral("Paid")).setValue(true);
        }
        t.post();
        maxSyncs = std::max(maxSyncs, fs.syncs - before);
        totalSyncs += fs.syncs - before;
    }
    report("1000 posts (500 new, 500 changed)", timer.nsecsElapsed(), posts, fs.syncNsecs);
    std::printf("  syncs per post: at most %d, %.2f on average\n", maxSyncs, double(totalSyncs) / posts);

    // Deletes of rows spread over the table (the first RecordIDs, in a random order).
    constexpr int deletes = 1000;
    std::vector<qint64> ids;
    for (int i = 1; i <= std::min(rows, deletes); ++i)
        ids.push_back(qint64(i) * std::max(1, rows / deletes));
    std::shuffle(ids.begin(), ids.end(), rnd);
    fs.syncNsecs = 0;
    timer.start();
    for (qint64 id : ids) {
        t.gotoBookmark(id);
        t.deleteRecord();
    }
    report("1000 deletes (go to row, delete)", timer.nsecsElapsed(), int(ids.size()), fs.syncNsecs);

    // The print dialog's filter: events starting in one year.
    const FormatSettings& f = formatSettings();
    const QString from = Format::formatDateTime(f.shortDateFormat, firstDay + 365);
    const QString to = Format::formatDateTime(f.shortDateFormat, firstDay + 729);
    t.setFilter(QStringLiteral("\"Start date\" >= '%1' and \"Start date\" <= '%2'").arg(from, to));
    timer.start();
    t.setFiltered(true);
    report("date filter on", timer.nsecsElapsed(), t.recordCount());
    timer.start();
    seen = walk(t);
    report("walk filtered rows", timer.nsecsElapsed(), seen);
    timer.start();
    t.setFiltered(false);
    report("filter off", timer.nsecsElapsed(), t.recordCount());

    timer.start();
    t.close();
    report("close (writes .idx)", timer.nsecsElapsed(), 1);
    timer.start();
    t.open();
    report("open again, valid .idx", timer.nsecsElapsed(), t.recordCount());
    t.close();

    if (maxSyncs > 2) {
        std::printf("FAIL: a post took %d syncs; at most 2 are allowed\n", maxSyncs);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rows = 100000;
    if (argc > 1) {
        bool ok = false;
        rows = QString::fromLocal8Bit(argv[1]).toInt(&ok);
        if (!ok || rows < 1) {
            std::fprintf(stderr, "usage: bench_table [rows]\n");
            return 2;
        }
    }
    try {
        return run(rows);
    } catch (const Exception& e) {
        std::fprintf(stderr, "error: %s\n", qPrintable(e.message()));
        return 1;
    }
}
