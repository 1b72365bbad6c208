// The report window on a filled database: what it shows on opening, how its options change the report
// (at once for the report kind, on Apply for the rest), the period typed in the user's locale or refused
// with the reason, the lists of accounts and counts, the grouping
// levels, and the printed report: title, page counter, group captions with totals, the filter summary
// on the last page only, and every column caption and the largest amount whole in the five languages.

#include "ReportsFixture.h"
#include "tests/editors/ModalSteps.h"

#include "foundation/grid/GridFormat.h"
#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridPreview.h"
#include "foundation/grid/GridPrinter.h"
#include "foundation/grid/ListGrid.h"
#include "platform/controls/DateField.h"
#include "platform/database/Connection.h"
#include "reports/frmPrint.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace ReportRules;
using platform::Currency;

namespace {

QStringList shownColumns(ListGrid *grid)
{
    QStringList keys;
    for (GridColumn *c : grid->columnsInDisplayOrder())
        if (c->isVisible())
            keys << c->key();
    return keys;
}

QStringList groupKeys(ListGrid *grid)
{
    grid->rowCount();
    QStringList keys;
    for (GridColumn *c : grid->groupColumns())
        keys << c->key();
    return keys;
}

// The caption the report prints for a grid row (group rows).
QString printedCaption(ListGrid *grid, int row)
{
    grid->rowCount();
    return grid->model()->rowFormat(grid->model()->rowRef(row - 1)).caption;
}

// The record row whose description starts with text; 0 when none.
// The stored descriptions of the rows listed, sorted (a series's rows once each).
QStringList listed(ListGrid *grid)
{
    const auto rs = grid->recordset();
    const int field = rs->fieldIndex(QStringLiteral("TrDescription"));
    QStringList out;
    for (int r = 1; r <= grid->rowCount(); ++r) {
        const GridRowData d = grid->rowData(r);
        const QString description = d.isRecord() ? rs->valueAt(d.bookmark(), field).toString() : QString();
        if (!description.isEmpty() && !out.contains(description))
            out << description;
    }
    out.sort();
    return out;
}

int rowOf(ListGrid *grid, const QString &description)
{
    for (int r = 1; r <= grid->rowCount(); ++r) {
        const GridRowData d = grid->rowData(r);
        if (d.isRecord() && d.value(QStringLiteral("TrDescription")).toString().startsWith(description))
            return r;
    }
    return 0;
}

} // namespace

class TestFrmPrint : public QObject
{
    Q_OBJECT

private slots:
    void openingShowsTheOpenDeadlines_data();
    void openingShowsTheOpenDeadlines();
    void rowsAsTheReportPrintsThem();
    void lastStateOrTypeBoxStaysChecked();
    void reportKindAppliesAtOnce_data();
    void reportKindAppliesAtOnce();
    void otherOptionsWaitForApply();
    void periodTypedInTheLocale_data();
    void periodTypedInTheLocale();
    void secondGroupingLevelOffersTheOtherKinds();
    void accountAndCountLists();
    void printedReport();
    void printedHeadersAndAmountsWhole_data();
    void printedHeadersAndAmountsWhole();
    void previewDrawsThePagesItShows();
    void closeButtonUnloads();
    void failedPrintIsTold_data();
    void failedPrintIsTold();
    void printToAFullDiskIsTold_data();
    void printToAFullDiskIsTold();
};

void TestFrmPrint::openingShowsTheOpenDeadlines_data()
{
    QTest::addColumn<bool>("deadlinesShowId");
    QTest::newRow("main list without ids: the report shows them") << false;
    QTest::newRow("main list with ids: the report leaves them out") << true;
}

