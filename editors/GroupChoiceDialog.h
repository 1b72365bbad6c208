#pragma once

#include "editors/ModalDialog.h"

#include <QIcon>
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The two twin dialogs that ask what a command on a row of a recurring series should do (frmGrpAdd,
// frmGrpErase): two options, Continue and Cancel. Apri answers 0 (cancelled), 1 (first option) or
// 2 (second option); the caller unloads the dialog after reading the answer.
class GroupChoiceDialog : public ModalDialog
{
    Q_OBJECT
public:
    enum Choice { Cancelled = 0, FirstOption = 1, SecondOption = 2 };

    // Shows the dialog modal and, once it is hidden, returns GroupChoice.
    int Apri();

    // 0 until OK or Cancel sets it.
    int GroupChoice = Cancelled;

    QLabel *Label1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    // The texts (by id), help context and picture of one of the twins.
    struct Design {
        const char *optionName;   // control name of the options ("optadd", "opterase")
        int caption;
        int option0;
        int option1;
        int ok;
        int helpContext;
        QIcon picture;
    };
    GroupChoiceDialog(QWidget *owner, const Design &design);

    // The option selected by a click is shown bold, the other one plain.
    void option_Click(int Index);
    // Esc (or a close from outside) answers as Cancel.
    void reject() override;

    std::array<QRadioButton *, 2> m_options{};
};
