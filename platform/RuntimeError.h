#pragma once

#include <QString>
#include <exception>

namespace platform {

// What a failure means for the user, as far as the layer that raised it can tell. The windows tell the
// user in the user's language what happened and what to do; Other leaves it to the description.
enum class ErrorKind : int {
    Other = 0,
    RowChanged,          // the row was deleted or changed by someone else since it was read
    DatabaseLocked,      // another program or user holds the database
    DatabaseReadOnly,    // the database file or its folder cannot be written
    DiskFull,            // no space left on the disk
    NotADatabase,        // the file is no database of the program, or it is damaged
    WrongStructure,      // the database lacks a table or a column the program uses (renamed, removed)
    DatabaseNotFound,    // the database file is not where it was (folder moved, disk not connected)
    TextTooLong,         // a text is longer than its column holds
    TextNotStorable,     // a text holds a NUL character, which a stored text cannot carry
    AmountTooLarge,      // an amount lies beyond the largest amount the program takes in
    OldDatabaseUnreadable,   // a database to import is damaged or of a format that cannot be read
    OldDatabaseIncomplete,   // a database to import lacks a table or a column the import needs
    OldValueUnreadable,      // a value of a database to import is not of its column's kind, or too long
    FileNotWritten,          // a file of the database folder cannot be written, copied or replaced
};

// A run-time error as the windows and procedures of the system raise and handle them: a number, the
// component that raised it, a description (the technical detail), what it means for the user and what it
// concerns (a file, a column), which the user's message names beside it.
class RuntimeError : public std::exception
{
public:
    RuntimeError(qint64 number, QString source, QString description, ErrorKind kind = ErrorKind::Other,
                 QString subject = QString())
        : m_number(number), m_source(std::move(source)), m_description(std::move(description)), m_kind(kind),
          m_subject(std::move(subject)), m_what(m_description.toUtf8())
    {
    }

    qint64 number() const { return m_number; }
    const QString &source() const { return m_source; }
    const QString &description() const { return m_description; }
    ErrorKind kind() const { return m_kind; }
    const QString &subject() const { return m_subject; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    qint64 m_number;
    QString m_source;
    QString m_description;
    ErrorKind m_kind;
    QString m_subject;
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
