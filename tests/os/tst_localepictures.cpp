#include "platform/os/LocalePictures.h"

#include <QtTest>

using namespace LocalePictures;

class TestLocalePictures : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadTheClockOfATimePicture_data()
    {
        QTest::addColumn<bool>("qtPicture");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<bool>("twelveHour");
        QTest::addColumn<bool>("leadingZero");
        QTest::addColumn<bool>("markerFirst");
        QTest::addColumn<QString>("separator");
        QTest::newRow("qt us") << true << "h:mm AP" << true << false << false << ":";
        QTest::newRow("qt swedish") << true << "HH:mm" << false << true << false << ":";
        QTest::newRow("qt h without marker is 24-hour") << true << "h.mm" << false << false << false << ".";
        QTest::newRow("qt marker first") << true << "AP hh:mm" << true << true << true << ":";
        QTest::newRow("qt quoted text skipped") << true << "'at' H'h'mm" << false << false << false << ":";
        QTest::newRow("strftime 24") << false << "%H:%M:%S" << false << true << false << ":";
        QTest::newRow("strftime %T") << false << "%T" << false << true << false << ":";
        QTest::newRow("strftime 12") << false << "%I:%M:%S %p" << true << true << false << ":";
        QTest::newRow("strftime 12 unpadded") << false << "%-I.%M %p" << true << false << false << ".";
        QTest::newRow("strftime %l") << false << "%l:%M %p" << true << false << false << ":";
        QTest::newRow("strftime %k") << false << "%k:%M" << false << false << false << ":";
        QTest::newRow("strftime marker first") << false << "%p %I:%M" << true << true << true << ":";
    }

    void shouldReadTheClockOfATimePicture()
    {
        QFETCH(bool, qtPicture);
        QFETCH(QString, picture);
        QFETCH(bool, twelveHour);
        QFETCH(bool, leadingZero);
        QFETCH(bool, markerFirst);
        QFETCH(QString, separator);
        const TimeShape shape = qtPicture ? timeShapeFromQt(picture) : timeShapeFromStrftime(picture);
        QCOMPARE(shape.twelveHour, twelveHour);
        QCOMPARE(shape.leadingZero, leadingZero);
        QCOMPARE(shape.markerFirst, markerFirst);
        QCOMPARE(shape.separator, separator);
    }

    void shouldFindTheDateSeparator_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("separator"); // empty: none
        QTest::newRow("us") << "%m/%d/%Y"
                            << "/";
        QTest::newRow("german") << "%d.%m.%Y"
                                << ".";
        QTest::newRow("%F") << "%F"
                            << "-";
        QTest::newRow("leading text ignored") << "Date: %d/%m"
                                              << "/";
        QTest::newRow("none") << "%d%m%Y"
                              << "";
    }

    void shouldFindTheDateSeparator()
    {
        QFETCH(QString, picture);
        QFETCH(QString, separator);
        QCOMPARE(dateSeparatorOf(picture).value_or(QString()), separator);
    }
};

QTEST_GUILESS_MAIN(TestLocalePictures)
#include "tst_localepictures.moc"
