#include "importtool/cEnvironment.h"

#include "foundation/SettingsKeys.h"
#include "foundation/cAccessDb.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "importtool/modMain.h"
#include "platform/RuntimeError.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFileInfo>

namespace importtool {

cEnvironment *Env = nullptr;

cEnvironment::cEnvironment()
{
    m_KeyPath = QLatin1String(SettingsKey);
    m_DbName = QStringLiteral("orvel3.mdb");
    m_AppLanguageId = cLang::StoredLanguageId();
    m_Lsn = GetLanguageOffset();
    InstallQtTranslation(m_Lsn);
    m_DefaultDbPath = GetDefaultDbPath();
    m_DbPath = cAccessDb::StoredDbPath(m_DefaultDbPath);
}

int cEnvironment::GetLanguageOffset() const
{
    return cLang::offsetForLanguageId(m_AppLanguageId, GetLocaleString(1024, platform::LOCALE_ILANGUAGE));
}

QString cEnvironment::GetDefaultDbPath()
{
    const QString folder = cAccessDb::defaultFolder();
    try {
        if (!QFileInfo(folder).isDir()) {
            if (!QDir().mkpath(folder))
                RaiseToolMessage(TextAtV(m_Lsn, 1942, QDir::toNativeSeparators(folder)));
            platform::doEvents();
            try {
                cAccessDb::CopyTemplate(folder);
            } catch (const platform::RuntimeError &) {
                // The copy reports in the main program's texts, which the tool does not load.
                RaiseToolMessage(TextAtV(m_Lsn, 1941, QDir::toNativeSeparators(folder)));
            }
        }
        return folder;
    } catch (const platform::RuntimeError &e) {
        ShowToolError(e, QStringLiteral("cEnvironment.GetDefaultDbPath"), __LINE__, m_Lsn);
        return QString();
    }
}

} // namespace importtool
