#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// CSV as RFC 4180 writes it: fields separated by commas, records by CRLF or LF; a field in
// double quotes may hold commas, line breaks and "" for a quote.
struct CsvRecord
{
    QStringList fields;
    int line = 0; // line of the file on which the record starts, from 1
};

// Parses text (a leading byte-order mark is dropped). Blank lines are skipped. On a quote
// that is never closed or text straight after a closing quote returns false and sets error
// to a one-line message naming the line.
bool parseCsv(const QString& text, QList<CsvRecord>* records, QString* error);

// One field for output: quoted when it holds a comma, a quote, a line break or starts or
// ends with a blank.
QString csvField(const QString& value);
