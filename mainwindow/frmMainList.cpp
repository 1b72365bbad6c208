// The main list: its set-up and rebuild, the grid's answers (computed values, icons, row formats, the date
// header), the notes of the current row, the command state, and the search.

#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainParts.h"

#include "foundation/Globals.h"
#include "foundation/Icons.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/grid/GridFormat.h"
#include "foundation/grid/GridRowFormat.h"
#include "foundation/grid/TextLines.h"
#include "foundation/modShared.h"
#include "platform/Clock.h"
#include "platform/controls/MonthView.h"
#include "platform/database/TextFold.h"
#include "platform/shell/Shell.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>

#include <utility>

using frmMainParts::Unbind;
using frmMainParts::WindowName;

// ---------------------------------------------------------------------------------------------------
// Set-up and rebuild

void frmMain::InitEnvironment()
{
    ListRebuild rebuild(this, nullptr, true);
    m_today = platform::today();
    lblTitle->setText(Sheet->Name());
    mv->setLocale(platform::userLocale());
    mv->setValue(m_today);
    mv->setStartOfWeek(Env->StartOfWeek());
    gextasks->setRowHeight(Sheet->RowHeight());

    gex->setConnectionString(Adb->dcs());
    gex->setRecordSource(MainListRules::GridColumnsSql());
    gex->rebind(false);
    rsGrid = gex->recordset();

    m_list.setUpColumns(gex);
    // Widths in twips; the description and the names share the rest of the grid's width.
    const std::pair<const char *, int> widths[] = {
        {"TrRowId", 800}, {"TrDbId", 330}, {"TrType", 330}, {"TrDate", 1460}, {"TrDescription", 3000},
        {"TrValue", 1660}, {"AcName", 2000}, {"CnName", 2000}, {"TrAttached", 330}, {"gexIncomes", 1360},
        {"gexExpenses", 1360}};
    for (const auto &[key, twips] : widths)
        gex->column(QLatin1String(key))->setWidth(twips);
    for (int i = 1; i <= gex->columnCount(); ++i) {
        gex->column(i)->setCaption(QString());
        gex->column(i)->setTag(QString());
    }
    const std::pair<const char *, int> tags[] = {{"TrRowId", 1000}, {"TrDate", 1004}, {"TrDescription", 1005},
                                                 {"TrValue", 1007}, {"AcName", 1015}, {"CnName", 1019},
                                                 {"gexIncomes", 1023}, {"gexExpenses", 1024}};
    for (const auto &[key, id] : tags)
        gex->column(QLatin1String(key))->setTag(QString::number(id));

    // Display order; the view decides which of them are visible.
    const char *order[] = {"TrRowId", "TrType", "TrDate", "TrDescription", "AcName", "CnName",
                           "TrValue", "gexIncomes", "gexExpenses", "TrAttached"};
    int position = 1;
    for (const char *key : order)
        gex->column(QLatin1String(key))->setPosition(position++);
    for (int i = 1; i <= gex->columnCount(); ++i) {
        GridColumn *c = gex->column(i);
        if (c->position() > int(std::size(order)))
            c->setVisible(false);
    }

    gex->setRowHeight(Sheet->RowHeight());

    MainListRules::BuildFilterConditions(FilterTable, Env->DebitCreditToPN, m_today);
    rebuild.end();
    // Another data sheet, database folder or setting: the bold days are those of the new data.
    mv->refreshDayBold();
}

void frmMain::ResolveFields()
{
    m_list.resolveFields(rsGrid.get());
}

void frmMain::gexUpdate()
{
    const int sheetId = Sheet->Id();
    const int view = MainListRules::validView(curView);
    const QString tail = MainListRules::GridTail(sheetId, FilterTable[size_t(view)][size_t(currentFilterIndex() + 6)]);
    const ListRebuild rebuild(this, gex, true);
    gex->setRecordSource(MainListRules::BuildGridSql(tail));
    // The grid lets the rows of the last list go before it reads the new ones: so does the window.
    rsGrid.reset();
    try {
        gex->rebind(true);
    } catch (...) {
        // No rows, in the columns of the view chosen.
        EmptyLists();
        ApplyColumnVisibility();
        throw;
    }
    rsGrid = gex->recordset();
    ResolveFields();
    // Emptying the search box ends any search of the previous list.
    txtFind->clear();
    SetGridSortKeys(curView == 1 ? curDatePnSorting : curDateSorting);
    gex->clearGroups();
    gex->addGroup(QStringLiteral("TrDbId"));
    SetGroupColumn();
    ApplyColumnVisibility();
    interfaceUpdate();
}

void frmMain::EmptyLists()
{
    Unbind(gex);
    Unbind(gextasks);
    rsGrid.reset();
    ResolveFields();
    txtFind->clear();
    // The calendar shows no days with rows either, rather than those of the list before.
    mv->clearDayBold();
    interfaceUpdate();
}

void frmMain::SetGroupColumn()
{
    const QString key = MainListRules::groupColumnKey(currentGroupIndex());
    if (!key.isEmpty())
        gex->addGroup(key);
}

