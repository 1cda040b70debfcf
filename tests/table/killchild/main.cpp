// The child of the kill test: changes the table in its folder for ever and reports each change
// on standard output, "begin ..." before the call and "done <RecordID>" once it has returned, so
// the parent knows every committed change and the one that may be in flight when it kills us.
//
//   table_killchild <folder> <seed>
//
// Lines: "ready", "begin post <event> <version> <docVersion>", "begin edit <id> <event>
// <version> <docVersion>", "begin delete <id>", "done <id>". Exits 2 on any error.

#include "KillRows.h"

#include "platform/core/Exception.h"

#include <QRandomGenerator>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

// One write(2) per line: a pipe takes writes this small whole, so a kill never cuts a line.
void report(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            _exit(3);
        done += n;
    }
}

std::vector<qint64> liveIds(Table& table)
{
    std::vector<qint64> ids;
    table.setIndexName(QStringLiteral("Recno"));
    for (table.first(); !table.eof(); table.next())
        ids.push_back(table.bookmark());
    return ids;
}

void openTable(Table& table, const QString& folder)
{
    table.setDatabaseName(folder);
    table.setTableName(QStringLiteral("Kill.dat"));
    table.open();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: table_killchild <folder> <seed>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const quint32 seed = QByteArray(argv[2]).toUInt();
    QRandomGenerator random(seed);
    try {
        Table table;
        openTable(table, folder);
        std::vector<qint64> ids = liveIds(table);
        report(QStringLiteral("ready"));
        for (int counter = 0;; ++counter) {
            const int roll = int(random.bounded(100));
            const bool few = ids.size() < 4, many = ids.size() > 40;
            if (few || (!many && roll < 40)) {
                const KillRows::Spec spec{QStringLiteral("e%1-%2").arg(seed).arg(counter), 0, 0};
                report(QStringLiteral("begin post %1 0 0").arg(spec.event));
                table.append();
                KillRows::fill(table, spec, true);
                table.post();
                const qint64 id = table.bookmark();
                ids.push_back(id);
                report(QStringLiteral("done %1").arg(id));
            } else if (!many && roll < 80) {
                const qint64 id = ids[random.bounded(quint32(ids.size()))];
                table.gotoBookmark(id);
                KillRows::Spec spec = KillRows::specOf(table);
                ++spec.version;
                const bool newDocument = random.bounded(2) == 0;
                if (newDocument)
                    spec.docVersion = spec.version;
                report(QStringLiteral("begin edit %1 %2 %3 %4").arg(id).arg(spec.event).arg(spec.version).arg(spec.docVersion));
                table.edit();
                KillRows::fill(table, spec, newDocument);
                table.post();
                report(QStringLiteral("done %1").arg(id));
            } else {
                const auto at = ids.begin() + random.bounded(quint32(ids.size()));
                const qint64 id = *at;
                report(QStringLiteral("begin delete %1").arg(id));
                table.gotoBookmark(id);
                table.deleteRecord();
                ids.erase(at);
                report(QStringLiteral("done %1").arg(id));
            }
            // Now and then close, which writes the order cache, and open again.
            if (random.bounded(25) == 0) {
                table.close();
                table.open();
            }
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "table_killchild: %s\n", e.what());
        return 2;
    }
}
