#include "Currency.h"

#include "Exception.h"

#include <charconv>
#include <cmath>
#include <limits>

// The value is first written as its shortest decimal text (the digits a person typed, 1.00005
// rather than 1.0000499999...), and that text is rounded, so halves really round away from zero.
Currency Currency::fromDouble(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e15)
        throw EConvertError(QStringLiteral("Floating point value out of the currency range"));
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific);
    // Form: d[.ddd]e[+-]xx, at most 17 significant digits.
    qint64 digits = 0;
    int digitCount = 0;
    const char* p = buffer;
    for (; p < written.ptr && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = digits * 10 + (*p - '0');
            ++digitCount;
        }
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), written.ptr, exponent);
    // value = digits * 10^(exponent - digitCount + 1); units = value * 10^4.
    const int shift = exponent - digitCount + 1 + 4;
    __int128 units = digits;
    if (shift >= 0) {
        for (int i = 0; i < shift; ++i)
            units *= 10;
    } else if (-shift > 18) {
        units = 0; // below half a unit
    } else {
        qint64 divisor = 1;
        for (int i = 0; i < -shift; ++i)
            divisor *= 10;
        const qint64 remainder = digits % divisor;
        units = digits / divisor + (remainder * 2 >= divisor ? 1 : 0);
    }
    if (units > std::numeric_limits<qint64>::max())
        throw EConvertError(QStringLiteral("Floating point value out of the currency range"));
    const qint64 result = qint64(units);
    return Currency{value < 0 ? -result : result};
}
