#pragma once

#include <QWidget>
#include <functional>

class QMenu;
class clsSysTray;

// The hidden window that owns the notification-area icon while the program runs in the tray: a click on
// the icon or the balloon shows the main window; its menu shows it again or ends the program.
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

    // The main window's show and unload, set by start-up (the tray window never includes the main window).
    // The unload answers false when the main window stayed open (the user cancelled its closing).
    static void setMainWindowHooks(std::function<void(QWidget *owner)> show, std::function<bool()> unload);

    // Shows a balloon with the information icon for 30 seconds, when the program runs in the tray.
    void ShowBaloonTip(const QString &title, const QString &message);

    clsSysTray *SysTray() const { return m_sysTray; }
    QMenu *mnuSysTray() const { return m_menu; }

public slots:
    void mnuPopup_Click(int index);

private:
    frmSysTray();
    ~frmSysTray() override;
    void showMain();

    clsSysTray *m_sysTray = nullptr;
    QMenu *m_menu = nullptr;
};
