// DateTimePicker: a QDateTimeEdit that holds a DateTime of its own and tells only of user changes.

#include "DateTimePicker.h"

#include "platform/core/Exception.h"
#include "platform/core/FormatSettings.h"

#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <cmath>

namespace {

// The day a time picker's editor stands on; any day without a clock change will do, and the
// editor runs in UTC anyway.
const QDate kTimeDay(2000, 1, 1);

// A whole day and a time of day as one value. Before day 0 the time is subtracted, because
// such values count the fraction away from zero (-1.25 is 1899-12-29 06:00).
DateTime combine(DateTime wholeDay, DateTime timeOfDay)
{
    return wholeDay < 0 ? wholeDay - timeOfDay : wholeDay + timeOfDay;
}

// Number of times the letter at i repeats (case ignored).
int runLength(const QString& f, qsizetype i)
{
    const QChar c = f.at(i).toUpper();
    qsizetype j = i;
    while (j < f.size() && f.at(j).toUpper() == c)
        ++j;
    return int(j - i);
}

bool startsWithNoCase(const QString& f, qsizetype i, QLatin1StringView what)
{
    return f.mid(i, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

class QtFormatWriter
{
public:
    QString result() const
    {
        QString out = m_out;
        appendLiteral(out, m_literal);
        return out;
    }

    // depth > 0 when expanding a format inside a format (ddddd, t, c); one level is enough
    // and keeps a format that names itself from looping.
    void write(const QString& f, int depth)
    {
        const FormatSettings& fs = formatSettings();
        qsizetype i = 0;
        while (i < f.size()) {
            const QChar c = f.at(i);
            if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                qsizetype end = f.indexOf(c, i + 1);
                if (end < 0)
                    end = f.size();
                m_literal += f.mid(i + 1, end - i - 1);
                i = end + 1;
                continue;
            }
            if (c == QLatin1Char('/')) {
                m_literal += fs.dateSeparator;
                ++i;
                continue;
            }
            if (c == QLatin1Char(':')) {
                m_literal += fs.timeSeparator;
                ++i;
                continue;
            }
            const QChar u = c.toUpper();
            if (u < QLatin1Char('A') || u > QLatin1Char('Z')) {
                m_literal += c;
                ++i;
                continue;
            }
            // m straight after an hour (separators between them allowed) is the minute.
            QChar token = u;
            if (token == QLatin1Char('M') && m_lastToken == QLatin1Char('H'))
                token = QLatin1Char('N');
            m_lastToken = token;
            const int n = runLength(f, i);
            switch (token.unicode()) {
            case 'D':
                if (n <= 4) {
                    addToken(QString(n, QLatin1Char('d')));
                } else if (depth == 0) {
                    write(n == 5 ? fs.shortDateFormat : fs.longDateFormat, depth + 1);
                }
                i += n <= 6 ? n : 6;
                break;
            case 'M': {
                const int k = std::min(n, 4);
                addToken(QString(k, QLatin1Char('M')));
                i += k;
                break;
            }
            case 'N': {
                const int k = std::min(n, 2);
                addToken(QString(k, QLatin1Char('m')));
                i += k;
                break;
            }
            case 'Y':
            case 'E':
                addToken(n <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"));
                i += n;
                break;
            case 'H':
                addToken(n <= 1 ? QStringLiteral("h") : QStringLiteral("hh"));
                i += n;
                break;
            case 'S':
                addToken(n <= 1 ? QStringLiteral("s") : QStringLiteral("ss"));
                i += n;
                break;
            case 'Z':
                addToken(n <= 1 ? QStringLiteral("z") : QStringLiteral("zzz"));
                i += n;
                break;
            case 'G':
                i += n; // the era prints nothing
                break;
            case 'T':
                if (depth == 0)
                    write(n == 1 ? fs.shortTimeFormat : fs.longTimeFormat, depth + 1);
                i += std::min(n, 2);
                break;
            case 'C':
                if (depth == 0) {
                    write(fs.shortDateFormat, depth + 1);
                    m_literal += QLatin1Char(' ');
                    write(fs.longTimeFormat, depth + 1);
                }
                ++i;
                break;
            case 'A':
                if (startsWithNoCase(f, i, QLatin1StringView("ampm"))) {
                    addToken(QStringLiteral("AP"));
                    i += 4;
                } else if (startsWithNoCase(f, i, QLatin1StringView("am/pm"))) {
                    addToken(f.at(i).isUpper() ? QStringLiteral("AP") : QStringLiteral("ap"));
                    i += 5;
                } else if (startsWithNoCase(f, i, QLatin1StringView("a/p"))) {
                    addToken(f.at(i).isUpper() ? QStringLiteral("AP") : QStringLiteral("ap"));
                    i += 3;
                } else {
                    m_literal += c;
                    ++i;
                }
                break;
            default:
                m_literal += c;
                ++i;
                break;
            }
        }
    }

private:
    void addToken(const QString& qtToken)
    {
        appendLiteral(m_out, m_literal);
        m_literal.clear();
        m_out += qtToken;
    }

    // Literal text goes in quotes, a quote inside them doubled. Qt reads '' where a quoted
    // run could open as a quote of its own, so leading quotes are written that way.
    static void appendLiteral(QString& out, const QString& literal)
    {
        const QChar quote = QLatin1Char('\'');
        qsizetype i = 0;
        for (; i < literal.size() && literal.at(i) == quote; ++i)
            out += QLatin1String("''");
        if (i == literal.size())
            return;
        QString rest = literal.mid(i);
        rest.replace(quote, QLatin1String("''"));
        out += quote + rest + quote;
    }

    QString m_out;
    QString m_literal;
    QChar m_lastToken;
};

// Tab leaves the picker, as it leaves every other control; the sections are reached with
// the arrow keys and by typing. (QDateTimeEdit would walk its sections first.)
class PickerEdit : public QDateTimeEdit
{
public:
    using QDateTimeEdit::QDateTimeEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

} // namespace

DateTimePicker::DateTimePicker(Kind kind, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_edit(new PickerEdit(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    setFocusProxy(m_edit);
    setFocusPolicy(m_edit->focusPolicy());
    // UTC: a local clock change (a day without 00:00, an hour that repeats) must not move
    // the value the editor shows.
    m_edit->setTimeSpec(Qt::UTC);
    if (m_kind == Kind::Date) {
        m_edit->setCalendarPopup(true);
        m_edit->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    }
    connect(m_edit, &QDateTimeEdit::dateTimeChanged, this, [this] { editorChanged(); });
    applyFormatSettings();
}

void DateTimePicker::applyFormatSettings()
{
    const QScopedValueRollback<bool> setting(m_setting, true);
    const FormatSettings& fs = formatSettings();
    const bool date = m_kind == Kind::Date;
    const QDateTimeEdit::Sections wanted =
        date ? QDateTimeEdit::DateSections_Mask : QDateTimeEdit::TimeSections_Mask;
    const QString format = qtDisplayFormat(date ? fs.shortDateFormat : fs.longTimeFormat);
    m_edit->setDisplayFormat(format);
    // The editor keeps its old format when it cannot use the new one, and a format with
    // nothing to edit (the blank one of an unreadable locale) would leave the user a box that
    // cannot change: an ISO format stands in for both.
    if (m_edit->displayFormat() != format || !(m_edit->displayedSections() & wanted))
        m_edit->setDisplayFormat(date ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("HH:mm:ss"));
    showValue();
}

QString DateTimePicker::qtDisplayFormat(const QString& format)
{
    QtFormatWriter writer;
    writer.write(format, 0);
    return writer.result();
}

void DateTimePicker::setValue(DateTime v)
{
    // Decoding first refuses NaN and values outside the calendar before anything changes.
    if (m_kind == Kind::Date)
        DateTimeUtil::toQDate(v);
    else
        DateTimeUtil::toQTime(v);
    m_value = v;
    showValue();
}

DateTime DateTimePicker::date() const
{
    return DateTimeUtil::dateOf(m_value);
}

void DateTimePicker::setDate(DateTime d)
{
    setValue(combine(DateTimeUtil::dateOf(d), DateTimeUtil::timeOf(m_value)));
}

DateTime DateTimePicker::time() const
{
    return DateTimeUtil::timeOf(m_value);
}

void DateTimePicker::setTime(DateTime t)
{
    setValue(combine(DateTimeUtil::dateOf(m_value), DateTimeUtil::timeOf(t)));
}

QString DateTimePicker::text() const
{
    return m_edit->text();
}

void DateTimePicker::setAccessibleName(const QString& name)
{
    QWidget::setAccessibleName(name);
    m_edit->setAccessibleName(name);
}

void DateTimePicker::showEvent(QShowEvent* event)
{
    // A label that names the picker as its buddy names the editor the user is in.
    if (m_edit->accessibleName().isEmpty()) {
        QString name = accessibleName();
        if (name.isEmpty() && parentWidget()) {
            for (const QLabel* label : parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
                if (label->buddy() == this)
                    name = label->text().remove(QLatin1Char('&'));
        }
        if (!name.isEmpty())
            m_edit->setAccessibleName(name);
    }
    QWidget::showEvent(event);
}

void DateTimePicker::showValue()
{
    const QScopedValueRollback<bool> setting(m_setting, true);
    if (m_kind == Kind::Date)
        m_edit->setDateTime(QDateTime(DateTimeUtil::toQDate(m_value), QTime(0, 0), Qt::UTC));
    else
        m_edit->setDateTime(QDateTime(kTimeDay, DateTimeUtil::toQTime(m_value), Qt::UTC));
}

void DateTimePicker::editorChanged()
{
    if (m_setting)
        return;
    // The part the editor shows follows the user; the other part of the value stays.
    if (m_kind == Kind::Date)
        m_value = combine(DateTimeUtil::fromQDate(m_edit->date()), DateTimeUtil::timeOf(m_value));
    else
        m_value = combine(DateTimeUtil::dateOf(m_value), DateTimeUtil::fromQTime(m_edit->time()));
    emit userChanged();
}