void TestFrmPrint::openingShowsTheOpenDeadlines()
{
    QFETCH(bool, deadlinesShowId);
    ReportsFixture f;
    Env->DeadlinesShowId = deadlinesShowId;
    frmPrint w;

    QCOMPARE(w.windowTitle(), QStringLiteral("Print"));
    QCOMPARE(w.optReport[1]->text(), QStringLiteral("PETTY CASH BOOK"));
    QVERIFY(w.optReport[0]->isChecked());
    // The open deadlines of the sheet.
    QCOMPARE(listed(w.gex), (QStringList{QStringLiteral("Electricity bill"), QStringLiteral("Insurance"),
                                         QStringLiteral("Invoice 118"), QStringLiteral("Invoice 121"),
                                         QStringLiteral("Meeting with accountant"), QStringLiteral("Rent")}));
    QCOMPARE(w.gex->recordCount(), 9);
    QVERIFY(w.chkDeadlines[0]->isChecked() && !w.chkDeadlines[1]->isChecked());
    for (QCheckBox *box : w.chkDeadlineType)
        QVERIFY(box->isChecked() && box->isEnabled());
    QVERIFY(!w.chkPeriod->isChecked() && !w.dtPeriod[0]->isEnabled());
    // The period pickers span the dates of every data sheet.
    QCOMPARE(w.dtPeriod[0]->date(), QDate(2025, 1, 1));
    QCOMPARE(w.dtPeriod[1]->date(), QDate(2025, 6, 1));
    QVERIFY(!w.chkCliFor->isChecked() && w.chkCliFor->isEnabled());
    QVERIFY(!w.cmbCliFor->isEnabled());
    QCOMPARE(w.cmbGroup[0]->currentText(), QStringLiteral("No Grouping"));
    QVERIFY(!w.cmbGroup[1]->isEnabled());
    QCOMPARE(w.cmbDateGroup->count(), 5);
    QCOMPARE(w.cmbDateGroup->currentText(), QStringLiteral("Period"));
    QVERIFY(w.chkShowGroupTotals->isChecked() && !w.chkViewOptions[0]->isChecked());
    QCOMPARE(w.txtTitolo->text(), Sheet->Name());
    QVERIFY(w.chkgexcols[AccountColumn]->isChecked() && w.chkgexcols[NotesColumn]->isChecked());
    QVERIFY(!w.chkgexcols[CountColumn]->isChecked());
    QCOMPARE(w.chkgexcols[IdColumn]->isChecked(), !deadlinesShowId);
    QVERIFY(!w.cmdApplica->isEnabled());

    // The report itself: the open deadlines of the sheet under the sheet's title row.
    QCOMPARE(w.gex->recordCount(), 9);
    QCOMPARE(groupKeys(w.gex), QStringList{QStringLiteral("TrDbId")});
    QStringList expected = {QStringLiteral("TrType"), QStringLiteral("TrRowId"), QStringLiteral("TrDescription"),
                            QStringLiteral("AcName"), QStringLiteral("TrValue"), QStringLiteral("TrDate")};
    if (deadlinesShowId)
        expected.removeOne(QStringLiteral("TrRowId"));
    QCOMPARE(shownColumns(w.gex), expected);
    QCOMPARE(w.gexPrinter->headerText(GridPrinter::Centre), Sheet->Name());
    QCOMPARE(w.gexPrinter->previewColumn(), QStringLiteral("TrNotes"));
    QVERIFY(!w.gexPrinter->repeatHeaders());
    QCOMPARE(w.gxp->pageCount(), 1);
    QCOMPARE(w.gridWidth(), 330 + 330 + 5420 + 2960 + 1180 + 1420 + (deadlinesShowId ? 0 : 800));
}

