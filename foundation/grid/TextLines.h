#pragma once

#include <QString>
#include <QStringList>

class QFont;
class QPaintDevice;

// A text laid out in a width on a limited number of lines: wrapped at word boundaries (a word longer
// than the width is broken), its own line breaks kept; when the text needs more lines, the last line
// takes the rest of it and ends with an ellipsis. device gives the metrics (a printer's, or the screen's
// when null). Used wherever a text must keep a fixed room: printed page headers and footers, the notes
// under the main list.
QStringList TextLines(const QString &text, const QFont &font, const QPaintDevice *device, double width,
                      int maxLines);
