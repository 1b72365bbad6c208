#include "reports/frmPrint.h"

#include "foundation/AccountTables.h"
#include "foundation/DateEntry.h"
#include "foundation/RowRules.h"
#include "foundation/TransactionsTable.h"
#include "foundation/WindowSupport.h"

#include "foundation/Globals.h"
#include "foundation/Icons.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/grid/GridPreview.h"
#include "foundation/grid/GridPrinter.h"
#include "foundation/grid/GridRowFormat.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/grid/GridFormat.h"
#include "foundation/modShared.h"
#include "platform/Clock.h"
#include "platform/controls/DateField.h"
#include "platform/controls/OneLineText.h"
#include "platform/database/Recordset.h"
#include "platform/shell/Shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>

using platform::Currency;
using namespace ReportRules;

namespace {

const QString WindowName = QStringLiteral("frmPrint");
constexpr int HelpContext = 22;

// Design-time caption ids of the option controls.
constexpr int ReportCaptions[2] = {1672, 1673};
constexpr int TabCaptions[3] = {1606, 1620, 1675};
constexpr int DeadlineCaptions[2] = {953, 956};
constexpr int TypeCaptions[3] = {1610, 1612, 1614};
constexpr int ColumnCaptions[4] = {1015, 1019, 1677, 1678};

// Smallest window: 15000 by 10380 twips; the options take the right 6045 twips of it.
constexpr int MinWidthTwips = 15000;
constexpr int MinHeightTwips = 10380;
constexpr int SidePanelTwips = 5900;

} // namespace

void frmPrint::showModal(QWidget *owner)
{
    frmPrint window(owner);
    window.exec();
}

frmPrint::frmPrint(QWidget *owner)
    : QDialog(owner),
      m_list({[this](const QDate &trDate) { return GroupKeyOfDate(trDate, m_applied.dateGroupMode, platform::today()); },
              [this](bool done, Currency balance) { return ReportTotal(m_applied.kind, done, balance); },
              [] { return true; }})
{
    setObjectName(WindowName);
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    BuildControls();
    Form_Load();
}

frmPrint::~frmPrint() = default;

QPrinterInfo frmPrint::GetDefaultPrinter()
{
    return QPrinterInfo::defaultPrinter();
}

// ---------------------------------------------------------------------------------------------------
// Controls

