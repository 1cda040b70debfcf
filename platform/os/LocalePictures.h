#pragma once

#include <QString>
#include <optional>

// Reading the C library's strftime pictures and Qt's time pictures for the locale items.
namespace LocalePictures {

// A strftime date picture in Windows letters ("%d.%m.%Y" -> "dd.MM.yyyy"); words are quoted.
QString windowsDatePicture(const QString& strftimeFormat);
// The date separator of a strftime date picture: the first literal character after the first
// conversion; nothing when there is none.
std::optional<QString> dateSeparatorOf(const QString& strftimeFormat);

// What the time items need of a time picture.
struct TimeShape
{
    bool twelveHour = false;
    bool leadingZero = true;
    bool markerFirst = false;
    QString separator = QStringLiteral(":");
};

// From a Qt time picture ("h:mm AP", "HH:mm:ss").
TimeShape timeShapeFromQt(const QString& format);
// From a strftime time picture ("%I:%M:%S %p", "%T").
TimeShape timeShapeFromStrftime(const QString& picture);

} // namespace LocalePictures
