// The main list: what each filter of both views lists, the cash-book membership setting, the due rule at its
// boundary, groups and sort order, group totals, icons and styles, rows of other sheets, bad stored state.

#include "MainWindowFixture.h"

#include "foundation/SettingsKeys.h"
#include "foundation/comRegistry.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/grid/GridFormat.h"
#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridView.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/RowRules.h"
#include "mainwindow/MainListRules.h"
#include "platform/Clock.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/database/ScopedTransaction.h"

#include <QComboBox>
#include <QTest>

namespace {

// Rows around 2025-03-15, named by their description.
void insertFilterRows(const QString &file)
{
    platform::Connection cn;
    cn.Open(testenv::connectionString(file));
    auto add = [&](int sheet, const char *desc, int type, const char *date, bool done, bool pn, int alert,
                   const char *amount = "10") {
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, "
                                  "TrValue, TrBalance, TrGrpType, TrGrpId, TrAlertDays, TrCountId, TrDone, TrAttached, IsPN ) "
                                  "SELECT %1, %2, #%3#, '%4', '', 0, %5, %6, 'n', 0, %7, 0, %8, NULL, %9")
                       .arg(sheet)
                       .arg(type)
                       .arg(QLatin1String(date), QLatin1String(desc), QLatin1String(amount),
                            type == -1 ? QLatin1Char('-') + QLatin1String(amount) : QLatin1String(amount))
                       .arg(alert)
                       .arg(done ? QStringLiteral("True") : QStringLiteral("False"),
                            pn ? QStringLiteral("True") : QStringLiteral("False")));
    };
    add(1, "A", 1, "03/10/2025", false, false, 0);
    add(1, "B", -1, "03/17/2025", false, false, 2);
    add(1, "C", -1, "03/18/2025", false, false, 2);
    add(1, "D", -2, "03/15/2025", false, false, 0, "0");
    add(1, "E", 1, "02/10/2025", true, false, 2);
    add(1, "F", -2, "03/01/2025", true, false, 2, "0");
    add(1, "G", 1, "03/05/2025", true, true, 0);
    add(1, "H", -1, "12/20/2024", true, true, 0);
    add(1, "I", 1, "03/16/2024", true, true, 0);
    add(1, "J", 1, "03/14/2024", true, true, 0);
    add(2, "K", 1, "03/15/2025", false, false, 5);
    add(2, "L", 1, "03/15/2025", true, true, 5);
}

QStringList listed(frmMain *w)
{
    QStringList out;
    const auto rs = gex(w)->recordset();
    const int f = rs->fieldIndex(QStringLiteral("TrDescription"));
    for (auto b : rs->visibleRows())
        out << rs->valueAt(b, f).toString();
    out.sort();
    return out;
}

// Record rows in display order, and group captions as shown.
QStringList shownRows(frmMain *w)
{
    QStringList out;
    for (int r = 1; r <= gex(w)->rowCount(); ++r) {
        const GridRowData d = gex(w)->rowData(r);
        out << (d.isGroupHeader() ? QStringLiteral("#") + static_cast<const GridRowFormat &>(d).groupCaption()
                                  : d.value(QStringLiteral("TrDescription")).toString());
    }
    return out;
}

} // namespace