void frmPrint::BuildControls()
{
    gex = new ListGrid(this);
    gex->setObjectName(QStringLiteral("gex"));
    gex->hide();   // the report is seen through the preview
    gexPrinter = new GridPrinter(gex);
    gxp = new GridPreview(gexPrinter, this);
    gxp->setObjectName(QStringLiteral("gxp"));
    connect(gxp, &GridPreview::closeClicked, this, &QDialog::reject);

    auto *side = new QWidget(this);
    side->setObjectName(QStringLiteral("picSide"));
    side->setFixedWidth(TwipsToPixels(SidePanelTwips));
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(TwipsToPixels(60), 0, 0, 0);

    for (int i = 0; i < 2; ++i) {
        optReport[i] = new QRadioButton(side);
        optReport[i]->setObjectName(QStringLiteral("optReport%1").arg(i));
        QFont f = optReport[i]->font();
        f.setBold(true);
        optReport[i]->setFont(f);
        sideLayout->addWidget(optReport[i]);
        connect(optReport[i], &QRadioButton::clicked, this, [this, i] { optReport_Click(i); });
    }
    optReport[0]->setChecked(true);

    tbs = new QTabBar(side);
    tbs->setObjectName(QStringLiteral("tbs"));
    for (int i = 0; i < 3; ++i)
        tbs->addTab(QString());
    sideLayout->addSpacing(TwipsToPixels(120));
    sideLayout->addWidget(tbs);

    for (int i = 0; i < 3; ++i) {
        picopt[i] = new QWidget(side);
        picopt[i]->setObjectName(QStringLiteral("picopt%1").arg(i));
        sideLayout->addWidget(picopt[i]);
    }

    // Filters.
    {
        auto *grid = new QGridLayout(picopt[0]);
        grid->setContentsMargins(TwipsToPixels(120), TwipsToPixels(120), 0, 0);
        int row = 0;
        for (int i = 0; i < 2; ++i) {
            chkDeadlines[i] = new QCheckBox(picopt[0]);
            chkDeadlines[i]->setObjectName(QStringLiteral("chkDeadlines%1").arg(i));
            chkDeadlines[i]->setChecked(i == 0);
            grid->addWidget(chkDeadlines[i], row++, 0, 1, 2);
            connect(chkDeadlines[i], &QCheckBox::clicked, this, [this, i] { chkDeadlines_Click(i); });
        }
        grid->setRowMinimumHeight(row++, TwipsToPixels(120));
        for (int i = 0; i < 3; ++i) {
            chkDeadlineType[i] = new QCheckBox(picopt[0]);
            chkDeadlineType[i]->setObjectName(QStringLiteral("chkDeadlineType%1").arg(i));
            chkDeadlineType[i]->setChecked(true);
            grid->addWidget(chkDeadlineType[i], row++, 0, 1, 2);
            connect(chkDeadlineType[i], &QCheckBox::clicked, this, [this, i] { chkDeadlineType_Click(i); });
        }
        grid->setRowMinimumHeight(row++, TwipsToPixels(120));
        chkPeriod = new QCheckBox(picopt[0]);
        chkPeriod->setObjectName(QStringLiteral("chkPeriod"));
        grid->addWidget(chkPeriod, row++, 0, 1, 2);
        for (int i = 0; i < 2; ++i) {
            dtPeriod[i] = new platform::DateField(picopt[0]);
            dtPeriod[i]->setObjectName(QStringLiteral("dtPeriod%1").arg(i));
            dtPeriod[i]->setDate(platform::today());
            dtPeriod[i]->setEnabled(false);
            grid->addWidget(dtPeriod[i], row, i);
            // Typing, as picking, changes the options the shown report was built from.
            connect(dtPeriod[i], &QLineEdit::textChanged, this, [this] { EnableApply(); });
        }
        ++row;
        grid->setRowMinimumHeight(row++, TwipsToPixels(120));
        chkCliFor = new QCheckBox(picopt[0]);
        chkCliFor->setObjectName(QStringLiteral("chkCliFor"));
        grid->addWidget(chkCliFor, row++, 0, 1, 2);
        cmbCliFor = new QComboBox(picopt[0]);
        cmbCliFor->setObjectName(QStringLiteral("cmbCliFor"));
        cmbCliFor->setEnabled(false);
        grid->addWidget(cmbCliFor, row++, 0, 1, 2);
        chkCount = new QCheckBox(picopt[0]);
        chkCount->setObjectName(QStringLiteral("chkCount"));
        grid->addWidget(chkCount, row++, 0, 1, 2);
        cmbCount = new QComboBox(picopt[0]);
        cmbCount->setObjectName(QStringLiteral("cmbCount"));
        cmbCount->setEnabled(false);
        grid->addWidget(cmbCount, row++, 0, 1, 2);
        grid->setRowStretch(row, 1);
        connect(chkPeriod, &QCheckBox::clicked, this, [this] { chkPeriod_Click(); });
        connect(chkCliFor, &QCheckBox::clicked, this, [this] { chkCliFor_Click(); });
        connect(chkCount, &QCheckBox::clicked, this, [this] { chkCount_Click(); });
        connect(cmbCliFor, &QComboBox::currentIndexChanged, this, [this] { EnableApply(); });
        connect(cmbCount, &QComboBox::currentIndexChanged, this, [this] { EnableApply(); });
    }

    // Grouping.
    {
        auto *box = new QVBoxLayout(picopt[1]);
        box->setContentsMargins(TwipsToPixels(120), TwipsToPixels(120), 0, 0);
        for (int i = 0; i < 2; ++i) {
            cmbGroup[i] = new QComboBox(picopt[1]);
            cmbGroup[i]->setObjectName(QStringLiteral("cmbGroup%1").arg(i));
            box->addWidget(cmbGroup[i]);
            connect(cmbGroup[i], &QComboBox::currentIndexChanged, this, [this, i] { cmbGroup_Click(i); });
        }
        box->addSpacing(TwipsToPixels(240));
        lblGroup = new QLabel(picopt[1]);
        lblGroup->setObjectName(QStringLiteral("lblGroup"));
        box->addWidget(lblGroup);
        cmbDateGroup = new QComboBox(picopt[1]);
        cmbDateGroup->setObjectName(QStringLiteral("cmbDateGroup"));
        box->addWidget(cmbDateGroup);
        connect(cmbDateGroup, &QComboBox::currentIndexChanged, this, [this] { cmbDateGroup_Click(); });
        box->addSpacing(TwipsToPixels(240));
        chkShowGroupTotals = new QCheckBox(picopt[1]);
        chkShowGroupTotals->setObjectName(QStringLiteral("chkShowGroupTotals"));
        chkShowGroupTotals->setChecked(true);
        box->addWidget(chkShowGroupTotals);
        box->addStretch(1);
        connect(chkShowGroupTotals, &QCheckBox::clicked, this, [this] { EnableApply(); });
    }

    // Report columns.
    {
        auto *box = new QVBoxLayout(picopt[2]);
        box->setContentsMargins(TwipsToPixels(120), TwipsToPixels(120), 0, 0);
        for (int i = 0; i < 4; ++i) {
            chkgexcols[i] = new QCheckBox(picopt[2]);
            chkgexcols[i]->setObjectName(QStringLiteral("chkgexcols%1").arg(i));
            chkgexcols[i]->setChecked(i == 0 || i == 3);
            box->addWidget(chkgexcols[i]);
            connect(chkgexcols[i], &QCheckBox::clicked, this, [this] { EnableApply(); });
        }
        box->addSpacing(TwipsToPixels(240));
        chkViewOptions[0] = new QCheckBox(picopt[2]);
        chkViewOptions[0]->setObjectName(QStringLiteral("chkViewOptions0"));
        box->addWidget(chkViewOptions[0]);
        box->addStretch(1);
        connect(chkViewOptions[0], &QCheckBox::clicked, this, [this] { EnableApply(); });
    }
    connect(tbs, &QTabBar::currentChanged, this, [this] { tbs_Click(); });

    sideLayout->addStretch(1);
    lblTitolo = new QLabel(side);
    lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
    sideLayout->addWidget(lblTitolo);
    txtTitolo = new QLineEdit(side);
    txtTitolo->setObjectName(QStringLiteral("txtTitolo"));
    platform::keepOnOneLine(txtTitolo);
    sideLayout->addWidget(txtTitolo);
    connect(txtTitolo, &QLineEdit::textChanged, this, [this] { EnableApply(); });
    sideLayout->addSpacing(TwipsToPixels(180));
    cmdApplica = new QPushButton(side);
    cmdApplica->setObjectName(QStringLiteral("cmdApplica"));
    cmdApplica->setAutoDefault(false);
    sideLayout->addWidget(cmdApplica);
    connect(cmdApplica, &QPushButton::clicked, this, [this] { cmdApplica_Click(); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(TwipsToPixels(30), TwipsToPixels(30), TwipsToPixels(60), TwipsToPixels(45));
    layout->addWidget(gxp, 1);
    layout->addWidget(side);

    setMinimumSize(TwipsToPixels(MinWidthTwips), TwipsToPixels(MinHeightTwips));
    resize(minimumSize());
    tbs_Click();
}

void frmPrint::Form_Load()
{
    bool loaded = false;
    try {
        m_GroupNames[0] = LRS(412);
        m_GroupNames[1] = LRS(413);
        m_GroupNames[2] = LRS(415);
        m_GroupNames[3] = LRS(416);
        m_Printer = GetDefaultPrinter();
        m_Ready = false;

        for (QComboBox *list : cmbGroup) {
            list->clear();
            for (int k = 0; k < 4; ++k)
                list->addItem(m_GroupNames[k], k);
            list->setCurrentIndex(0);
        }
        cmbGroup[0]->setEnabled(true);
        cmbGroup[1]->setEnabled(false);
        cmbDateGroup->clear();
        for (int i = 0; i < 5; ++i)
            cmbDateGroup->addItem(LRS(1660 + i), i);
        cmbDateGroup->setCurrentIndex(0);

        setWindowTitle(LRS(205));
        lblTitolo->setText(LRS(1674));
        LocalizePreview(gxp);
        const QLocale locale = platform::userLocale();
        for (int i = 0; i < 2; ++i)
            optReport[i]->setText(locale.toUpper(LRS(ReportCaptions[i])));
        for (int i = 0; i < 2; ++i)
            chkDeadlines[i]->setText(LRS(DeadlineCaptions[i]));
        for (int i = 0; i < 3; ++i)
            chkDeadlineType[i]->setText(LRS(TypeCaptions[i]));
        chkPeriod->setText(LRS(1608));
        chkCliFor->setText(LRS(1015));
        chkCount->setText(LRS(1019));
        chkShowGroupTotals->setText(LRS(1214));
        for (int i = 0; i < 3; ++i)
            tbs->setTabText(i, LRS(TabCaptions[i]));
        chkViewOptions[0]->setText(LRS(1624));
        for (int i = 0; i < 4; ++i)
            chkgexcols[i]->setText(LRS(ColumnCaptions[i]));
        lblGroup->setText(LRS(1622));
        cmdApplica->setText(LRS(1255));

        InitPeriodBounds();
        SetupReportGrid();

        gex->setRowHeight(Sheet->RowHeight());
        gexPrinter->setPrinterInfo(m_Printer);
        gexPrinter->setPrintUnit(Sheet->PrintUnits() == 1 ? GridPrinter::Inches : GridPrinter::Metric);

        chkCliFor->setEnabled(HasEntries(AccountTables::AccountsTab));
        chkCount->setEnabled(HasEntries(AccountTables::CountsTab));
        txtTitolo->setText(Sheet->Name());
        m_Ready = true;
        EnableDeadlineFilters();
        chkgexcols[CountColumn]->setChecked(!optReport[0]->isChecked());
        chkgexcols[IdColumn]->setChecked(!Env->DeadlinesShowId);
        loaded = true;
    } catch (const std::exception &e) {
        m_Ready = true;
        ShowAppError(e, WindowName, QStringLiteral("Form_Load"), __LINE__);
    }
    // The first report is shown at once; after a failed load the window opens empty, Apply enabled.
    if (loaded)
        cmdApplica_Click();
    else
        EnableApply();
}

void frmPrint::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        ShowHelpPage(this, HelpContext);
        return;
    }
    QDialog::keyPressEvent(event);
}