void TestFrmPrint::rowsAsTheReportPrintsThem()
{
    ReportsFixture f;
    frmPrint w;
    ListGrid *gex = w.gex;
    GridModel *model = gex->model();

    // The title row: the sheet's name, taller, in the title style, with the total of the open deadlines.
    const GridRowData title = gex->rowData(1);
    QVERIFY(title.isGroupHeader());
    Currency total;
    for (int r = 2; r <= gex->rowCount(); ++r)
        total += gex->rowData(r).value(QStringLiteral("TrBalance")).value<Currency>();
    QCOMPARE(printedCaption(gex, 1), Sheet->Name() + QStringLiteral(" [")
                                         + formatNamed(QVariant::fromValue(total), QStringLiteral("Currency")) + QLatin1Char(']'));
    QCOMPARE(model->rowFormat(model->rowRef(0)).style, QStringLiteral("Titolo"));
    QCOMPARE(model->rowFormat(model->rowRef(0)).heightTwips, qRound(Sheet->RowHeight() * 1.2));

    // An appointment prints no amount and its own icon; a series row its counter and the series icon.
    const int meeting = rowOf(gex, QStringLiteral("Meeting with accountant"));
    QVERIFY(meeting > 0);
    QCOMPARE(gex->rowData(meeting).text(QStringLiteral("TrValue")), QString());
    const GridModel::RowRef meetingRef = model->rowRef(meeting - 1);
    QCOMPARE(model->iconOf(meetingRef, gex->column(QStringLiteral("TrType"))->index()), 7);
    const int rent = rowOf(gex, QStringLiteral("Rent"));
    QCOMPARE(gex->rowData(rent).value(QStringLiteral("TrDescription")).toString(), QStringLiteral("Rent 3of6"));
    QCOMPARE(model->iconOf(model->rowRef(rent - 1), gex->column(QStringLiteral("TrDescription"))->index()), 9);
    QCOMPARE(gex->rowData(rent).text(QStringLiteral("TrValue")), QStringLiteral("$750.00"));

    // Closed deadlines print the closed icons and add nothing to the totals.
    w.chkDeadlines[1]->click();
    w.chkDeadlines[0]->click();
    w.cmdApplica_Click();
    QCOMPARE(gex->recordCount(), 5);
    QCOMPARE(printedCaption(gex, 1), Sheet->Name() + QStringLiteral(" [$0.00]"));
    const int dentist = rowOf(gex, QStringLiteral("Dentist"));
    QCOMPARE(model->iconOf(model->rowRef(dentist - 1), gex->column(QStringLiteral("TrType"))->index()), 12);
    const int paidRent = rowOf(gex, QStringLiteral("Rent"));
    QCOMPARE(model->iconOf(model->rowRef(paidRent - 1), gex->column(QStringLiteral("TrDescription"))->index()), 13);
}

void TestFrmPrint::lastStateOrTypeBoxStaysChecked()
{
    ReportsFixture f;
    frmPrint w;
    w.chkDeadlines[0]->click();
    QVERIFY(w.chkDeadlines[0]->isChecked());
    QVERIFY(w.cmdApplica->isEnabled());

    w.chkDeadlineType[0]->click();
    w.chkDeadlineType[2]->click();
    QVERIFY(!w.chkDeadlineType[0]->isChecked());
    QVERIFY(!w.chkDeadlineType[2]->isChecked());
    w.chkDeadlineType[1]->click();
    QVERIFY(w.chkDeadlineType[1]->isChecked());
    w.cmdApplica->click();
    // The open debits.
    QCOMPARE(listed(w.gex),
             (QStringList{QStringLiteral("Electricity bill"), QStringLiteral("Insurance"), QStringLiteral("Rent")}));
    QCOMPARE(w.gex->recordCount(), 6);
}

void TestFrmPrint::reportKindAppliesAtOnce_data()
{
    QTest::addColumn<bool>("debitCreditToPN");
    QTest::addColumn<QStringList>("movements");
    QTest::addColumn<int>("records");
    QTest::newRow("closed deadlines count as movements")
        << true
        << QStringList{QStringLiteral("Invoice 102"), QStringLiteral("Office rent deposit"), QStringLiteral("Rent"),
                       QStringLiteral("Sale at the counter"), QStringLiteral("Stationery")}
        << 6;
    QTest::newRow("movements only") << false
                                    << QStringList{QStringLiteral("Sale at the counter"), QStringLiteral("Stationery")}
                                    << 2;
}

