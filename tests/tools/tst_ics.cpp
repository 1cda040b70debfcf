// The ics command, read back by an independent iCalendar reader (Debian's python3-icalendar).

#include "CliTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace CliTest;

namespace {

// Prints the calendar's events as JSON, as the reader understood them.
const char* const kReader = R"(
import sys, json, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
events = []
for ev in cal.walk('VEVENT'):
    start = ev.decoded('DTSTART')
    end = ev.decoded('DTEND') if 'DTEND' in ev else None
    events.append({'summary': str(ev['SUMMARY']), 'start': start.isoformat(), 'floating': start.tzinfo is None,
                   'end': end.isoformat() if end else None, 'description': str(ev['DESCRIPTION']),
                   'uid': str(ev['UID']), 'stamped': 'DTSTAMP' in ev})
print(json.dumps({'version': str(cal['VERSION']), 'prodid': str(cal['PRODID']), 'events': events}))
)";

QString python()
{
    // Debian's own interpreter, where python3-icalendar is installed.
    if (QFile::exists(QStringLiteral("/usr/bin/python3")))
        return QStringLiteral("/usr/bin/python3");
    return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

bool readerAvailable()
{
    const QString py = python();
    if (py.isEmpty())
        return false;
    return QProcess::execute(py, {QStringLiteral("-c"), QStringLiteral("import icalendar")}) == 0;
}

} // namespace

class TestIcs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void shouldWriteOneEventPerRow();
    void shouldKeepToTheDateRange_data();
    void shouldKeepToTheDateRange();
    void shouldFoldLongLinesAndEndThemWithCrLf();

private:
    QJsonObject readCalendar(const QByteArray& ics);
    QTemporaryDir m_dir;
    QString m_dat;
};

void TestIcs::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_dat = makeSmallTable(m_dir.path());
    const QString csv = m_dir.filePath(QStringLiteral("more.csv"));
    // A name with the characters TEXT escapes, a long document with non-ASCII text, an event
    // that ends before it starts, one without an end date and one without a start date.
    writeFile(csv, "Event,Start date,Start time,End date,End time,Document\n"
                   "\"Tour; guide, \"\"Ann\"\"\",2026-07-07,08:00,2026-07-07,09:30,\"{\\rtf1\\ansi "
                   + QByteArray("Fl\xc3\xa5m ").repeated(30) + "\\par}\"\n"
                   "Backwards,2026-07-09,12:00,2026-07-09,11:00,\n"
                   "Open end,2026-07-10,15:00,,18:00,\n"
                   "Someday,,,,,\n");
    const Result r = run({QStringLiteral("import"), m_dat, csv});
    QVERIFY2(r.code == 0, r.err);
}

