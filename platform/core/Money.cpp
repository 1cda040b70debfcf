#include "Exception.h"
#include "FormatSettings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace Format {

namespace {

// More decimals than this are meaningless for an amount kept in ten-thousandths.
constexpr int MaxCurrencyDecimals = 18;

// The amount's magnitude as text: rounded half away from zero to `decimals` decimals,
// optionally grouped in thousands. Sets isZero when nothing but zeros is printed.
QString amountText(Currency value, int decimals, QChar thousands, QChar decimalSeparator, bool& isZero)
{
    decimals = qBound(0, decimals, MaxCurrencyDecimals);
    // Negating the most negative count is done unsigned, so it cannot overflow.
    const quint64 magnitude = value.units < 0 ? quint64(0) - quint64(value.units) : quint64(value.units);
    const int kept = qMin(decimals, 4);
    quint64 divisor = 1;
    for (int i = kept; i < 4; ++i)
        divisor *= 10;
    quint64 scaled = magnitude / divisor;
    if ((magnitude % divisor) * 2 >= divisor && divisor > 1)
        ++scaled;
    quint64 fracScale = 1;
    for (int i = 0; i < kept; ++i)
        fracScale *= 10;
    isZero = scaled == 0;
    const QString whole = QString::number(scaled / fracScale);
    QString text;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0 && !thousands.isNull())
            text += thousands;
        text += whole.at(i);
    }
    if (decimals > 0) {
        text += decimalSeparator;
        if (kept > 0)
            text += QStringLiteral("%1").arg(scaled % fracScale, kept, 10, QLatin1Char('0'));
        text += QString(decimals - kept, QLatin1Char('0'));
    }
    return text;
}

// The sixteen negative patterns: S is the symbol, N the amount.
const char* const NegativePatterns[16] = {"(SN)", "-SN",  "S-N",  "SN-",  "(NS)", "-NS",  "N-S",   "NS-",
                                          "-N S", "-S N", "N S-", "S N-", "S -N", "N- S", "(S N)", "(N S)"};
const char* const PositivePatterns[4] = {"SN", "NS", "S N", "N S"};

QString applyPattern(const char* pattern, const QString& symbol, const QString& amount)
{
    QString text;
    for (const char* p = pattern; *p; ++p) {
        if (*p == 'S')
            text += symbol;
        else if (*p == 'N')
            text += amount;
        else
            text += QLatin1Char(*p);
    }
    return text;
}

bool isBlankSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F);
}

// A number as typed, split into its decimal digits and a power of ten:
// value = (negative ? -1 : 1) * digits * 10^scale.
struct ScannedNumber
{
    bool negative = false;
    std::string digits; // ASCII digits without leading zeros; empty for zero
    qint64 scale = 0;
};

bool takeSign(QString& t, bool& seen, bool& negative)
{
    if (seen || t.isEmpty() || (t.front() != QLatin1Char('-') && t.front() != QLatin1Char('+')))
        return false;
    negative = t.front() == QLatin1Char('-');
    seen = true;
    t = t.mid(1).trimmed();
    return true;
}

bool scanNumber(const QString& text, const FormatSettings& fs, ScannedNumber& n)
{
    QString t = text.trimmed();
    bool signSeen = false;
    // The sign may stand before or after a leading currency symbol ("-$1", "$-1").
    takeSign(t, signSeen, n.negative);
    const QString& symbol = fs.currencyString;
    if (!symbol.isEmpty() && t.startsWith(symbol)) {
        t = t.mid(symbol.size()).trimmed();
        takeSign(t, signSeen, n.negative);
    } else if (!symbol.isEmpty() && t.endsWith(symbol)) {
        t.chop(symbol.size());
        t = t.trimmed();
    }

    const QChar decimal = fs.decimalSeparator;
    const QChar thousands = fs.thousandSeparator == decimal ? QChar() : fs.thousandSeparator;
    auto isThousands = [&](QChar c) {
        if (thousands.isNull())
            return false;
        return c == thousands || (isBlankSeparator(thousands) && isBlankSeparator(c) && c != decimal);
    };
    auto isDigit = [](QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; };

    qsizetype i = 0;
    std::string digits;
    qint64 fracDigits = 0;
    bool anyDigit = false;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (isDigit(c)) {
            digits += char(c.unicode());
            anyDigit = true;
        } else if (isThousands(c) && i > 0 && isDigit(t.at(i - 1)) && i + 1 < t.size() &&
                   isDigit(t.at(i + 1))) {
            continue; // a thousands separator between digits of the whole part
        } else {
            break;
        }
    }
    if (i < t.size() && t.at(i) == decimal) {
        for (++i; i < t.size() && isDigit(t.at(i)); ++i) {
            digits += char(t.at(i).unicode());
            ++fracDigits;
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return false;
    qint64 exponent = 0;
    if (i < t.size() && (t.at(i) == QLatin1Char('e') || t.at(i) == QLatin1Char('E'))) {
        ++i;
        bool negativeExponent = false;
        if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+')))
            negativeExponent = t.at(i++) == QLatin1Char('-');
        if (i >= t.size() || !isDigit(t.at(i)))
            return false;
        for (; i < t.size() && isDigit(t.at(i)); ++i)
            exponent = qMin<qint64>(exponent * 10 + (t.at(i).unicode() - u'0'), 1000000);
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != t.size())
        return false;
    const auto firstNonZero = digits.find_first_not_of('0');
    n.digits = firstNonZero == std::string::npos ? std::string() : digits.substr(firstNonZero);
    n.scale = exponent - fracDigits;
    return true;
}

} // namespace

