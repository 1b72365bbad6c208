#include "foundation/modMain.h"

#include "foundation/Globals.h"
#include "foundation/SettingsKeys.h"
#include "foundation/TransactionsTable.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/clsSysTray.h"
#include "foundation/frmForFolders.h"
#include "foundation/frmSysTray.h"
#include "foundation/modShared.h"
#include "platform/RuntimeError.h"
#include "platform/database/LockFile.h"
#include "platform/registry/RegistryStore.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace {

std::unique_ptr<platform::SingleInstance> g_instanceLock;
QPointer<QWidget> g_mainWindow;
bool g_sessionEnding = false;
bool g_running = false; // Main started a session on a usable database

// Message boxes without a title of their own carry the program title.
void say(const QString &text, int style = platform::vbOKOnly)
{
    platform::MsgBox(text, style, QLatin1String(ProductTitle));
}

// A settings file that could not be read was kept aside by the registry store: the user is told once.
void TellSetAsideSettings()
{
    for (const QString &file : platform::registry::takeSetAsideHives())
        say(LRSV(2000, QDir::toNativeSeparators(file)), platform::vbExclamation);
}

// A fault that another folder mends: the reason and the question; Yes lets the user choose a folder for
// this run. False when the program must end.
bool ChooseAnotherFolder(const QString &question)
{
    if (platform::MsgBox(question, platform::vbYesNo | platform::vbExclamation, QLatin1String(ProductTitle))
        != platform::vbYes)
        return false;
    const QString chosen = frmForFolders::Apri();
    if (chosen.isEmpty())
        return false;
    // The chosen folder holds for this run only: DbPath keeps its stored text. Attachments of this run
    // go beside the database in use.
    Adb->setDbPath(chosen);
    Adb->setAttachedPath(cAccessDb::attachedPathFor(chosen));
    say(LRS(1402));
    return true;
}

bool ChooseAnotherFolderBecause(int reasonId, const QString &subject)
{
    return ChooseAnotherFolder(LRSV(reasonId, QDir::toNativeSeparators(subject)) + QStringLiteral("\n\n") + LRS(2330));
}

// A fault that another folder would not mend (the database busy, the disk full): told; Retry tests the
// folder again. False when the program must end.
bool RetryLater(int reasonId, const QString &subject)
{
    return platform::MsgBox(LRSV(reasonId, QDir::toNativeSeparators(subject)),
                            platform::vbRetryCancel | platform::vbExclamation, QLatin1String(ProductTitle))
           == platform::vbRetry;
}

// The invalid-format question, with what the database lacks or has beyond the program's tables.
QString WrongStructureQuestion(const cAccessDb::DbCheck &check)
{
    QString text = LRS(1371) + QLatin1Char('\n');
    if (!check.missing.isEmpty())
        text += LRSV(2337, check.missing.join(QStringLiteral(", "))) + QLatin1Char('\n');
    if (!check.unexpected.isEmpty())
        text += LRSV(2338, check.unexpected.join(QStringLiteral(", "))) + QLatin1Char('\n');
    if (check.noSheet)
        text += LRS(2339) + QLatin1Char('\n');
    return text + LRS(1372);
}

// A folder without a database: made when missing, then the template copied in (copiedInto then names
// it). False when the program must end; true to test the folder (the same or a chosen one) again.
bool MakeDatabaseIn(const QString &folder, QString &copiedInto)
{
    const QFileInfo fi(folder);
    if (fi.exists() && !fi.isDir())
        return ChooseAnotherFolderBecause(2333, folder);
    if (!fi.isDir() && !QDir().mkdir(folder)) {
        // Its parent is there but cannot be written; or it is not there at all (a disk not connected).
        if (QFileInfo(fi.absolutePath()).isDir())
            return ChooseAnotherFolderBecause(2334, folder);
        return ChooseAnotherFolderBecause(2332, folder);
    }
    try {
        cAccessDb::CopyTemplate(folder);
    } catch (const platform::RuntimeError &e) {
        if (e.kind() == platform::ErrorKind::DiskFull)
            return RetryLater(2336, folder);
        if (!platform::folderIsWritable(folder))
            return ChooseAnotherFolderBecause(2334, folder);
        // The template is missing from the program folder: no folder would do.
        say(ErrorDescription(e), platform::vbCritical);
        return false;
    }
    copiedInto = folder;
    return true;
}

// Tests the database folder until it is usable; false when the program must end. Each fault is told as
// what it is; another folder is offered only where it is the remedy.
bool EnsureUsableDatabase()
{
    QString copiedInto;   // the folder the template was last copied to in this loop
    for (;;) {
        const QString folder = Adb->dbPath();
        // The import tool is replacing this database: the program starts again when it has finished.
        if (platform::databaseIsHeldElsewhere(cAccessDb::databaseFileIn(folder))) {
            say(LRS(2001), platform::vbExclamation);
            return false;
        }
        const cAccessDb::DbCheck check = Adb->CheckDb(folder);
        bool again = false;
        switch (check.result) {
        case cAccessDb::Usable:
            return true;
        case cAccessDb::NoDatabaseFile:
            // A copy that left no database behind would make this loop endless: it ends with the message.
            if (copiedInto == folder) {
                say(LRSV(1941, QDir::toNativeSeparators(folder)), platform::vbCritical);
                return false;
            }
            again = MakeDatabaseIn(folder, copiedInto);
            break;
        case cAccessDb::WrongStructure:
            again = ChooseAnotherFolder(WrongStructureQuestion(check));
            break;
        default:
            switch (check.kind) {
            case platform::ErrorKind::DatabaseLocked:
                again = RetryLater(2335, cAccessDb::databaseFileIn(folder));
                break;
            case platform::ErrorKind::DiskFull:
                again = RetryLater(2336, folder);
                break;
            case platform::ErrorKind::NotADatabase:
                again = ChooseAnotherFolderBecause(2331, cAccessDb::databaseFileIn(folder));
                break;
            default:
                again = ChooseAnotherFolder(LRS(1370));
                break;
            }
            break;
        }
        if (!again)
            return false;
    }
}

