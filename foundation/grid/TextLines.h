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

// The font in which a text that must never be cut (an amount, a date, a number) fits a width on one line:
// the font itself when the text fits, else the same font made smaller until it does, but never below
// leastPointSize (0: no floor). device as for TextLines. Used by the list's cells on screen and by the
// printed report's.
QFont FontToFit(const QString &text, const QFont &font, const QPaintDevice *device, double width,
                double leastPointSize = 0);

// The width of the widest piece of a text that no line can break (a word, or what a hyphen or a slash
// ends): the least width the text takes wrapped. device as for TextLines.
double WidestUnbreakable(const QString &text, const QFont &font, const QPaintDevice *device);
