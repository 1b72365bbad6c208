#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
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
    // Runs before each request is answered (to change the world between a question and its answer).
    void whenAsked(std::function<void(const platform::DialogRequest &)> hook);

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

// While it lives, the files and folders named get the modes given (0555: a folder that may be read, not
// written; 0: a file that cannot be read), and the process acts as an ordinary user even when the tests
// run as the superuser (who ignores those modes): the sandbox's other folders and files are opened to every
// user, and the effective user and group become those of "nobody". Its end gives the owner back every right
// on the files named and returns to the superuser.
class OrdinaryUser
{
public:
    explicit OrdinaryUser(const Sandbox &box, const QHash<QString, int> &modes = {});
    ~OrdinaryUser();
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

private:
    QHash<QString, int> m_modes;
    bool m_switched = false;
};

// The bytes of a file ("" when it cannot be read).
QByteArray fileBytes(const QString &path);

// The text of a PDF's pages through poppler's pdftotext (pages split at form feeds); empty when the tool
// is not installed.
QStringList pdfPages(const QString &pdf);

// The words of one page of a PDF (1-based) with their heights in points, in the order they are drawn,
// through poppler's pdftotext; empty when the tool is not installed.
struct PdfWord {
    QString text;
    double height = 0;
};
QList<PdfWord> pdfWords(const QString &pdf, int page);

// The connection string for a database file.
QString connectionString(const QString &file);

// SQLite's own SQL run on a file past the program's data layer (triggers that make writes fail, damage):
// rawExec fails the test when the statement fails; rawInt gives the first column of the first row, or -1.
void rawExec(const QString &file, const QByteArray &sql);
int rawInt(const QString &file, const QByteArray &sql);
// Overwrites a page of a table with bytes that are no page at all, as a failing disk would: its first
// page, or (middleLeaf) a page of rows halfway through a table of several pages, so that reading every row
// meets it while the rows of its first and last pages still read and take writes.
void damageTable(const QString &file, const QByteArray &table, bool middleLeaf = false);

} // namespace testenv
