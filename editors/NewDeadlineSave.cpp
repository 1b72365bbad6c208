#include "editors/NewDeadlineSave.h"

#include "editors/AmountText.h"
#include "editors/SeriesDates.h"
#include "foundation/TransactionsTable.h"
#include "foundation/cLang.h"
#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/ScopedTransaction.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using platform::Currency;

namespace NewDeadlineSave {

namespace {

// Run-time error numbers of file operations.
constexpr qint64 ErrFileNotFound = 53;
constexpr qint64 ErrFileAlreadyExists = 58;
constexpr qint64 ErrPathFileAccess = 75;

// Row k (1..n, 0 for a single row) as the Transactions table writes it.
TransactionsTable::NewRow newRow(const NewDeadline &d, const QDate &date, Currency value, int k, int groupId)
{
    TransactionsTable::NewRow r;
    r.sheetId = d.sheetId;
    r.type = d.type;
    r.date = date;
    r.description = d.description;
    r.notes = d.notes;
    r.acId = d.acId;
    r.value = value;
    r.alertDays = d.alertDays;
    r.countId = d.countId;
    r.done = d.closed;
    r.attached = d.attachStoredName;
    r.grpId = groupId;
    if (k > 0) {
        r.cadenceLetter = SeriesDates::cadenceLetter(d.cadence);
        r.grpRow = k;
        r.grpMDay = d.rows;
    }
    return r;
}

Currency rowAmount(const NewDeadline &d)
{
    return d.type == -2 ? Currency() : d.amount;
}

} // namespace

QVector<SeriesRow> seriesRows(const NewDeadline &d)
{
    const QVector<QDate> dates = SeriesDates::seriesDates(d.date, d.cadence, d.rows);
    const Currency amount = rowAmount(d);
    const bool split = d.split && d.type != -2 && d.rows > 0;
    const Currency share = split ? AmountText::divideToCents(amount, d.rows) : amount;
    QVector<SeriesRow> rows;
    rows.reserve(dates.size());
    for (int k = 0; k < dates.size(); ++k) {
        const bool last = k == dates.size() - 1;
        rows.append({dates[k], split && last ? amount - share * (d.rows - 1) : share});
    }
    return rows;
}

bool isAttachableFile(const QString &path)
{
    const QFileInfo fi(path);
    return fi.isFile() && fi.isReadable();
}

QString copyAttachment(const QString &sourcePath, const QString &attachedPath, const QString &storedName)
{
    const QString target = attachedPath + storedName;
    if (!isAttachableFile(sourcePath))
        throw platform::RuntimeError(ErrFileNotFound, QStringLiteral("Orvel3"),
                                     LRSV(2043, QDir::toNativeSeparators(sourcePath)));
    QDir().mkpath(attachedPath);
    // QFile::copy never overwrites a file, and writes a temporary file in the target folder that it renames
    // into place: a copy that fails halfway leaves nothing under the target name.
    QFile file(sourcePath);
    if (!file.copy(target)) {
        const qint64 number = !QFileInfo(sourcePath).isFile() ? ErrFileNotFound
                              : QFileInfo::exists(target)     ? ErrFileAlreadyExists
                                                              : ErrPathFileAccess;
        const platform::ErrorKind kind = platform::lacksSpace(attachedPath, QFileInfo(sourcePath).size())
                                             ? platform::ErrorKind::DiskFull
                                             : platform::ErrorKind::Other;
        throw platform::RuntimeError(number, QStringLiteral("Orvel3"),
                                     QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(sourcePath), file.errorString()),
                                     kind, QDir::toNativeSeparators(target));
    }
    // A document, never a program: the copy keeps no execute permission.
    const QFile::Permissions execute = QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;
    if ((QFile::permissions(target) & execute) && !QFile::setPermissions(target, QFile::permissions(target) & ~execute)) {
        QFile::remove(target);
        throw platform::RuntimeError(ErrPathFileAccess, QStringLiteral("Orvel3"),
                                     QStringLiteral("%1: the execute permission cannot be taken off the copy.")
                                         .arg(QDir::toNativeSeparators(target)));
    }
    return target;
}

SaveResult save(const NewDeadline &d, const QString &connectionString, const QString &attachedPath, int *line)
{
    const auto step = [line](int l) {
        if (line)
            *line = l;
    };
    SaveResult result;
    if (d.series && (d.rows < MinSeriesRows || d.rows > MaxSeriesRows))
        return result;

    platform::Connection cn;
    QString copy;   // the attachment copied by this save, removed again when the save does not complete
    try {
        // The file is in place before the rows that name it are written, and copied before the database
        // is opened: a slow or large copy holds no lock.
        if (!d.attachStoredName.isEmpty())
            step(__LINE__), copy = copyAttachment(d.attachSourcePath, attachedPath, d.attachStoredName);
        step(__LINE__), cn.Open(connectionString);
        step(__LINE__);
        platform::ScopedTransaction transaction(cn);
        if (!d.series) {
            step(__LINE__), TransactionsTable::insertRow(cn, newRow(d, d.date, rowAmount(d), 0, d.grpId));
            result = {1, d.grpId};
        } else {
            step(__LINE__);
            const int g = d.grpId > 0 ? d.grpId : TransactionsTable::nextGroupId(cn);
            const QVector<SeriesRow> rows = seriesRows(d);
            for (int k = 0; k < rows.size(); ++k)
                step(__LINE__), TransactionsTable::insertRow(cn, newRow(d, rows[k].date, rows[k].amount, k + 1, g));
            result = {int(rows.size()), g};
        }
        // New rows that join a group: the whole group, over every data sheet, is numbered again by date.
        if (d.grpId > 0)
            step(__LINE__), TransactionsTable::renumberSeries(cn, d.grpId);
        step(__LINE__), transaction.commit();
    } catch (...) {
        if (!copy.isEmpty())
            QFile::remove(copy);
        throw;
    }
    // Saved: a connection that does not close cleanly now is let go by its destructor.
    try {
        cn.Close();
    } catch (...) {
    }
    return result;
}

} // namespace NewDeadlineSave
