#include "KillRows.h"

#include "platform/core/Currency.h"

namespace KillRows {

namespace {

const QString kEvent = QStringLiteral("Event");
const QString kStartDate = QStringLiteral("Start date");
const QString kStartTime = QStringLiteral("Start time");
const QString kEndDate = QStringLiteral("End date");
const QString kDocument = QStringLiteral("Document");
const QString kCost = QStringLiteral("Cost");
const QString kBooked = QStringLiteral("Booked");
const QString kPaid = QStringLiteral("Paid");
const QString kDay = QStringLiteral("Day");

double startDate(quint64 h) { return 46000 + double(h % 500); }
double startTime(quint64 h) { return double((h >> 9) % 1440) / 1440.0; }

} // namespace

quint64 hashOf(const QString& event, int version)
{
    quint64 h = 1469598103934665603ull; // FNV-1a
    for (QChar c : event) {
        h ^= c.unicode();
        h *= 1099511628211ull;
    }
    h ^= quint64(quint32(version));
    h *= 1099511628211ull;
    return h ^ (h >> 29);
}

QByteArray documentOf(const QString& event, int docVersion)
{
    const quint64 h = hashOf(event, docVersion + 100000);
    if (h % 4 == 0)
        return {};
    // Up to six blocks; some fill whole blocks exactly.
    const int length = (h % 7 == 0) ? int(1 + h % 2) * 512 : int(1 + (h >> 8) % 3000);
    QByteArray d(length, Qt::Uninitialized);
    quint64 x = h | 1;
    for (int i = 0; i < length; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        d[i] = char(x);
    }
    return d;
}

void fill(Table& table, const Spec& spec, bool setDocument)
{
    const quint64 h = hashOf(spec.event, spec.version);
    table.fieldByName(kEvent).setAsString(spec.event);
    table.fieldByName(kStartDate).setValue(startDate(h));
    table.fieldByName(kStartTime).setValue(startTime(h));
    table.fieldByName(kEndDate).setValue(startDate(h) + spec.version % 7);
    table.fieldByName(kCost).setAsCurrency(Currency::fromUnits(qint64(spec.docVersion) * Currency::Scale));
    table.fieldByName(kBooked).setAsBoolean(spec.version % 2 == 1);
    table.fieldByName(kPaid).setAsBoolean(h % 3 == 0);
    table.fieldByName(kDay).setAsString(QString::number(spec.version));
    if (setDocument) {
        const QByteArray doc = documentOf(spec.event, spec.docVersion);
        if (doc.isNull())
            table.fieldByName(kDocument).clear();
        else
            table.fieldByName(kDocument).setAsBytes(doc);
    }
}

Spec specOf(Table& table)
{
    Spec s;
    s.event = table.fieldByName(kEvent).asString();
    s.version = table.fieldByName(kDay).asString().toInt();
    s.docVersion = int(table.fieldByName(kCost).asCurrency().units / Currency::Scale);
    return s;
}

QString mismatch(Table& table, const Spec& spec)
{
    const quint64 h = hashOf(spec.event, spec.version);
    QStringList out;
    const auto check = [&](const QString& field, const QVariant& expected) {
        const QVariant got = table.fieldByName(field).value();
        if (got != expected)
            out << QStringLiteral("%1: %2, expected %3").arg(field, got.toString(), expected.toString());
    };
    check(kEvent, spec.event);
    check(kStartDate, startDate(h));
    check(kStartTime, startTime(h));
    check(kEndDate, startDate(h) + spec.version % 7);
    check(kCost, QVariant::fromValue(Currency::fromUnits(qint64(spec.docVersion) * Currency::Scale)));
    check(kBooked, spec.version % 2 == 1);
    check(kPaid, h % 3 == 0);
    check(kDay, QString::number(spec.version));
    const QByteArray doc = documentOf(spec.event, spec.docVersion);
    Field& document = table.fieldByName(kDocument);
    if (doc.isNull() != document.isNull() || (!doc.isNull() && document.asBytes() != doc))
        out << QStringLiteral("Document: %1 bytes (null %2), expected %3 (null %4)")
                   .arg(document.asBytes().size()).arg(document.isNull()).arg(doc.size()).arg(doc.isNull());
    if (!table.fieldByName(QStringLiteral("Finished")).isNull())
        out << QStringLiteral("Finished is set");
    return out.join(QLatin1String("; "));
}

} // namespace KillRows
