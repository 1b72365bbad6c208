#pragma once

#include "foundation/TransactionsList.h"
#include "reports/ReportRules.h"

#include <QDialog>
#include <QPrinterInfo>
#include <QString>

class GridPreview;
class GridPrinter;
class GridRowFormat;
class ListGrid;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
namespace platform { class DateField; }

// The report window: the deadlines or the cash book of the current data sheet as a grouped, totalled
// report in a print preview, with the options at the right: filters (state, type, period, account,
// count), up to two grouping levels with the way dates are grouped, the optional columns, group totals,
// repeated column headers and a title. Apply builds the report query, binds the report grid to it and
// shows the pages (a period whose text is not a date is refused with the reason, the report shown staying); from the preview the user prints, sets up the page or closes the window.
class frmPrint : public QDialog
{
    Q_OBJECT
public:
    // File > Print of the main window: shows the window modally over its owner; closing unloads it.
    static void showModal(QWidget *owner);

    explicit frmPrint(QWidget *owner = nullptr);
    ~frmPrint() override;

    // The default printer of the system; a null printer when there is none.
    static QPrinterInfo GetDefaultPrinter();

    // --- state ---
    QString m_ReportSql;
    QPrinterInfo m_Printer;
    QString m_GroupNames[4];
    bool m_Ready = false;
    // The options as the controls hold them, and as the shown report was built from them.
    ReportRules::Options options() const;
    const ReportRules::Options &appliedOptions() const { return m_applied; }
    // The report grid's width in twips, as the last Apply sized its columns.
    int gridWidth() const { return m_gridWidth; }

    // --- controls ---
    QRadioButton *optReport[2] = {};
    QTabBar *tbs = nullptr;
    QWidget *picopt[3] = {};
    QCheckBox *chkDeadlines[2] = {};
    QCheckBox *chkDeadlineType[3] = {};
    QCheckBox *chkPeriod = nullptr;
    platform::DateField *dtPeriod[2] = {};
    QCheckBox *chkCliFor = nullptr;
    QComboBox *cmbCliFor = nullptr;
    QCheckBox *chkCount = nullptr;
    QComboBox *cmbCount = nullptr;
    QComboBox *cmbGroup[2] = {};
    QLabel *lblGroup = nullptr;
    QComboBox *cmbDateGroup = nullptr;
    QCheckBox *chkShowGroupTotals = nullptr;
    QCheckBox *chkgexcols[4] = {};
    QCheckBox *chkViewOptions[1] = {};
    QLabel *lblTitolo = nullptr;
    QLineEdit *txtTitolo = nullptr;
    QPushButton *cmdApplica = nullptr;
    ListGrid *gex = nullptr;
    GridPrinter *gexPrinter = nullptr;
    GridPreview *gxp = nullptr;

    // --- handlers ---
    void cmdApplica_Click();
    void optReport_Click(int index);
    void tbs_Click();
    void chkDeadlines_Click(int index);
    void chkDeadlineType_Click(int index);
    void chkPeriod_Click();
    void chkCliFor_Click();
    void chkCount_Click();
    void cmbGroup_Click(int index);
    void cmbDateGroup_Click();
    void EnableApply();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildControls();
    void Form_Load();
    void EnableDeadlineFilters();
    void FillList(QCheckBox *box, QComboBox *list, const QString &sql);
    void AtLeastOneChecked(QCheckBox *const *boxes, int count, int clicked);

    // The report grid's layout.
    void SetupReportGrid();
    // True when the accounts (AccountTables::AccountsTab) or the counts have an entry to choose.
    bool HasEntries(int tab) const;
    void InitPeriodBounds();
    void ApplyReportLayout(const ReportRules::Options &o);
    void SizeReportColumns(const ReportRules::Options &o);
    void ResolveFields();
    void gex_UnboundColumnFetch(int rowIndex, int colIndex, qint64 bookmark, QVariant &value);
    void gex_FetchIcon(int rowIndex, int colIndex, qint64 bookmark, int &icon);
    void gex_FormatRow(GridRowFormat &row);
    void gex_BeforePrintPage(int pageNumber, int pageCount);

    // The report's columns and their answers; the date groups and the totals follow the applied options.
    TransactionsList m_list;
    ReportRules::Options m_applied;
    int m_gridWidth = 0;
};
