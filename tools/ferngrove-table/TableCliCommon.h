#pragma once

// What the commands of the tool share: errors with their exit codes, the project columns,
// opening a table for reading and the ISO texts of field values.

#include "platform/table/Table.h"

#include <QHash>
#include <QIODevice>
#include <QString>
#include <QStringList>

// A command that cannot go on: its one-line message and the exit code.
struct CliError
{
    QString message;
    int exitCode = 1;
};

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The columns of a project that the tool imports and prints, in field order. Finished is not
// among them: no part of the program writes it. RecordID is the engine's own.
const QStringList& projectColumns();

// Points table at the .dat file path (folder and file name).
void nameTable(Table& table, const QString& datPath);

// Writes text as UTF-8.
void writeText(QIODevice& device, const QString& text);

// Field values as the tool prints them: dates yyyy-mm-dd, times hh:mm:ss, currency with a
// '.' and at least two decimals, True/False, documents as their RTF text; "" when empty.
QString isoText(Field& field);
QString isoDate(DateTime value);
QString isoTime(DateTime value);
QString currencyText(Currency value);
// Parses yyyy-mm-dd; false when the text is not that or the date does not exist.
bool parseIsoDate(const QString& text, DateTime* value);
// Parses hh:mm or hh:mm:ss (hours 0-23; one digit will do).
bool parseIsoTime(const QString& text, DateTime* value);
// Parses an amount with an optional '-' and at most four decimals after a '.'.
bool parseCost(const QString& text, Currency* value);
// Stored document bytes as text: RTF is ASCII; other bytes are read as Windows-1252.
QString documentText(const QByteArray& bytes);

// The commands; each throws CliError.
void commandCreate(const QStringList& args, QIODevice& out);
void commandImport(const QStringList& args, QIODevice& out);
void commandDump(const QStringList& args, QIODevice& out);
int commandCheck(const QStringList& args, QIODevice& out, QIODevice& err);
void commandIcs(const QStringList& args, QIODevice& out, QIODevice& err);

// Options of the form --name VALUE after the positional arguments.
struct ParsedArgs
{
    QStringList positional;
    QHash<QString, QString> options;
};
// Throws CliError (usage) for an option not in allowed, a missing value or a repeated option,
// and when the number of positional arguments is not positionalCount.
ParsedArgs parseArgs(const QStringList& args, const QStringList& allowed, int positionalCount, const char* command);
