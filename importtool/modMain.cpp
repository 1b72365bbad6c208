#include "importtool/modMain.h"

#include "foundation/cAccessDb.h"
#include "foundation/cLang.h"
#include "foundation/comRegistry.h"
#include "foundation/modShared.h"
#include "importtool/cEnvironment.h"
#include "importtool/frmImport.h"
#include "platform/RuntimeError.h"
#include "platform/database/LockFile.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/registry/RegistryStore.h"

#include <QDir>

namespace importtool {

namespace {
// The offset of the English block, for a text asked before the settings object exists.
constexpr int EnglishBlock = 3000;
// Where a handled failure happened: "in OrvelDbTools.<procedure> ".
constexpr int ProcedureText = 2301;
// A failure that the tool has no words of its own for.
constexpr int UnexpectedFailureText = 2307;
// The source of the failures the tool tells in a text of its own, already in the user's language.
constexpr char ToolMessageSource[] = "OrvelDbTools";
}

int Main()
{
    platform::setDefaultTitle(QStringLiteral("OrvelDbTools"));
    Env = new cEnvironment();
    if (CheckStart() == StartCheck::Ready) {
        frmImport::Load()->exec();
        frmImport::Unload();
    }
    delete Env;
    Env = nullptr;
    return 0;
}

StartCheck CheckStart()
{
    const QStringList setAside = platform::registry::takeSetAsideHives();
    if (!setAside.isEmpty()) {
        for (const QString &file : setAside)
            platform::MsgBox(LRSV(2000, QDir::toNativeSeparators(file)), platform::vbExclamation);
        return StartCheck::SettingsUnreadable;
    }
    if (Env->DbPath().isEmpty()) {
        platform::MsgBox(QStringLiteral("Avviare Orvel 3 almeno una volta per creare la cartella del Database\n\n"
                                        "Start Orvel 3 at least once to create the Database Folder"),
                         platform::vbOKOnly);
        return StartCheck::NoDbFolder;
    }
    // A lock left by a main program that has ended does not count.
    if (platform::lockFileIsLive(platform::lockFilePathFor(cAccessDb::databaseFileIn(Env->DbPath())))) {
        platform::MsgBox(QStringLiteral("Chiudere Orvel 3 per eseguire questa procedura.\n\n"
                                        "Stop Orvel 3 before running this procedure."),
                         platform::vbOKOnly);
        return StartCheck::MainProgramRunning;
    }
    return StartCheck::Ready;
}

QString TextAt(int lsn, int Id)
{
    return textTable().value(Id + lsn);
}

QString TextAtV(int lsn, int Id, const QVariant &Val)
{
    return TextAt(lsn, Id).replace(QStringLiteral("xxx"), Val.toString());
}

QString LRS(int Id)
{
    return TextAt(Env ? Env->Lsn() : EnglishBlock, Id);
}

QString LRSV(int Id, const QVariant &Val)
{
    return TextAtV(Env ? Env->Lsn() : EnglishBlock, Id, Val);
}

QVariant GetRegValueEx(qint32 root, int kind, const QString &valueName, const QString &keyPath,
                       const QVariant &defaultValue)
{
    comRegistry reg;
    reg.setClassKey(root);
    reg.setSectionKey(keyPath);
    reg.setValueType(kind);
    reg.setValueKey(valueName);
    if (defaultValue.isValid())
        reg.setDefault(defaultValue);
    return reg.Value();
}

QString ToolErrorText(const std::exception &error, const QString &procedure, int line, int lsn)
{
    // A failure the text table tells, or one the tool raised with its own text; any other is the engine's
    // or the library's detail, which the user is not shown.
    bool told = false;
    QString description = ErrorDescription(error, [lsn, &told](int id) {
        told = true;
        return TextAt(lsn, id);
    });
    const auto *runtime = dynamic_cast<const platform::RuntimeError *>(&error);
    if (!told && !(runtime && runtime->source() == QLatin1String(ToolMessageSource)))
        description = TextAt(lsn, UnexpectedFailureText);
    return description + QLatin1Char('\n') + TextAtV(lsn, ProcedureText, procedure) + TextAt(lsn, 1945)
           + QString::number(line);
}

void RaiseToolMessage(const QString &text)
{
    throw platform::RuntimeError(platform::errors::DbGeneric, QLatin1String(ToolMessageSource), text);
}

void ShowToolError(const std::exception &error, const QString &procedure, int line, int lsn)
{
    platform::MsgBox(ToolErrorText(error, procedure, line, lsn), platform::vbExclamation, TextAt(lsn, 1943));
}

} // namespace importtool
