#pragma once

// Menu items and toolbar buttons that carry the number of their text (their "tag") from the moment they are
// made, so a window's localisation can put in the text of the current language at any time.

#include <QList>
#include <QString>
#include <QVector>

class QAction;
class QMainWindow;
class QObject;

namespace TaggedActions {

// An action captioned with its text number until it is localised.
QAction *action(QObject *parent, int textId);
// The text number an action or menu carries; 0 none.
int tagOf(const QObject *object);
// Puts in the text of the tag in the current language (separators and untagged actions stay as they are).
void localize(QAction *action);

// A top-level menu of the window with tagged items; -1 in ids stands for a separator.
// Appends the items to `items` and returns the menu's own action.
QAction *addMenu(QMainWindow *window, int textId, const QString &objectName, QVector<QAction *> &items,
                 const QList<int> &ids);

} // namespace TaggedActions
