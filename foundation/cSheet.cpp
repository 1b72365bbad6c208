#include "foundation/cSheet.h"

#include "foundation/Globals.h"
#include "foundation/SettingsKeys.h"
#include "foundation/SheetsTable.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/comRegistry.h"
#include "foundation/modShared.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QStyle>

cSheet::cSheet()
{
    // Sheet ids are positive; another value (or kind) means the default sheet.
    const int stored = RegReadNumber(QStringLiteral("Id"), QLatin1String(SettingsKey), 1, 1,
                                     std::numeric_limits<int>::max(), OutOfRange::Default);
    m_id = SheetsTable::sheetToUse(Adb->dcs(), stored);
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
    return SheetsTable::name(Adb->dcs(), m_id);
}
