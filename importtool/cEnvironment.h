#pragma once

#include <QString>

namespace importtool {

// The import tool's settings: the main program's language choice and database folder, read from the main
// program's settings key when the object is created. It writes nothing back.
class cEnvironment
{
public:
    cEnvironment();
    cEnvironment(const cEnvironment &) = delete;
    cEnvironment &operator=(const cEnvironment &) = delete;

    // 0 automatic, 2 German, 3 English, 4 Spanish, 5 French, 6 Italian.
    int AppLanguageId() const { return m_AppLanguageId; }
    void setAppLanguageId(int id) { m_AppLanguageId = id; }
    // The block offset added to every text id: 0, 3000, 6000, 9000 or 12000.
    int Lsn() const { return m_Lsn; }
    void setLsn(int offset) { m_Lsn = offset; }
    // The main program's database folder, without a trailing separator.
    QString DbPath() const { return m_DbPath; }
    void setDbPath(const QString &path) { m_DbPath = path; }
    // The database file name.
    QString DbName() const { return m_DbName; }

private:
    int GetLanguageOffset() const;
    // The default database folder (documents + "/Orvel3DB"), made with a copy of the template when it is
    // missing; "" when that fails (after an "Application Error" message).
    QString GetDefaultDbPath();

    QString m_KeyPath;
    QString m_DbName;
    QString m_DefaultDbPath;
    int m_AppLanguageId = 0;
    int m_Lsn = 3000;
    QString m_DbPath;
};

// The tool's settings object, created by Main and kept until the tool ends.
extern cEnvironment *Env;

} // namespace importtool
