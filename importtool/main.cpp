// OrvelDbTools: imports the database of an earlier version into a fresh database of Orvel 3.

#include "foundation/Icons.h"
#include "importtool/modMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OrvelDbTools"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwel"));
    QApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));
    QApplication::setWindowIcon(Icons::program());
    return importtool::Main();
}
