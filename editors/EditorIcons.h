#pragma once

// Pictures of the accounts and counts windows, drawn at run time. The list pictures come as images on a
// magenta ground (red 255, green 0, blue 255), the colour the list grid makes transparent.

#include <QIcon>
#include <QImage>

namespace EditorIcons {

// A person: a customer or supplier.
QImage person(int size = 16);
// A stack of coins: a collection or payment account.
QImage coins(int size = 16);
// Leaving the window: a door with an arrow.
QIcon exit();

} // namespace EditorIcons