QJsonObject TestIcs::readCalendar(const QByteArray& ics)
{
    const QString file = m_dir.filePath(QStringLiteral("out.ics"));
    writeFile(file, ics);
    QProcess p;
    p.start(python(), {QStringLiteral("-c"), QLatin1String(kReader), file});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

void TestIcs::shouldWriteOneEventPerRow()
{
    if (!readerAvailable())
        QSKIP("python3-icalendar is not installed");
    const Result r = run({QStringLiteral("ics"), m_dat});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QByteArray("ferngrove-table: ics: left out 1 event without a start date\n").mid(17));
    const QJsonObject cal = readCalendar(r.out);
    QCOMPARE(cal.value(QStringLiteral("version")).toString(), QStringLiteral("2.0"));
    const QJsonArray events = cal.value(QStringLiteral("events")).toArray();
    QCOMPARE(events.size(), 7);

    // In start order: Museum 07-05, Ferry 07-06 09:15, Dinner, Tour, Museum 07-08, Backwards, Open end.
    const QJsonObject museum = events.at(0).toObject();
    QCOMPARE(museum.value(QStringLiteral("summary")).toString(), QStringLiteral("Museum"));
    QCOMPARE(museum.value(QStringLiteral("start")).toString(), QStringLiteral("2026-07-05T14:00:00"));
    QCOMPARE(museum.value(QStringLiteral("end")).toString(), QStringLiteral("2026-07-05T16:00:00"));
    QCOMPARE(museum.value(QStringLiteral("floating")).toBool(), true);
    QCOMPARE(museum.value(QStringLiteral("stamped")).toBool(), true);
    QCOMPARE(museum.value(QStringLiteral("description")).toString(), QStringLiteral("Booked: no\nPaid: no\nCost: none"));

    const QJsonObject ferry = events.at(1).toObject();
    QCOMPARE(ferry.value(QStringLiteral("summary")).toString(), QStringLiteral("Ferry"));
    QCOMPARE(ferry.value(QStringLiteral("description")).toString(),
             QStringLiteral("Pier 3\nCafe, deck\n\nBooked: yes\nPaid: yes\nCost: 340.25"));

    const QJsonObject tour = events.at(3).toObject();
    QCOMPARE(tour.value(QStringLiteral("summary")).toString(), QStringLiteral("Tour; guide, \"Ann\""));
    QCOMPARE(tour.value(QStringLiteral("description")).toString(),
             QStringLiteral("Fl\u00e5m ").repeated(30).trimmed() + QStringLiteral("\n\nBooked: no\nPaid: no\nCost: none"));

    // An end before the start gives no DTEND; no end date means the start day.
    QCOMPARE(events.at(5).toObject().value(QStringLiteral("end")), QJsonValue(QJsonValue::Null));
    QCOMPARE(events.at(6).toObject().value(QStringLiteral("end")).toString(), QStringLiteral("2026-07-10T18:00:00"));

    QStringList uids;
    for (const QJsonValue& e : events)
        uids << e.toObject().value(QStringLiteral("uid")).toString();
    uids.removeDuplicates();
    QCOMPARE(uids.size(), 7);
}

void TestIcs::shouldKeepToTheDateRange_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("summaries");
    QTest::newRow("from and to, both inclusive") << QStringList{QStringLiteral("--from"), QStringLiteral("2026-07-06"),
                                                                QStringLiteral("--to"), QStringLiteral("2026-07-07")}
                                                 << QStringList{"Ferry", "Dinner", "Tour; guide, \"Ann\""};
    QTest::newRow("from only") << QStringList{QStringLiteral("--from=2026-07-09")} << QStringList{"Backwards", "Open end"};
    QTest::newRow("to only") << QStringList{QStringLiteral("--to=2026-07-05")} << QStringList{"Museum"};
    QTest::newRow("nothing in range") << QStringList{QStringLiteral("--from=2027-01-01")} << QStringList();
}

void TestIcs::shouldKeepToTheDateRange()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, summaries);
    if (!readerAvailable())
        QSKIP("python3-icalendar is not installed");
    const Result r = run(QStringList{QStringLiteral("ics"), m_dat} + options);
    QCOMPARE(r.code, 0);
    QStringList got;
    for (const QJsonValue& e : readCalendar(r.out).value(QStringLiteral("events")).toArray())
        got << e.toObject().value(QStringLiteral("summary")).toString();
    QCOMPARE(got, summaries);
}

void TestIcs::shouldFoldLongLinesAndEndThemWithCrLf()
{
    const Result r = run({QStringLiteral("ics"), m_dat});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.startsWith("BEGIN:VCALENDAR\r\n"));
    QVERIFY(r.out.endsWith("END:VCALENDAR\r\n"));
    QVERIFY(!r.out.contains("\r\n\r\n"));
    QVERIFY(r.out.count("\r\n ") >= 3); // the long description is folded
    for (const QByteArray& line : r.out.split('\n')) {
        QVERIFY2(line.isEmpty() || line.endsWith('\r'), line);
        QVERIFY2(line.size() <= 76, line); // 75 octets and the CR
        // Folding never splits a UTF-8 sequence: every physical line is valid UTF-8 by itself.
        QVERIFY2(QString::fromUtf8(line).toUtf8() == line, line);
    }
}

QTEST_GUILESS_MAIN(TestIcs)
#include "tst_ics.moc"