ReportRules::Options frmPrint::options() const
{
    Options o;
    o.kind = optReport[1]->isChecked() ? CashBook : Deadlines;
    for (int i = 0; i < 2; ++i)
        o.states[size_t(i)] = chkDeadlines[i]->isChecked();
    for (int i = 0; i < 3; ++i)
        o.types[size_t(i)] = chkDeadlineType[i]->isChecked();
    o.period = chkPeriod->isChecked();
    o.from = dtPeriod[0]->date();
    o.to = dtPeriod[1]->date();
    o.account = chkCliFor->isChecked();
    o.accountId = cmbCliFor->currentIndex() >= 0 ? cmbCliFor->currentData().toInt() : -1;
    o.accountName = cmbCliFor->currentText();
    o.count = chkCount->isChecked();
    o.countId = cmbCount->currentIndex() >= 0 ? cmbCount->currentData().toInt() : -1;
    o.countName = cmbCount->currentText();
    o.groups[0] = qMax(0, cmbGroup[0]->currentIndex());
    o.groups[1] = cmbGroup[1]->currentIndex() >= 0 ? cmbGroup[1]->currentData().toInt() : NoGroup;
    o.dateGroupMode = qMax(0, cmbDateGroup->currentIndex());
    o.showGroupTotals = chkShowGroupTotals->isChecked();
    for (int i = 0; i < 4; ++i)
        o.columns[size_t(i)] = chkgexcols[i]->isChecked();
    o.repeatHeaders = chkViewOptions[0]->isChecked();
    o.title = txtTitolo->text();
    return o;
}

