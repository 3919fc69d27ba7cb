#pragma once

#include <QString>
#include <stdexcept>

// An error that stops the running handler. Handlers raise; the application's error handler shows
// message() to the user and the program goes on with the next event. kind() names the sort of
// error ("ConversionError", "TableError", ...) for the report.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString& message, const char* kind = "Error")
        : std::runtime_error(message.toStdString()), m_message(message), m_kind(kind)
    {}

    QString message() const { return m_message; }
    const char* kind() const { return m_kind; }

private:
    QString m_message;
    const char* m_kind;
};

// A text that is not a number of the expected kind.
class ConversionError : public Error
{
public:
    explicit ConversionError(const QString& message) : Error(message, "ConversionError") {}
};

// A table operation that cannot be carried out, or a scene file that cannot be read or written.
class TableError : public Error
{
public:
    explicit TableError(const QString& message) : Error(message, "TableError") {}
};
