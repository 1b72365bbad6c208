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
    // Sheet ids are positive; another value (or kind) means the default sheet.
    const int stored = RegReadNumber(QStringLiteral("Id"), QLatin1String(SettingsKey), 1, 1,
                                     std::numeric_limits<int>::max(), OutOfRange::Default);
    m_id = SheetToUse(Adb->dcs(), stored);
}

int cSheet::SheetToUse(const QString &connectionString, int wanted)
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Dbs WHERE DbId=") + QString::number(wanted), connectionString);
    int id = wanted;
    if (rs.EOF()) {
        rs.Close();
        rs.Open(QStringLiteral("SELECT * FROM Dbs ORDER BY DbId"), connectionString,
                platform::Recordset::adOpenForwardOnly, platform::Recordset::adLockReadOnly,
                platform::Recordset::adCmdText);
        if (!rs.EOF())
            id = rs.value(QStringLiteral("DbId")).toInt();
    }
    rs.Close();
    return id;
}

cSheet::~cSheet()
{
    try {
        RegWrite(4, QStringLiteral("Id"), QLatin1String(SettingsKey), m_id);
    } catch (const std::exception &e) {
        // The process is ending; a registry that cannot be written loses only the sheet choice.
        NoteSettingsNotWritten(e);
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
