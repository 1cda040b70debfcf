#include "LocalePictures.h"

#include <QStringView>
#include <QVector>

namespace LocalePictures {

namespace {

// One piece of a strftime picture: a conversion (%d, %-m) or literal text.
struct Piece
{
    bool conversion = false;
    QChar letter; // the conversion letter
    QChar flag;   // '-', '_', '0', '^', '#' or null
    QString text; // literal text
};

QVector<Piece> splitPicture(QString picture)
{
    picture.replace(QLatin1String("%D"), QLatin1String("%m/%d/%y"));
    picture.replace(QLatin1String("%F"), QLatin1String("%Y-%m-%d"));
    picture.replace(QLatin1String("%T"), QLatin1String("%H:%M:%S"));
    picture.replace(QLatin1String("%R"), QLatin1String("%H:%M"));
    QVector<Piece> pieces;
    QString literal;
    auto flushLiteral = [&] {
        if (!literal.isEmpty())
            pieces.append({false, {}, {}, literal});
        literal.clear();
    };
    for (qsizetype i = 0; i < picture.size(); ++i) {
        const QChar c = picture.at(i);
        if (c != QLatin1Char('%') || i + 1 >= picture.size()) {
            literal += c;
            continue;
        }
        ++i;
        QChar flag;
        if (QStringView(u"-_0^#").contains(picture.at(i)) && i + 1 < picture.size())
            flag = picture.at(i++);
        while (i < picture.size() && picture.at(i).isDigit())
            ++i;
        if (i < picture.size() && (picture.at(i) == QLatin1Char('E') || picture.at(i) == QLatin1Char('O')))
            ++i;
        if (i >= picture.size())
            break;
        const QChar letter = picture.at(i);
        if (letter == QLatin1Char('%')) {
            literal += letter;
        } else if (letter == QLatin1Char('n') || letter == QLatin1Char('t')) {
            literal += QLatin1Char(' ');
        } else {
            flushLiteral();
            pieces.append({true, letter, flag, {}});
        }
    }
    flushLiteral();
    return pieces;
}

// Literal text for a Windows picture: letters are quoted so that they print as written.
QString quoteLiteral(const QString& text)
{
    QString out;
    QString run;
    auto flushRun = [&] {
        if (!run.isEmpty())
            out += QLatin1Char('\'') + run + QLatin1Char('\'');
        run.clear();
    };
    for (const QChar c : text) {
        if (c.isLetter()) {
            run += c;
        } else {
            flushRun();
            out += (c == QLatin1Char('\'')) ? QStringLiteral("\"'\"") : QString(c);
        }
    }
    flushRun();
    return out;
}

// The date separator: the first literal character after the first conversion.
} // namespace

std::optional<QString> dateSeparatorOf(const QString& picture)
{
    bool seenConversion = false;
    for (const Piece& piece : splitPicture(picture)) {
        if (piece.conversion)
            seenConversion = true;
        else if (seenConversion && !piece.text.trimmed().isEmpty())
            return piece.text.trimmed().left(1);
    }
    return std::nullopt;
}

TimeShape timeShapeFromQt(const QString& format)
{
    TimeShape shape;
    qsizetype hourAt = -1;
    qsizetype markerAt = -1;
    QChar hourLetter;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (hourAt < 0 && (c == QLatin1Char('h') || c == QLatin1Char('H'))) {
            hourAt = i;
            hourLetter = c;
            qsizetype end = i;
            while (end < format.size() && format.at(end) == c)
                ++end;
            shape.leadingZero = end - i >= 2;
            if (end < format.size() && !format.at(end).isLetter() && format.at(end) != QLatin1Char('\''))
                shape.separator = format.at(end);
            i = end - 1;
        } else if (markerAt < 0 && (c == QLatin1Char('a') || c == QLatin1Char('A'))) {
            markerAt = i;
        }
    }
    // In Qt's pictures "h" is a 12-hour clock only when a marker is shown; "H" never is.
    shape.twelveHour = markerAt >= 0 && hourLetter == QLatin1Char('h');
    shape.markerFirst = shape.twelveHour && markerAt < hourAt;
    return shape;
}

TimeShape timeShapeFromStrftime(const QString& picture)
{
    TimeShape shape;
    const QVector<Piece> pieces = splitPicture(picture);
    int hourIndex = -1;
    int markerIndex = -1;
    for (int i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces.at(i);
        if (!piece.conversion)
            continue;
        const char letter = piece.letter.toLatin1();
        if (hourIndex < 0 && (letter == 'H' || letter == 'k' || letter == 'I' || letter == 'l')) {
            hourIndex = i;
            shape.twelveHour = letter == 'I' || letter == 'l';
            shape.leadingZero = (letter == 'H' || letter == 'I')
                                    ? piece.flag != QLatin1Char('-') && piece.flag != QLatin1Char('_')
                                    : piece.flag == QLatin1Char('0');
            if (i + 1 < pieces.size() && !pieces.at(i + 1).conversion && !pieces.at(i + 1).text.isEmpty())
                shape.separator = pieces.at(i + 1).text.left(1);
        } else if (markerIndex < 0 && (letter == 'p' || letter == 'P')) {
            markerIndex = i;
        }
    }
    shape.markerFirst = shape.twelveHour && markerIndex >= 0 && markerIndex < hourIndex;
    return shape;
}

QString windowsDatePicture(const QString& strftimeFormat)
{
    QString out;
    for (const Piece& piece : splitPicture(strftimeFormat)) {
        if (!piece.conversion) {
            out += quoteLiteral(piece.text);
            continue;
        }
        const bool noPad = piece.flag == QLatin1Char('-') || piece.flag == QLatin1Char('_');
        switch (piece.letter.toLatin1()) {
        case 'd':
            out += noPad ? QStringLiteral("d") : QStringLiteral("dd");
            break;
        case 'e':
            out += QStringLiteral("d");
            break;
        case 'm':
            out += noPad ? QStringLiteral("M") : QStringLiteral("MM");
            break;
        case 'Y':
        case 'G':
            out += QStringLiteral("yyyy");
            break;
        case 'y':
        case 'g':
            out += QStringLiteral("yy");
            break;
        case 'b':
        case 'h':
            out += QStringLiteral("MMM");
            break;
        case 'B':
            out += QStringLiteral("MMMM");
            break;
        case 'a':
            out += QStringLiteral("ddd");
            break;
        case 'A':
            out += QStringLiteral("dddd");
            break;
        default:
            break; // nothing a date picture can say (week numbers, era names)
        }
    }
    return out;
}

} // namespace LocalePictures
