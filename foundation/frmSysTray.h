#pragma once

#include <QWidget>

class QMenu;
class clsSysTray;

// The hidden window that owns the notification-area icon while the program runs in the tray: a click on
// the icon or the balloon asks for the main window; its menu asks for it again or for the program's end.
// Start-up connects to what it asks (the tray window never includes the main window).
class frmSysTray : public QWidget
{
    Q_OBJECT
public:
    // Loads the window (hidden) and adds the icon with the program title as tooltip.
    static frmSysTray *Load();
    static frmSysTray *instance();
    static bool isLoaded();
    // Removes the icon and the window.
    static void Unload();

    // Shows a balloon with the information icon for 30 seconds, when the program runs in the tray.
    void ShowBaloonTip(const QString &title, const QString &message);

    clsSysTray *SysTray() const { return m_sysTray; }
    QMenu *mnuSysTray() const { return m_menu; }

signals:
    // A click on the icon or the balloon, or "&Mostra": the main window is to be shown.
    void showMainRequested();
    // "&Chiudi": the program is to end, the main window first (it may stay, with the icon, when the user
    // keeps an editor's unsaved input).
    void exitRequested();

public slots:
    void mnuPopup_Click(int index);

private:
    frmSysTray();
    ~frmSysTray() override;

    clsSysTray *m_sysTray = nullptr;
    QMenu *m_menu = nullptr;
};
