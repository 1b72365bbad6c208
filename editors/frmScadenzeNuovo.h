#pragma once

#include "editors/GlobalWindow.h"
#include "editors/RecordEditorWindow.h"
#include "platform/database/Currency.h"

#include <QString>
#include <QVariant>
#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class UpDown;
namespace NewDeadlineSave { struct NewDeadline; }
namespace platform { class DateField; }

// The new-deadline editor: a new credit, debit or appointment, alone or as a recurring series, from scratch
// (Nuovo) or as new members of the group of the row selected in the main list (Nuovo2). Modeless, owned by
// the main window, which opens it with
//     frmScadenzeNuovo::Load(this)->Nuovo();
//     frmScadenzeNuovo::Load(this)->Nuovo2(TrType, TrDescription, TrAcId, TrValue, TrGrpId);
// Save writes the rows (all or nothing), waits for the database to let go of the file, tells the main window
// (rowSaved with 0) and unloads the window; Cancel and Esc unload it with nothing written. The
// window has no Close command.
class frmScadenzeNuovo : public RecordEditorWindow, public GlobalWindow<frmScadenzeNuovo>
{
    Q_OBJECT
public:
    // Loads the window once (owned by owner; later calls return the loaded window).
    static frmScadenzeNuovo *Load(QWidget *owner = nullptr);
    ~frmScadenzeNuovo() override;

    // A plain new entry: no group, the lists filled, an appointment with an empty amount; shown modeless.
    // While the window is open (Nuovo and Nuovo2 alike) it only comes to the front, unchanged.
    void Nuovo();
    // New rows for the group of a main-list row: its type, description, customer and amount are shown, and
    // type, description and customer locked; the rows join group TrGrpId. Shown modeless.
    void Nuovo2(int TrType, const QVariant &TrDescription, int TrAcId, platform::Currency TrValue, int TrGrpId);

    // --- handlers, as the controls call them ---
    void imgcmbData_Click();
    void optgrp_Click(int Index);
    void cmdAllegato_Click();
    void cmdSalva_Click();

    // --- state ---
    int GrpId = 0;                     // 0 plain new; else the group the new rows join
    QString AttachSourcePath;          // the chosen file ("" none)
    QString AttachStoredName;          // the name of its copy in the attachments folder ("" none)

    // --- controls ---
    // imgcmbData, the type: "d-2", "d-1", "d+1"
    std::array<QRadioButton *, 2> optgrp{};           // single / series
    std::array<QWidget *, 2> picgrp{};                // their panels
    std::array<platform::DateField *, 2> datData{};   // single date / first date
    std::array<QLineEdit *, 5> txtData{};             // 0 description, 1 amount, 2 rows, 4 alert days (3: below)
    // txtNotes is txtData(3): notes
    QComboBox *cmbCadenza = nullptr;
    QCheckBox *chkSplit = nullptr;
    QCheckBox *chkData = nullptr;                     // closed
    QPushButton *cmdAllegato = nullptr;               // cmdAllegato(0)
    FileNameLabel *lblAttached = nullptr;             // the chosen file's title
    UpDown *UpDown1 = nullptr;                        // rows
    UpDown *UpDown2 = nullptr;                        // alert days

protected:
    void LocalizeWindow() override;
    std::span<QLineEdit *const> textBoxes() const override { return txtData; }
    std::span<platform::DateField *const> dateBoxes() const override { return datData; }
    // Description, amount, row count and alert days. An accepted amount is rewritten rounded to cents.
    QString FieldRefusal(int Index) override;
    bool FilterBoxKey(QObject *watched, QKeyEvent *key) override;
    bool isPanel(const QWidget *w) const override;
    // Remembers the split choice.
    void Unloading() override;
    bool hasOtherInput() const override;   // an attachment chosen
    void ReleaseInstance() override;

private:
    explicit frmScadenzeNuovo(QWidget *owner);
    void BuildControls();
    void Form_Load();
    // The description takes at most its column's size.
    void LimitDescription(const QString &procedure);
    // Writes what the window holds; false (after the "App Error" report) when nothing could be saved.
    bool Salva();
    NewDeadlineSave::NewDeadline ReadValues() const;
    void ShowModeless();
};