// The main window, loaded when it is not (in the tray, closing it unloads it).
QWidget *loadMain(const MainWindowLoader &loadMainWindow)
{
    if (!g_mainWindow && loadMainWindow)
        g_mainWindow = loadMainWindow();
    return g_mainWindow;
}

void StartInTray(const MainWindowLoader &loadMainWindow)
{
    // A desktop without a notification area has no place for the icon: the main window is shown instead,
    // and the deadlines due are told in a message rather than a balloon.
    const bool tray = clsSysTray::isAvailable();
    if (tray) {
        // In the tray, closing the main window does not end the program; the tray menu does.
        qApp->setQuitOnLastWindowClosed(false);
        frmSysTray *icon = frmSysTray::Load();
        QObject::connect(icon, &frmSysTray::showMainRequested, icon, [loadMainWindow] {
            if (QWidget *w = loadMain(loadMainWindow)) {
                w->show();
                w->raise();
                w->activateWindow();
            }
        });
        QObject::connect(icon, &frmSysTray::exitRequested, icon, [] {
            // The main window goes first: it may refuse to close (the user kept an editor's unsaved input),
            // and the icon stays with it.
            if (g_mainWindow && !g_mainWindow->close())
                return;
            qApp->quit();
            frmSysTray::Unload();
        });
    } else {
        g_mainWindow->show();
    }
    try {
        const int n = TransactionsTable::countDueDeadlines(Adb->dcs(), Sheet->Id());
        const QString text = DueBalloonText(n);
        if (text.isEmpty())
            return;
        if (tray)
            frmSysTray::instance()->ShowBaloonTip(Env->AppTitle, text);
        else
            platform::MsgBox(text, platform::vbInformation, Env->AppTitle, g_mainWindow);
    } catch (const platform::RuntimeError &e) {
        // The window, or the icon from which it opens, is up: the program stays usable.
        say(ErrorDescription(e), platform::vbExclamation);
    }
}

} // namespace

QString DueBalloonText(int count)
{
    if (count == 1)
        return LRS(1219);
    if (count >= 2)
        return LRSV(1220, count);
    return QString();
}

StartupResult Main(const MainWindowLoader &loadMainWindow)
{
    platform::setDefaultTitle(QLatin1String(ProductTitle));

    // 1. The language first, so every later message is in the user's language.
    Lang = new cLang();
    TellSetAsideSettings();

    // 2. One instance only.
    g_instanceLock = std::make_unique<platform::SingleInstance>(QStringLiteral("Orvel3"));
    if (!g_instanceLock->acquire()) {
        g_instanceLock.reset();
        // No window of this start to sit on: the message comes to the front, over the running one's window.
        say(LRS(1366), platform::vbMsgBoxSetForeground);
        return StartupResult::Ended;
    }

    try {
        // 3. The database object (the default folder, with a database when it is new).
        Adb = new cAccessDb();

        // 4. A usable database, or the end.
        if (!EnsureUsableDatabase())
            return StartupResult::Ended;
        // A database made from an older template gets the indexes its lists read through.
        cAccessDb::AddTemplateIndexes(Adb->dbPath());

        // 5. The current data sheet and the preferences.
        Sheet = new cSheet();
        Env = new cEnvironment();

        // 6. The attachments folder. One that cannot be made (a database folder the user may only read)
        // locks nobody out of the data: attaching a file then says what is wrong.
        const QString attached = Adb->attachedPath();
        if (!QFileInfo(attached).isDir())
            QDir().mkdir(attached);
    } catch (const platform::RuntimeError &e) {
        say(ErrorDescription(e), platform::vbCritical);
        return StartupResult::Ended;
    }

    // 7. to 9. A failure that nothing below caught is told, and the program ends normally: the settings, the
    // language and the data sheet are written back by EndProgram.
    try {
        // 7. The main window, loaded hidden.
        if (!loadMain(loadMainWindow))
            return StartupResult::Ended;

        // 8. Shown, unless the program starts with the system: then 9. it lives in the tray.
        g_running = true;
        if (!Env->StartOnWindows()) {
            g_mainWindow->show();
            return StartupResult::Running;
        }
        StartInTray(loadMainWindow);
        return StartupResult::Running;
    } catch (const std::exception &e) {
        say(AppErrorText(e, QStringLiteral("modMain"), QStringLiteral("Main"), 0) + QStringLiteral("\n\n") + LRS(1950),
            platform::vbCritical);
    }
    if (frmSysTray::isLoaded())
        frmSysTray::Unload();
    delete g_mainWindow.data();
    return StartupResult::Ended;
}

void EndSession()
{
    g_sessionEnding = true;
    QApplication::closeAllWindows();
    QApplication::quit();
}

bool SessionEnding()
{
    return g_sessionEnding;
}

void EndProgram()
{
    if (frmSysTray::isLoaded())
        frmSysTray::Unload();
    delete g_mainWindow.data();
    // With the windows gone, the database is read whole once, so that the next start need not; a session
    // that is ending has no time for it, and the next start reads it then.
    if (Adb && g_running && !g_sessionEnding)
        Adb->RememberSoundDatabase();
    g_running = false;
    ReleaseGlobals();
    g_instanceLock.reset();
    g_sessionEnding = false;
}