// ---------------------------------------------------------------------------------------------------
// Handlers

void frmPrint::EnableApply()
{
    cmdApplica->setEnabled(true);
}

void frmPrint::cmdApplica_Click()
{
    // A period whose text is not a date is refused: the report shown stays as it is.
    if (chkPeriod->isChecked())
        for (platform::DateField *field : dtPeriod)
            if (!DateConfirmed(field, this))
                return;
    const Options before = m_applied;
    try {
        const Options o = options();
        m_ReportSql = ReportSql(o, Sheet->Id(), Env->DebitCreditToPN);
        gexPrinter->setRepeatHeaders(o.repeatHeaders);
        gexPrinter->setHeaderText(GridPrinter::Centre, o.title);
        // The pages are laid out for the longest texts their header and footer show: a page counter of
        // three digits and the filter summary of the last page.
        gexPrinter->setHeaderText(GridPrinter::Right, PageCounter(888, 888));
        gexPrinter->setFooterText(GridPrinter::Centre, FilterSummary(o));
        // The grid's answers read the options of the report it shows: these from now on.
        m_applied = o;
        ApplyReportLayout(o);
        SizeReportColumns(o);
        cmdApplica->setEnabled(false);
        gxp->updatePreview();
    } catch (const std::exception &e) {
        // The grid still shows the rows it had, with the options they were read with.
        m_applied = before;
        gexPrinter->setRepeatHeaders(before.repeatHeaders);
        gexPrinter->setHeaderText(GridPrinter::Centre, before.title);
        ShowAppError(e, WindowName, QStringLiteral("cmdApplica_Click"), __LINE__);
    }
}

