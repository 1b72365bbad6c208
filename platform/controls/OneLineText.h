#pragma once

#include <QString>

class QLineEdit;

namespace platform {

// The text with every line break (CR LF, CR, LF, vertical tab, form feed, next line, line and paragraph
// separators) replaced by one space: what a one-line text box keeps of text that holds several lines.
QString lineBreaksAsSpaces(const QString &text);

// A one-line text box takes what the user types, pastes or drops on one line: a line break in it becomes a
// space (lineBreaksAsSpaces), the cursor staying after what was put in. Text the program sets is kept as it is.
void keepOnOneLine(QLineEdit *box);

} // namespace platform
