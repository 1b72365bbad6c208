#include "foundation/cEnvironment.h"

#include "foundation/Globals.h"
#include "foundation/comRegistry.h"
#include "foundation/frmSysTray.h"
#include "foundation/modShared.h"
#include "foundation/SettingsKeys.h"
#include "platform/shell/Shell.h"

namespace {
const QString Key = QLatin1String(SettingsKey);

// Exactly 1 is True; any other number is False; a value of another kind takes the default.
bool readFlag(const char *name, int def)
{
    return RegReadNumber(QLatin1String(name), Key, def) == 1;
}
void write(const char *name, int value)
{
    RegWrite(4, QLatin1String(name), Key, value);
}
// The program's start-with-the-system value; a value of another kind than text is none.
QString runValue()
{
    const QVariant v = RegRead(1, QLatin1String(ProductTitle), QLatin1String(RunKey), QString());
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}
} // namespace

cEnvironment::cEnvironment()
{
    m_startOnWindows = runValue().size() > 0;
    AlertDefaultDays = short(RegReadNumber(QStringLiteral("AlertDefaultDays"), Key, 2, 0, MaxAlertDefaultDays));
    AlertOperations = readFlag("AlertOperations", 0);
    DeadlinesShowGroupTotals = readFlag("DeadlinesShowGroupTotals", 1);
    DeadlinesShowRecurringCounters = readFlag("DeadlinesShowRecurringCounters", 1);
    DeadlinesShowId = readFlag("DeadlinesShowId", 0);
    DebitCreditToPN = readFlag("DebitCreditToPN", 1);
    DeadlinesSplitAmount = readFlag("DeadlinesSplitAmount", 0);
    CalendarVariableColumns = readFlag("CalendarVariableColumns", 1);
    AppTitle = QLatin1String(ProductTitle);
    // Ids are never negative.
    LastContactId = RegReadNumber(QStringLiteral("LastContactId"), Key, 0, 0);
    LastCountId = RegReadNumber(QStringLiteral("LastCountId"), Key, 0, 0);
}

cEnvironment::~cEnvironment()
{
    try {
        Save();
    } catch (const std::exception &e) {
        // The process is ending: a registry that cannot be written loses this run's preference changes.
        NoteSettingsNotWritten(e);
    }
}

void cEnvironment::Save() const
{
    write("AlertDefaultDays", AlertDefaultDays);
    write("AlertOperations", AlertOperations ? 1 : 0);
    write("DeadlinesShowGroupTotals", DeadlinesShowGroupTotals ? 1 : 0);
    write("DeadlinesShowRecurringCounters", DeadlinesShowRecurringCounters ? 1 : 0);
    write("DeadlinesShowId", DeadlinesShowId ? 1 : 0);
    write("LastContactId", LastContactId);
    write("LastCountId", LastCountId);
    write("DebitCreditToPN", DebitCreditToPN ? 1 : 0);
    write("DeadlinesSplitAmount", DeadlinesSplitAmount ? 1 : 0);
    write("CalendarVariableColumns", CalendarVariableColumns ? 1 : 0);
}

void cEnvironment::setStartOnWindows(bool value)
{
    if (!value) {
        if (!runValue().isEmpty())
            RegDeleteValue(1, QLatin1String(ProductTitle), QLatin1String(RunKey));
    } else if (!m_startOnWindows) {
        RegWrite(1, QLatin1String(ProductTitle), QLatin1String(RunKey), platform::programPath());
    }
    m_startOnWindows = value;
}

short cEnvironment::StartOfWeek() const
{
    const int first = GetLocaleString(1024, platform::LOCALE_IFIRSTDAYOFWEEK).toInt();
    return short((first + 1) % 7 + 1);
}

bool cEnvironment::IsMinimized() const
{
    return frmSysTray::isLoaded();
}
