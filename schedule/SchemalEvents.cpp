// The scheduling window's event commands: New, Save, Delete, the weekday label, loading an
// event into the pickers, and the purge of unnamed events at closing.

#include "Schemal.h"

#include "platform/core/Exception.h"
#include "platform/table/DataSource.h"
#include "platform/table/Table.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/DbControls.h"
#include "platform/ui/Dialogs.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kEvent = QStringLiteral("Event");
const QString kStartDate = QStringLiteral("Start date");
const QString kStartTime = QStringLiteral("Start time");
const QString kEndDate = QStringLiteral("End date");
const QString kEndTime = QStringLiteral("End time");
const QString kDay = QStringLiteral("Day");

} // namespace

void TfmSchemal::btnNewClick()
{
    dbedEvent->setEnabled(true);
    // Leaving the current event stores it if its bound fields changed; a refusal stops New
    // here with the engine's message and no new event.
    dbSchedule->append();
    dbedEvent->setFocus();
    EnableEditControls();
}

void TfmSchemal::btnSaveClick()
{
    // A new event not stored yet has the record number 0.
    QString givenName;
    if (dbedEvent->text().isEmpty()) {
        givenName = QStringLiteral("Unspecified %1").arg(dbSchedule->recNo());
        dbedEvent->setText(givenName);
    }
    // Does nothing for a new event; on a table without events it begins one, whose reload
    // empties the name box again.
    if (dbSchedule->state() != TableState::Edit)
        dbSchedule->edit();
    // The name put into the box counts as typed: it goes to the field with the post, unless
    // beginning an event has emptied the box again.
    if (!givenName.isEmpty() && dbedEvent->text() == givenName)
        dbSchedule->fieldByName(kEvent).setAsString(givenName);
    // The fields keep only their date or time part: an end time of 24.0 stores 00:00:00.
    dbSchedule->fieldByName(kStartDate).setAsDateTime(dtpStartDate->date());
    dbSchedule->fieldByName(kStartTime).setAsDateTime(dtpStartTime->value());
    dbSchedule->fieldByName(kEndDate).setAsDateTime(dtpEndDate->value());
    dbSchedule->fieldByName(kEndTime).setAsDateTime(dtpEndTime->value());
    dbSchedule->fieldByName(kDay).setAsString(edStartDay->text());
    // No check compares start and end: an end before the start is stored as entered.
    postEvent();
    ChartUpdate(this);
}

void TfmSchemal::btnRadera1Click()
{
    if (Dialogs::instance().confirm(QStringLiteral("Do you want to delete this event?")))
        dbSchedule->deleteRecord(); // a new event never stored is dropped instead
    // Whatever the answer, the event now current is stored again with any pending changes.
    // On a table left without events edit begins an empty one, whose post is refused.
    if (dbSchedule->state() != TableState::Edit)
        dbSchedule->edit();
    postEvent();
    ChartUpdate(this);
}

void TfmSchemal::postEvent()
{
    try {
        dbSchedule->post();
    } catch (const EDatabaseError&) {
        // The name is required: its box takes the focus so the user can type one.
        if (dbSchedule->fieldByName(kEvent).isNull())
            dbedEvent->setFocus();
        throw;
    }
}

void TfmSchemal::dtpStartDateChange()
{
    // Wednesday is written Wen in stored rows.
    static const char* const names[] = {"Mon", "Tue", "Wen", "Thu", "Fri", "Sat", "Sun"};
    const int day = DateTimeUtil::dayOfTheWeek(dtpStartDate->value()); // Monday 1 .. Sunday 7
    edStartDay->setText(QLatin1String(names[day - 1]));
}

bool TfmSchemal::LoadEventControls()
{
    Table& t = *dbSchedule;
    dtpStartDate->setDate(t.fieldByName(kStartDate).asDateTime()); // the picker keeps its time of day
    dtpStartTime->setValue(t.fieldByName(kStartTime).asDateTime());
    dtpEndDate->setValue(t.fieldByName(kEndDate).asDateTime());
    dtpEndTime->setValue(t.fieldByName(kEndTime).asDateTime());
    edStartDay->setText(t.fieldByName(kDay).asString());
    if (t.state() != TableState::Edit)
        t.edit();
    return true;
}

bool TfmSchemal::EnableEditControls()
{
    for (QWidget* w : std::initializer_list<QWidget*>{btnDelete, dtpStartTime, dtpStartDate, dtpEndDate,
                                                      dtpEndTime, dbedCost, cbdbBooked, cbdbPaid})
        w->setEnabled(true);
    return true;
}

bool TfmSchemal::SelectEvent(const QString& name, DateTime startDate)
{
    // The primary index (name, start date, start time) whatever order is in force; the event
    // that was current is left first (stored if its bound fields changed).
    if (!dbSchedule->findKeyOnIndex(QString(), {name, DateTimeUtil::dateOf(startDate)}))
        return false;
    LoadEventControls();
    EnableEditControls();
    return true;
}

void TfmSchemal::attachBoundControls(DataSource* source)
{
    // Each control hands over text typed and not yet given to the field before it detaches,
    // and shows the current row again when it is attached.
    dbedEvent->setDataSource(source);
    dbedCost->setDataSource(source);
    cbdbBooked->setDataSource(source);
    cbdbPaid->setDataSource(source);
}

bool TfmSchemal::PurgeUnnamedEvents()
{
    try {
        // Detached, the controls do not follow every event of the walk. Text they still held
        // belongs to the current event, so it is stored below (or its refusal keeps the
        // window open) rather than dropped with the controls.
        attachBoundControls(nullptr);
        dbSchedule->first(); // stores a changed current event first, or drops its edit
        while (!dbSchedule->eof()) {
            if (dbSchedule->fieldByName(kEvent).asString().isEmpty())
                dbSchedule->deleteRecord(); // the next event becomes current
            else
                dbSchedule->next();
        }
    } catch (...) {
        attachBoundControls(dsSchedule);
        throw;
    }
    attachBoundControls(dsSchedule);
    return true;
}
