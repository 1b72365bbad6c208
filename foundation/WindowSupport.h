#pragma once

// What the program's windows share beyond their texts: a modeless window placed over its owner, room for
// a window's title, the print preview's texts and failure messages, and the help page that F1 opens.

#include <QSize>
#include <QString>
#include <Qt>

class GridPreview;
class QWidget;

// A modeless window owned by the main window: the window system keeps it over its owner and gives it no
// taskbar entry of its own; it can still be maximised and minimised with its owner.
inline constexpr Qt::WindowFlags OwnedWindowFlags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                                    | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

// Puts a window that is about to be shown over the middle of the window that owns it (kept on the
// owner's screen); a window without an owner stays where it is.
void PlaceOverOwner(QWidget *window);

// An outer size (frame included) no larger than the available area of the window's screen: a window's
// fixed size or minimum never pushes its edges off a smaller screen.
QSize SizeOnScreen(const QWidget *window, const QSize &outer);
// Keeps a shown window whole on its screen: shrinks it (not below its minimum) and moves it so that its
// frame lies inside the screen's available area.
void KeepOnScreen(QWidget *window);

// The width a window needs for the window system to show its whole title beside the title bar's icon and
// buttons.
int TitleWidth(const QString &title);

// The texts of a print preview's buttons, and its failures to print or to write a file told to the user.
void LocalizePreview(GridPreview *preview);

// F1: opens the help page of the current language at a help context. A page that is missing, that no
// installed program can show or that the program showing it failed to open is told in a message box over
// owner, whenever the failure becomes known.
void ShowHelpPage(const QWidget *owner, int context);
