#pragma once

#include <QDate>

class QDateEdit;
class QWidget;

// The range of dates the database keeps.
inline QDate FirstStoredDate() { return QDate(100, 1, 1); }
inline QDate LastStoredDate() { return QDate(9999, 12, 31); }

// The date picker of the editors and dialogs: the user locale's short date (four-digit year), a drop-down
// month calendar, and the range of dates the database keeps.
QDateEdit *NewDatePicker(QWidget *parent);
