#include "foundation/cSheet.h"

#include "foundation/Globals.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/comRegistry.h"
#include "foundation/modShared.h"
#include "foundation/SettingsKeys.h"
#include "platform/database/Recordset.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QStyle>

cSheet::cSheet()
{
    m_id = RegRead(4, QStringLiteral("Id"), QLatin1String(SettingsKey), 1).toInt();
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Dbs WHERE DbId=") + QString::number(m_id), Adb->dcs());
    if (rs.EOF()) {
        rs.Close();
        rs.Open(QStringLiteral("SELECT * FROM Dbs ORDER BY DbId"), Adb->dcs(), platform::Recordset::adOpenForwardOnly,
                platform::Recordset::adLockReadOnly, platform::Recordset::adCmdText);
        if (!rs.EOF())
            m_id = rs.value(QStringLiteral("DbId")).toInt();
    }
    rs.Close();
}

cSheet::~cSheet()
{
    try {
        RegWrite(4, QStringLiteral("Id"), QLatin1String(SettingsKey), m_id);
    } catch (...) {
        // The process is ending; a registry that cannot be written loses only the sheet choice.
    }
}

double cSheet::sysVerticalBarWidth() const
{
    const int px = qApp ? qApp->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
    return PixelsToTwips(px);
}

int cSheet::PrintUnits() const
{
    return GetLocaleString(1024, platform::LOCALE_IMEASURE).toInt();
}

QString cSheet::Name() const
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Dbs WHERE DbId=") + QString::number(m_id), Adb->dcs());
    const QString name = rs.EOF() ? QString() : NullToString(rs.value(QStringLiteral("DBName")));
    rs.Close();
    return name;
}
