#pragma once

#include "editors/EditorControls.h"
#include "editors/GlobalWindow.h"
#include "platform/database/Currency.h"

#include <QString>
#include <QVariant>
#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QToolButton;
class UpDown;
namespace NewDeadlineSave { struct NewDeadline; }

// The new-deadline editor: a new credit, debit or appointment, alone or as a recurring series, from scratch
// (Nuovo) or as new members of the group of the row selected in the main list (Nuovo2). Modeless, owned by
// the main window, which opens it with
//     frmScadenzeNuovo::Load(this)->Nuovo();
//     frmScadenzeNuovo::Load(this)->Nuovo2(TrType, TrDescription, TrAcId, TrValue, TrGrpId);
// Save writes the rows (all or nothing), waits for the database to let go of the file, refreshes the main
// window through EditorHooks and unloads the window; Cancel and Esc unload it with nothing written. The
// window has no Close command.
class frmScadenzeNuovo : public QWidget, public GlobalWindow<frmScadenzeNuovo>
{
    Q_OBJECT
public:
    // Loads the window once (owned by owner; later calls return the loaded window).
    static frmScadenzeNuovo *Load(QWidget *owner = nullptr);
    ~frmScadenzeNuovo() override;

    // A plain new entry: no group, the lists filled, an appointment with an empty amount; shown modeless.
    void Nuovo();
    // New rows for the group of a main-list row: its type, description, customer and amount are shown, and
    // type, description and customer locked; the rows join group TrGrpId. Shown modeless.
    void Nuovo2(int TrType, const QVariant &TrDescription, int TrAcId, platform::Currency TrValue, int TrGrpId);
    // (Re)fills the customer and payment-account lists from Accounts and Counts (shared by every data sheet),
    // keeping their selections.
    void InitCombos();

    // --- handlers, as the controls call them ---
    void imgcmbData_Click();
    void optgrp_Click(int Index);
    // The check of a text box as it loses the focus: false keeps the focus there. An accepted amount is
    // rewritten rounded to cents.
    bool txtData_Validate(int Index);
    void cmdAdd_Click();
    void cmdAllegato_Click();
    void cmdSalva_Click();
    void cmdAnnulla_Click();

    // --- state ---
    int GrpId = 0;                     // 0 plain new; else the group the new rows join
    QString AttachSourcePath;          // the chosen file ("" none)
    QString AttachStoredName;          // the name of its copy in the attachments folder ("" none)
    int helpContext() const { return 3; }
    // The type selected: 1 credit, -1 debit, -2 appointment.
    int selectedType() const;

    // --- controls ---
    QComboBox *imgcmbData = nullptr;                  // type: "d-2", "d-1", "d+1"
    std::array<QRadioButton *, 2> optgrp{};           // single / series
    std::array<QWidget *, 2> picgrp{};                // their panels
    std::array<QDateEdit *, 2> datData{};             // single date / first date
    std::array<QLineEdit *, 5> txtData{};             // 0 description, 1 amount, 2 rows, 4 alert days (3: below)
    QPlainTextEdit *txtNotes = nullptr;               // txtData(3): notes
    std::array<QComboBox *, 2> dtcData{};             // customer (AcId) / payment account (CnId)
    QToolButton *cmdAdd = nullptr;
    QComboBox *cmbCadenza = nullptr;
    QCheckBox *chkSplit = nullptr;
    QCheckBox *chkData = nullptr;                     // closed
    QPushButton *cmdAllegato = nullptr;               // cmdAllegato(0)
    QLabel *lblAttached = nullptr;                    // the chosen file's title
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdAnnulla = nullptr;
    UpDown *UpDown1 = nullptr;                        // rows
    UpDown *UpDown2 = nullptr;                        // alert days
    QStatusBar *sb = nullptr;
    QLabel *sbPanel1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    explicit frmScadenzeNuovo(QWidget *owner);
    void BuildControls();
    void Form_Load();
    // Remembers the split choice, lets the lists' connection go and takes the window down.
    void Form_Unload();
    // Writes what the window holds; false (after the "App Error" report) when nothing could be saved.
    bool Salva();
    NewDeadlineSave::NewDeadline ReadValues() const;
    void ShowModeless();
    void focusMoved(QWidget *old, QWidget *now);
    QString hintOf(QWidget *w) const;

    EditorCombos rsCombo;   // the lists' row sources, open with the window
    QMetaObject::Connection m_focusWatch;
    bool m_validating = false;
    bool m_unloaded = false;
};
