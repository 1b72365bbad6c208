#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <limits>

// Access to the registry: an object that holds a root key, a key path, a value name, a value kind and a
// default, and performs one operation at a time on the registry store (platform/registry).
//
// Reads never fail: a missing key or value gives Default, and the kind found replaces ValueType.
// Writes and deletions that fail raise platform::RuntimeError with the source "<program>.comRegistry":
// ErrKey (26001) when a key cannot be created, opened, deleted, or written with a value of the wrong kind,
// ErrSetValue when the store refuses to set a value. A write that failed for lack of space carries the
// kind DiskFull and the settings file.
class comRegistry
{
public:
    // Root keys as their handles are held: 32-bit signed numbers (HKEY_CURRENT_USER is -2147483647).
    static constexpr qint32 HKEY_CLASSES_ROOT = qint32(0x80000000u);
    static constexpr qint32 HKEY_CURRENT_USER = qint32(0x80000001u);
    static constexpr qint32 HKEY_LOCAL_MACHINE = qint32(0x80000002u);
    static constexpr qint32 HKEY_USERS = qint32(0x80000003u);

    // Value kinds.
    enum : int {
        REG_SZ = 1,                 // text
        REG_EXPAND_SZ = 2,          // text with %VARIABLES%
        REG_BINARY = 3,
        REG_DWORD = 4,              // 32-bit number
        REG_DWORD_BIG_ENDIAN = 5,
        REG_MULTI_SZ = 7,           // texts separated by zero characters
    };

    static constexpr qint64 ErrKey = 26001;
    static constexpr qint64 ErrSetValue = qint64(qint32(0x80040000u + 27049));   // 0x800469A9

    // "" for the local registry, else a computer name beginning with two backslashes. A text shorter
    // than three characters gives ""; two backslashes are put in front of a name that lacks them.
    // No other computer's registry can be reached: with a Machine set, reads give Default and writes fail.
    QString Machine() const { return m_Machine; }
    void setMachine(const QString &machine);

    // True when SectionKey exists under ClassKey.
    bool KeyExists() const;
    // Creates SectionKey (or finds it); raises ErrKey when it cannot be created.
    bool CreateKey();
    // Deletes the key SectionKey itself (it must have no subkeys); raises ErrKey on failure.
    bool DeleteKey();
    // Deletes the value ValueKey of SectionKey; raises ErrKey when the key cannot be opened or the value
    // cannot be deleted.
    bool DeleteValue();

    // Reads the value in the kind it is stored: text (without its terminating zero), expandable text
    // (expanded), 32-bit number (int), big-endian number (int), multi-text (the parts with the zeros
    // between them), anything else as QByteArray. Default when it cannot be read.
    QVariant Value();
    // Writes the value in the kind of ValueType: 1 or 2 as text (kind 2 when two "%" enclose at least one
    // character, else kind 1); 3 a QByteArray; 4 or 5 a whole or real number that fits 32 bits, written as
    // kind 4; 7 a QStringList or a text with its parts separated by zero characters.
    void setValue(const QVariant &value);

    // The names of the values / subkeys of SectionKey; false when the key does not exist.
    bool EnumerateValues(QStringList &names, int &count) const;
    bool EnumerateSections(QStringList &names, int &count) const;

    // Registers a file type below SOFTWARE\Classes of ClassKey: the extension names the class, the class
    // carries its description and the shell verbs open (and, when asked, print /p, install /a, new /n)
    // that run the program with the file; DefaultIcon when an icon index (>= 0) is given.
    void CreateEXEAssociation(const QString &exePath, const QString &className, const QString &classDescription,
                              const QString &association, const QString &openMenuText = QStringLiteral("&Open"),
                              bool supportPrint = false, const QString &printMenuText = QStringLiteral("&Print"),
                              bool supportNew = false, const QString &newMenuText = QStringLiteral("&New"),
                              bool supportInstall = false, const QString &installMenuText = QString(),
                              int defaultIconIndex = -1);
    // Further shell verbs of a registered class, from name / menu text / command triples.
    void CreateAdditionalEXEAssociations(const QString &className, const QStringList &items);

    int ValueType() const { return m_ValueType; }
    void setValueType(int kind) { m_ValueType = kind; }
    qint32 ClassKey() const { return m_ClassKey; }
    void setClassKey(qint32 root) { m_ClassKey = root; }
    QString SectionKey() const { return m_SectionKey; }
    void setSectionKey(const QString &path) { m_SectionKey = path; }
    QString ValueKey() const { return m_ValueKey; }
    void setValueKey(const QString &name) { m_ValueKey = name; }
    QVariant Default() const { return m_Default; }
    void setDefault(const QVariant &value) { m_Default = value; }

    // Sets root, key path, value name, kind and default, then reads / writes.
    QVariant ValueEx(qint32 classKey, const QString &sectionKey, const QString &valueKey, int valueType,
                     const QVariant &defaultValue);
    void setValueEx(qint32 classKey, const QString &sectionKey, const QString &valueKey, int valueType,
                    const QVariant &defaultValue, const QVariant &value);

private:
    [[noreturn]] void raise(qint64 number, const QString &description) const;
    // The same after the store refused a write: a full disk is told as such.
    [[noreturn]] void raiseFailedWrite(qint64 number, const QString &description) const;
    QString rootText() const;
    QString failedToSetText(const QVariant &value) const;
    void setClassesValue(const QString &sectionKey, const QString &text);

    qint32 m_ClassKey = 0;
    QString m_SectionKey;
    QString m_ValueKey;
    QVariant m_Default;
    int m_ValueType = 0;
    QString m_Machine;
};

// The registry shortcuts of the program, each on HKEY_CURRENT_USER with a fresh comRegistry.
// RegRead returns the value in its stored kind, or the default when it cannot be read.
QVariant RegRead(int kind, const QString &valueName, const QString &keyPath, const QVariant &defaultValue = QVariant());
void RegWrite(int kind, const QString &valueName, const QString &keyPath, const QVariant &value);
void RegDeleteValue(int kind, const QString &valueName, const QString &keyPath);

// What a whole-number setting outside its range reads as.
enum class OutOfRange { NearestBound, Default };
// A whole-number setting: the stored number when it is stored as a number and lies within low..high;
// outside, the nearest bound or the default as `rule` says; the default when it is missing or stored as
// another kind (a text, bytes).
int RegReadNumber(const QString &valueName, const QString &keyPath, int defaultValue,
                  int low = std::numeric_limits<int>::min(), int high = std::numeric_limits<int>::max(),
                  OutOfRange rule = OutOfRange::NearestBound);
