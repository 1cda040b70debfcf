// A child process changes a table on the real file system (posts, edits and deletes, documents
// included) and reports each change that returned; we kill it with SIGKILL at random moments,
// run the table's own check of its files, reopen the table and check that every reported
// change is there, that the change in flight is there whole or not at all, and that nothing
// else changed. Then the child goes on from there.
//
// FERNGROVE_KILLS sets the number of kills (default 300); bench/kill-run.sh runs thousands.

#include "killchild/KillRows.h"
#include "tst_table_fixture.h"

#include "platform/table/TableCheck.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <map>
#include <optional>

namespace {

using Rows = std::map<qint64, KillRows::Spec>;

struct Change
{
    QString op; // post, edit, delete
    qint64 id = 0;
    KillRows::Spec spec;
};

QString describe(const Rows& rows)
{
    QStringList out;
    for (const auto& [id, s] : rows)
        out << QStringLiteral("%1=%2/%3/%4").arg(id).arg(s.event).arg(s.version).arg(s.docVersion);
    return out.join(QLatin1Char(' '));
}

// What the child told us: the committed changes applied to the model, and the change in flight.
class Reports
{
public:
    explicit Reports(Rows& model) : m_model(model) {}

    // Returns an error text for a line that does not fit the protocol.
    QString take(const QString& line)
    {
        const QStringList w = line.split(QLatin1Char(' '));
        if (w == QStringList{QStringLiteral("ready")})
            return {};
        if (w.size() >= 2 && w[0] == QLatin1String("begin")) {
            Change c;
            c.op = w[1];
            if (c.op == QLatin1String("post") && w.size() == 5)
                c.spec = {w[2], w[3].toInt(), w[4].toInt()};
            else if (c.op == QLatin1String("edit") && w.size() == 6) {
                c.id = w[2].toLongLong();
                c.spec = {w[3], w[4].toInt(), w[5].toInt()};
            } else if (c.op == QLatin1String("delete") && w.size() == 3)
                c.id = w[2].toLongLong();
            else
                return QStringLiteral("bad line: ") + line;
            inFlight = c;
            return {};
        }
        if (w.size() == 2 && w[0] == QLatin1String("done") && inFlight) {
            const qint64 id = w[1].toLongLong();
            if (inFlight->op == QLatin1String("post")) {
                if (m_model.count(id) || id <= highestId)
                    return QStringLiteral("post reported a used id %1").arg(id);
                m_model[id] = inFlight->spec;
                highestId = id;
                ++posts;
            } else if (inFlight->op == QLatin1String("edit")) {
                m_model[id] = inFlight->spec;
                ++edits;
            } else {
                m_model.erase(id);
                ++deletes;
            }
            inFlight.reset();
            return {};
        }
        return QStringLiteral("bad line: ") + line;
    }

    std::optional<Change> inFlight;
    qint64 highestId = 0;
    int posts = 0, edits = 0, deletes = 0;

private:
    Rows& m_model;
};

// Reads every row through the Recno order, checking each one is whole; then walks the other
// indexes and finds each row by its primary key.
Rows readTable(const QString& folder, QStringList& problems)
{
    Rows rows;
    Table table;
    table.setDatabaseName(folder);
    table.setTableName(QStringLiteral("Kill.dat"));
    table.open();
    table.setIndexName(QStringLiteral("Recno"));
    qint64 previous = 0;
    for (table.first(); !table.eof(); table.next()) {
        const qint64 id = table.bookmark();
        if (id <= previous)
            problems << QStringLiteral("Recno order: %1 after %2").arg(id).arg(previous);
        previous = id;
        const KillRows::Spec spec = KillRows::specOf(table);
        const QString wrong = KillRows::mismatch(table, spec);
        if (!wrong.isEmpty())
            problems << QStringLiteral("row %1 is not whole: %2").arg(id).arg(wrong);
        rows[id] = spec;
    }
    if (table.recordCount() != int(rows.size()))
        problems << QStringLiteral("recordCount %1 for %2 rows").arg(table.recordCount()).arg(rows.size());
    for (const QString& index : {QString(), QStringLiteral("Start")}) {
        table.setIndexName(index);
        Rows seen;
        for (table.first(); !table.eof(); table.next())
            if (!seen.emplace(table.bookmark(), KillRows::specOf(table)).second)
                problems << QStringLiteral("index '%1' lists %2 twice").arg(index).arg(table.bookmark());
        if (seen != rows)
            problems << QStringLiteral("index '%1' holds other rows").arg(index);
    }
    table.setIndexName(QString());
    for (const auto& [id, spec] : rows) {
        table.gotoBookmark(id);
        const QVariantList key{spec.event, table.fieldByName(QStringLiteral("Start date")).value(),
                               table.fieldByName(QStringLiteral("Start time")).value()};
        table.first();
        if (!table.findKey(key) || table.bookmark() != id)
            problems << QStringLiteral("row %1 not found by its key").arg(id);
    }
    table.close();
    return rows;
}

} // namespace

class TestKill : public QObject
{
    Q_OBJECT
private slots:
    void shouldKeepEveryReportedChangeWhenKilled();
};

