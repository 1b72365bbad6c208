#include "app/Orvel3Main.h"

#include "foundation/GuardedApplication.h"
#include "foundation/Icons.h"
#include "foundation/modMain.h"
#include "mainwindow/frmMain.h"
#include "platform/shell/Shell.h"

#include <QApplication>

int Orvel3Main(int &argc, char **argv)
{
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvel3"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwel"));
    QApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));
    QApplication::setWindowIcon(Icons::program());

    // A log-out or SIGTERM ends the program as closing its window does: windows unload, settings are written.
    platform::setTerminationHandler(EndSession);

    StartupHooks hooks;
    hooks.loadMainWindow = [] { return static_cast<QWidget *>(frmMain::Load()); };
    int rc = 0;
    if (Main(hooks) == StartupResult::Running)
        rc = app.exec();
    EndProgram();
    return rc;
}
