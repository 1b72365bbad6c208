#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "platform/dialogs/Dialogs.h"

namespace testenv {

// A sandbox for one test: its own HOME and XDG folders, registry folder, program folder (with master.gen
// and the help pages copied from the build), a fixed "today", a fixed user locale, no database pause and a
// dialog responder that records every request and answers from a queue (default: OK / Yes / cancel).
class Sandbox
{
public:
    explicit Sandbox(const QDate &today = QDate(2025, 3, 15), const QLocale &locale = QLocale(QLocale::English, QLocale::UnitedStates));
    ~Sandbox();

    QString root() const;            // the temporary folder holding everything below
    QString home() const;
    QString documents() const;       // $HOME/Documents
    QString programFolder() const;
    QString registryFolder() const;

    // A copy of master.gen at folder/orvel3.mdb (folder created); returns the file path.
    QString makeDatabase(const QString &folder) const;
    static QString masterGen();      // the built template

    // Dialog answers, taken in order; when the queue is empty a message gets OK (or Yes), an input or
    // a folder or file dialog gets "cancel".
    void answer(const platform::DialogAnswer &answer);
    void answerButton(int button);
    void answerText(const QString &text);
    const QList<platform::DialogRequest> &requests() const;
    void clearRequests();
    // True when a message holding `part` was shown (with that title, when one is given).
    bool told(const QString &part, const QString &title = QString()) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// While it lives, writes that would make any file of the process larger than `bytes` fail, as they do on
// a disk that fills up (the process's file size limit, which needs no privileges); restored when it goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    qint64 m_old = -1;
};

// The usual locales of the five languages.
inline const QLocale enUS{QLocale::English, QLocale::UnitedStates};
inline const QLocale enGB{QLocale::English, QLocale::UnitedKingdom};
inline const QLocale itIT{QLocale::Italian, QLocale::Italy};
inline const QLocale frFR{QLocale::French, QLocale::France};
inline const QLocale esES{QLocale::Spanish, QLocale::Spain};
inline const QLocale deDE{QLocale::German, QLocale::Germany};

// The connection string for a database file.
QString connectionString(const QString &file);

// SQLite's own SQL run on a file past the program's data layer (triggers that make writes fail, damage):
// rawExec fails the test when the statement fails; rawInt gives the first column of the first row, or -1.
void rawExec(const QString &file, const QByteArray &sql);
int rawInt(const QString &file, const QByteArray &sql);

} // namespace testenv
