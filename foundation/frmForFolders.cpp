#include "foundation/frmForFolders.h"

#include "foundation/cLang.h"
#include "foundation/modShared.h"

#include <QWidget>

namespace frmForFolders {

QString Apri()
{
    QWidget owner;
    owner.setObjectName(QStringLiteral("frmForFolders"));
    QString folder = BrowseForFolder(&owner, LRS(1401));
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

} // namespace frmForFolders