void TestFrmPrint::reportKindAppliesAtOnce()
{
    QFETCH(bool, debitCreditToPN);
    QFETCH(QStringList, movements);
    QFETCH(int, records);
    ReportsFixture f;
    Env->DebitCreditToPN = debitCreditToPN;
    frmPrint w;
    w.chkDeadlines[1]->click();   // changed, not applied: the switch applies it with the rest
    w.optReport[1]->click();

    QCOMPARE(listed(w.gex), movements);
    QCOMPARE(w.gex->recordCount(), records);
    QVERIFY(!w.cmdApplica->isEnabled());
    for (QCheckBox *box : w.chkDeadlines)
        QVERIFY(!box->isEnabled());
    for (QCheckBox *box : w.chkDeadlineType)
        QVERIFY(!box->isEnabled() && box->isChecked());
    QVERIFY(w.chkDeadlines[1]->isChecked());
    QVERIFY(w.chkgexcols[CountColumn]->isChecked());
    QCOMPARE(shownColumns(w.gex),
             (QStringList{QStringLiteral("TrRowId"), QStringLiteral("TrDescription"), QStringLiteral("AcName"),
                          QStringLiteral("CnName"), QStringLiteral("gexIncomes"), QStringLiteral("gexExpenses"),
                          QStringLiteral("TrDate")}));
    QCOMPARE(w.gexPrinter->groupSumColumns(),
             (QStringList{QStringLiteral("gexIncomes"), QStringLiteral("gexExpenses")}));

    // Incomes and expenses fall in their own columns.
    const int sale = rowOf(w.gex, QStringLiteral("Sale at the counter"));
    QCOMPARE(w.gex->rowData(sale).text(QStringLiteral("gexIncomes")), QStringLiteral("$150.00"));
    QCOMPARE(w.gex->rowData(sale).text(QStringLiteral("gexExpenses")), QString());
    const int stationery = rowOf(w.gex, QStringLiteral("Stationery"));
    QCOMPARE(w.gex->rowData(stationery).text(QStringLiteral("gexExpenses")), QStringLiteral("$42.10"));

    // Back to the deadlines, open and closed as the boxes now say.
    w.optReport[0]->click();
    QCOMPARE(listed(w.gex),
             (QStringList{QStringLiteral("Dentist"), QStringLiteral("Electricity bill"), QStringLiteral("Insurance"),
                          QStringLiteral("Invoice 102"), QStringLiteral("Invoice 118"), QStringLiteral("Invoice 121"),
                          QStringLiteral("Meeting with accountant"), QStringLiteral("Office rent deposit"),
                          QStringLiteral("Rent")}));
    QVERIFY(w.chkDeadlines[0]->isEnabled());
    QVERIFY(!w.chkgexcols[CountColumn]->isChecked());
    QVERIFY(w.gexPrinter->groupSumColumns().isEmpty());
}

void TestFrmPrint::otherOptionsWaitForApply()
{
    ReportsFixture f;
    frmPrint w;
    const QString sheetName = Sheet->Name();
    w.txtTitolo->setText(QStringLiteral("Quarterly review"));
    w.chkgexcols[AccountColumn]->click();
    w.cmbGroup[0]->setCurrentIndex(ByDate);
    w.cmbDateGroup->setCurrentIndex(ByMonth);
    w.chkViewOptions[0]->click();
    QVERIFY(w.cmdApplica->isEnabled());
    // The shown report is the one of the last Apply.
    QCOMPARE(w.gexPrinter->headerText(GridPrinter::Centre), sheetName);
    QVERIFY(shownColumns(w.gex).contains(QStringLiteral("AcName")));
    QCOMPARE(groupKeys(w.gex), QStringList{QStringLiteral("TrDbId")});
    QVERIFY(!w.gexPrinter->repeatHeaders());

    QTest::mouseClick(w.cmdApplica, Qt::LeftButton);
    QVERIFY(!w.cmdApplica->isEnabled());
    QCOMPARE(w.gexPrinter->headerText(GridPrinter::Centre), QStringLiteral("Quarterly review"));
    QVERIFY(!shownColumns(w.gex).contains(QStringLiteral("AcName")));
    QCOMPARE(groupKeys(w.gex), (QStringList{QStringLiteral("TrDbId"), QStringLiteral("gexDateGroup")}));
    QVERIFY(w.gexPrinter->repeatHeaders());
    // Month groups in time order, each with its total.
    QStringList months;
    for (int r = 1; r <= w.gex->rowCount(); ++r)
        if (w.gex->rowData(r).groupLevel() == 2)
            months << printedCaption(w.gex, r).section(QLatin1Char('['), 0, 0).trimmed();
    QCOMPARE(months, (QStringList{QStringLiteral("March 2025"), QStringLiteral("April 2025"),
                                  QStringLiteral("May 2025"), QStringLiteral("June 2025")}));

    // Without group totals the captions carry no brackets.
    w.chkShowGroupTotals->click();
    w.cmdApplica->click();
    QCOMPARE(printedCaption(w.gex, 2), QStringLiteral(" March 2025"));
    QCOMPARE(printedCaption(w.gex, 1), sheetName);
}

