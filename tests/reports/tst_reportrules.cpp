// The report's rules: the rows the query of an option set selects, the date group keys and captions, the
// filter summary and page counter in English and Italian, and the grid's width.

#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/cLang.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/database/ScopedTransaction.h"
#include "reports/ReportRules.h"

#include <QTest>

using namespace ReportRules;

namespace {

// The report's sheet holds a deadline of each type in each state, a cash-book income and expense; another
// sheet holds one more row. Account 12 and count 3 are named by some of them.
void fillReportRows(const QString &file)
{
    platform::Connection cn;
    cn.Open(testenv::connectionString(file));
    platform::ScopedTransaction transaction(cn);
    const auto add = [&cn](int sheet, const char *name, int type, bool done, bool cash, const char *date, int acId,
                           int countId) {
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDone, IsPN, TrDate, TrDescription, "
                                  "TrAcId, TrCountId ) SELECT %1, %2, %3, %4, #%5#, '%6', %7, %8")
                       .arg(sheet)
                       .arg(type)
                       .arg(done ? QStringLiteral("True") : QStringLiteral("False"),
                            cash ? QStringLiteral("True") : QStringLiteral("False"), QLatin1String(date),
                            QLatin1String(name))
                       .arg(acId)
                       .arg(countId));
    };
    add(7, "open credit", 1, false, false, "03/10/2024", 12, 3);
    add(7, "closed credit", 1, true, false, "03/20/2024", 12, 0);
    add(7, "open debit", -1, false, false, "04/10/2024", 0, 3);
    add(7, "closed debit", -1, true, false, "03/05/2024", 12, 3);
    add(7, "open appointment", -2, false, false, "03/31/2024", 0, 0);
    add(7, "closed appointment", -2, true, false, "02/01/2024", 0, 0);
    add(7, "income", 1, true, true, "03/15/2024", 12, 3);
    add(7, "expense", -1, true, true, "03/31/2024", 0, 0);
    add(8, "other sheet", 1, false, false, "03/15/2024", 12, 3);
    transaction.commit();
}

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
    QString m_file;   // the database of the report's rows
};

void TestReportRules::initTestCase()
{
    m_box = std::make_unique<testenv::Sandbox>();
    m_file = m_box->makeDatabase(m_box->root() + QStringLiteral("/report"));
    fillReportRows(m_file);
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
    QTest::addColumn<QStringList>("expected");
    const QStringList deadlines6 = {QStringLiteral("closed appointment"), QStringLiteral("closed credit"),
                                    QStringLiteral("closed debit"),       QStringLiteral("open appointment"),
                                    QStringLiteral("open credit"),        QStringLiteral("open debit")};

    QTest::newRow("opening: open deadlines, every type")
        << deadlines({true, false}, {true, true, true}) << true
        << QStringList{QStringLiteral("open appointment"), QStringLiteral("open credit"), QStringLiteral("open debit")};
    QTest::newRow("closed deadlines") << deadlines({false, true}, {true, true, true}) << true
                                      << QStringList{QStringLiteral("closed appointment"),
                                                     QStringLiteral("closed credit"), QStringLiteral("closed debit")};
    QTest::newRow("both states, every type") << deadlines({true, true}, {true, true, true}) << true << deadlines6;
    QTest::newRow("debits and appointments")
        << deadlines({true, true}, {false, true, true}) << true
        << QStringList{QStringLiteral("closed appointment"), QStringLiteral("closed debit"),
                       QStringLiteral("open appointment"), QStringLiteral("open debit")};
    QTest::newRow("credits and appointments")
        << deadlines({true, true}, {true, false, true}) << true
        << QStringList{QStringLiteral("closed appointment"), QStringLiteral("closed credit"),
                       QStringLiteral("open appointment"), QStringLiteral("open credit")};
    QTest::newRow("appointments only") << deadlines({true, true}, {false, false, true}) << true
                                       << QStringList{QStringLiteral("closed appointment"),
                                                      QStringLiteral("open appointment")};
    QTest::newRow("open credits") << deadlines({true, false}, {true, false, false}) << true
                                  << QStringList{QStringLiteral("open credit")};

    Options cash = deadlines({false, true}, {false, true, false});
    cash.kind = CashBook;
    QTest::newRow("cash book ignores states and types")
        << cash << false << QStringList{QStringLiteral("expense"), QStringLiteral("income")};
    QTest::newRow("cash book with closed deadlines as movements")
        << cash << true
        << QStringList{QStringLiteral("closed credit"), QStringLiteral("closed debit"), QStringLiteral("expense"),
                       QStringLiteral("income")};

    Options period = deadlines({true, true}, {true, true, true});
    period.period = true;
    period.from = QDate(2024, 3, 5);
    period.to = QDate(2024, 3, 31);
    const QStringList inMarch = {QStringLiteral("closed credit"), QStringLiteral("closed debit"),
                                 QStringLiteral("open appointment"), QStringLiteral("open credit")};
    QTest::newRow("period, both ends included") << period << true << inMarch;
    period.from = QDate(2024, 3, 31);
    period.to = QDate(2024, 3, 5);
    QTest::newRow("period given backwards") << period << true << inMarch;

    Options all = period;
    all.kind = CashBook;
    all.account = true;
    all.accountId = 12;
    all.count = true;
    all.countId = 3;
    QTest::newRow("period, account and count")
        << all << true << QStringList{QStringLiteral("closed debit"), QStringLiteral("income")};
    Options unchosen = deadlines({true, true}, {true, true, true});
    unchosen.account = true;
    unchosen.count = true;
    QTest::newRow("boxes checked over empty lists") << unchosen << true << deadlines6;
}

void TestReportRules::reportQuery()
{
    QFETCH(Options, options);
    QFETCH(bool, debitCreditToPN);
    QFETCH(QStringList, expected);
    platform::Recordset rs;
    rs.Open(ReportSql(options, 7, debitCreditToPN), testenv::connectionString(m_file));
    QStringList listed;
    for (; !rs.EOF(); rs.MoveNext())
        listed << rs.value(QStringLiteral("TrDescription")).toString();
    listed.sort();
    QCOMPARE(listed, expected);
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
