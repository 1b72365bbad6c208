#pragma once

// The data side of the deadline editor and the cash-book editor: what one Transactions row holds for
// them, the checks of their fields, the copy of an existing row as a new one, and the write of the row
// (with its attachment) in one recordset update.

#include "platform/database/Currency.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace platform { class Recordset; }

namespace RowEditorSave {

// The columns the editors show and write.
struct RowValues {
    bool operator==(const RowValues &) const = default;

    int dbId = 0;            // TrDbId (written for a new row only)
    int type = 1;            // 1 credit / income, -1 debit / expense, -2 appointment
    bool done = false;       // TrDone
    QDate date;
    QString description;
    QString notes;
    int acId = 0;            // customer or supplier, 0 none
    platform::Currency value;
    int alertDays = 0;
    int countId = 0;         // collection or payment account, 0 none
    QString attached;        // TrAttached, "" none
    bool isPN = false;       // IsPN (written for a new cash-book row only)
};

// The current row of rs. Raises RuntimeError when rs holds no row (the row was deleted meanwhile).
RowValues readRow(const platform::Recordset &rs);

// A copy of a row as a new unsaved one: dated today, single, without attachment; open for a deadline,
// closed and marked as a cash-book movement for the cash book.
RowValues duplicateOf(const RowValues &source, bool cashBook, const QDate &today);
// A new cash-book movement of the data sheet: an income, closed, dated today.
RowValues newMovement(int sheetId, const QDate &today);

// The type of a type-list key: the whole number of its last two characters ("d-2" -2, "d+1" 1).
int typeOfKey(const QString &key);
// TrValue x TrType: the signed amount kept beside every row.
platform::Currency balanceOf(platform::Currency value, int type);

// Field checks. The description may not be blank nor hold a NUL character: descriptionRefusal gives the
// text id of the reason, 0 when it is accepted. The amount must read as a number in the locale (a
// malformed amount is refused, never cut; AmountText tells the other reasons). The alert days are a whole
// number from 0 to MaxAlertDays.
int descriptionRefusal(const QString &text);
std::optional<platform::Currency> amountOf(const QString &text, const QLocale &locale);
constexpr int MaxAlertDays = 100;
bool alertDaysAccepted(const QString &text);

// What happened to the attachment while the window was open: nothing, a file chosen (copied at save
// under storedName), or the attachment removed (the copy in the attachments folder stays).
struct AttachmentChange {
    enum Action { None = 0, Chosen = 1, Removed = 2 };
    int action = None;
    QString sourcePath;
    QString storedName;
};

// Which columns a save writes. A new row gets every column the editors know; an opened row its bound
// columns, its type and balance, and, in the deadline editor only, its alert days and closed flag. Given the
// row as the window read it (opened), an opened row gets only the columns whose value the user changed
// (the balance with its value or type): what changed meanwhile elsewhere (the row closed from the main
// list, say) stays as it is.
struct WriteScope {
    bool newRow = false;
    bool cashBook = false;
    const RowValues *opened = nullptr;
};

// Writes the row held by rs (the opened row, or the row added with AddNew) in one update: the values,
// TrBalance = value x type, and TrAttached as the change says. A chosen file is copied to attachedPath +
// storedName first, so that the row never names a file that is not there; when the update fails the copy
// is removed again, the error is raised (RuntimeError) and the database holds what it held. `line`, when
// given, receives the step that was running. Returns the row's TrRowId.
int writeRow(platform::Recordset &rs, const RowValues &values, const WriteScope &scope,
             const AttachmentChange &attachment, const QString &attachedPath, int *line = nullptr);

} // namespace RowEditorSave