void TestKill::shouldKeepEveryReportedChangeWhenKilled()
{
    const int kills = qEnvironmentVariableIsSet("FERNGROVE_KILLS") ? qEnvironmentVariableIntValue("FERNGROVE_KILLS") : 300;
    const quint32 seed = qEnvironmentVariableIsSet("FERNGROVE_KILL_SEED")
                             ? quint32(qEnvironmentVariableIntValue("FERNGROVE_KILL_SEED"))
                             : QRandomGenerator::global()->generate();
    qInfo("kill seed %u (FERNGROVE_KILL_SEED repeats the child's changes; kill moments vary)", seed);
    QRandomGenerator random(seed);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
        Table t;
        t.setDatabaseName(dir.path());
        t.setTableName(QStringLiteral("Kill.dat"));
        defineProjectTable(t);
        t.createTable(projectProperties());
    }

    Rows model;
    Reports reports(model);
    int inFlightSeen = 0, killedBeforeReady = 0, notes = 0;
    for (int kill = 1; kill <= kills; ++kill) {
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QStringLiteral(FERNGROVE_KILL_CHILD), {dir.path(), QString::number(random.generate() >> 1)});
        QVERIFY2(child.waitForStarted(10000), qPrintable(child.errorString()));

        // Most kills come while the child is changing rows; some while it opens the table.
        QByteArray out;
        const bool whileOpening = random.bounded(8) == 0;
        if (!whileOpening) {
            while (!out.contains("ready\n") && child.state() == QProcess::Running)
                if (child.waitForReadyRead(10000))
                    out += child.readAllStandardOutput();
                else
                    break;
            QVERIFY2(out.contains("ready\n"), child.readAllStandardError().constData());
        }
        const int delay = int(random.bounded(whileOpening ? 6 : 51));
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < delay && child.state() == QProcess::Running) {
            if (child.waitForReadyRead(int(delay - clock.elapsed())))
                out += child.readAllStandardOutput();
        }
        QVERIFY2(child.state() == QProcess::Running,
                 qPrintable(QStringLiteral("the child stopped by itself: ") + QString::fromUtf8(child.readAllStandardError())));
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        out += child.readAllStandardOutput();
        if (!out.contains("ready\n"))
            ++killedBeforeReady;

        // Lines that reached the pipe are changes that returned; a cut last line cannot
        // happen (one write per line), but would only mean the change is still in flight.
        const QList<QByteArray> lines = out.split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QString error = reports.take(QString::fromUtf8(lines[i]));
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }

        // The table's own check of its files: only notes (a stale order cache, a torn last write).
        const TableCheckResult check = checkTableFiles(realFileSystem(), dir.filePath(QStringLiteral("Kill.dat")));
        QStringList findings;
        for (const TableCheckFinding& finding : check.findings)
            findings << finding.file + QStringLiteral(": ") + finding.text;
        QVERIFY2(check.verdict() == TableCheckResult::Verdict::Sound,
                 qPrintable(QStringLiteral("kill %1: ").arg(kill) + findings.join(QLatin1String("; "))));
        notes += int(check.findings.size());

        QStringList problems;
        Rows found;
        try {
            found = readTable(dir.path(), problems);
        } catch (const Exception& e) {
            QFAIL(qPrintable(QStringLiteral("kill %1: the table does not open: %2").arg(kill).arg(e.message())));
        }
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("kill %1: ").arg(kill) + problems.join(QLatin1String("; "))));
        if (found != model) {
            // Only the change in flight may be there too, and then whole.
            Rows withIt = model;
            const auto& c = reports.inFlight;
            bool explained = false;
            if (c && c->op == QLatin1String("post")) {
                const auto extra = std::find_if(found.begin(), found.end(),
                                                [&](const auto& r) { return !model.count(r.first); });
                if (extra != found.end() && extra->first > reports.highestId) {
                    withIt[extra->first] = c->spec;
                    explained = found == withIt;
                    if (explained)
                        reports.highestId = extra->first;
                }
            } else if (c && c->op == QLatin1String("edit")) {
                withIt[c->id] = c->spec;
                explained = found == withIt;
            } else if (c) {
                withIt.erase(c->id);
                explained = found == withIt;
            }
            QVERIFY2(explained, qPrintable(QStringLiteral("kill %1: expected %2\nfound %3\nin flight %4 %5")
                                               .arg(kill)
                                               .arg(describe(model), describe(found), c ? c->op : QStringLiteral("none"))
                                               .arg(c ? c->id : 0)));
            model = found;
            ++inFlightSeen;
        }
        reports.inFlight.reset();
    }
    qInfo("survived %d kills: %d posts, %d edits, %d deletes reported and kept; %d changes in flight found whole; "
          "%d kills while opening; %zu rows at the end; %d notes from the file check",
          kills, reports.posts, reports.edits, reports.deletes, inFlightSeen, killedBeforeReady, model.size(), notes);
    QVERIFY(reports.posts > 0 && reports.edits > 0 && reports.deletes > 0);
}

QTEST_GUILESS_MAIN(TestKill)
#include "tst_kill.moc"
