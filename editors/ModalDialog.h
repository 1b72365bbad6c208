#pragma once

#include <QDialog>

class QSpacerItem;

// What the small modal dialogs of the record commands share: a window owned by the main window, without
// a Close command (it ends through its own buttons), wide enough for its whole title, and a help context
// that F1 opens.
class ModalDialog : public QDialog
{
    Q_OBJECT
public:
    int HelpContextID() const { return m_helpContextId; }
    void setHelpContextID(int id) { m_helpContextId = id; }
    // Opens the help file of the current language at the window's help context.
    void ShowHelp() const;
    void setVisible(bool visible) override;

protected:
    explicit ModalDialog(QWidget *owner);
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Widens the dialog's layout to the room its title needs.
    void FitTitle();

    int m_helpContextId = 0;
    QSpacerItem *m_titleStrut = nullptr;
};