void TestFrmPrint::periodTypedInTheLocale_data()
{
    using namespace testenv;
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QDate>("first");    // of the period applied; invalid: refused
    QTest::addColumn<QString>("reason"); // the message of a refusal
    QTest::newRow("en_US") << enUS << "3/1/2025" << "3/31/25" << QDate(2025, 3, 1) << "";
    QTest::newRow("it_IT") << itIT << "1/4/25" << "30/04/2025" << QDate(2025, 4, 1) << "";
    QTest::newRow("de_DE") << deDE << "1.5.2025" << "31.5.25" << QDate(2025, 5, 1) << "";
    QTest::newRow("en_US, day 32") << enUS << "3/1/2025" << "3/32/2025" << QDate()
                                   << "The date is not valid. Write it like 12/31/2025.";
    QTest::newRow("es_ES, no such day") << esES << "31/4/2025" << "31/5/2025" << QDate()
                                        << "That month has no such day: its last day is 30/4/2025.";
}

void TestFrmPrint::periodTypedInTheLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QDate, first);
    QFETCH(QString, reason);
    ReportsFixture f(0, locale);
    frmPrint w;
    w.show();
    QApplication::setActiveWindow(&w);
    const QString before = w.m_ReportSql;
    w.chkPeriod->click();
    for (int i = 0; i < 2; ++i) {
        w.dtPeriod[i]->setFocus();
        QTest::keyClicks(w.dtPeriod[i], i == 0 ? from : to);
    }
    w.cmdApplica->click();
    if (!first.isValid()) {
        // Told why; the report shown stays the one of the last Apply, and the focus goes to the date refused.
        QCOMPARE(f.box->requests().size(), 1);
        QCOMPARE(f.box->requests()[0].text, reason);
        QCOMPARE(w.m_ReportSql, before);
        QVERIFY(!w.appliedOptions().period);
        QVERIFY(w.cmdApplica->isEnabled());
        QVERIFY(w.dtPeriod[w.dtPeriod[0]->date().isValid() ? 1 : 0]->hasFocus());
        return;
    }
    QVERIFY(f.box->requests().isEmpty());
    // The whole month typed, and only the rows dated in it.
    QVERIFY(w.appliedOptions().period);
    QCOMPARE(w.appliedOptions().from, first);
    QCOMPARE(w.appliedOptions().to, first.addMonths(1).addDays(-1));
    for (int r = 1; r <= w.gex->rowCount(); ++r) {
        const GridRowData d = w.gex->rowData(r);
        if (d.isRecord()) {
            const QDate date = d.value(QStringLiteral("TrDate")).toDate();
            QVERIFY2(date >= first && date < first.addMonths(1), qPrintable(date.toString(Qt::ISODate)));
        }
    }
    QVERIFY(!w.cmdApplica->isEnabled());
}

void TestFrmPrint::secondGroupingLevelOffersTheOtherKinds()
{
    ReportsFixture f;
    frmPrint w;
    w.cmbGroup[0]->setCurrentIndex(ByDate);
    QComboBox *second = w.cmbGroup[1];
    QVERIFY(second->isEnabled());
    QCOMPARE(second->count(), 3);
    QCOMPARE(second->itemText(0), QStringLiteral("No Grouping"));
    QCOMPARE(second->itemText(1), QStringLiteral("Group by Client/Supplier"));
    QCOMPARE(second->itemData(1).toInt(), int(ByAccount));
    QCOMPARE(second->itemData(2).toInt(), int(ByCount));
    QCOMPARE(second->currentIndex(), 0);

    second->setCurrentIndex(1);
    w.cmdApplica->click();
    QCOMPARE(groupKeys(w.gex),
             (QStringList{QStringLiteral("TrDbId"), QStringLiteral("gexDateGroup"), QStringLiteral("AcName")}));
    // An account group's caption is the grid's own, with its total; a group without account is "(none)".
    QStringList accounts;
    for (int r = 1; r <= w.gex->rowCount(); ++r)
        if (w.gex->rowData(r).groupLevel() == 3)
            accounts << printedCaption(w.gex, r);
    QVERIFY(accounts.contains(QStringLiteral("Client/Supplier: Rossi Forniture [$1,200.50]")));
    QVERIFY(accounts.contains(QStringLiteral("(none) [($510.00)]")));

    w.cmbGroup[0]->setCurrentIndex(NoGroup);
    QCOMPARE(second->count(), 1);
    QVERIFY(!second->isEnabled());
    w.cmdApplica->click();
    QCOMPARE(groupKeys(w.gex), QStringList{QStringLiteral("TrDbId")});

    // Grouping by account, a deadline without one is under "(none)" while the setting is on.
    w.cmbGroup[0]->setCurrentIndex(ByAccount);
    w.cmdApplica->click();
    QVERIFY(printedCaption(w.gex, 2).startsWith(QStringLiteral("(none) [")));
}

