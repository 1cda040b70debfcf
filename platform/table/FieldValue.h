#pragma once

#include "Schema.h"

#include "platform/core/FormatSettings.h"

#include <QVariant>

// How the engine holds one field's value: a null QVariant for an empty field, otherwise
// String: QString, Date and Time: double, Currency: Currency, Boolean: bool, AutoInc: qint64,
// Blob: BlobRef (stored) or QByteArray (new content).
namespace FieldValue {

// Orders two values of one field type: empty before any value; strings by UTF-16 code units
// (letter case significant, no locale collation); numbers, dates and times by value; False
// before True. Returns <0, 0 or >0.
int compare(FieldType type, const QVariant& a, const QVariant& b);

// Turns a value handed in by a caller (QString, double, int, bool, Currency, QDate, QTime,
// QDateTime, QByteArray) into the field's form: a Date keeps the whole part, a Time the
// fraction (to the millisecond). Empty text gives an empty field. Strings are not cut.
// Throws EConvertError when the value is not one of the type.
QVariant fromVariant(const FieldDef& def, const QVariant& value, const FormatSettings& fs = formatSettings());

// Parses text by the field's type and the regional formats; empty text gives an empty field.
// Throws EConvertError ("'abc' is not a valid currency value").
QVariant fromText(const FieldDef& def, const QString& text, const FormatSettings& fs = formatSettings());

// The field's default value as written in its definition ("00:00:00", "23:59:59", "False"):
// fixed formats, independent of the regional settings. Empty for no default.
QVariant fromDefault(const FieldDef& def);

// A Date value's day (whole part) and a Time value's fraction rounded to the millisecond.
double normalizeDate(double value);
double normalizeTime(double value);

} // namespace FieldValue
