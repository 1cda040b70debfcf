#pragma once

#include "platform/core/DateTime.h"

#include <QWidget>

class QDateTimeEdit;

// A date or time picker holding a DateTime value of its own (not bound to a field).
// Shows the date by the regional short date format or the time by the long time format, with
// a drop-down calendar for dates. userChanged is emitted only for changes the user makes,
// never for setValue/setDate/setTime.
class DateTimePicker : public QWidget
{
    Q_OBJECT
public:
    enum class Kind
    {
        Date,
        Time,
    };
    explicit DateTimePicker(Kind kind, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    // The whole value as held, e.g. 24.0 for an end time set to 24 whole days.
    DateTime value() const { return m_value; }
    void setValue(DateTime v);
    // The date part only: the picker's own time of day stays.
    DateTime date() const;
    void setDate(DateTime d);
    // The time of day part.
    DateTime time() const;
    void setTime(DateTime t);
    // The text shown.
    QString text() const;

signals:
    void userChanged();

private:
    Kind m_kind;
    DateTime m_value = 0;
    QDateTimeEdit* m_edit;
    bool m_setting = false;
};