void frmPrint::EnableDeadlineFilters()
{
    const bool deadlines = optReport[0]->isChecked();
    for (QCheckBox *box : chkDeadlines)
        box->setEnabled(deadlines);
    for (QCheckBox *box : chkDeadlineType)
        box->setEnabled(deadlines);
}

void frmPrint::optReport_Click(int)
{
    EnableDeadlineFilters();
    chkgexcols[CountColumn]->setChecked(!optReport[0]->isChecked());
    cmdApplica_Click();
}

void frmPrint::tbs_Click()
{
    const int shown = qBound(0, tbs->currentIndex(), 2);
    for (int i = 0; i < 3; ++i)
        picopt[i]->setVisible(i == shown);
}

void frmPrint::AtLeastOneChecked(QCheckBox *const *boxes, int count, int clicked)
{
    if (!m_Ready)
        return;
    bool any = false;
    for (int i = 0; i < count; ++i)
        any = any || boxes[i]->isChecked();
    if (!any)
        boxes[clicked]->setChecked(true);
    EnableApply();
}

void frmPrint::chkDeadlines_Click(int index)
{
    AtLeastOneChecked(chkDeadlines, 2, index);
}

void frmPrint::chkDeadlineType_Click(int index)
{
    AtLeastOneChecked(chkDeadlineType, 3, index);
}

void frmPrint::chkPeriod_Click()
{
    for (platform::DateField *picker : dtPeriod)
        picker->setEnabled(chkPeriod->isChecked());
    EnableApply();
}

void frmPrint::FillList(QCheckBox *box, QComboBox *list, const QString &sql)
{
    list->clear();
    if (box->isChecked()) {
        try {
            platform::Recordset rs;
            rs.Open(sql, Adb->dcs(), platform::Recordset::adOpenForwardOnly, platform::Recordset::adLockReadOnly,
                    platform::Recordset::adCmdText);
            while (!rs.EOF()) {
                list->addItem(NullToString(rs.value(1)), rs.value(0).toInt());
                rs.MoveNext();
            }
            rs.Close();
        } catch (const std::exception &e) {
            ShowAppError(e, WindowName, box == chkCliFor ? QStringLiteral("chkCliFor_Click")
                                                         : QStringLiteral("chkCount_Click"), __LINE__);
        }
        if (list->count() > 0)
            list->setCurrentIndex(0);
    }
    list->setEnabled(box->isChecked());
    EnableApply();
}

void frmPrint::chkCliFor_Click()
{
    FillList(chkCliFor, cmbCliFor, AccountTables::listSql(AccountTables::AccountsTab));
}

void frmPrint::chkCount_Click()
{
    FillList(chkCount, cmbCount, AccountTables::listSql(AccountTables::CountsTab));
}

