#include "foundation/Globals.h"

#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"

cLang *Lang = nullptr;
cAccessDb *Adb = nullptr;
cSheet *Sheet = nullptr;
cEnvironment *Env = nullptr;

void ReleaseGlobals()
{
    // Settings, data sheet and language write themselves back as they go; the database object writes nothing.
    delete Env;
    Env = nullptr;
    delete Sheet;
    Sheet = nullptr;
    delete Adb;
    Adb = nullptr;
    delete Lang;
    Lang = nullptr;
}
