// Field: typed reading and writing of the current row's values.

#include "Table.h"

#include "FieldValue.h"
#include "TableImpl.h"

#include "platform/core/Exception.h"

namespace {

EConvertError cannotAccess(const FieldDef& def, const char* as)
{
    return EConvertError(QStringLiteral("Cannot access field '%1' as type %2").arg(def.name, QLatin1String(as)));
}

} // namespace

bool Field::isNull() const
{
    return m_table->readValue(m_index).isNull();
}

QVariant Field::value() const
{
    const QVariant& v = m_table->readValue(m_index);
    if (v.isNull())
        return {};
    if (m_def.type == FieldType::Blob)
        return asBytes();
    if (m_def.type == FieldType::AutoInc)
        return v.toLongLong();
    return v;
}

void Field::setValue(const QVariant& v)
{
    m_table->checkWritable(m_index);
    QVariant converted = FieldValue::fromVariant(m_def, v);
    if (m_def.type == FieldType::String && m_def.size > 0 && !converted.isNull()) {
        // The size counts characters (code points), as the store does, never bytes.
        const QString s = converted.toString();
        qsizetype units = 0;
        int chars = 0;
        while (units < s.size() && chars < m_def.size) {
            units += (s.at(units).isHighSurrogate() && units + 1 < s.size() && s.at(units + 1).isLowSurrogate()) ? 2 : 1;
            ++chars;
        }
        if (units < s.size())
            converted = s.left(units);
    }
    m_table->writeValue(m_index, converted);
}

void Field::clear()
{
    m_table->writeValue(m_index, QVariant());
}

QString Field::asString() const
{
    const QVariant& v = m_table->readValue(m_index);
    if (v.isNull())
        return {};
    switch (m_def.type) {
    case FieldType::String: return v.toString();
    case FieldType::Date: return Format::formatDateTime(QStringLiteral("ddddd"), v.toDouble());
    case FieldType::Time: return Format::formatDateTime(QStringLiteral("tt"), v.toDouble());
    case FieldType::Boolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Currency: return Format::floatToStr(v.value<Currency>().toDouble());
    case FieldType::AutoInc: return QString::number(v.toLongLong());
    case FieldType::Blob: return QString::fromLatin1(asBytes());
    }
    return {};
}

void Field::setAsString(const QString& text)
{
    setValue(text); // text goes through the type's parser; a failure leaves the value as it was
}

bool Field::asBoolean() const
{
    const QVariant& v = m_table->readValue(m_index);
    if (v.isNull())
        return false;
    switch (m_def.type) {
    case FieldType::Boolean: return v.toBool();
    case FieldType::String: {
        FieldDef asBool = m_def;
        asBool.type = FieldType::Boolean;
        return FieldValue::fromText(asBool, v.toString()).toBool();
    }
    default: throw cannotAccess(m_def, "Boolean");
    }
}

void Field::setAsBoolean(bool b)
{
    setValue(b);
}

DateTime Field::asDateTime() const
{
    const QVariant& v = m_table->readValue(m_index);
    if (v.isNull())
        return 0;
    switch (m_def.type) {
    case FieldType::Date:
    case FieldType::Time: return v.toDouble();
    case FieldType::String: return Format::strToDateTime(v.toString());
    default: throw cannotAccess(m_def, "DateTime");
    }
}

void Field::setAsDateTime(DateTime v)
{
    setValue(v);
}

double Field::asFloat() const
{
    const QVariant& v = m_table->readValue(m_index);
    if (v.isNull())
        return 0;
    switch (m_def.type) {
    case FieldType::Date:
    case FieldType::Time: return v.toDouble();
    case FieldType::Currency: return v.value<Currency>().toDouble();
    case FieldType::AutoInc: return double(v.toLongLong());
    case FieldType::String: return Format::strToFloat(v.toString());
    default: throw cannotAccess(m_def, "Float");
    }
}

void Field::setAsFloat(double v)
{
    setValue(v);
}

Currency Field::asCurrency() const
{
    const QVariant& v = m_table->readValue(m_index);
    if (v.isNull())
        return {};
    switch (m_def.type) {
    case FieldType::Currency: return v.value<Currency>();
    case FieldType::Date:
    case FieldType::Time: return Currency::fromDouble(v.toDouble());
    case FieldType::AutoInc: return Currency::fromUnits(v.toLongLong() * Currency::Scale);
    case FieldType::String: return Format::strToCurrency(v.toString());
    default: throw cannotAccess(m_def, "Currency");
    }
}

void Field::setAsCurrency(Currency v)
{
    setValue(QVariant::fromValue(v));
}

QByteArray Field::asBytes() const
{
    const QVariant& v = m_table->readValue(m_index);
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    if (v.typeId() == qMetaTypeId<BlobRef>()) {
        const BlobRef ref = v.value<BlobRef>();
        if (ref.length == 0)
            return {};
        return m_table->d->store->readBlob(ref);
    }
    return asString().toLatin1();
}

void Field::setAsBytes(const QByteArray& bytes)
{
    if (m_def.type == FieldType::Blob) {
        m_table->writeValue(m_index, bytes.isEmpty() ? QVariant() : QVariant(bytes));
        return;
    }
    setValue(bytes);
}

QString Field::displayText() const
{
    if (m_def.type == FieldType::Currency && !isNull())
        return Format::currencyToDisplayText(asCurrency());
    return asString();
}

QString Field::editText() const
{
    if (m_def.type == FieldType::Currency && !isNull())
        return Format::currencyToEditText(asCurrency());
    return asString();
}