void frmPrint::cmbGroup_Click(int index)
{
    if (index == 1) {
        EnableApply();
        return;
    }
    if (!m_Ready)
        return;
    QComboBox *second = cmbGroup[1];
    const QSignalBlocker quiet(second);
    second->clear();
    second->addItem(m_GroupNames[NoGroup], int(NoGroup));
    second->setCurrentIndex(0);
    second->setEnabled(false);
    const QList<int> kinds = SecondLevelKinds(cmbGroup[0]->currentIndex());
    for (int k : kinds)
        second->addItem(m_GroupNames[k], k);
    if (!kinds.isEmpty()) {
        second->setEnabled(true);
        second->setCurrentIndex(0);
    }
    EnableApply();
}

void frmPrint::cmbDateGroup_Click()
{
    if (m_Ready)
        EnableApply();
}

// ---------------------------------------------------------------------------------------------------
// The report grid

void frmPrint::SetupReportGrid()
{
    gex->setConnectionString(Adb->dcs());
    gex->setRecordSource(ReportColumnsSql());
    gex->rebind(false);

    m_list.setUpColumns(gex);
    for (int n = 1; n <= gex->columnCount(); ++n) {
        GridColumn *c = gex->column(n);
        c->setCaption(LRS(999 + n, QString()));
        c->setVisible(false);
    }
    gex->column(QStringLiteral("TrType"))->setCaption(QString());
    for (const char *key : {"TrType", "TrDescription", "TrDate"})
        gex->column(QLatin1String(key))->setVisible(true);
    gex->setRowHeight(Sheet->RowHeight());

    gex->setImageList(Icons::rowImageList());
    // The sheet's title row; with no rows at all it still heads the report.
    GridRowStyle title;
    title.name = QStringLiteral("Titolo");
    title.bold = true;
    title.foreColor = QColor(20, 45, 80);
    title.backColor = QColor(208, 219, 232);
    gex->setRowStyle(title);
    gex->setGroupRowWhenEmpty(true);

    connect(gex, &ListGrid::UnboundColumnFetch, this,
            [this](int r, int c, qint64 bm, QVariant &v) { gex_UnboundColumnFetch(r, c, bm, v); });
    connect(gex, &ListGrid::FetchIcon, this, [this](int r, int c, qint64 bm, int &i) { gex_FetchIcon(r, c, bm, i); });
    connect(gex, &ListGrid::FormatRow, this, [this](GridRowFormat &row) { gex_FormatRow(row); });
    connect(gexPrinter, &GridPrinter::BeforePrintPage, this, [this](int n, int count) { gex_BeforePrintPage(n, count); });
}

bool frmPrint::HasEntries(int tab) const
{
    platform::Recordset rs;
    rs.Open(AccountTables::listSql(tab), Adb->dcs());
    const bool any = !rs.EOF();
    rs.Close();
    return any;
}

void frmPrint::InitPeriodBounds()
{
    // An empty table, or one that cannot be read, leaves the pickers as they are.
    try {
        const TransactionsTable::DateBounds bounds = TransactionsTable::dateBounds(Adb->dcs());
        if (bounds.first.isValid())
            dtPeriod[0]->setDate(bounds.first);
        if (bounds.last.isValid())
            dtPeriod[1]->setDate(bounds.last);
    } catch (const std::exception &) {
    }
}

