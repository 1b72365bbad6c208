#pragma once

#include <QString>

// The database object: knows the database folder, builds the connection string, tests whether a folder
// holds a usable database and stores the folder in the settings.
class cAccessDb
{
public:
    // Makes sure the default folder exists (with a database copied from the template when the folder is
    // new), then takes the stored DbPath (default: that folder; an empty value also means that folder).
    // Raises RuntimeError when the default folder or its database cannot be created.
    cAccessDb();

    QString dbPath() const { return m_dbPath; }
    void setDbPath(const QString &path) { m_dbPath = path; }
    // The attachments folder, with a trailing separator.
    QString attachedPath() const { return m_attachedPath; }
    void setAttachedPath(const QString &path) { m_attachedPath = path; }

    // The connection string for the current folder.
    QString dcs() const { return connectionStringFor(m_dbPath); }
    static QString connectionStringFor(const QString &folder);
    static QString databaseFileIn(const QString &folder);
    static QString attachedPathFor(const QString &folder);

    enum TestResult { Usable = 0, Unreadable = 1, WrongStructure = 2, NoDatabaseFile = 3 };
    // 0 usable, 1 the file cannot be opened or read (or a table is missing), 2 wrong structure (a table
    // without the columns of the program, by name, or no data sheet), 3 no database file. Never raises.
    int TestDb(const QString &folder) const;

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
