#pragma once

#include "platform/registry/RegistryStore.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {
namespace registry {

// The keys and values of one root key, as one hive file holds them in the .reg text format.
//
// Key paths are relative to the root ("" is the root itself), use backslashes and are compared
// case-insensitively; a key keeps the spelling it was first given. Every key's parents are keys too.
// Lines the parser cannot read are kept (beside the key they were found in) and written back, so a
// hand-edited or damaged file loses nothing it still holds when the store rewrites it.
class Hive
{
public:
    struct Value {
        QString name;           // "" is the key's default value
        RawValue raw;
    };
    struct Key {
        QString path;
        QList<Value> values;
        QStringList unparsed;   // lines of this key's section that could not be read
    };

    explicit Hive(const QString &rootName = QString());

    // True when the bytes are a whole hive file: the header line first, and a line break at the end or a
    // last line that is whole. A file that is not (cut short, empty, UTF-16 without its byte-order mark)
    // cannot be read as a hive.
    static bool isWhole(const QByteArray &bytes);
    // Reads a hive file's bytes (UTF-8, or UTF-16LE with its byte-order mark, or ANSI for REGEDIT4
    // files; a line that is not UTF-8 is read as ANSI). Sections of another root are kept verbatim but
    // not looked at.
    static Hive parse(const QString &rootName, const QByteArray &bytes);
    // The file's text, UTF-8, "Windows Registry Editor Version 5.00" first.
    QByteArray serialize() const;

    const QString &rootName() const { return m_root; }

    // "a\\\\b\\" -> "a\\b"; the root is "".
    static QString normalizePath(const QString &path);
    // A key path or value name the file format can hold (no line breaks, no zero characters).
    static bool isStorableName(const QString &name);

    const Key *findKey(const QString &path) const;
    // The key and its missing parents are created.
    Key &ensureKey(const QString &path);
    // False when the key is missing, is the root, or has subkeys.
    bool removeKey(const QString &path);
    QStringList subkeyNames(const QString &path) const;
    bool hasSubkeys(const QString &path) const;

    static const Value *findValue(const Key &key, const QString &name);
    // Writing or removing a value also drops the key's unreadable lines of that name (with their
    // continuation lines): the value written stands in their place.
    static void setValue(Key &key, const QString &name, const RawValue &raw);
    static bool removeValue(Key &key, const QString &name);

private:
    static void dropUnparsedValue(Key &key, const QString &name);
    int indexOf(const QString &path) const;
    void reindex();

    QString m_root;
    QList<Key> m_keys;                  // m_keys[0] is the root; parents come before their subkeys
    QHash<QString, int> m_index;        // case-folded path -> position in m_keys
    QStringList m_preamble;             // unreadable lines before the first section
    QStringList m_foreign;              // sections of other roots (or deletion sections), verbatim
};

} // namespace registry
} // namespace platform