void frmMain::ApplyColumnVisibility()
{
    const bool cash = curView == 1;
    gex->column(QStringLiteral("TrRowId"))->setVisible(Env->DeadlinesShowId);
    gex->column(QStringLiteral("CnName"))->setVisible(cash);
    gex->column(QStringLiteral("gexIncomes"))->setVisible(cash);
    gex->column(QStringLiteral("gexExpenses"))->setVisible(cash);
    gex->column(QStringLiteral("TrValue"))->setVisible(!cash);
    gex->column(QStringLiteral("TrType"))->setVisible(!cash);
    gex->column(QStringLiteral("TrDescription"))->setContent(cash ? GridColumn::TextOnly : GridColumn::IconAndText);
}

void frmMain::SetGridSortKeys(int direction)
{
    gex->clearSortKeys();
    gex->addSortKey(QStringLiteral("TrDate"), direction);
    gex->addSortKey(QStringLiteral("TrRowId"), direction);
}

void frmMain::gexFind(int Id)
{
    gex->find(QStringLiteral("TrRowId"), Id);
}

void frmMain::RefreshList()
try {
    gexUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("RefreshList"), 0);
}

// ---------------------------------------------------------------------------------------------------
// The grid's answers

void frmMain::gex_UnboundColumnFetch(int, int colIndex, qint64 bookmark, QVariant &value)
{
    m_list.computedValue(rsGrid.get(), bookmark, colIndex, value);
}

void frmMain::gex_FetchIcon(int, int colIndex, qint64 bookmark, int &icon)
{
    m_list.icon(rsGrid.get(), bookmark, colIndex, icon);
}

void frmMain::gex_FormatRow(GridRowFormat &row)
{
    if (row.isGroupHeader()) {
        const QString groupKey = row.groupColumn() ? row.groupColumn()->key() : QString();
        QString caption;
        if (groupKey == QLatin1String("TrDbId")) {
            caption = QLatin1Char(' ') + LRS(curView == 1 ? 1673 : 1672) + QLatin1Char(' ') + QChar(0x2022)
                      + cmbFilter->currentText();
        } else if (groupKey == QLatin1String("AcName") || groupKey == QLatin1String("CnName")) {
            const QString name = row.groupValue().toString();
            caption = QLatin1Char(' ') + (name.isEmpty() ? LRS(1054) : name);
        } else if (groupKey == QLatin1String("gexDateGroup")) {
            if (currentGroupIndex() == 1)
                caption = QLatin1Char(' ') + LRS(1060 + row.groupValue().toInt());
            else
                caption = QLatin1Char(' ')
                          + platform::userLocale().toString(row.value(QStringLiteral("TrDate")).toDate(),
                                                            QStringLiteral("MMMM yyyy"));
        } else {
            caption = row.groupCaption();
        }
        if (Env->DeadlinesShowGroupTotals) {
            // An empty group sums to 0; a sum too large for an amount says so.
            const QVariant sum = row.groupSum(QStringLiteral("gexTotals"));
            caption += QStringLiteral(" [") + formatNamed(sum, QStringLiteral("Currency")) + QLatin1Char(']');
        }
        row.setCaption(caption);
        return;
    }
    if (!row.isRecord())
        return;
    if (NullToString(row.value(QStringLiteral("AcName"))).isEmpty())
        row.setCellText(QStringLiteral("AcName"), LRS(1054));
    const int filter = currentFilterIndex();
    if (MainListRules::hidesAmount(curView, filter, row.value(QStringLiteral("TrType")).toInt()))
        row.setCellText(QStringLiteral("TrValue"), QString());
    const auto style = MainListRules::recordStyle(curView, filter, row.value(QStringLiteral("TrDone")).toBool(),
                                                  row.value(QStringLiteral("TrDate")).toDate(),
                                                  row.value(QStringLiteral("TrAlertDays")).toInt(), m_today);
    if (style == MainListRules::Expired)
        row.setStyle(QStringLiteral("Expired"));
    else if (style == MainListRules::Barrato)
        row.setStyle(QStringLiteral("barrato"));
}

void frmMain::gex_ColumnHeaderClick(GridColumn *column)
{
    if (!column || column->key() != QLatin1String("TrDate"))
        return;
    const int direction = column->sortOrder() == 1 ? -1 : 1;
    SetGridSortKeys(direction);
    if (curView == 1)
        curDatePnSorting = direction;
    else
        curDateSorting = direction;
}

void frmMain::ResizeGridColumns()
{
    if (!gex->hasColumn(QStringLiteral("TrDate")))
        return;
    const auto w = MainListRules::sharedColumnWidths(
        curView, PixelsToTwips(gex->width()), Env->DeadlinesShowId, Sheet->sysVerticalBarWidth(), gex->columnCount(),
        gex->column(QStringLiteral("TrDate"))->width(), gex->column(QStringLiteral("TrValue"))->width(),
        gex->column(QStringLiteral("gexIncomes"))->width());
    auto setWidth = [this](const char *key, double twips) {
        gex->column(QLatin1String(key))->setWidth(qMax(300, int(twips)));
    };
    setWidth("TrDescription", w.description);
    setWidth("AcName", w.account);
    if (curView == 1)
        setWidth("CnName", w.count);
}