void frmPrint::ApplyReportLayout(const Options &o)
{
    gex->setRecordSource(m_ReportSql);
    gex->rebind(true);
    ResolveFields();

    gex->clearSortKeys();
    gex->addSortKey(QStringLiteral("TrDate"), 1);
    gex->addSortKey(QStringLiteral("TrRowId"), 1);
    gex->clearGroups();
    gex->addGroup(QStringLiteral("TrDbId"));
    for (int level : o.groups) {
        const QString key = GroupColumnKey(level);
        if (!key.isEmpty())
            gex->addGroup(key);
    }

    const bool cash = o.kind == CashBook;
    gex->column(QStringLiteral("TrDescription"))->setContent(cash ? GridColumn::TextOnly : GridColumn::IconAndText);
    gex->column(QStringLiteral("TrType"))->setVisible(!cash);
    gex->column(QStringLiteral("TrRowId"))->setVisible(o.columns[IdColumn]);
    gex->column(QStringLiteral("AcName"))->setVisible(o.columns[AccountColumn]);
    gex->column(QStringLiteral("CnName"))->setVisible(o.columns[CountColumn]);
    gex->column(QStringLiteral("TrValue"))->setVisible(!cash);
    gex->column(QStringLiteral("gexExpenses"))->setVisible(cash);
    gex->column(QStringLiteral("gexIncomes"))->setVisible(gex->column(QStringLiteral("gexExpenses"))->isVisible());
    for (const char *key : {"TrRowId", "TrDate"})
        gex->column(QLatin1String(key))->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    for (const char *key : {"TrValue", "gexIncomes", "gexExpenses"})
        gex->column(QLatin1String(key))->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    gexPrinter->setPreviewColumn(o.columns[NotesColumn] ? QStringLiteral("TrNotes") : QString());
    // Under each group of the cash book its incomes and expenses add up; the deadlines' amounts mix
    // credits and debits, so their totals stay those of the group captions.
    gexPrinter->setGroupSumColumns(cash && o.showGroupTotals
                                       ? QStringList{QStringLiteral("gexIncomes"), QStringLiteral("gexExpenses")}
                                       : QStringList());
}

void frmPrint::SizeReportColumns(const Options &o)
{
    gex->column(QStringLiteral("TrDbId"))->setWidth(330);
    int position = 1;
    for (const PrintedColumn &c : PrintedColumns(o)) {
        GridColumn *column = gex->column(QLatin1String(c.key));
        column->setWidth(c.width);
        column->setPosition(position++);
    }
    m_gridWidth = ReportGridWidth(o);
}

void frmPrint::ResolveFields()
{
    m_list.resolveFields(gex->recordset().get());
}

void frmPrint::gex_UnboundColumnFetch(int, int colIndex, qint64 bookmark, QVariant &value)
{
    // A value that cannot be read leaves its cell empty.
    try {
        m_list.computedValue(gex->recordset().get(), bookmark, colIndex, value);
    } catch (const std::exception &) {
    }
}

void frmPrint::gex_FetchIcon(int, int colIndex, qint64 bookmark, int &icon)
{
    try {
        m_list.icon(gex->recordset().get(), bookmark, colIndex, icon);
    } catch (const std::exception &) {
    }
}

void frmPrint::gex_FormatRow(GridRowFormat &row)
{
    const Options &o = m_applied;
    if (row.isRecord()) {
        // Asked for every record when the pages are laid out: read from the record by field index.
        if (TransactionsList::field(gex->recordset().get(), row.bookmark(), m_list.fields().TrType).toInt() == -2)
            row.setCellText(QStringLiteral("TrValue"), QString());
        return;
    }
    if (!row.isGroupHeader() || !row.groupColumn())
        return;
    const QString key = row.groupColumn()->key();
    QString caption = row.caption();
    if (key == QLatin1String("TrDbId")) {
        caption = Sheet->Name();
        row.setRowHeight(qRound(Sheet->RowHeight() * 1.2));
        row.setStyle(QStringLiteral("Titolo"));
    } else if (key == QLatin1String("AcName")) {
        if (Env->DeadlinesShowGroupTotals && NullToString(row.groupValue()).isEmpty())
            caption = LRS(1054);
    } else if (key == QLatin1String("gexDateGroup")) {
        caption = DateGroupCaption(o.dateGroupMode, row.groupValue().toInt(),
                                   TransactionsList::dateOf(row.value(QStringLiteral("TrDate"))));
    }
    if (o.showGroupTotals) {
        caption += TotalSuffix(row.groupSum(QStringLiteral("gexTotals")));
    }
    row.setCaption(caption);
}

void frmPrint::gex_BeforePrintPage(int pageNumber, int pageCount)
{
    gexPrinter->setHeaderText(GridPrinter::Right, PageCounter(pageNumber, pageCount));
    gexPrinter->setFooterText(GridPrinter::Centre, pageNumber == pageCount ? FilterSummary(m_applied) : QString());
}
