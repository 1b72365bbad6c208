#pragma once

// The export of a list as tab-separated text: the column titles of a view, the fields of each record as
// the list holds them, the whole text, and the file written in one piece.

#include <QString>
#include <QStringList>

class ListGrid;

namespace ExportRules {

// The views of the main list.
enum View { Deadlines = 0, CashBook = 1 };

// The field separator and the line end of the file.
inline const QString Separator = QStringLiteral("\t");
inline const QString LineEnd = QStringLiteral("\r\n");

// The localised titles of a view's fields, in file order.
QStringList Titles(int view);
// The fields of every record of the list, in its order (group rows left out, records of collapsed
// groups included): deadlines id, type name, date, description, client/supplier, count, amount, closed;
// cash book id, date, description, client/supplier, count, income, expense. A TAB or line break inside
// a text becomes a blank, so that every record stays one line of the file.
QList<QStringList> Records(ListGrid *grid, int view);
// The text of the file: the titles, then one line per record, then an empty line (every line ends with
// CR LF).
QString Text(ListGrid *grid, int view);
// Writes text to file in UTF-8: to a temporary name in the same folder, renamed into place once it is
// complete, replacing an existing file. Raises platform::RuntimeError (the file's name and the reason)
// when the folder cannot be written or the disk is full; the folder is then as it was.
void WriteFile(const QString &file, const QString &text);

} // namespace ExportRules
