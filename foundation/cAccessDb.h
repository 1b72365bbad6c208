#pragma once

#include "platform/RuntimeError.h"

#include <QString>
#include <QStringList>

// The database object: knows the database folder, builds the connection string, tests whether a folder
// holds a usable database and stores the folder in the settings.
class cAccessDb
{
public:
    // Makes sure the default folder exists (with a database copied from the template when the folder is
    // new), then takes the stored DbPath (default: that folder; an empty value also means that folder).
    // A default folder that cannot be made matters only when it is the folder in use: start-up's test of
    // the folder then tells it. Never raises.
    cAccessDb();

    QString dbPath() const { return m_dbPath; }
    void setDbPath(const QString &path) { m_dbPath = path; }
    // The attachments folder, with a trailing separator.
    QString attachedPath() const { return m_attachedPath; }
    void setAttachedPath(const QString &path) { m_attachedPath = path; }

    // The connection string for the current folder.
    QString dcs() const { return connectionStringFor(m_dbPath); }
    static QString connectionStringFor(const QString &folder);
    // folder/orvel3.mdb, found whatever the case of its name (a file copied from a system that ignores
    // case may be "Orvel3.MDB"); the exact name when both exist or none does.
    static QString databaseFileIn(const QString &folder);
    static QString attachedPathFor(const QString &folder);

    enum TestResult { Usable = 0, Unreadable = 1, WrongStructure = 2, NoDatabaseFile = 3 };
    // What the test of a folder found.
    struct DbCheck {
        int result = Usable;
        platform::ErrorKind kind = platform::ErrorKind::Other;   // Unreadable: why, as far as it is known
        QStringList missing;       // WrongStructure: the tables and columns ("Table.Column") it lacks
        QStringList unexpected;    // WrongStructure: the columns the program does not know
        bool noSheet = false;      // WrongStructure: no data sheet
    };
    // 0 usable, 1 the file cannot be opened or read, or it is damaged (every page is read, unless the file
    // is as it was when the program last ended and found it sound), 2 wrong structure (a table missing, a
    // table without the columns of the program, by name, or no data sheet), 3 no database file. Never
    // raises; never writes into the file.
    int TestDb(const QString &folder) const { return CheckDb(folder).result; }
    DbCheck CheckDb(const QString &folder) const;
    // Reads every page of the database in use as the program ends and, when all are sound, remembers the
    // file as it is then (RememberedSound), so that the next start need not read them again. A file not
    // found sound, or changed since in any way, is read whole at the next start. Never raises.
    void RememberSoundDatabase() const;

    // Gives the database in folder the indexes of the template that it lacks (a database made from an
    // older template): the lists and the calendar read through them. Tables, columns and rows stay as they
    // are; a database that cannot take them now (read-only, busy) works as before without. Never raises.
    static void AddTemplateIndexes(const QString &folder);

    // Copies the template when the folder holds no database file; true when it copied one.
    bool NewDbFileIfNotExist(const QString &folder);
    // Writes dbPath to the setting DbPath.
    void StoreDbPath();

    // The stored DbPath: its text, or defaultFolder when it is missing, is not a text or names a relative
    // path. An empty text stays empty (each program has its own rule for it).
    static QString StoredDbPath(const QString &defaultFolder);

    // The default database folder: the documents folder + "/Orvel3DB".
    static QString defaultFolder();
    // Copies the template (program folder + "/master.gen") to folder/orvel3.mdb: first to a temporary
    // name, then renamed into place; journal files left beside the target by an earlier crash are removed
    // first. Raises RuntimeError with a message in the user's language when it fails; the target is then
    // unchanged (or absent).
    static void CopyTemplate(const QString &folder);

private:
    QString EnsureDefaultDbFolder();

    QString m_dbPath;
    QString m_attachedPath;
};