QString floatToStr(double value, const FormatSettings& fs)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0)
        return QStringLiteral("0");
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    const std::string text(buffer, written.ptr);
    const auto e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    digits.erase(digits.find_last_not_of('0') + 1);
    const int exponent = std::stoi(text.substr(e + 1));
    const QString d = QString::fromLatin1(digits.data(), qsizetype(digits.size()));

    QString out = value < 0 ? QStringLiteral("-") : QString();
    if (exponent >= 15 || exponent < -4) {
        out += d.front();
        if (d.size() > 1)
            out += fs.decimalSeparator + d.mid(1);
        out += QLatin1Char('E') + QString::number(exponent);
    } else if (exponent >= 0) {
        const QString whole = d.left(exponent + 1).leftJustified(exponent + 1, QLatin1Char('0'));
        out += whole;
        if (d.size() > exponent + 1)
            out += fs.decimalSeparator + d.mid(exponent + 1);
    } else {
        out += QLatin1Char('0') + QString(fs.decimalSeparator) + QString(-exponent - 1, QLatin1Char('0')) + d;
    }
    return out;
}

QString currencyToDisplayText(Currency value, const FormatSettings& fs)
{
    bool isZero = false;
    const QString amount =
        amountText(value, fs.currencyDecimals, fs.thousandSeparator, fs.decimalSeparator, isZero);
    // An amount that rounds to zero is shown without a minus sign.
    if (value.units < 0 && !isZero) {
        const int pattern = fs.negCurrFormat >= 0 && fs.negCurrFormat < 16 ? fs.negCurrFormat : 0;
        return applyPattern(NegativePatterns[pattern], fs.currencyString, amount);
    }
    const int pattern = fs.currencyFormat >= 0 && fs.currencyFormat < 4 ? fs.currencyFormat : 0;
    return applyPattern(PositivePatterns[pattern], fs.currencyString, amount);
}

QString currencyToEditText(Currency value, const FormatSettings& fs)
{
    bool isZero = false;
    const QString amount = amountText(value, fs.currencyDecimals, QChar(), fs.decimalSeparator, isZero);
    return value.units < 0 && !isZero ? QLatin1Char('-') + amount : amount;
}

bool tryStrToCurrency(const QString& text, Currency& value, const FormatSettings& fs)
{
    ScannedNumber n;
    if (!scanNumber(text, fs, n))
        return false;
    if (n.digits.empty()) {
        value = Currency{0};
        return true;
    }
    // units = digits * 10^(scale + 4), rounded half away from zero.
    const qint64 shift = n.scale + 4;
    const qint64 length = qint64(n.digits.size());
    std::string whole = n.digits;
    bool roundUp = false;
    if (shift >= 0) {
        if (length + shift > 19)
            return false; // at least 10^19 units
        whole.append(size_t(shift), '0');
    } else {
        const qint64 kept = length + shift;
        if (kept < 0)
            whole.clear(); // less than a tenth of a unit
        else {
            roundUp = n.digits[size_t(kept)] >= '5';
            whole.resize(size_t(kept));
        }
        if (qint64(whole.size()) > 19)
            return false;
    }
    __int128 units = 0;
    for (char c : whole)
        units = units * 10 + (c - '0');
    if (roundUp)
        ++units;
    if (units > std::numeric_limits<qint64>::max())
        return false;
    value = Currency{n.negative ? -qint64(units) : qint64(units)};
    return true;
}

bool tryStrToFloat(const QString& text, double& value, const FormatSettings& fs)
{
    ScannedNumber n;
    if (!scanNumber(text, fs, n))
        return false;
    double magnitude = 0;
    if (!n.digits.empty()) {
        // Plain digits and an exponent carry no decimal point, so strtod's locale does not matter.
        const std::string c = n.digits + 'e' + std::to_string(n.scale);
        magnitude = std::strtod(c.c_str(), nullptr);
        if (std::isinf(magnitude))
            return false;
    }
    value = n.negative ? -magnitude : magnitude;
    return true;
}

Currency strToCurrency(const QString& text, const FormatSettings& fs)
{
    Currency value;
    if (!tryStrToCurrency(text, value, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

double strToFloat(const QString& text, const FormatSettings& fs)
{
    double value = 0;
    if (!tryStrToFloat(text, value, fs))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

} // namespace Format