class tst_MainList : public QObject
{
    Q_OBJECT

private slots:
    void filters_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("debitCreditToPN");
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("expected");
        const QDate t(2025, 3, 15);
        QTest::newRow("all deadlines") << t << true << 0 << 0 << "A B C D E F";
        QTest::newRow("highlighted: overdue, today, boundary") << t << true << 0 << 1 << "A B D";
        QTest::newRow("open") << t << true << 0 << 2 << "A B C D";
        QTest::newRow("open credits/debits") << t << true << 0 << 3 << "A B C";
        QTest::newRow("open appointments") << t << true << 0 << 4 << "D";
        QTest::newRow("closed") << t << true << 0 << 5 << "E F";
        QTest::newRow("cash: all, closed deadlines count") << t << true << 1 << 0 << "E G H I J";
        QTest::newRow("cash: current month") << t << true << 1 << 1 << "G";
        QTest::newRow("cash: previous month") << t << true << 1 << 2 << "E";
        QTest::newRow("cash: current year") << t << true << 1 << 3 << "E G";
        QTest::newRow("cash: previous year") << t << true << 1 << 4 << "H I J";
        QTest::newRow("cash: 12 months") << t << true << 1 << 5 << "E G H I";
        QTest::newRow("cash only: all") << t << false << 1 << 0 << "G H I J";
        QTest::newRow("cash only: previous month") << t << false << 1 << 2 << "";
        QTest::newRow("cash only: 12 months") << t << false << 1 << 5 << "G H I";
        QTest::newRow("January: previous month is December") << QDate(2025, 1, 20) << true << 1 << 2 << "H";
        QTest::newRow("January: current year") << QDate(2025, 1, 20) << true << 1 << 3 << "C D E G";
        QTest::newRow("12 months past 2029") << QDate(2031, 1, 10) << true << 1 << 5 << "";
        QTest::newRow("12 months from 2024-12-21") << QDate(2025, 12, 21) << true << 1 << 5 << "C D E G";
    }
    void filters()
    {
        QFETCH(QDate, today);
        QFETCH(bool, debitCreditToPN);
        QFETCH(int, view);
        QFETCH(int, filter);
        QFETCH(QString, expected);
        MainWindowFixture f(false);
        platform::setToday(today);
        insertFilterRows(f.dbFile);
        const QLatin1String tag(QTest::currentDataTag());
        if (tag == QLatin1String("January: current year") || tag == QLatin1String("12 months from 2024-12-21")) {
            // C and D closed as movements of the year: only for these rows' own meaning.
            platform::Connection cn;
            cn.Open(testenv::connectionString(f.dbFile));
            cn.Execute(QStringLiteral("UPDATE Transactions SET TrDone = True, TrDate = #01/02/2025# WHERE TrDescription='C'"));
            cn.Execute(QStringLiteral("UPDATE Transactions SET TrDone = True, IsPN = True, TrDate = #01/03/2025# WHERE TrDescription='D'"));
            cn.Execute(QStringLiteral("UPDATE Transactions SET TrDate = #01/05/2025# WHERE TrDescription='E'"));
            cn.Execute(QStringLiteral("UPDATE Transactions SET TrDate = #01/06/2025# WHERE TrDescription='G'"));
        }
        Env->DebitCreditToPN = debitCreditToPN;
        frmMain *w = f.load();
        showFilter(w, view, filter);
        const QStringList want = expected.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QCOMPARE(listed(w), want);
        QVERIFY(gex(w)->recordSource().contains(QLatin1String("Where TrDbId=1 AND (")));
    }

    // The fields of the main list in their order, as the grid and the export read them: the row's own, its
    // account and count through the join (Null without one), an empty search field; no row of another sheet.
    void listFields()
    {
        MainWindowFixture f;
        platform::Recordset rs;
        rs.Open(MainListRules::BuildGridSql(
                    MainListRules::GridTail(1, RowRules::viewMembership(RowRules::Deadlines, Env->DebitCreditToPN))),
                testenv::connectionString(f.dbFile));
        const QStringList expected = {
            QStringLiteral("TrRowId"),     QStringLiteral("TrDbId"),   QStringLiteral("TrType"),
            QStringLiteral("TrDone"),      QStringLiteral("TrDate"),   QStringLiteral("TrDescription"),
            QStringLiteral("TrAcId"),      QStringLiteral("TrValue"),  QStringLiteral("TrBalance"),
            QStringLiteral("TrGrpType"),   QStringLiteral("TrGrpRow"), QStringLiteral("TrGrpMDay"),
            QStringLiteral("TrNotes"),     QStringLiteral("TrGrpId"),  QStringLiteral("AcId"),
            QStringLiteral("AcName"),      QStringLiteral("AcNotes"),  QStringLiteral("SearchField"),
            QStringLiteral("TrAlertDays"), QStringLiteral("CnName"),   QStringLiteral("TrAttached")};
        QStringList fields;
        for (int i = 0; i < rs.fieldCount(); ++i)
            fields << rs.fieldName(i);
        QCOMPARE(fields, expected);
        QVERIFY(rs.RecordCount() > 0);
        for (rs.MoveFirst(); !rs.EOF(); rs.MoveNext()) {
            QCOMPARE(rs.value(QStringLiteral("TrDbId")).toInt(), 1);
            QCOMPARE(rs.value(QStringLiteral("SearchField")).toString(), QString());
        }
        rs.setFilter(QStringLiteral("TrDescription = 'Invoice 118'"));
        QCOMPARE(rs.value(QStringLiteral("AcName")).toString(), QStringLiteral("Rossi Forniture"));
        QCOMPARE(rs.value(QStringLiteral("AcNotes")).toString(), QStringLiteral("Notes of Rossi Forniture"));
        QCOMPARE(rs.value(QStringLiteral("CnName")).toString(), QStringLiteral("Bank"));
        QCOMPARE(rs.value(QStringLiteral("TrDate")).toDate(), QDate(2025, 3, 5));
        QCOMPARE(rs.value(QStringLiteral("TrDone")).typeId(), QMetaType::Bool);
        QCOMPARE(rs.value(QStringLiteral("TrValue")).value<platform::Currency>(),
                 *platform::Currency::parse(QStringLiteral("1200.5")));
        rs.setFilter(QStringLiteral("TrDescription = 'Dentist'"));
        QVERIFY(rs.value(QStringLiteral("AcName")).isNull());
        QVERIFY(rs.value(QStringLiteral("CnName")).isNull());
    }

    // The cash-book periods are ranges of dates: the same rows as the month and year of each row compared
    // with today's, on the days around every boundary (times of day too), whatever day today is.
    void cashPeriodsAsMonthsAndYears_data()
    {
        QTest::addColumn<QDate>("today");
        for (const QDate &d : {QDate(2025, 1, 1), QDate(2025, 1, 31), QDate(2024, 2, 29), QDate(2025, 3, 1),
                               QDate(2025, 3, 31), QDate(2025, 12, 31)})
            QTest::newRow(qPrintable(d.toString(Qt::ISODate))) << d;
    }
    void cashPeriodsAsMonthsAndYears()
    {
        QFETCH(QDate, today);
        MainWindowFixture f(false);
        platform::setToday(today);
        {
            platform::Connection cn;
            cn.Open(testenv::connectionString(f.dbFile));
            platform::ScopedTransaction transaction(cn);
            int n = 0;
            for (QDate d(2023, 11, 20); d <= QDate(2026, 1, 10); d = d.addDays(1)) {
                if (d.day() > 3 && d.day() < d.daysInMonth() - 1)
                    continue;
                for (const char *time : {"", " 23:59:59"})
                    cn.Execute(QStringLiteral("INSERT INTO Transactions (TrDbId, TrType, TrDate, TrDescription, TrDone, IsPN) "
                                              "SELECT 1, 1, '%1%2', 'm%3', True, True")
                                   .arg(d.toString(Qt::ISODate), QLatin1String(time))
                                   .arg(++n));
            }
            transaction.commit();
        }
        frmMain *w = f.load();
        switchView(w, 1);
        const QString b = RowRules::cashBookMembership(Env->DebitCreditToPN);
        const QString byMonthAndYear[] = {
            b + QStringLiteral(" And Month(Date())=Month(TrDate) And Year(Date())=Year(TrDate)"),
            b + QStringLiteral(" And ((Month(Date())=Month(TrDate)+1 And Year(Date())=Year(TrDate))"
                               " Or (Month(Date())=1 And Month(TrDate)=12 And Year(Date())=Year(TrDate)+1))"),
            b + QStringLiteral(" And Year(Date())=Year(TrDate)"),
            b + QStringLiteral(" And Year(Date())=Year(TrDate)+1"),
        };
        for (int filter = 1; filter <= 4; ++filter) {
            chooseItem(cmbFilter(w), filter);
            platform::Recordset reference;
            reference.Open(MainListRules::BuildGridSql(MainListRules::GridTail(Sheet->Id(), byMonthAndYear[filter - 1])),
                           Adb->dcs());
            QStringList expected;
            for (auto bm : reference.visibleRows())
                expected << reference.valueAt(bm, reference.fieldIndex(QStringLiteral("TrDescription"))).toString();
            expected.sort();
            QVERIFY(!expected.isEmpty());
            QCOMPARE(listed(w), expected);
        }
    }

    void emptySheetShowsOnlyTheTitleGroup()
    {
        MainWindowFixture f(false);
        frmMain *w = f.load();
        for (int view : {0, 1}) {
            for (int filter = 0; filter < 6; ++filter) {
                showFilter(w, view, filter);
                QCOMPARE(gex(w)->rowCount(), 1);
                QVERIFY(gex(w)->rowData(1).isGroupHeader());
                QCOMPARE(gex(w)->recordCount(), 0);
            }
        }
        // The title names the view and the filter, with a zero total.
        showFilter(w, 0, 2);
        QCOMPARE(gex(w)->model()->rowCount(), 1);
        QCOMPARE(gex(w)->model()->data(gex(w)->model()->index(0, 0), Qt::DisplayRole).toString(),
                 QStringLiteral(" Bill Book \u2022 Open Deadlines [$0.00]"));
    }

    void groupsAscendWhateverTheDateDirection_data()
    {
        QTest::addColumn<int>("direction");
        QTest::newRow("dates ascending") << 1;
        QTest::newRow("dates descending") << -1;
    }
    void groupsAscendWhateverTheDateDirection()
    {
        QFETCH(int, direction);
        MainWindowFixture f(false);
        platform::Connection cn;
        cn.Open(testenv::connectionString(f.dbFile));
        // Two rows on one date (entered T1 then T2), one later this month, one next month, one overdue.
        for (const char *r : {"'T1', #03/20/2025#", "'T2', #03/20/2025#", "'Next', #04/02/2025#",
                              "'Old', #03/01/2025#", "'Last of month', #03/31/2025#"})
            cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDescription, TrDate, TrValue, TrBalance, "
                                      "TrAlertDays ) SELECT 1, 1, %1, 5, 5, 0").arg(QLatin1String(r)));
        cn.Close();
        frmMain *w = f.load();
        chooseItem(cmbGroup(w), 1);
        if (direction != w->viewState().curDateSorting)
            clickHeader(w, QStringLiteral("Date"));
        QCOMPARE(w->viewState().curDateSorting, direction);
        const QStringList rows = shownRows(w);
        QStringList expected;
        if (direction == 1)
            expected = {QStringLiteral("Old"), QStringLiteral("T1"), QStringLiteral("T2"), QStringLiteral("Last of month"),
                        QStringLiteral("Next")};
        else
            expected = {QStringLiteral("Old"), QStringLiteral("Last of month"), QStringLiteral("T2"), QStringLiteral("T1"),
                        QStringLiteral("Next")};
        QStringList records;
        for (const QString &r : rows)
            if (!r.startsWith(QLatin1Char('#')))
                records << r;
        QCOMPARE(records, expected);
        // Title, "Until Today", "Until end of month", "Next month onwards" in that order.
        QStringList groups;
        for (int r = 1; r <= gex(w)->rowCount(); ++r)
            if (gex(w)->rowData(r).isGroupHeader())
                groups << gex(w)->model()->data(gex(w)->model()->index(r - 1, 0), Qt::DisplayRole).toString();
        QCOMPARE(groups.size(), 4);
        QVERIFY(groups[1].startsWith(QStringLiteral(" Until Today [$5.00]")));
        QVERIFY(groups[2].startsWith(QStringLiteral(" Until end of month [$15.00]")));
        QVERIFY(groups[3].startsWith(QStringLiteral(" Next month onwards [$5.00]")));
        QVERIFY(groups[0].startsWith(QStringLiteral(" Bill Book \u2022 All Deadlines [$25.00]")));
    }

    void titleTotalCountsOpenRowsOnly_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("total");
        QTest::newRow("all: closed rows count 0") << 0 << "[$20.00]";
        QTest::newRow("closed filter: closed balances") << 5 << "[($10.00)]";
    }
    void titleTotalCountsOpenRowsOnly()
    {
        QFETCH(int, filter);
        QFETCH(QString, total);
        MainWindowFixture f(false);
        platform::Connection cn;
        cn.Open(testenv::connectionString(f.dbFile));
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDescription, TrDate, TrValue, TrBalance, TrDone ) "
                                  "SELECT 1, 1, 'open credit', #03/20/2025#, 30, 30, False"));
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDescription, TrDate, TrValue, TrBalance, TrDone ) "
                                  "SELECT 1, -1, 'open debit', #03/21/2025#, 10, -10, False"));
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDescription, TrDate, TrValue, TrBalance, TrDone ) "
                                  "SELECT 1, -1, 'closed debit', #03/01/2025#, 10, -10, True"));
        cn.Close();
        frmMain *w = f.load();
        chooseItem(cmbFilter(w), filter);
        const QString title = gex(w)->model()->data(gex(w)->model()->index(0, 0), Qt::DisplayRole).toString();
        QVERIFY2(title.endsWith(total), qPrintable(title));
    }

    void titleTotalNeverWraps_data()
    {
        QTest::addColumn<QString>("amount");   // of each open row
        QTest::addColumn<int>("credits");
        QTest::addColumn<int>("debits");
        QTest::addColumn<QString>("total");
        QTest::newRow("two credits of 500 000 000 000 000") << "500000000000000" << 2 << 0
                                                            << "[$1,000,000,000,000,000.00]";
        QTest::newRow("a thousand rows at the largest amount") << "999999999999.99" << 1000 << 0
                                                               << "[$999,999,999,999,990.00]";
    }
    void titleTotalNeverWraps()
    {
        QFETCH(QString, amount);
        QFETCH(int, credits);
        QFETCH(int, debits);
        QFETCH(QString, total);
        MainWindowFixture f(false);
        platform::Connection cn;
        cn.Open(testenv::connectionString(f.dbFile));
        platform::ScopedTransaction transaction(cn);
        for (int i = 0; i < credits + debits; ++i) {
            const int type = i < credits ? 1 : -1;
            cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDescription, TrDate, TrValue, TrBalance, "
                                      "TrDone ) SELECT 1, %1, 'large', #03/20/2025#, %2, %3%2, False")
                           .arg(type)
                           .arg(amount, type < 0 ? QStringLiteral("-") : QString()));
        }
        transaction.commit();
        cn.Close();
        frmMain *w = f.load();
        const QString title = gex(w)->model()->data(gex(w)->model()->index(0, 0), Qt::DisplayRole).toString();
        QVERIFY2(title.endsWith(total), qPrintable(title));
    }

    // An amount is drawn whole in its cell at the column's width, in a smaller font when it needs one.
    void amountsAreDrawnWhole_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("smaller");
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("the largest amount") << en << "999999999999.99" << true;
        QTest::newRow("the largest amount, Italian") << QLocale(QLocale::Italian, QLocale::Italy) << "999999999999.99" << true;
        QTest::newRow("a small amount") << en << "12.5" << false;
    }
    void amountsAreDrawnWhole()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, amount);
        QFETCH(bool, smaller);
        MainWindowFixture f(false, locale);
        platform::Connection cn;
        cn.Open(testenv::connectionString(f.dbFile));
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDescription, TrDate, TrValue, TrBalance, "
                                  "TrDone ) SELECT 1, 1, 'large', #03/20/2025#, %1, %1, False").arg(amount));
        cn.Close();
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const int row = selectRow(w, QStringLiteral("large"));
        QVERIFY(row > 0);
        GridView *view = gex(w)->view();
        const QModelIndex cell = view->model()->index(row - 1, gex(w)->column(QStringLiteral("TrValue"))->index() - 1);
        const QStyleOptionViewItem drawn = view->cellOption(cell);
        QCOMPARE(drawn.text, formatNamed(QVariant::fromValue(*platform::Currency::parse(amount)), QStringLiteral("Currency")));
        // Whole inside the cell, within the margins the style keeps on both sides.
        QVERIFY2(QFontMetrics(drawn.font).horizontalAdvance(drawn.text) <= drawn.rect.width() - 4, qPrintable(drawn.text));
        QCOMPARE(drawn.font.pointSizeF() < view->font().pointSizeF(), smaller);
    }

    void findById()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        w->gexUpdate();
        gex(w)->setRow(3);
        w->gexFind(0);
        QCOMPARE(gex(w)->row(), 3);   // no row has id 0: the current row stays
        w->gexFind(4);
        QCOMPARE(gex(w)->rowData(gex(w)->row()).value(QStringLiteral("TrRowId")).toInt(), 4);
    }

    void storedStateOutOfRangeFallsBack()
    {
        MainWindowFixture f;
        const QString key = QLatin1String(SettingsKey);
        RegWrite(4, QStringLiteral("viewKey"), key, 7);
        RegWrite(4, QStringLiteral("curFilterIndexKey"), key, 99);
        RegWrite(4, QStringLiteral("curFilterPnIndexKey"), key, -3);
        RegWrite(4, QStringLiteral("curGroupIndexKey"), key, 5);
        RegWrite(4, QStringLiteral("curDateSortingKey"), key, 0);
        frmMain *w = f.load();
        QCOMPARE(w->viewState().curView, 0);
        QCOMPARE(w->viewState().curFilterIndex, 0);
        QCOMPARE(w->viewState().curFilterPnIndex, 0);
        QCOMPARE(w->viewState().curGroupIndex, 0);
        QCOMPARE(w->viewState().curDateSorting, 1);
        QVERIFY(gex(w)->recordCount() > 0);
    }

    void rowLook()
    {
        // Icons and styles of one closed credit under "All Deadlines" and under the closed filter.
        QCOMPARE(MainListRules::recordStyle(0, 0, true, QDate(2025, 3, 1), 2, QDate(2025, 3, 15)), MainListRules::Barrato);
        QCOMPARE(MainListRules::recordStyle(0, 5, true, QDate(2025, 3, 1), 2, QDate(2025, 3, 15)), MainListRules::NormalStyle);
        // Overdue with no alert days is due; a day past the alert window is not.
        QCOMPARE(MainListRules::recordStyle(0, 0, false, QDate(2025, 3, 1), 0, QDate(2025, 3, 15)), MainListRules::Expired);
        QCOMPARE(MainListRules::recordStyle(0, 0, false, QDate(2025, 3, 18), 2, QDate(2025, 3, 15)), MainListRules::NormalStyle);
        QCOMPARE(MainListRules::recordStyle(1, 0, false, QDate(2025, 3, 1), 0, QDate(2025, 3, 15)), MainListRules::NormalStyle);
    }

    void closedIconsOnlyUnderAllDeadlines_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<int>("typeIcon");
        QTest::addColumn<int>("seriesIcon");
        QTest::newRow("all deadlines: the closed icons") << 0 << 11 << 13;
        QTest::newRow("closed filter: the open icons") << 5 << 5 << 9;
    }
    void closedIconsOnlyUnderAllDeadlines()
    {
        QFETCH(int, filter);
        QFETCH(int, typeIcon);
        QFETCH(int, seriesIcon);
        // A closed credit of a series, with a file attached, and a single open debit without one.
        MainWindowFixture f(false);
        platform::Connection cn;
        cn.Open(testenv::connectionString(f.dbFile));
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, "
                                  "TrValue, TrBalance, TrGrpType, TrGrpId, TrGrpRow, TrGrpMDay, TrAlertDays, TrCountId, "
                                  "TrDone, TrAttached, IsPN ) "
                                  "SELECT 1, 1, #03/01/2025#, 'Rent', '', 0, 10, 10, 'm', 3, 1, 2, 0, 0, True, "
                                  "'20250301.pdf', False"));
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, "
                                  "TrValue, TrBalance, TrGrpType, TrGrpId, TrAlertDays, TrCountId, TrDone, TrAttached, IsPN ) "
                                  "SELECT 1, -1, #03/20/2025#, 'Phone', '', 0, 10, -10, 'n', 0, 0, 0, False, NULL, False"));
        cn.Close();
        frmMain *w = f.load();
        chooseItem(cmbFilter(w), filter);
        GridModel *m = gex(w)->model();
        auto iconsOf = [&](const QString &description) {
            QList<int> icons;
            for (int r = 1; r <= gex(w)->rowCount(); ++r) {
                const GridRowData d = gex(w)->rowData(r);
                if (!d.isRecord() || !d.value(QStringLiteral("TrDescription")).toString().startsWith(description))
                    continue;
                for (const char *key : {"TrType", "TrDescription", "TrAttached"})
                    icons << m->iconOf(m->rowRef(r - 1), gex(w)->column(QLatin1String(key))->index());
            }
            return icons;
        };
        QCOMPARE(iconsOf(QStringLiteral("Rent")), (QList<int>{typeIcon, seriesIcon, 14}));
        if (filter == 0)
            QCOMPARE(iconsOf(QStringLiteral("Phone")), (QList<int>{6, 0, 0}));
    }

    void dateGroups_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("grouping");
        QTest::addColumn<int>("group");
        const QDate t(2025, 3, 15);
        QTest::newRow("today") << t << 1 << 0;
        QTest::newRow("last day of month") << QDate(2025, 3, 31) << 1 << 1;
        QTest::newRow("first of next month") << QDate(2025, 4, 1) << 1 << 2;
        QTest::newRow("March 2024") << QDate(2024, 3, 2) << 2 << 202403;
        QTest::newRow("March 2025") << QDate(2025, 3, 2) << 2 << 202503;
        QTest::newRow("no date grouping") << QDate(2025, 3, 2) << 3 << 0;
    }
    void dateGroups()
    {
        QFETCH(QDate, date);
        QFETCH(int, grouping);
        QFETCH(int, group);
        QCOMPARE(MainListRules::dateGroup(date, grouping, QDate(2025, 3, 15)), group);
    }

    void seriesCounter()
    {
        QCOMPARE(RowRules::describedRow(QStringLiteral("Affitto"), 4, 3, 12, true, QStringLiteral("/")),
                 QStringLiteral("Affitto 3/12"));
        QCOMPARE(RowRules::describedRow(QStringLiteral("Rent"), 4, 3, 12, false, QStringLiteral("of")),
                 QStringLiteral("Rent"));
        QCOMPARE(RowRules::describedRow(QStringLiteral("Single"), 0, 0, 0, true, QStringLiteral("of")),
                 QStringLiteral("Single"));
    }

    void sharedWidths()
    {
        // Deadlines: R = 12000 - 0 - 2*255 - 10*25 - 1460 - 1660 - 990 + 100 = 7230 -> 4338 / 2892.
        auto w = MainListRules::sharedColumnWidths(0, 12000, false, 255, 25, 1460, 1660, 1360);
        QCOMPARE(w.description, 4338.0);
        QCOMPARE(w.account, 2892.0);
        // Cash book: R = 12000 - 800 - 510 - 200 - 1460 - 2720 - 660 + 100 = 5750 -> 2300 / 1725 / 1725.
        w = MainListRules::sharedColumnWidths(1, 12000, true, 255, 25, 1460, 1660, 1360);
        QCOMPARE(w.description, 2300.0);
        QCOMPARE(w.account, 1725.0);
        QCOMPARE(w.count, 1725.0);
        // Halves go to the even neighbour: R = 7235 -> 4341 and 2894.
        w = MainListRules::sharedColumnWidths(0, 12005, false, 255, 25, 1460, 1660, 1360);
        QCOMPARE(w.account, 2894.0);
    }

    void calendarColumns_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<bool>("variable");
        QTest::addColumn<int>("columns");
        QTest::newRow("20000") << 20000.0 << true << 1;
        QTest::newRow("20001") << 20001.0 << true << 2;
        QTest::newRow("24001") << 24001.0 << true << 3;
        QTest::newRow("28001") << 28001.0 << true << 4;
        QTest::newRow("off") << 30000.0 << false << 1;
    }
    void calendarColumns()
    {
        QFETCH(double, width);
        QFETCH(bool, variable);
        QFETCH(int, columns);
        QCOMPARE(MainListRules::calendarColumns(width, variable), columns);
    }
};

QTEST_MAIN(tst_MainList)
#include "tst_mainlist.moc"