void TestFrmPrint::accountAndCountLists()
{
    ReportsFixture f;
    frmPrint w;
    w.chkCliFor->click();
    QVERIFY(w.cmbCliFor->isEnabled());
    QStringList names;
    for (int i = 0; i < w.cmbCliFor->count(); ++i)
        names << w.cmbCliFor->itemText(i);
    QCOMPARE(names, (QStringList{QStringLiteral("Bianchi & Figli"), QStringLiteral("Élan Design"),
                                 QStringLiteral("O'Brien Ltd"), QStringLiteral("Rossi Forniture"),
                                 QStringLiteral("Studio Verdi")}));
    QCOMPARE(w.cmbCliFor->currentIndex(), 0);

    w.chkCliFor->click();
    QCOMPARE(w.cmbCliFor->count(), 0);
    QVERIFY(!w.cmbCliFor->isEnabled());
    w.chkCliFor->click();
    QCOMPARE(w.cmbCliFor->count(), 5);

    w.chkCount->click();
    QCOMPARE(w.cmbCount->itemText(1), QStringLiteral("Cash"));
    w.cmbCount->setCurrentIndex(0);   // Bank
    w.cmdApplica->click();
    const int bianchi = w.cmbCliFor->itemData(0).toInt();
    const int bank = w.cmbCount->itemData(0).toInt();
    QCOMPARE(w.appliedOptions().accountId, bianchi);
    QCOMPARE(w.appliedOptions().countId, bank);
    QCOMPARE(w.gex->recordCount(), 1);
    QVERIFY(rowOf(w.gex, QStringLiteral("Electricity bill")) > 0);
}

void TestFrmPrint::printedReport()
{
    ReportsFixture f(120);
    frmPrint w;
    w.chkDeadlines[1]->click();
    w.cmbGroup[0]->setCurrentIndex(ByDate);
    w.cmbDateGroup->setCurrentIndex(ByYear);
    w.chkViewOptions[0]->click();
    w.cmdApplica->click();

    const QString pdf = f.box->root() + QStringLiteral("/report.pdf");
    QList<QPair<QString, QString>> bands;   // right header, centre footer, per page
    connect(w.gexPrinter, &GridPrinter::BeforePrintPage, &w, [&] {
        // Read after the window's own answer, which was connected first.
        bands.append({w.gexPrinter->headerText(GridPrinter::Right), w.gexPrinter->footerText(GridPrinter::Centre)});
    });
    w.gexPrinter->printToPdf(pdf);
    const int count = int(bands.size());
    QVERIFY(count > 2);
    QCOMPARE(count, w.gxp->pageCount());
    for (int i = 0; i < count; ++i) {
        QCOMPARE(bands[i].first, QStringLiteral("%1 of %2").arg(i + 1).arg(count));
        QCOMPARE(bands[i].second, i + 1 == count ? QStringLiteral("Filter: ") : QString());
    }

    const QStringList pages = pdfPages(pdf);
    if (pages.isEmpty())
        QSKIP("pdftotext is not installed: the printed texts are not read back");
    QCOMPARE(pages.size(), count);
    const QString yearCaption = printedCaption(w.gex, 2).trimmed();
    QVERIFY(yearCaption.startsWith(QStringLiteral("2023 [")));
    QVERIFY(pages[0].contains(Sheet->Name()));
    QVERIFY2(pages[0].contains(yearCaption), qPrintable(pages[0]));
    for (int i = 0; i < count; ++i) {
        QVERIFY(pages[i].contains(QStringLiteral("Description")));   // headers repeated
        QVERIFY(pages[i].contains(QStringLiteral("%1 of %2").arg(i + 1).arg(count)));
    }
    QVERIFY(pages.last().contains(QStringLiteral("Filter:")));
    QVERIFY(!pages.first().contains(QStringLiteral("Filter:")));
    // A note prints under its record.
    QVERIFY(pdfPages(pdf).join(QString()).contains(QStringLiteral("Call before sending")));
}

