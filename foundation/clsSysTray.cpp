#include "foundation/clsSysTray.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {
std::optional<bool> g_available;
}

bool clsSysTray::isAvailable()
{
    return g_available.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void clsSysTray::setAvailable(std::optional<bool> available)
{
    g_available = available;
}

clsSysTray::clsSysTray(QObject *parent)
    : QObject(parent)
{
}

clsSysTray::~clsSysTray()
{
    if (m_icon)
        m_icon->hide();
    delete m_icon;
}

QString clsSysTray::fitField(const QString &text, int bytes)
{
    return text.left(bytes - 1);
}

void clsSysTray::Init(QWidget *owner, const QString &tooltip)
{
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            switch (reason) {
            case QSystemTrayIcon::Trigger: MouseMove(0, 0x202); break;
            case QSystemTrayIcon::Context: MouseMove(0, 0x205); break;
            case QSystemTrayIcon::DoubleClick: MouseMove(0, 0x203); break;
            default: break;
            }
        });
        connect(m_icon, &QSystemTrayIcon::messageClicked, this, [this] { MouseMove(0, 0x405); });
    }
    SetIcon(owner);
    setTooltipText(tooltip);
    m_icon->show();
}

void clsSysTray::SetIcon(QWidget *owner)
{
    if (!m_icon)
        return;
    QIcon icon = owner ? owner->windowIcon() : QIcon();
    if (icon.isNull())
        icon = QApplication::windowIcon();
    m_icon->setIcon(icon);
}

void clsSysTray::setTooltipText(const QString &text)
{
    m_tooltip = text;
    if (m_icon)
        m_icon->setToolTip(fitField(text, TipBytes));
}

void clsSysTray::ShowBalloonTip(const QString &message, int penIcon, const QString &title, int timeoutMs)
{
    m_balloonText = fitField(message, BalloonTextBytes);
    m_balloonTitle = fitField(title, BalloonTitleBytes);
    m_balloonTimeout = timeoutMs;
    if (!m_icon)
        return;
    QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information;
    if (penIcon == 2)
        icon = QSystemTrayIcon::Warning;
    else if (penIcon == 3)
        icon = QSystemTrayIcon::Critical;
    else if (penIcon == 0)
        icon = QSystemTrayIcon::NoIcon;
    m_icon->showMessage(m_balloonTitle, m_balloonText, icon, timeoutMs);
}

void clsSysTray::MouseMove(int /*button*/, int x, QWidget * /*owner*/)
{
    switch (x) {
    case 0x202: emit LeftClick(); break;
    case 0x205: emit RightClick(); break;
    case 0x203: emit DoubleClick(); break;
    case 0x403: emit BalloonHide(); break;
    case 0x404: emit BalloonTimeOut(); break;
    case 0x405: emit BalloonClicked(); break;
    default: break;
    }
}
