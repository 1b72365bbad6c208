#pragma once

// What the windows tell the user about a date field's text that is not a date.

#include <QString>

class QWidget;
namespace platform { class DateField; }

// Why the field's text is refused, in the user's language, with an example written as the field takes it
// (31 December of this year, or the last day of the month the text names when that month has no such day);
// "" when the text holds a date.
QString DateRefusalText(const platform::DateField *field);

// For a window without a status bar, before it uses the field's date: true when the field holds a date
// (then shown in the locale's form). Otherwise the user is told why in a message box owned by window, the
// focus goes back into the field with its text selected, and the answer is false.
bool DateConfirmed(platform::DateField *field, QWidget *window);