void TestFrmPrint::printedHeadersAndAmountsWhole_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("cash");
    const std::tuple<const char *, int, QLocale> languages[] = {
        {"it", 6, QLocale(QLocale::Italian, QLocale::Italy)},  {"en", 3, QLocale(QLocale::English, QLocale::UnitedStates)},
        {"fr", 5, QLocale(QLocale::French, QLocale::France)},  {"es", 4, QLocale(QLocale::Spanish, QLocale::Spain)},
        {"de", 2, QLocale(QLocale::German, QLocale::Germany)}};
    for (const auto &[name, id, locale] : languages)
        for (bool cash : {false, true})
            QTest::addRow("%s, %s", name, cash ? "petty cash" : "deadlines") << id << locale << cash;
}

void TestFrmPrint::printedHeadersAndAmountsWhole()
{
    QFETCH(int, language);
    QFETCH(QLocale, locale);
    QFETCH(bool, cash);
    // The widest report (every optional column) with the largest amount: every caption prints whole,
    // wrapped at its words where its column is narrow, and the amount whole in the report's own font.
    ReportsFixture f(0, locale, language);
    {
        platform::Connection cn;
        cn.Open(Adb->dcs());
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrValue, TrBalance, "
                                  "IsPN, TrDone ) SELECT %1, 1, #03/14/2025#, 'Warehouse', 999999999999.99, "
                                  "999999999999.99, %2, False")
                       .arg(Sheet->Id())
                       .arg(cash ? QStringLiteral("True") : QStringLiteral("False")));
        cn.Close();
    }
    frmPrint w;
    w.optReport[cash ? 1 : 0]->click();
    for (QCheckBox *column : {w.chkgexcols[0], w.chkgexcols[1], w.chkgexcols[2]})
        column->setChecked(true);
    w.cmdApplica->click();
    const QString pdf = f.box->root() + QStringLiteral("/widest.pdf");
    w.gexPrinter->printToPdf(pdf);

    const QList<testenv::PdfWord> words = testenv::pdfWords(pdf, 1);
    if (words.isEmpty())
        QSKIP("pdftotext is not installed: the printed texts are not read back");
    QStringList text;
    for (const auto &word : words)
        text << word.text;
    // The column headers come first, each caption's lines in turn.
    const QString page = text.join(QString());
    for (GridColumn *c : w.gex->columnsInDisplayOrder())
        if (c->isVisible())
            QVERIFY2(page.contains(QString(c->caption()).remove(QLatin1Char(' '))),
                     qPrintable(c->caption() + QStringLiteral(" in ") + text.join(QLatin1Char(' '))));
    // The amount whole (its cents after its groups), as high as the description's text.
    const QString cents = QStringLiteral("999") + locale.decimalPoint() + QStringLiteral("99");
    double amountHeight = 0, descriptionHeight = 0;
    for (const auto &[t, height] : words) {
        if (t.contains(cents) && !t.startsWith(QLatin1Char('[')))
            amountHeight = height;
        if (t == QLatin1String("Warehouse"))
            descriptionHeight = height;
    }
    QVERIFY2(amountHeight > 0, qPrintable(cents + QStringLiteral(" not in ") + text.join(QLatin1Char(' '))));
    QVERIFY(!page.contains(QRegularExpression(QStringLiteral("[0-9]\u2026"))));
    QVERIFY2(amountHeight >= descriptionHeight * 0.95,
             qPrintable(QStringLiteral("amount %1 against text %2").arg(amountHeight).arg(descriptionHeight)));
}

