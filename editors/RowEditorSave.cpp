#include "editors/RowEditorSave.h"

#include "editors/AmountText.h"
#include "editors/NewDeadlineSave.h"
#include "foundation/TransactionsList.h"
#include "foundation/modShared.h"
#include "platform/database/Recordset.h"

#include <QDateTime>
#include <QFile>

using platform::Currency;

namespace RowEditorSave {

namespace {

Currency currencyOf(const QVariant &v)
{
    return v.metaType() == QMetaType::fromType<Currency>() ? v.value<Currency>() : Currency();
}

} // namespace

RowValues readRow(const platform::Recordset &rs)
{
    RowValues r;
    // The first read raises when the recordset holds no row.
    r.dbId = rs.value(QStringLiteral("TrDbId")).toInt();
    r.type = rs.value(QStringLiteral("TrType")).toInt();
    r.done = rs.value(QStringLiteral("TrDone")).toBool();
    r.date = TransactionsList::dateOf(rs.value(QStringLiteral("TrDate")));
    r.description = NullToString(rs.value(QStringLiteral("TrDescription")));
    r.notes = NullToString(rs.value(QStringLiteral("TrNotes")));
    r.acId = rs.value(QStringLiteral("TrAcId")).toInt();
    r.value = currencyOf(rs.value(QStringLiteral("TrValue")));
    r.alertDays = rs.value(QStringLiteral("TrAlertDays")).toInt();
    r.countId = rs.value(QStringLiteral("TrCountId")).toInt();
    r.attached = NullToString(rs.value(QStringLiteral("TrAttached")));
    r.isPN = rs.value(QStringLiteral("IsPN")).toBool();
    return r;
}

RowValues duplicateOf(const RowValues &source, bool cashBook, const QDate &today)
{
    RowValues r = source;
    r.done = cashBook;
    r.date = today;
    r.attached.clear();
    r.isPN = cashBook;
    return r;
}

RowValues newMovement(int sheetId, const QDate &today)
{
    RowValues r;
    r.dbId = sheetId;
    r.type = 1;
    r.done = true;
    r.date = today;
    r.isPN = true;
    return r;
}

int typeOfKey(const QString &key)
{
    return key.right(2).toInt();
}

Currency balanceOf(Currency value, int type)
{
    return value * type;
}

int descriptionRefusal(const QString &text)
{
    if (text.trimmed().isEmpty())
        return 2034;
    return IsStorableText(text) ? 0 : 2037;
}

std::optional<Currency> amountOf(const QString &text, const QLocale &locale)
{
    return AmountText::parse(text, locale);
}

bool alertDaysAccepted(const QString &text)
{
    bool ok = false;
    const int days = text.trimmed().toInt(&ok);
    return ok && days >= 0 && days <= MaxAlertDays;
}

int writeRow(platform::Recordset &rs, const RowValues &v, const WriteScope &scope, const AttachmentChange &attachment,
             const QString &attachedPath, int *line)
{
    const auto step = [line](int l) {
        if (line)
            *line = l;
    };
    // A column is written when the row is new or the user changed its value.
    const auto changed = [&](auto RowValues::*column) {
        return scope.newRow || !scope.opened || scope.opened->*column != v.*column;
    };
    QString copy;   // the attachment copied by this save, removed again when the row is not written
    try {
        if (scope.newRow) {
            step(__LINE__), rs.setValue(QStringLiteral("TrDbId"), v.dbId);
            rs.setValue(QStringLiteral("TrGrpType"), QStringLiteral("n"));
            if (scope.cashBook)
                rs.setValue(QStringLiteral("IsPN"), true);
        }
        step(__LINE__);
        if (changed(&RowValues::type))
            rs.setValue(QStringLiteral("TrType"), v.type);
        if (scope.newRow || !scope.cashBook) {
            if (changed(&RowValues::done))
                rs.setValue(QStringLiteral("TrDone"), v.done);
            if (changed(&RowValues::alertDays))
                rs.setValue(QStringLiteral("TrAlertDays"), v.alertDays);
        }
        if (changed(&RowValues::date))
            rs.setValue(QStringLiteral("TrDate"), v.date);
        if (changed(&RowValues::description))
            rs.setValue(QStringLiteral("TrDescription"), v.description);
        if (changed(&RowValues::notes))
            rs.setValue(QStringLiteral("TrNotes"), v.notes);
        if (changed(&RowValues::acId))
            rs.setValue(QStringLiteral("TrAcId"), v.acId);
        if (changed(&RowValues::value))
            rs.setValue(QStringLiteral("TrValue"), QVariant::fromValue(v.value));
        if (changed(&RowValues::value) || changed(&RowValues::type))
            rs.setValue(QStringLiteral("TrBalance"), QVariant::fromValue(balanceOf(v.value, v.type)));
        if (changed(&RowValues::countId))
            rs.setValue(QStringLiteral("TrCountId"), v.countId);
        if (attachment.action == AttachmentChange::Chosen) {
            rs.setValue(QStringLiteral("TrAttached"), attachment.storedName);
            // The file is in place before the row that names it is written.
            step(__LINE__), copy = NewDeadlineSave::copyAttachment(attachment.sourcePath, attachedPath,
                                                                   attachment.storedName);
        } else if (attachment.action == AttachmentChange::Removed) {
            rs.setValue(QStringLiteral("TrAttached"), QVariant());
        }
        step(__LINE__);
        const qint64 id = rs.Update();
        step(__LINE__);
        return scope.newRow ? int(id) : rs.value(QStringLiteral("TrRowId")).toInt();
    } catch (...) {
        if (!copy.isEmpty() && rs.editing())
            QFile::remove(copy);
        throw;
    }
}

} // namespace RowEditorSave
