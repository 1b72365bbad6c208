// The report's rules: the query an option set gives, the date group keys and captions, the filter summary
// and page counter in English and Italian, and the grid's width.

#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/cLang.h"
#include "reports/ReportRules.h"

#include <QTest>

using namespace ReportRules;

namespace {

const QString kSheet = QStringLiteral("WHERE TrDbId=7");

Options deadlines(std::array<bool, 2> states, std::array<bool, 3> types)
{
    Options o;
    o.states = states;
    o.types = types;
    return o;
}

} // namespace

Q_DECLARE_METATYPE(ReportRules::Options)

class TestReportRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void reportQuery_data();
    void reportQuery();
    void groupKeyOfDate_data();
    void groupKeyOfDate();
    void dateGroupCaptions_data();
    void dateGroupCaptions();
    void filterSummary_data();
    void filterSummary();
    void gridWidthCountsTheHiddenTypeColumn();

private:
    void useLanguage(int appLanguageId);
    std::unique_ptr<testenv::Sandbox> m_box;
};

void TestReportRules::initTestCase()
{
    m_box = std::make_unique<testenv::Sandbox>();
    Lang = new cLang();
}

void TestReportRules::cleanupTestCase()
{
    ReleaseGlobals();
    m_box.reset();
}

void TestReportRules::init()
{
    useLanguage(3);
}

void TestReportRules::useLanguage(int appLanguageId)
{
    Lang->setAppLanguageId(appLanguageId);
    Lang->LanguageUpdate();
}

void TestReportRules::reportQuery_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<bool>("debitCreditToPN");
    QTest::addColumn<QString>("where");

    QTest::newRow("opening: open deadlines, every type") << deadlines({true, false}, {true, true, true}) << true
                                                         << " AND IsPN=False AND TrDone = False";
    QTest::newRow("both states, every type: no condition") << deadlines({true, true}, {true, true, true}) << true
                                                           << " AND IsPN=False";
    QTest::newRow("debits and appointments") << deadlines({true, true}, {false, true, true}) << true
                                             << " AND IsPN=False AND (TrType = -1 OR TrType = -2)";
    QTest::newRow("credits and appointments") << deadlines({true, true}, {true, false, true}) << true
                                              << " AND IsPN=False AND (TrType = 1 OR TrType = -2)";
    QTest::newRow("appointments only") << deadlines({true, true}, {false, false, true}) << true
                                       << " AND IsPN=False AND TrType = -2";

    Options cash = deadlines({false, true}, {false, true, false});
    cash.kind = CashBook;
    QTest::newRow("cash book ignores states and types") << cash << false << " AND IsPN=True";
    QTest::newRow("cash book with closed deadlines as movements")
        << cash << true << " AND (IsPN=True OR (TrDone=True AND TrType<>-2))";

    Options period = deadlines({true, true}, {true, true, true});
    period.period = true;
    period.from = QDate(2024, 3, 5);
    period.to = QDate(2024, 3, 31);
    QTest::newRow("period") << period << true
                            << " AND IsPN=False AND (TrDate Between #03/05/2024# And #03/31/2024#)";
    period.from = QDate(2024, 3, 31);
    period.to = QDate(2024, 3, 5);
    QTest::newRow("period given backwards") << period << true
                                            << " AND IsPN=False AND (TrDate Between #03/05/2024# And #03/31/2024#)";

    Options all = period;
    all.kind = CashBook;
    all.account = true;
    all.accountId = 12;
    all.count = true;
    all.countId = 3;
    QTest::newRow("period, account and count, in that order")
        << all << false << " AND IsPN=True AND (TrDate Between #03/05/2024# And #03/31/2024#) AND TrAcId = 12 AND TrCountId = 3";
    Options unchosen = deadlines({true, true}, {true, true, true});
    unchosen.account = true;
    unchosen.count = true;
    QTest::newRow("boxes checked over empty lists") << unchosen << true << " AND IsPN=False";
}

void TestReportRules::reportQuery()
{
    QFETCH(Options, options);
    QFETCH(bool, debitCreditToPN);
    QFETCH(QString, where);
    const QString sql = ReportSql(options, 7, debitCreditToPN);
    QCOMPARE(sql, ReportSelect() + kSheet + where);
    QVERIFY(ReportSelect().startsWith(QStringLiteral(
        "SELECT TrRowId, TrDbId, TrType, TrDone, TrDate, TrDescription, TrAcId, TrValue, TrBalance, TrGrpType, "
        "TrGrpRow, TrGrpMDay, TrNotes, TrGrpId, Accounts.*, '' AS SearchField, TrAlertDays, CnName, TrAttached FROM ")));
    QVERIFY(!sql.contains(QStringLiteral("ORDER BY")));
}

