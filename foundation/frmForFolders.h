#pragma once

#include <QString>

// The hidden window that owns the folder browser start-up opens when the database folder is unusable.
namespace frmForFolders {
// The chosen folder without a trailing separator, or "" when the user cancels.
QString Apri();
}
