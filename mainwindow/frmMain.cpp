#include "mainwindow/frmMain.h"

#include "foundation/Globals.h"
#include "foundation/cEnvironment.h"

#include <QCloseEvent>

namespace {
frmMain *g_instance = nullptr;
}

frmMain *frmMain::Load()
{
    if (!g_instance)
        g_instance = new frmMain();
    return g_instance;
}

frmMain *frmMain::instance()
{
    return g_instance;
}

frmMain::frmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Env ? Env->AppTitle : QString());
    resize(1000, 700);
}

frmMain::~frmMain()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmMain::closeEvent(QCloseEvent *event)
{
    event->accept();
}
