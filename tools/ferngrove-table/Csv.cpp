#include "Csv.h"

bool parseCsv(const QString& text, QList<CsvRecord>* records, QString* error)
{
    records->clear();
    qsizetype i = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    const qsizetype n = text.size();
    int line = 1;
    while (i < n) {
        CsvRecord rec;
        rec.line = line;
        bool endOfRecord = false;
        while (!endOfRecord) {
            QString field;
            if (i < n && text[i] == QLatin1Char('"')) {
                const int openedOn = line;
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar c = text[i++];
                    if (c == QLatin1Char('"')) {
                        if (i < n && text[i] == QLatin1Char('"')) {
                            field += c;
                            ++i;
                            continue;
                        }
                        closed = true;
                        break;
                    }
                    if (c == QLatin1Char('\n'))
                        ++line;
                    field += c;
                }
                if (!closed) {
                    *error = QStringLiteral("line %1: a quoted field is never closed").arg(openedOn);
                    return false;
                }
                if (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r')) {
                    *error = QStringLiteral("line %1: text after the closing quote of a field").arg(line);
                    return false;
                }
            } else {
                while (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r')) {
                    if (text[i] == QLatin1Char('"')) {
                        *error = QStringLiteral("line %1: a quote inside a field that does not start with one").arg(line);
                        return false;
                    }
                    field += text[i++];
                }
            }
            rec.fields.append(field);
            if (i >= n) {
                endOfRecord = true;
            } else if (text[i] == QLatin1Char(',')) {
                ++i;
            } else {
                // CRLF, LF or a lone CR ends the record.
                if (text[i] == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                    ++i;
                ++i;
                ++line;
                endOfRecord = true;
            }
        }
        const bool blank = rec.fields.size() == 1 && rec.fields[0].isEmpty();
        if (!blank)
            records->append(rec);
    }
    return true;
}

QString csvField(const QString& value)
{
    const bool quote = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"'))
                    || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))
                    || (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    if (!quote)
        return value;
    QString q = value;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}
