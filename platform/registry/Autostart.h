#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {
namespace registry {

// The Run key of the current user starts programs at login. Each of its text values is mirrored by an XDG
// autostart entry, $XDG_CONFIG_HOME/autostart/<value name>.desktop, that runs the value as a program path.
// An entry carries the value's name in X-Tarnwel-Run-Value, which is how it is found again (the file
// name is only derived from the value name, made safe for a file name and unique in the folder).
namespace autostart {

// The key path of the Run key below HKEY_CURRENT_USER.
QString runKeyPath();
bool isRunKey(quint32 root, const QString &path);

// $XDG_CONFIG_HOME/autostart.
QString folder();

// The entry files that belong to a Run value (normally one), matched case-insensitively by name.
QStringList entryFiles(const QString &valueName);
// True when the value has an entry that the desktop has not disabled (Hidden=true or
// X-GNOME-Autostart-enabled=false, as desktop settings tools leave it).
bool isEnabled(const QString &valueName);

// The text of an entry file for a value.
QByteArray entryText(const QString &valueName, const QString &command);

// A set of changes to entry files that can be undone, so that a failed hive write takes its entry
// changes back with it.
class Change
{
public:
    // Creates or replaces the entry of a value; false when the file cannot be written.
    bool write(const QString &valueName, const QString &command);
    // Removes the entries of a value (true when there are none); false when one cannot be removed.
    bool remove(const QString &valueName);
    // Puts every touched file back as it was.
    void undo();

private:
    struct Saved {
        QString path;
        bool existed = false;
        QByteArray content;
    };
    void remember(const QString &path);
    QList<Saved> m_saved;
};

} // namespace autostart
} // namespace registry
} // namespace platform
