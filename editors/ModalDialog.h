#pragma once

#include <QDialog>

// What the small modal dialogs of the record commands share: a window owned by the main window, without
// a Close command (it ends through its own buttons), and a help context that F1 opens.
class ModalDialog : public QDialog
{
    Q_OBJECT
public:
    int HelpContextID() const { return m_helpContextId; }
    void setHelpContextID(int id) { m_helpContextId = id; }
    // Opens the help file of the current language at the window's help context.
    void ShowHelp() const;

protected:
    explicit ModalDialog(QWidget *owner);
    void keyPressEvent(QKeyEvent *event) override;

private:
    int m_helpContextId = 0;
};
