#pragma once

// A scheduling window on a project in a fresh temporary folder, with scripted dialogs, a fixed
// "today" and United States regional formats, as the scenario tests of the window need it.

#include "schedule/Schemal.h"

#include "platform/core/DateTime.h"
#include "platform/core/FormatSettings.h"
#include "platform/table/DataSource.h"
#include "platform/table/Table.h"
#include "platform/ui/Application.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/DbControls.h"
#include "platform/ui/ScriptedDialogs.h"
#include "storage/Service.h"
#include "tests/support/ProjectTableDefinition.h"

#include <QDateTimeEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// One stored event as text: Event, Start date, Start time, End date, End time, Cost, Booked,
// Paid, Day. Dates are ISO (yyyy-MM-dd), times HH:mm:ss, empty fields "".
using EventText = QStringList;

class SchemalFixture
{
public:
    // Today is Wednesday 15 May 2024 unless a test says otherwise.
    static DateTime today() { return DateTimeUtil::encodeDate(2024, 5, 15); }
    static DateTime day(int month, int d) { return DateTimeUtil::encodeDate(2024, month, d); }
    static DateTime at(int hour, int minute) { return DateTimeUtil::encodeTime(hour, minute, 0); }

    explicit SchemalFixture(const QString& projectFile = QStringLiteral("Trip.dat"))
    {
        formatSettings() = FormatSettings::defaults();
        DateTimeUtil::setFixedClock(today() + at(13, 45));
        Application::setTitle(QStringLiteral("Ferngrove"));
        if (!dmService)
            dmService = new TdmService(QCoreApplication::instance());
        ProjectDir = m_dir.path();
        ProjectFile = projectFile;
        OutputMode = QStringLiteral("Paper");
    }
    ~SchemalFixture()
    {
        window.reset();
        DateTimeUtil::clearFixedClock();
        ProjectDir.clear();
        ProjectFile.clear();
        OutputMode.clear();
    }
    SchemalFixture(const SchemalFixture&) = delete;
    SchemalFixture& operator=(const SchemalFixture&) = delete;

    QString folder() const { return m_dir.path(); }

    // The project table as "New project" creates it.
    void createProject() { dmService->CreateProjectTable(ProjectDir, ProjectFile); }

    // A project table as an older version of the program wrote it: the name is not required,
    // so events without a name can be stored.
    void createProjectWithoutNameRequirement()
    {
        Table t;
        t.setDatabaseName(ProjectDir);
        t.setTableName(ProjectFile);
        defineProjectTable(t, false);
        t.createTable();
    }

    // Stores an event before the window opens (the window must not be open).
    void addEvent(const QString& name, DateTime start, DateTime end, const QString& cost = QString(),
                  bool booked = false, bool paid = false)
    {
        Table t;
        t.setDatabaseName(ProjectDir);
        t.setTableName(ProjectFile);
        t.open();
        t.append();
        t.fieldByName(QStringLiteral("Event")).setAsString(name);
        t.fieldByName(QStringLiteral("Start date")).setAsDateTime(start);
        t.fieldByName(QStringLiteral("Start time")).setAsDateTime(start);
        t.fieldByName(QStringLiteral("End date")).setAsDateTime(end);
        t.fieldByName(QStringLiteral("End time")).setAsDateTime(end);
        t.fieldByName(QStringLiteral("Cost")).setAsString(cost);
        t.fieldByName(QStringLiteral("Booked")).setAsBoolean(booked);
        t.fieldByName(QStringLiteral("Paid")).setAsBoolean(paid);
        t.post();
        t.close();
    }

    // Creates and shows the scheduling window (its creation handler runs now).
    TfmSchemal* open()
    {
        window = std::make_unique<TfmSchemal>();
        window->show();
        return window.get();
    }

    // The stored events in start order, read by reopening the table after the window (and
    // with it its table and any change not stored) is gone.
    QList<EventText> stored()
    {
        window.reset();
        Table t;
        t.setDatabaseName(ProjectDir);
        t.setTableName(ProjectFile);
        t.open();
        t.setIndexName(QStringLiteral("Start"));
        QList<EventText> out;
        for (t.first(); !t.eof(); t.next())
            out << eventText(t);
        t.close();
        return out;
    }

    static EventText eventText(Table& t)
    {
        auto date = [&t](const char* name) {
            const Field& f = t.fieldByName(QLatin1String(name));
            return f.isNull() ? QString() : DateTimeUtil::toQDate(f.asDateTime()).toString(Qt::ISODate);
        };
        auto time = [&t](const char* name) {
            const Field& f = t.fieldByName(QLatin1String(name));
            return f.isNull() ? QString()
                              : DateTimeUtil::toQTime(f.asDateTime()).toString(QStringLiteral("HH:mm:ss"));
        };
        auto text = [&t](const char* name) { return t.fieldByName(QLatin1String(name)).asString(); };
        return {text("Event"), date("Start date"), time("Start time"), date("End date"), time("End time"),
                text("Cost"),  text("Booked"),     text("Paid"),       text("Day")};
    }

    // The user picks a date or time in a picker (as the calendar or the keyboard does).
    static void pickDate(DateTimePicker* picker, const QDate& date) { picker->editor()->setDate(date); }
    static void pickTime(DateTimePicker* picker, const QTime& time) { picker->editor()->setTime(time); }

    // The user empties a bound edit box and types text into it.
    static void retype(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
        if (!text.isEmpty())
            QTest::keyClicks(box, text);
    }

    static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    ScriptedDialogs dialogs;
    std::unique_ptr<TfmSchemal> window;

private:
    QTemporaryDir m_dir;
};
