#pragma once

#include "importtool/DataImport.h"

#include <QDialog>
#include <QPointer>
#include <array>
#include <optional>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QStatusBar;

namespace importtool {

// The import wizard, the tool's only window. Step 0 explains what will happen; step 1 lets the user choose
// the older product. Continue in step 1 finds that product's database and, once the user confirms, backs
// up the current database and replaces it with a new one holding the old data; then the wizard closes.
//     frmImport::Load()->exec();
//     frmImport::Unload();
class frmImport : public QDialog
{
    Q_OBJECT
public:
    // Loads the window once; later calls return the loaded window.
    static frmImport *Load(QWidget *owner = nullptr);
    static frmImport *instance() { return s_window.data(); }
    static void Unload();

    // What LocateOldDatabase finds.
    enum LocateResult { Found = 0, NotFound = 1, InUse = 2 };

    // 0 while the introduction is shown, 1 once the choice is shown.
    int WizardStep = 0;
    // The checked choice: 0 Orvel 1, 1 Orvel 2, 2 Quilvaro.
    int SelectedApp = 0;
    // The older database found by LocateOldDatabase.
    QString OldDbFile;

    QWidget *picStep(int Index) const { return m_picStep.at(Index); }
    QLabel *lblTitle = nullptr;
    QLabel *lblText(int Index) const { return m_lblText.at(Index); }
    QGroupBox *frmChoose = nullptr;
    QRadioButton *optApp(int Index) const { return m_optApp.at(Index); }
    QPushButton *cmdProsegui = nullptr;
    QPushButton *cmdAnnulla = nullptr;
    QStatusBar *sb = nullptr;

    // Finds the database of the checked product (sets SelectedApp and OldDbFile).
    int LocateOldDatabase();
    // Copies the data of the older database (source) into a fresh database (target), both named by
    // connection strings, in one transaction: on any failure nothing of it is kept, and the error passes on.
    // The older database is read in a reader process bounded in time and memory (OldDatabaseReader.h).
    // Gives what could not be copied as the older database holds it.
    ImportSummary ImportDatabase(const QString &source, const QString &target);

    void cmdProsegui_Click();
    void cmdAnnulla_Click();

protected:
    // Esc and the window's close button end the wizard as Cancel does.
    void reject() override;

private:
    explicit frmImport(QWidget *owner);
    void Form_Load();
    // The confirmation with the database found.
    QString ConfirmText() const;
    // Backup, new database, data, replacement; nothing (after reporting why) when it did not complete, with
    // the database as it was.
    std::optional<ImportSummary> RunImport();
    // While working, Continue, Cancel and the choices are disabled and Esc does nothing.
    void setWorking(bool working);
    class WorkingState;

    bool m_working = false;

    QStackedWidget *m_steps = nullptr;
    std::array<QWidget *, 2> m_picStep{};
    std::array<QLabel *, 4> m_lblText{};
    std::array<QRadioButton *, 3> m_optApp{};

    static inline QPointer<frmImport> s_window;
};

} // namespace importtool
