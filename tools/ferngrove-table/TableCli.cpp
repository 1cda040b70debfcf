#include "TableCli.h"

#include "ReadOnlyFileSystem.h"
#include "TableCliCommon.h"

#include "platform/core/Exception.h"
#include "platform/table/TableCheck.h"
#include "storage/Service.h"

#include <QFileInfo>

QString tableCliUsage()
{
    return QStringLiteral(
        "Usage: ferngrove-table COMMAND ARGUMENTS\n"
        "\n"
        "  create FOLDER/NAME.dat\n"
        "      Makes an empty project table, as \"New project\" does (NAME without an extension\n"
        "      gets .dat; NoName.dat is refused).\n"
        "  import NAME.dat EVENTS.csv\n"
        "      Adds the rows of a CSV file (RFC 4180, UTF-8). The first row names the columns:\n"
        "      Event, Start date, Start time, End date, End time, Cost, Booked, Paid, Day,\n"
        "      Document, in any order and any subset. Dates yyyy-mm-dd, times hh:mm or hh:mm:ss,\n"
        "      Cost with a '.' and at most four decimals, Booked and Paid True or False, Document\n"
        "      RTF text ({\\rtf1...}). An empty cell leaves the field as a new event has it.\n"
        "      Without a Day column the weekday of the start date is written (Mon Tue Wen Thu\n"
        "      Fri Sat Sun). Every value is checked before the first row is added; each row is\n"
        "      then posted on its own, so a refused row (an empty name, a duplicate of name,\n"
        "      start date and start time) stops the import with its row number and the rows\n"
        "      before it stay.\n"
        "  dump NAME.dat [--index Start|primary] [--filter EXPR] [--format csv|json]\n"
        "      Prints the rows in the order of the index (default: primary, by name, then start)\n"
        "      as CSV (default) or JSON: ISO dates and times, costs with '.', True/False, the\n"
        "      documents as RTF text. EXPR is a filter of the table engine: field names in\n"
        "      double quotes, constants in single quotes, = <> < > <= >=, and/or/not and\n"
        "      parentheses; a date constant is written in the short date format of your\n"
        "      locale (LC_TIME), for example\n"
        "        --filter \"\\\"Start date\\\" >= '7/1/2026' and \\\"Booked\\\" = False\"\n"
        "  check NAME.dat\n"
        "      Verifies the three files: magic numbers, versions, checksums, both copies of\n"
        "      every row slot, the index cache against the rows and the document references.\n"
        "      Prints what it found. Exit 0 sound, 1 damaged, 2 not a table or unreadable.\n"
        "  ics NAME.dat [--from yyyy-mm-dd] [--to yyyy-mm-dd]\n"
        "      Writes an iCalendar file (RFC 5545) to standard output: one event per row whose\n"
        "      start date lies in the range, in local time, the document's plain text and\n"
        "      booked, paid and cost in the description. Rows without a start date are left\n"
        "      out (a note on standard error says how many).\n"
        "\n"
        "Only create and import change files. Errors print one line on standard error and\n"
        "exit with 1 (2 for wrong arguments).\n");
}

void commandCreate(const QStringList& args, QIODevice& out)
{
    const ParsedArgs parsed = parseArgs(args, {}, 1, "create");
    QFileInfo info(parsed.positional[0]);
    QString fileName = info.fileName();
    if (fileName.isEmpty())
        throw CliError{QStringLiteral("create: '%1' names no file").arg(parsed.positional[0]), kExitUsage};
    // As the save dialog of "New project": a name without an extension gets ".dat".
    if (!fileName.contains(QLatin1Char('.')))
        fileName += QLatin1String(".dat");
    if (fileName == QLatin1String("NoName.dat"))
        throw CliError{QStringLiteral("Invalid project name."), kExitFailed};
    TdmService service;
    try {
        service.CreateProjectTable(info.path(), fileName);
    } catch (const EDatabaseError& e) {
        throw CliError{e.message(), kExitFailed};
    }
    writeText(out, QStringLiteral("Created %1\n").arg(info.path() + QLatin1Char('/') + fileName));
}

int commandCheck(const QStringList& args, QIODevice& out, QIODevice& err)
{
    const ParsedArgs parsed = parseArgs(args, {}, 1, "check");
    const QString path = parsed.positional[0];
    const TableCheckResult result = checkTableFiles(realFileSystem(), path);
    static const char* const kinds[] = {"note", "DAMAGE", "UNREADABLE"};
    int damage = 0;
    for (const TableCheckFinding& f : result.findings) {
        writeText(out, QStringLiteral("%1: %2: %3\n").arg(QLatin1String(kinds[int(f.kind)]), f.file, f.text));
        if (f.kind != TableCheckFinding::Kind::Note)
            ++damage;
    }
    const QString name = QFileInfo(path).fileName();
    switch (result.verdict()) {
    case TableCheckResult::Verdict::Sound:
        writeText(out, QStringLiteral("%1 is sound: %2 rows (%3 slots, %4 deleted), %5 documents of %6 bytes, %7 indexes\n")
                           .arg(name)
                           .arg(result.rows)
                           .arg(result.slotCount)
                           .arg(result.deletedRows)
                           .arg(result.documents)
                           .arg(result.documentBytes)
                           .arg(result.indexes));
        return 0;
    case TableCheckResult::Verdict::Damaged:
        writeText(out, QStringLiteral("%1 is damaged\n").arg(name));
        writeText(err, QStringLiteral("ferngrove-table: check: %1 is damaged: %2 problem%3 found\n")
                           .arg(name)
                           .arg(damage)
                           .arg(damage == 1 ? "" : "s"));
        return 1;
    case TableCheckResult::Verdict::Unreadable: break;
    }
    QString first;
    for (const TableCheckFinding& f : result.findings)
        if (f.kind == TableCheckFinding::Kind::Unreadable && first.isEmpty())
            first = f.text;
    writeText(out, QStringLiteral("%1 cannot be checked\n").arg(name));
    writeText(err, QStringLiteral("ferngrove-table: check: %1: %2\n").arg(name, first));
    return 2;
}

int runTableCli(const QStringList& args, QIODevice& out, QIODevice& err)
{
    const auto fail = [&err](const QString& message, int code) {
        // One line, whatever the message holds.
        QString line = message;
        line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        writeText(err, QStringLiteral("ferngrove-table: %1\n").arg(line));
        return code;
    };
    if (args.isEmpty())
        return fail(QStringLiteral("no command given (see --help)"), kExitUsage);
    const QString command = args.first();
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        writeText(out, tableCliUsage());
        return 0;
    }
    try {
        if (rest.contains(QLatin1String("--help"))) {
            writeText(out, tableCliUsage());
            return 0;
        }
        if (command == QLatin1String("create"))
            commandCreate(rest, out);
        else if (command == QLatin1String("import"))
            commandImport(rest, out);
        else if (command == QLatin1String("dump"))
            commandDump(rest, out);
        else if (command == QLatin1String("check"))
            return commandCheck(rest, out, err);
        else if (command == QLatin1String("ics"))
            commandIcs(rest, out, err);
        else
            return fail(QStringLiteral("unknown command '%1' (see --help)").arg(command), kExitUsage);
    } catch (const CliError& e) {
        return fail(e.message, e.exitCode);
    } catch (const Exception& e) {
        return fail(e.message(), kExitFailed);
    } catch (const std::exception& e) {
        return fail(QString::fromLocal8Bit(e.what()), kExitFailed);
    }
    return 0;
}
