#pragma once

// The write path of the new-deadline editor: one new Transactions row (a single deadline or appointment)
// or a recurring series of 2 to 99 rows, optionally dividing the amount over the rows, with the chosen
// attachment copied once into the attachments folder, and the group renumbered when the new rows join an
// existing one. Everything of one save happens in one transaction: it is saved whole or not at all.

#include "platform/database/Currency.h"

#include <QDate>
#include <QString>
#include <QVector>

namespace NewDeadlineSave {

// What the editor hands over to be saved.
struct NewDeadline {
    int sheetId = 1;                 // TrDbId: the current data sheet
    bool closed = false;             // TrDone
    int type = -2;                   // 1 credit, -1 debit, -2 appointment
    QString description;             // as typed; quoted when the statement is built
    QString notes;
    int acId = 0;                    // customer or supplier, 0 none
    platform::Currency amount;       // 0 for an appointment
    int alertDays = 0;
    int countId = 0;                 // collection or payment account, 0 none
    bool series = false;             // false: one row on `date`; true: `rows` rows from `date`
    QDate date;
    int rows = 1;                    // series: 2 .. 99
    int cadence = 0;                 // series: SeriesDates::Cadence
    bool split = false;              // series: divide the amount over the rows (ignored for appointments)
    int grpId = 0;                   // 0: a plain new entry; else the TrGrpId of the group the rows join
    QString attachStoredName;        // "" none; else the generated name of the copy
    QString attachSourcePath;        // the file chosen by the user
};

constexpr int MinSeriesRows = 2;
constexpr int MaxSeriesRows = 99;

// The date and amount of each row of a series, in row order. With split (and not an appointment) every
// row carries the amount divided by the rows, rounded to cents (an exact half to the even cent), and the
// last row the remainder, so that the rows add up exactly to the amount; otherwise every row carries the
// full amount. An appointment carries 0.
struct SeriesRow {
    QDate date;
    platform::Currency amount;
};
QVector<SeriesRow> seriesRows(const NewDeadline &d);

// True for a file that can be copied as an attachment: a regular file that can be read (not a folder, a
// named pipe or a device, whose copy would never end).
bool isAttachableFile(const QString &path);
// Copies the attachment to attachedPath + storedName (making the attachments folder when it is missing)
// and returns the copy's path. The copy is a document: it never keeps the source's execute permission.
// Never overwrites a file. Raises RuntimeError when the source is no attachable file or the copy fails
// (of kind DiskFull when the disk has no room for it); no partial copy is left.
QString copyAttachment(const QString &sourcePath, const QString &attachedPath, const QString &storedName);

struct SaveResult {
    int rows = 0;       // rows written
    int groupId = 0;    // the group they belong to (0 for a plain single row)
};
// Copies the attachment into attachedPath, then writes the new row or rows on a connection of its own
// (connectionString) in one transaction: the inserts and the renumbering of the joined group over every
// data sheet. The copy is made before the transaction opens, so the database is never held while a file is
// read. Any failure rolls everything back, removes the copy made here and raises RuntimeError: nothing is
// half saved, and no row ever names a file that is not there. `line`, when given, receives the line of the
// statement being run (the one that failed, after an error).
// A series with a row count outside 2..99 writes nothing and returns 0 rows.
SaveResult save(const NewDeadline &d, const QString &connectionString, const QString &attachedPath,
                int *line = nullptr);

} // namespace NewDeadlineSave
