#pragma once

#include <QIODevice>
#include <QStringList>

// The ferngrove-table command line: create, import, dump, check and ics on project tables.
// args are the arguments after the program name. Output goes to out, messages to err (one
// line each). Returns the exit code: 0 success; 1 a failed command or, for check, a damaged
// table; 2 wrong arguments or, for check, a file that is not a table or cannot be read.
// The table's files change only through create and import.
int runTableCli(const QStringList& args, QIODevice& out, QIODevice& err);

// The text of --help.
QString tableCliUsage();
