#pragma once

#include <QString>

namespace platform {

// What identifies a database file's content as it is now without reading it: its device and inode, its
// size, the times it was last written and last changed (to the nanosecond the file system keeps), and
// the change counter the engine writes into the file's header with every transaction. Any write to the
// file, by this program or another, a copy put in its place, or a restored backup gives another stamp.
// "" when the file cannot be read.
QString fileStamp(const QString &file);

} // namespace platform
