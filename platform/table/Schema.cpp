#include "Schema.h"

// Field names are found as the class library finds them: an exact match first, then one
// that differs only in letter case.
int TableSchema::fieldIndex(const QString& name) const
{
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (fields[i].name == name)
            return int(i);
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}
