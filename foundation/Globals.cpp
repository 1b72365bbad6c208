#include "foundation/Globals.h"

#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/modMain.h"
#include "foundation/modShared.h"
#include "foundation/SettingsKeys.h"
#include "platform/RuntimeError.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/registry/RegistryStore.h"

#include <QDir>
#include <optional>

cLang *Lang = nullptr;
cAccessDb *Adb = nullptr;
cSheet *Sheet = nullptr;
cEnvironment *Env = nullptr;

namespace {

// The first failure to write back a setting since the settings were last told.
std::optional<platform::RuntimeError> g_notWritten;

void TellSettingsNotWritten()
{
    std::optional<platform::RuntimeError> failure;
    failure.swap(g_notWritten);
    if (!failure || !Lang || SessionEnding())
        return;
    const QString why = failure->kind() != platform::ErrorKind::Other
                            ? QStringLiteral("\n\n") + ErrorDescription(*failure)
                            : QStringLiteral("\n") + QDir::toNativeSeparators(platform::registry::hiveFile(
                                                          platform::registry::HKEY_CURRENT_USER));
    platform::MsgBox(LRS(2200) + why, platform::vbExclamation, QLatin1String(ProductTitle));
}

} // namespace

void NoteSettingsNotWritten(const std::exception &error)
{
    if (g_notWritten)
        return;
    if (const auto *re = dynamic_cast<const platform::RuntimeError *>(&error))
        g_notWritten = *re;
    else
        g_notWritten = platform::RuntimeError(0, QString(), QString::fromUtf8(error.what()));
}

void ReleaseGlobals()
{
    // Settings, data sheet and language write themselves back as they go; the database object writes nothing.
    delete Env;
    Env = nullptr;
    delete Sheet;
    Sheet = nullptr;
    delete Adb;
    Adb = nullptr;
    TellSettingsNotWritten();
    delete Lang;
    Lang = nullptr;
    // The language's own value goes last, when nothing could tell it any more.
    g_notWritten.reset();
}