void TestFrmPrint::previewDrawsThePagesItShows()
{
    ReportsFixture f(400);
    frmPrint w;
    w.chkDeadlines[1]->click();
    w.cmdApplica->click();
    QList<int> asked;
    connect(w.gexPrinter, &GridPrinter::BeforePrintPage, &w, [&](int page, int count) {
        asked << page;
        QCOMPARE(count, w.gxp->pageCount());
    });
    w.resize(1200, 800);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int pages = w.gxp->pageCount();
    QVERIFY(pages > 5);
    // The first page is drawn, as the printer draws it (its counter asked of the window); the pages
    // further down are not drawn before they come into view.
    QTRY_VERIFY(!asked.isEmpty());
    QCOMPARE(asked.first(), 1);
    QVERIFY(w.gxp->pagesDrawn() < 3);
    const QImage shot = w.gxp->pagesWidget()->grab().toImage();
    int dark = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            dark += qGray(shot.pixel(x, y)) < 100 ? 1 : 0;
    QVERIFY2(dark > 200, "the first page shows its texts");
    if (!qEnvironmentVariableIsEmpty("ORVEL_SCREENSHOT_DIR"))
        shot.save(qEnvironmentVariable("ORVEL_SCREENSHOT_DIR") + QStringLiteral("/report-preview.png"));

    // Scrolled to the end: the last page is drawn with its number of the count.
    auto *view = qobject_cast<QAbstractScrollArea *>(w.gxp->pagesWidget());
    QVERIFY(view);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    QTRY_VERIFY(asked.contains(pages));
    QCOMPARE(w.gexPrinter->headerText(GridPrinter::Right), QStringLiteral("%1 of %1").arg(pages));
    QVERIFY(w.gxp->pagesDrawn() < pages);
}

void TestFrmPrint::closeButtonUnloads()
{
    ReportsFixture f;
    bool closedByButton = false;
    auto leftOpen = onModal([&](QWidget *window) {
        auto *report = qobject_cast<frmPrint *>(window);
        QVERIFY(report);
        QTest::mouseClick(report->gxp->closeButton(), Qt::LeftButton);
        closedByButton = !report->isVisible();
    });
    frmPrint::showModal(nullptr);
    QVERIFY(closedByButton);
    QVERIFY(!*leftOpen);
}

void TestFrmPrint::failedPrintIsTold_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("a file from the print dialog") << "/full/report.pdf"
                                                  << "The report could not be written to the file /full/report.pdf.\n\nNo space left on device";
    QTest::newRow("a printer") << "" << "The report could not be printed.\n\nNo space left on device";
}

void TestFrmPrint::failedPrintIsTold()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    ReportsFixture f;
    frmPrint w;
    const int before = int(f.box->requests().size());
    // What the preview reports when printing from its print dialog failed.
    emit w.gxp->printFailed(file, QStringLiteral("No space left on device"));
    QCOMPARE(int(f.box->requests().size()), before + 1);
    QCOMPARE(f.box->requests().last().text, message);
    QCOMPARE(f.box->requests().last().style & 0x70, int(platform::vbExclamation));
}

void TestFrmPrint::printToAFullDiskIsTold_data()
{
    using namespace testenv;
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("language");
    QTest::newRow("English") << enUS << 3;
    QTest::newRow("Spanish") << esES << 4;
}

void TestFrmPrint::printToAFullDiskIsTold()
{
    QFETCH(QLocale, locale);
    QFETCH(int, language);
    // Every write to /dev/full fails as it does on a full disk.
    const QString full = QStringLiteral("/dev/full");
    if (!QFileInfo(full).exists())
        QSKIP("the system has no /dev/full");
    ReportsFixture f(0, locale, language);
    frmPrint w;
    // A file chosen in the print dialog, which the user then confirms.
    w.gexPrinter->printer()->setOutputFormat(QPrinter::PdfFormat);
    w.gexPrinter->printer()->setOutputFileName(full);
    const auto leftOpen = onModal([](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->accept(); });
    QTest::mouseClick(w.gxp->printButton(), Qt::LeftButton);
    QVERIFY(!*leftOpen);
    QVERIFY(!f.box->requests().isEmpty());
    QCOMPARE(f.box->requests().last().text,
             LRSV(2103, full) + QStringLiteral("\n\n") + LRS(2047) + QLatin1Char('\n') + full);
}

QTEST_MAIN(TestFrmPrint)
#include "tst_frmprint.moc"
