#pragma once

#include <QMetaType>
#include <QtGlobal>

// A money amount as a whole number of ten-thousandths, so sums are exact.
struct Currency
{
    qint64 units = 0; // 1.0 is 10000 units

    static constexpr qint64 Scale = 10000;
    static Currency fromUnits(qint64 u) { return Currency{u}; }
    // Rounds half away from zero to the nearest ten-thousandth (of the value's shortest decimal
    // text, so 1.00005 gives 1.0001). Throws EConvertError for NaN, infinities and values beyond
    // the range of a 64-bit count of ten-thousandths (about ±922337203685477).
    static Currency fromDouble(double value);
    double toDouble() const { return double(units) / Scale; }

    friend bool operator==(Currency a, Currency b) { return a.units == b.units; }
    friend auto operator<=>(Currency a, Currency b) { return a.units <=> b.units; }
    friend Currency operator+(Currency a, Currency b) { return Currency{a.units + b.units}; }
};
Q_DECLARE_METATYPE(Currency)