void frmMain::PlaceNoRecsText()
{
    // Over the middle of the grid.
    txtNoRecs->setGeometry(gex->rect().adjusted(20, gex->height() / 3, -20, -gex->height() / 3));
    txtNoRecs->raise();
}

// ---------------------------------------------------------------------------------------------------
// Notes of the current row

void frmMain::gex_RowColChange(int lastRow, int)
{
    if (gex->row() != lastRow)
        ShowNotesOfCurrentRow();
}

void frmMain::ShowNotesOfCurrentRow()
{
    // A group row has no notes of its own.
    const GridRowData picked = gex->rowData(gex->row());
    const bool record = picked.isRecord();
    m_deadlineNotes = record ? NullToString(picked.value(QStringLiteral("TrNotes"))) : QString();
    m_accNotes = record ? NullToString(picked.value(QStringLiteral("AcNotes"))) : QString();
    // The whole note stands in the tooltip; a tooltip takes rich text, so the note goes in escaped.
    for (auto [label, text] : {std::pair{lblDeadlineNotes, &m_deadlineNotes}, std::pair{lblAccNotes, &m_accNotes}})
        label->setToolTip(text->isEmpty() ? QString() : Qt::convertFromPlainText(*text, Qt::WhiteSpaceNormal));
    FitNotes();
}

int frmMain::NoteLines(const QLabel *label) const
{
    return label == lblDeadlineNotes ? 2 : 1;
}

void frmMain::FitNotes()
{
    for (auto [l, text] : {std::pair{lblDeadlineNotes, &m_deadlineNotes}, std::pair{lblAccNotes, &m_accNotes}}) {
        const int width = l->contentsRect().width();
        l->setText(TextLines(*text, l->font(), nullptr, qMax(1, width), NoteLines(l)).join(QLatin1Char('\n')));
    }
}

// ---------------------------------------------------------------------------------------------------
// Command state and search

void frmMain::interfaceUpdate()
{
    const bool empty = !rsGrid || rsGrid->RecordCount() == 0;
    // A list that could not be read tells nothing about the rows there are.
    txtNoRecs->setVisible(empty && rsGrid);
    if (empty && rsGrid) {
        // The texts tell an empty sheet from an empty list. Rows the list read, all hidden by the search, are
        // rows of the sheet; else its first row in either view, if any, tells.
        bool sheetHasRows = rsGrid->loadedRowCount() > 0;
        if (!sheetHasRows) {
            platform::Recordset rs;
            rs.setMaxRecords(1);
            rs.Open(MainListRules::SheetRowsSql(Sheet->Id()), Adb->dcs(), platform::Recordset::adOpenForwardOnly,
                    platform::Recordset::adLockReadOnly, platform::Recordset::adCmdText);
            sheetHasRows = !rs.EOF();
            rs.Close();
        }
        txtNoRecs->setText(LRS(sheetHasRows ? 991 : 990));
        PlaceNoRecsText();
    }
    for (QAction *a : {tb[1]->actions().value(0), tb[2]->actions().value(0), mnuRecord[1], mnuRecord[2], m_expandAll})
        if (a)
            a->setEnabled(!empty);
    m_collapseAll->setEnabled(m_expandAll->isEnabled());
    ShowNotesOfCurrentRow();
    UpdateSearchButton();
    sbPanel2->setText(QDir::toNativeSeparators(Adb->dbPath()));
}

void frmMain::txtFind_Change()
try {
    // The term the rows pass now; none from here until the filter holds the new one.
    const QString before = std::exchange(m_searchTerm, QString());
    if (!rsGrid)
        return;
    const QString s = txtFind->text().trimmed();
    const QString q = s.size() < 2 ? QString() : SqlQuote(s);
    const QString filter = q.isEmpty() ? QString() : MainListRules::SearchFilter(q);
    if (filter == rsGrid->Filter()) {
        // The rows shown pass the search already (a first letter, a space at an end): only the button
        // changes with the text.
        m_searchTerm = q;
        UpdateSearchButton();
        return;
    }
    // A row that holds the longer text holds the shorter one it grew from: a key typed at the end of the
    // search tests only the rows that pass now.
    const bool narrower = !q.isEmpty() && !before.isEmpty() && platform::foldText(q).contains(platform::foldText(before));
    rsGrid->setFilter(filter, narrower ? platform::Recordset::PassingRows : platform::Recordset::AllRows);
    m_searchTerm = q;
    gex->refetch();
    interfaceUpdate();
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("txtFind_Change"), 0);
}

void frmMain::UpdateSearchButton()
{
    // The button by the search box clears a term typed, else takes the user into the box.
    const bool searching = !txtFind->text().isEmpty();
    imgSearch->setIcon(Icons::searchImageList().value(searching ? 1 : 0));
    imgSearch->setToolTip(LRS(searching ? 2392 : 2390));
    imgSearch->setAccessibleName(imgSearch->toolTip());
}

void frmMain::imgSearch_Click()
{
    if (txtFind->text().isEmpty())
        txtFind->setFocus();
    else
        txtFind->clear();
}
