#include "foundation/frmSysTray.h"

#include "foundation/Globals.h"
#include "foundation/cEnvironment.h"
#include "foundation/clsSysTray.h"
#include "platform/shell/Shell.h"

#include <QCursor>
#include <QMenu>

namespace {
frmSysTray *g_instance = nullptr;
}

frmSysTray *frmSysTray::Load()
{
    if (!g_instance)
        g_instance = new frmSysTray();
    return g_instance;
}

frmSysTray *frmSysTray::instance()
{
    return g_instance;
}

bool frmSysTray::isLoaded()
{
    return g_instance != nullptr;
}

void frmSysTray::Unload()
{
    // The window may be unloaded from its own menu: it goes once the current event is done; from now on
    // the program no longer counts as running in the tray.
    if (frmSysTray *w = g_instance) {
        g_instance = nullptr;
        delete w->m_sysTray;   // removes the icon at once
        w->m_sysTray = nullptr;
        w->deleteLater();
    }
}

frmSysTray::frmSysTray()
{
    g_instance = this;
    setObjectName(QStringLiteral("frmSysTray"));
    m_sysTray = new clsSysTray(this);
    // The menu's captions are fixed: they are not taken from the text table.
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("mnuSysTray"));
    QAction *show = m_menu->addAction(QStringLiteral("&Mostra"));
    m_menu->addSeparator();
    QAction *close = m_menu->addAction(QStringLiteral("&Chiudi"));
    connect(show, &QAction::triggered, this, [this] { mnuPopup_Click(0); });
    connect(close, &QAction::triggered, this, [this] { mnuPopup_Click(2); });

    connect(m_sysTray, &clsSysTray::LeftClick, this, &frmSysTray::showMainRequested);
    connect(m_sysTray, &clsSysTray::BalloonClicked, this, &frmSysTray::showMainRequested);
    connect(m_sysTray, &clsSysTray::RightClick, this, [this] { m_menu->popup(QCursor::pos()); });

    platform::doEvents();
    hide();
    m_sysTray->Init(this, Env ? Env->AppTitle : QString());
}

frmSysTray::~frmSysTray()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmSysTray::mnuPopup_Click(int index)
{
    if (index == 0)
        emit showMainRequested();
    else if (index == 2)
        emit exitRequested();
}

void frmSysTray::ShowBaloonTip(const QString &title, const QString &message)
{
    if (Env && Env->IsMinimized() && m_sysTray)
        m_sysTray->ShowBalloonTip(message, 1, title, 30000);
}
