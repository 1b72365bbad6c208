#pragma once

#include "platform/RuntimeError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace platform {

// The registry: root keys kept as hive files in the .reg text format ("Windows Registry Editor Version
// 5.00") under the registry folder ($XDG_CONFIG_HOME/Tarnwel by default). Key paths are compared
// case-insensitively and use backslashes. Every write is a read-modify-write under a lock file and replaces
// the hive atomically, so two programs can share it and a crash never leaves half a file.
namespace registry {

// Root keys by their handle numbers.
constexpr quint32 HKEY_CLASSES_ROOT = 0x80000000u;
constexpr quint32 HKEY_CURRENT_USER = 0x80000001u;
constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr quint32 HKEY_USERS = 0x80000003u;

// Value kinds.
enum Kind : int {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_MULTI_SZ = 7,
};

// A stored value: its kind and its data as the registry keeps it (text with its terminating zero in the
// ANSI code page for the text kinds; four little-endian bytes for REG_DWORD; four big-endian bytes for
// REG_DWORD_BIG_ENDIAN; raw bytes otherwise). The ANSI code page here is UTF-8, the code page of the
// process, so every text reads back as it was written; in the hive file a text is "quoted", or UTF-16LE
// bytes in hex(1)/hex(2)/hex(7) lines as the .reg format has them.
struct RawValue {
    int kind = REG_NONE;
    QByteArray data;
};

// Text data of a text kind (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ): the text and its terminating zero.
RawValue makeText(int kind, const QString &text);
// The text of a value's data without its terminating zero; the zeros between the parts of a multi-text
// stay in it. Data without a terminating zero is taken whole.
QString textOf(const RawValue &value);

// %NAME% replaced by the value of the environment variable NAME; names that are not set stay as written.
QString expandEnvironmentStrings(const QString &text);

// A hive file that cannot be read as a whole (no header line, cut short, UTF-16 without its byte-order
// mark) is renamed aside ("<file>.unreadable-<yyyyMMddhhmmss>"), never written over, and the store goes on
// with an empty hive. This returns the files set aside since the last call, so that the program can tell
// the user once.
QStringList takeSetAsideHives();

// Where the hive files live. Tests point it at a temporary folder; "" returns to the default.
QString folder();
void setFolder(const QString &path);
// The hive file of a root key (folder() + "/HKEY_CURRENT_USER.reg", ...); "" for an unknown root.
QString hiveFile(quint32 root);

// The Run key of the current user (Software\Microsoft\Windows\CurrentVersion\Run) is the login autostart
// (Autostart.h): writing a text value there also creates or replaces its autostart entry, deleting it
// removes the entry, and a text value whose entry the user has removed or disabled reads as absent.

bool keyExists(quint32 root, const QString &path);
// Creates the key and its missing parents (an existing key is only opened: nothing is written); false
// when the root is unknown or the hive cannot be written.
bool createKey(quint32 root, const QString &path);
// Deletes the key itself (it must exist and have no subkeys); false otherwise.
bool deleteKey(quint32 root, const QString &path);
// A missing key or value gives no value.
std::optional<RawValue> readValue(quint32 root, const QString &path, const QString &name);
// Creates the key when missing; false when the hive cannot be written (the hive stays as it was) or the
// name or path holds a line break or a zero character.
bool writeValue(quint32 root, const QString &path, const QString &name, const RawValue &value);
// False when the key or the value does not exist or the hive cannot be written.
bool deleteValue(quint32 root, const QString &path, const QString &name);
// Why the latest call of the four above failed: DiskFull when the hive could not be written for lack of
// space (the hive stays as it was), Other for any other failure or when it did not fail.
ErrorKind lastWriteFailure();
// Value names / subkey names of a key, in stored order; no value when the key does not exist.
std::optional<QStringList> valueNames(quint32 root, const QString &path);
std::optional<QStringList> subkeyNames(quint32 root, const QString &path);

} // namespace registry
} // namespace platform