void TestReportRules::groupKeyOfDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("key");
    const QDate may15(2024, 5, 15);
    // Today is 15 March 2025.
    QTest::newRow("period: today") << QDate(2025, 3, 15) << int(ByPeriod) << 0;
    QTest::newRow("period: long ago") << QDate(2020, 1, 1) << int(ByPeriod) << 0;
    QTest::newRow("period: tomorrow") << QDate(2025, 3, 16) << int(ByPeriod) << 1;
    QTest::newRow("period: last day of the month") << QDate(2025, 3, 31) << int(ByPeriod) << 1;
    QTest::newRow("period: first day of next month") << QDate(2025, 4, 1) << int(ByPeriod) << 2;
    QTest::newRow("month") << may15 << int(ByMonth) << 202405;
    QTest::newRow("quarter") << may15 << int(ByQuarter) << 20242;
    QTest::newRow("quarter of December") << QDate(2024, 12, 31) << int(ByQuarter) << 20244;
    QTest::newRow("four months: May") << may15 << int(ByFourMonths) << 20242;
    QTest::newRow("four months: April") << QDate(2024, 4, 30) << int(ByFourMonths) << 20241;
    QTest::newRow("four months: September") << QDate(2024, 9, 1) << int(ByFourMonths) << 20243;
    QTest::newRow("year") << may15 << int(ByYear) << 2024;
    QTest::newRow("unknown mode") << may15 << 9 << 0;
}

void TestReportRules::groupKeyOfDate()
{
    QFETCH(QDate, date);
    QFETCH(int, mode);
    QFETCH(int, key);
    QCOMPARE(GroupKeyOfDate(date, mode, QDate(2025, 3, 15)), key);
}

void TestReportRules::dateGroupCaptions_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("key");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("caption");
    const QDate may15(2024, 5, 15);
    QTest::newRow("until today") << 3 << int(ByPeriod) << 0 << QDate(2025, 1, 1) << " Until Today";
    QTest::newRow("until end of month") << 3 << int(ByPeriod) << 1 << QDate(2025, 3, 20) << " Until end of month";
    QTest::newRow("next month onwards") << 3 << int(ByPeriod) << 2 << QDate(2025, 6, 1) << " Next month onwards";
    QTest::newRow("Italian: fino ad oggi") << 6 << int(ByPeriod) << 0 << QDate(2025, 1, 1) << " Fino ad oggi";
    QTest::newRow("month") << 3 << int(ByMonth) << 202405 << may15 << " May 2024";
    QTest::newRow("quarter") << 3 << int(ByQuarter) << 20242 << may15 << " Q2 2024";
    QTest::newRow("Italian quarter") << 6 << int(ByQuarter) << 20242 << may15 << " T2 2024";
    QTest::newRow("four months, no leading blank") << 3 << int(ByFourMonths) << 20242 << may15 << "4M2 2024";
    QTest::newRow("Italian four months") << 6 << int(ByFourMonths) << 20243 << QDate(2024, 10, 1) << "Q3 2024";
    QTest::newRow("year") << 3 << int(ByYear) << 2024 << may15 << " 2024";
}

void TestReportRules::dateGroupCaptions()
{
    QFETCH(int, language);
    QFETCH(int, mode);
    QFETCH(int, key);
    QFETCH(QDate, date);
    QFETCH(QString, caption);
    useLanguage(language);
    QCOMPARE(DateGroupCaption(mode, key, date), caption);
}

void TestReportRules::filterSummary_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<Options>("options");
    QTest::addColumn<QString>("summary");

    QTest::newRow("no filter") << 3 << deadlines({true, true}, {true, true, true}) << "Filter: ";
    QTest::newRow("Italian, no filter") << 6 << deadlines({true, true}, {true, true, true}) << "Filtro: ";
    QTest::newRow("open deadlines") << 3 << deadlines({true, false}, {true, true, true}) << "Filter: Open Deadlines";
    QTest::newRow("Italian closed, two types") << 6 << deadlines({false, true}, {true, false, true})
                                               << "Filtro: Scadenze chiuse | Crediti, Appuntamenti";
    Options all = deadlines({true, false}, {false, true, false});
    all.period = true;
    all.from = QDate(2024, 3, 5);
    all.to = QDate(2024, 3, 31);
    all.account = true;
    all.accountName = QStringLiteral("Studio Verdi");
    all.count = true;
    all.countName = QStringLiteral("Bank");
    QTest::newRow("every part") << 3 << all << "Filter: Open Deadlines | Debits | 3/5/2024-3/31/2024 | Studio Verdi | Bank";
    Options cash = all;
    cash.kind = CashBook;
    QTest::newRow("cash book leaves out states and types") << 3 << cash << "Filter: 3/5/2024-3/31/2024 | Studio Verdi | Bank";
}

void TestReportRules::filterSummary()
{
    QFETCH(int, language);
    QFETCH(Options, options);
    QFETCH(QString, summary);
    useLanguage(language);
    QCOMPARE(FilterSummary(options), summary);
    QCOMPARE(PageCounter(3, 12), language == 6 ? QStringLiteral("3 / 12") : QStringLiteral("3 of 12"));
}

void TestReportRules::gridWidthCountsTheHiddenTypeColumn()
{
    Options o;
    o.columns = {true, true, true, true};
    QCOMPARE(ReportGridWidth(o), 14400);
    o.kind = CashBook;
    o.columns = {false, false, false, true};
    QCOMPARE(ReportGridWidth(o), 330 + 330 + 5420 + 1180 + 1180 + 1420);
    QCOMPARE(QLatin1String(PrintedColumns(o).last().key), QLatin1String("TrDate"));
}

QTEST_MAIN(TestReportRules)
#include "tst_reportrules.moc"
