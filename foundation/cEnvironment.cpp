#include "foundation/cEnvironment.h"

#include "foundation/Globals.h"
#include "foundation/Preferences.h"
#include "foundation/comRegistry.h"
#include "foundation/frmSysTray.h"
#include "foundation/modShared.h"
#include "foundation/SettingsKeys.h"
#include "platform/shell/Shell.h"

namespace {
const QString Key = QLatin1String(SettingsKey);

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
    for (const Preferences::Preference &p : Preferences::all()) {
        const QString name = QLatin1String(p.name);
        // Exactly 1 is True; any other number is False; a value of another kind takes the default.
        const int stored = p.isFlag() ? int(RegReadNumber(name, Key, p.defaultValue) == 1)
                                      : RegReadNumber(name, Key, p.defaultValue, p.low, p.high);
        Preferences::setValue(*this, p, stored);
    }
    AppTitle = QLatin1String(ProductTitle);
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
    for (const Preferences::Preference &p : Preferences::all())
        RegWrite(4, QLatin1String(p.name), Key, Preferences::value(*this, p));
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
