#pragma once

#include <QString>
#include <exception>

namespace platform {

// A run-time error as the windows and procedures of the system raise and handle them: a number, the
// component that raised it and a description for the user.
class RuntimeError : public std::exception
{
public:
    RuntimeError(qint64 number, QString source, QString description)
        : m_number(number), m_source(std::move(source)), m_description(std::move(description)),
          m_what(m_description.toUtf8())
    {
    }

    qint64 number() const { return m_number; }
    const QString &source() const { return m_source; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    qint64 m_number;
    QString m_source;
    QString m_description;
    QByteArray m_what;
};

// Error numbers shared by the data layer (the values the original data-access layer reported).
namespace errors {
constexpr qint64 DbGeneric = -2147467259;          // 0x80004005: unspecified database failure
constexpr qint64 DbFileNotFound = -2147467259;     // opening a file that does not exist
constexpr qint64 DbItemNotFound = 3265;            // a field name or ordinal that is not in the collection
constexpr qint64 DbNoCurrentRecord = 3021;         // BOF or EOF is true, or the row was deleted
constexpr qint64 DbOperationNotAllowed = 3219;     // operation not allowed in this context (closed object)
constexpr qint64 DbTypeMismatch = 3421;            // a value of the wrong kind for the field
constexpr qint64 DbFilterInvalid = 3001;           // arguments of the wrong type or out of range (bad filter)
constexpr qint64 DbInUse = 3045;                   // the file is in use by another process
constexpr qint64 DbHeldElsewhere = 3356;           // another process holds the file for itself
}

} // namespace platform
