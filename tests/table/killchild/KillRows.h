#pragma once

// The rows the kill test writes: every value of a row follows from its event name, its version
// (how often it was edited) and the version at which its document last changed, so a reader can
// tell a whole row from a half-written or mixed one.

#include "platform/table/Table.h"

#include <QByteArray>
#include <QString>

namespace KillRows {

struct Spec
{
    QString event;
    int version = 0;
    int docVersion = 0;
    bool operator==(const Spec&) const = default;
};

// A stable hash (not qHash, which is seeded per process).
quint64 hashOf(const QString& event, int version);

// The document of a row at docVersion; null for none.
QByteArray documentOf(const QString& event, int docVersion);

// Sets every field but RecordID from spec; the document only when setDocument.
void fill(Table& table, const Spec& spec, bool setDocument);

// What the current row claims to be (event, Day = version, Cost = document version).
Spec specOf(Table& table);

// Empty when every field of the current row is what spec gives, else what differs.
QString mismatch(Table& table, const Spec& spec);

} // namespace KillRows
