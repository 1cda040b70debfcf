#pragma once

#include <QString>
#include <exception>

// The base of every error the program raises and shows in the default error box.
class Exception : public std::exception
{
public:
    explicit Exception(QString message);
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// Everything the table engine raises: refused posts, unreadable or damaged files,
// operations on a closed table.
class EDatabaseError : public Exception
{
public:
    using Exception::Exception;
};

// Text that cannot be turned into a field's type ("'abc' is not a valid floating point value").
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};
