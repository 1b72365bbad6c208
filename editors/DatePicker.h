#pragma once

class QDateEdit;
class QWidget;

// The date picker of the editors and dialogs: the user locale's short date (four-digit year), a drop-down
// month calendar, and the range of dates the database keeps (1 January 100 to 31 December 9999).
QDateEdit *NewDatePicker(QWidget *parent);
