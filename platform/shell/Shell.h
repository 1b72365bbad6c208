#pragma once

#include <QLocale>
#include <QString>
#include <QUrl>

#include <functional>

#include "platform/RuntimeError.h"

class QFileDevice;

class QWidget;

namespace platform {

// Shell folder ids the system asks for.
enum SpecialFolder : int {
    CSIDL_PERSONAL = 5,          // the user's documents
    CSIDL_LOCAL_APPDATA = 28,    // per-user application data
    CSIDL_PROGRAM_FILES = 38,
};

// The file-system path of a special folder, no trailing separator; "" when it has none.
QString specialFolder(int csidl);

// The folder that holds the running program, its template database and help pages. Tests set another.
QString programFolder();
void setProgramFolder(const QString &folder);
// The running program's full path.
QString programPath();
// A data file of the program (the template database, the help pages): the one in the program folder, as
// the build lays them out, else the one in share/orvel3 beside the program's bin folder, as installed.
// When neither exists, the program folder's path.
QString programDataFile(const QString &name);

// The one user locale every locale lookup uses: QLocale::system() unless a test sets one.
QLocale userLocale();
void setUserLocale(const QLocale &locale);

// Locale items, numbered as the system asks for them.
enum LocaleItem : int {
    LOCALE_ILANGUAGE = 0x0001,        // language id, four lowercase hex digits ("0410")
    LOCALE_SDECIMAL = 0x000E,         // decimal separator
    LOCALE_IMEASURE = 0x000D,         // "0" metric, "1" U.S.
    LOCALE_IFIRSTDAYOFWEEK = 0x100C,  // "0" Monday .. "6" Sunday
};
// The item's text for the user locale (the locale id is accepted for the callers' sake; every id names
// the one user locale). "" for an item not known.
QString localeString(int localeId, int item);
// The Windows-style language id of a locale ("0410" Italian, "100c" French (Switzerland), ...); "" unknown.
QString windowsLanguageId(const QLocale &locale);

// Opens a link (a URL with its scheme: https:, mailto:) with the desktop's default application; false when
// nothing could open it. Tests install an opener that records the request instead, for links and files.
bool openWithDefaultApplication(const QString &link);
using OpenHandler = bool (*)(const QString &);
void setOpenHandler(OpenHandler handler);

// What became of a request to open a file.
enum class OpenFileResult { Opened, NotFound, RunsWhenOpened, Failed };
// Opens an existing file, given by its absolute path, with the desktop's default application; never a
// link. A file that would run when opened (runsWhenOpened) is not opened. Opened means the desktop's opener
// was asked; when it then ends without having shown the file (no program for it, or one that failed),
// which may be a moment later, `failedLater` is told so on the UI thread with NotFound or Failed.
OpenFileResult openFile(const QString &path, const std::function<void(OpenFileResult)> &failedLater = {});
// True when opening the file would run it: by its name or content it is a program, a script or a desktop
// entry, or it may be executed and its content tells no document kind.
bool runsWhenOpened(const QString &path);
// The path of the entry of `folder` named `name` whatever the case of its letters, as the file systems the
// system was designed for find names: the exact name when it exists, else the first entry in name order
// whose name differs only in case, else the exact name (for a file yet to be made).
QString pathAnyCase(const QString &folder, const QString &name);
// True when this process may create files in folder (false too for a folder on a read-only disk).
bool folderIsWritable(const QString &folder);
// True when the disk that holds folder has fewer than bytes free (a write of that size cannot succeed).
bool lacksSpace(const QString &folder, qint64 bytes);
// What a failed write of `bytes` bytes to file means: DiskFull when the file layer said the disk is full
// or the disk has fewer than that many bytes free, else `otherwise`.
ErrorKind writeFailureKind(const QFileDevice &file, qint64 bytes, ErrorKind otherwise = ErrorKind::Other);
// Writes bytes as the whole content of file: through a temporary file renamed into place, so that the file
// is either complete or as it was. An existing target that is no regular file (a device, a pipe) cannot
// be replaced and is written directly. A failure raises RuntimeError (number errors::DbGeneric, source,
// the file as subject) of the kind writeFailureKind gives.
void writeWholeFile(const QString &file, const QByteArray &bytes, const QString &source);
// Copies the file `from` as the whole content of `to` in the same way, a piece at a time (a large file is
// never held in memory whole). A source that cannot be read raises RuntimeError of kind Other with the
// source file as subject; the target is then as it was.
void copyWholeFile(const QString &from, const QString &to, const QString &source);
// Tests: whole-file writes of the files that `fault` names fail as on a full disk, after their content is
// written (the target stays as it was). nullptr ends it.
using WriteFault = bool (*)(const QString &file);
void setWriteFault(WriteFault fault);

// Sleeps on the calling thread (the UI does not repaint meanwhile, as intended for the database pause).
void sleepMs(int ms);
// The most resident memory the process has held (the system's high-water mark), in KiB; 0 when unknown.
long peakResidentKiB();
// Lets pending window events run.
void doEvents();

// One running instance per user: acquire() is true for the first process; a lock left by a process that
// has ended does not count, nor one that cannot be made at all. The lock lives in singleInstanceFolder().
class SingleInstance
{
public:
    explicit SingleInstance(const QString &name);
    ~SingleInstance();
    bool acquire();
    void release();

private:
    struct Impl;
    Impl *m;
};
// Where the single-instance locks live: a folder under the user's home as the user database names it,
// the same for every start of that user whatever the environment says (HOME, XDG_RUNTIME_DIR, TMPDIR).
// Tests set another; "" returns to it.
QString singleInstanceFolder();
void setSingleInstanceFolder(const QString &folder);

// Opens the help page of a language at an anchor (the help context number) with the default application
// (the open handler's answer, when one is installed). Tests install a viewer that records the request.
// A page that cannot be shown is handed to `failed` with the reason, on the UI thread: at once when the
// page is missing or no opener can be started, else when the desktop's opener (xdg-open) ends without
// having shown it (no program to show it, or one that failed), which may be a moment later.
enum class HelpFailure { PageMissing, NoViewer, ViewerFailed };
using HelpHandler = void (*)(const QString &file, int context);
void setHelpHandler(HelpHandler handler);
void showHelp(const QString &file, int context, const std::function<void(HelpFailure)> &failed);

} // namespace platform

namespace platform {
// Runs `handler` on the UI thread when the process receives SIGTERM, SIGINT or SIGHUP (the desktop
// session ending, a log-out), so the program can end normally and write its settings. Called once the
// application object exists; the watch it sets up is deleted with that object.
void setTerminationHandler(void (*handler)());
}
