#pragma once

#include <QDate>
#include <QString>

namespace testenv {

// Fills a database made from the template with a small business's rows around `today`: accounts, counts,
// single deadlines of every kind open and closed, a monthly series, cash-book movements, and a few rows in
// a second data sheet. With `extraRows` more generated rows of sheet 1 are added (lists of several pages).
// Returns the number of rows written to sheet 1.
int fillSample(const QString &dbFile, const QDate &today, int extraRows = 0);

} // namespace testenv
