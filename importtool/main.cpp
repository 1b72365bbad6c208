// OrvelDbTools: imports the database of an earlier version into a fresh database of Orvel 3.

#include "foundation/Icons.h"
#include "importtool/OldDatabaseReader.h"
#include "importtool/modMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Started by itself to read an older database: no window, no settings.
    if (const auto code = importtool::runOldDatabaseReader(argc, argv))
        return *code;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OrvelDbTools"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwel"));
    QApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));
    QApplication::setWindowIcon(Icons::program());
    return importtool::Main();
}
