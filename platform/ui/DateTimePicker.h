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
    // The editor inside (focus proxy), for tests and the window's tab order.
    QDateTimeEdit* editor() const { return m_edit; }

    // Shows the value by the regional formats in force now (read again when they changed).
    void applyFormatSettings();
    // The Qt display format of a class-library date-time format: d dd ddd dddd, m mm mmm mmmm
    // for months (minutes straight after h/hh), n nn minutes, yy yyyy, h hh, s ss, z zzz,
    // AMPM and am/pm markers; "/" and ":" give the regional separators, the rest is literal.
    static QString qtDisplayFormat(const QString& format);

    // Also names the editor inside, which is what a screen reader announces.
    void setAccessibleName(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;

signals:
    void userChanged();

private:
    void showValue();
    void editorChanged();
    Kind m_kind;
    DateTime m_value = 0;
    QDateTimeEdit* m_edit;
    bool m_setting = false;
};
