#pragma once

#include "platform/database/Currency.h"
#include "platform/database/RowStore.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdio.h>

// The recordset's end-of-file test is called EOF(), as callers know it; the C library's EOF macro would
// turn every use into "-1". The standard headers above have defined it already (their guards keep it from
// coming back); code that needs the C value uses std::char_traits<char>::eof().
#undef EOF

namespace platform {

class Connection;

// Column kinds, numbered as the original data-access layer numbers them, so callers can test a field's
// type against the same numbers (202 variable-length text, 203 memo).
enum class FieldType : int {
    Empty = 0,
    SmallInt = 2,       // 16-bit whole number
    Integer = 3,        // 32-bit whole number (AutoNumber too)
    Double = 5,
    Currency = 6,
    Date = 7,
    Boolean = 11,
    BigInt = 20,        // an expression that gives a 64-bit whole number (Count, Max, ...)
    VarWChar = 202,     // text with a defined size
    LongVarWChar = 203, // memo
};

// One column of a recordset: name, kind, defined size (text columns), and the value of the current row.
class Recordset;
class Field
{
public:
    QString Name() const;
    FieldType Type() const;
    int DefinedSize() const;             // maximum characters of a VarWChar column, else 0
    QVariant Value() const;              // the current row's value; a null QVariant is Null
    void setValue(const QVariant &value); // edits the current (or new) row; Update() writes it
    bool isNull() const { return Value().isNull(); }

private:
    friend class Recordset;
    Field(Recordset *rs, int index) : m_rs(rs), m_index(index) {}
    Recordset *m_rs;
    int m_index;
};

// A client-side snapshot of the rows of a query or a table. All rows are read when it opens; moving,
// filtering and bookmarks work on the loaded rows without new queries. Values come as:
// Null -> invalid QVariant; whole numbers -> int (qlonglong beyond 32 bits); Currency -> platform::Currency;
// Date -> QDate (QDateTime when a time is stored); Yes/No -> bool; text -> QString; other reals -> double.
// AddNew/Update and edits of the current row write through to the one table the rows come from.
// Every failure raises RuntimeError.
class Recordset
{
public:
    enum CursorType { adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
    enum LockType { adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4 };
    enum CommandType { adCmdText = 1, adCmdTable = 2, adCmdUnknown = 8 };
    using Bookmark = qint64;

    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // Source: SQL in the Jet dialect, or a table name. The connection is an open Connection, or a
    // connection string: then the recordset opens a connection of its own and keeps it until Close().
    void Open(const QString &source, Connection &connection, CursorType cursor = adOpenStatic,
              LockType lock = adLockReadOnly, CommandType options = adCmdUnknown);
    // statementReady, when given, is called once the statement has been accepted and before its rows are
    // read: a caller replacing other rows lets them go there, so that both are never held at once.
    void Open(const QString &source, const QString &connectionString, CursorType cursor = adOpenStatic,
              LockType lock = adLockReadOnly, CommandType options = adCmdUnknown,
              const std::function<void()> &statementReady = nullptr);
    // Reads the rows of the same source again (filter and position are reset).
    void Requery();
    // At most this many rows are read at Open and Requery, the first ones the statement gives; 0 (the
    // default) reads them all. For a caller that only asks whether there is a row.
    void setMaxRecords(int count);
    int MaxRecords() const;
    void Close();
    bool isOpen() const;
    QString Source() const;

    // Position over the rows that pass the filter.
    bool EOF() const;
    bool BOF() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    int RecordCount() const;             // rows that pass the filter
    int AbsolutePosition() const;        // 1-based among them; 0 at BOF/EOF
    void setAbsolutePosition(int position);

    // Fields of the current row.
    int fieldCount() const;
    Field Fields(int index);
    Field Fields(const QString &name);
    QVariant value(int index) const;
    QVariant value(const QString &name) const;
    void setValue(const QString &name, const QVariant &value);
    void setValue(int index, const QVariant &value);
    int fieldIndex(const QString &name) const;   // -1 when absent (case-insensitive)
    QString fieldName(int index) const;
    FieldType fieldType(int index) const;
    int fieldDefinedSize(int index) const;

    // Writing: AddNew starts a new row; setValue fills it (or edits the current row); Update writes it to
    // the base table and returns the row's AutoNumber (the new one after AddNew). CancelUpdate drops the
    // edit. Delete removes the current row from the table and from the loaded rows.
    void AddNew();
    qint64 Update();
    void CancelUpdate();
    void Delete();
    bool editing() const;

    // ADO filter syntax on the loaded rows: "Field op Value [AND|OR ...]" with = <> < > <= >= LIKE,
    // values in quotes ('text', '2024-03-05', #03/05/2024#) or bare numbers, parentheses, LIKE with
    // * or % at either end. "" removes the filter. A malformed filter raises RuntimeError and leaves the
    // previous filter in place.
    // scope PassingRows tests only the rows that pass the present filter: for a filter the caller knows
    // passes none of the others (the same search with a longer text).
    enum FilterScope { AllRows, PassingRows };
    void setFilter(const QString &filter, FilterScope scope = AllRows);
    QString Filter() const;

    // A bookmark names a loaded row for as long as the recordset is open (filters do not change it).
    Bookmark bookmark() const;
    void setBookmark(Bookmark bookmark);
    // Direct access to a loaded row by bookmark, for views that draw rows without moving the cursor.
    QVariant valueAt(Bookmark bookmark, int field) const;
    // The same value as stored (texts as UTF-8 inside the recordset, valid until it closes or requeries),
    // for views that read many values at once: no conversion. RuntimeError as valueAt.
    CellView cellAt(Bookmark bookmark, int field) const;
    // The rows read (deleted ones and those the filter hides included): every bookmark is at most this.
    int loadedRowCount() const;
    // The bookmarks of the rows that pass the filter, in order.
    const QVector<Bookmark> &visibleRows() const;

    struct Impl;

private:
    void openOn(const QString &source, Connection &connection, CursorType cursor, LockType lock,
                CommandType options, const std::function<void()> &statementReady);

    std::unique_ptr<Impl> m;
};

} // namespace platform
