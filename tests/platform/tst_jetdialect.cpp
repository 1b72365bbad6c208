// The Jet dialect on SQLite: statement translation, LIKE patterns and text folding.

#include "platform/RuntimeError.h"
#include "platform/database/JetDialect.h"
#include "platform/database/JetPattern.h"
#include "platform/database/TextFold.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

using namespace platform;

class tst_JetDialect : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void translation_data();
    void translation();
    void refused_data();
    void refused();
    void columnHints();
    void cacheGivesSameTranslation();
    void pattern_data();
    void pattern();
    void filterPattern_data();
    void filterPattern();
    void folding_data();
    void folding();

private:
    std::unique_ptr<JetDialect> m_dialect;
};

void tst_JetDialect::initTestCase()
{
    QFile f(QStringLiteral(ORVEL_SOURCE_DIR "/resources/schema.sql"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
    // The schema names the collation; a stand-in is enough to read the tables.
    sqlite3_create_collation(db, "JETTEXT", SQLITE_UTF8, nullptr,
                             [](void *, int, const void *, int, const void *) { return 0; });
    QCOMPARE(sqlite3_exec(db, f.readAll().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    m_dialect = std::make_unique<JetDialect>(Schema::read(db));
    sqlite3_close(db);
}

void tst_JetDialect::translation_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");

    // Date literals, Jet's two-digit-year rule
    QTest::newRow("date 4-digit year") << "SELECT TrRowId FROM Transactions WHERE TrDate=#03/05/2024#"
                                       << "SELECT TrRowId FROM Transactions WHERE TrDate='2024-03-05'";
    QTest::newRow("date yy 24") << "SELECT 1 AS x WHERE #03/15/24#" << "SELECT 1 AS x WHERE '2024-03-15'";
    QTest::newRow("date yy 00") << "SELECT 1 AS x WHERE #01/02/00#" << "SELECT 1 AS x WHERE '2000-01-02'";
    QTest::newRow("date yy 29") << "SELECT 1 AS x WHERE #03/15/29#" << "SELECT 1 AS x WHERE '2029-03-15'";
    QTest::newRow("date yy 30") << "SELECT 1 AS x WHERE #03/15/30#" << "SELECT 1 AS x WHERE '1930-03-15'";
    QTest::newRow("date yy 99") << "SELECT 1 AS x WHERE #12/31/99#" << "SELECT 1 AS x WHERE '1999-12-31'";
    QTest::newRow("date one digit") << "SELECT 1 AS x WHERE #1/2/3#" << "SELECT 1 AS x WHERE '2003-01-02'";
    QTest::newRow("date with time") << "SELECT 1 AS x WHERE #03/05/2024 14:30:05#" << "SELECT 1 AS x WHERE '2024-03-05 14:30:05'";
    QTest::newRow("date midnight") << "SELECT 1 AS x WHERE #03/05/2024 00:00:00#" << "SELECT 1 AS x WHERE '2024-03-05'";
    QTest::newRow("date day first when month > 12") << "SELECT 1 AS x WHERE #13/01/2024#" << "SELECT 1 AS x WHERE '2024-01-13'";
    QTest::newRow("date between") << "SELECT TrRowId FROM Transactions WHERE IsPN=True And TrDate Between #03/15/24# And #03/15/25#"
                                  << "SELECT TrRowId FROM Transactions WHERE IsPN=1 And TrDate Between '2024-03-15' And '2025-03-15'";

    // Text inside quotes stays as typed
    QTest::newRow("quoted specials") << "SELECT TrRowId FROM Transactions WHERE TrDescription='#01/02/03# & * ? [x] True Not Date()'"
                                     << "SELECT TrRowId FROM Transactions WHERE TrDescription='#01/02/03# & * ? [x] True Not Date()'";
    QTest::newRow("doubled apostrophe") << "INSERT INTO Accounts (AcName) SELECT 'O''Brien & Sons'"
                                        << "INSERT INTO Accounts (AcName) SELECT 'O''Brien & Sons'";
    QTest::newRow("double-quoted text") << "SELECT TrRowId FROM Transactions WHERE TrDescription=\"it's \"\"ok\"\" #1/1/1#\""
                                        << "SELECT TrRowId FROM Transactions WHERE TrDescription='it''s \"ok\" #1/1/1#'";
    QTest::newRow("like pattern kept") << "SELECT AcId FROM Accounts WHERE AcName LIKE '*o''b?[!a-c]#*'"
                                       << "SELECT AcId FROM Accounts WHERE AcName LIKE '*o''b?[!a-c]#*'";
    QTest::newRow("bracketed names") << "SELECT [TrDate] FROM [Transactions] WHERE [TrDbId]=1"
                                     << "SELECT \"TrDate\" FROM \"Transactions\" WHERE \"TrDbId\"=1";

    // & : Null counts as empty text; operands bind tighter than &
    QTest::newRow("concat") << "SELECT Trim(TrDescription & ' ' & Accounts.AcName) AS S FROM Transactions LEFT JOIN Accounts ON Transactions.TrAcId = Accounts.AcId"
                                         << "SELECT Trim(jet_concat(TrDescription, ' ', Accounts.AcName)) AS S FROM Transactions LEFT JOIN Accounts ON Transactions.TrAcId = Accounts.AcId";
    QTest::newRow("concat of columns") << "SELECT TrDescription & TrNotes AS S FROM Transactions"
                                            << "SELECT jet_concat(TrDescription, TrNotes) AS S FROM Transactions";
    QTest::newRow("concat arithmetic operand") << "SELECT TrGrpRow - 1 & '/' & TrGrpMDay AS S FROM Transactions"
                                               << "SELECT jet_concat(TrGrpRow - 1, '/', TrGrpMDay) AS S FROM Transactions";
    QTest::newRow("concat call operand") << "SELECT Len(TrNotes) & 'x' AS S FROM Transactions"
                                         << "SELECT jet_concat(length(TrNotes), 'x') AS S FROM Transactions";
    QTest::newRow("concat in comparison") << "SELECT TrRowId FROM Transactions WHERE TrDescription & 'x' = 'ax'"
                                          << "SELECT TrRowId FROM Transactions WHERE jet_concat(TrDescription, 'x') = 'ax'";

    // Statement forms
    QTest::newRow("delete star") << "DELETE * FROM Transactions WHERE TrDbId=2"
                                 << "DELETE FROM Transactions WHERE TrDbId=2";
    QTest::newRow("delete table star") << "DELETE Transactions.* FROM Transactions WHERE TrDbId=2"
                                       << "DELETE FROM Transactions WHERE TrDbId=2";
    QTest::newRow("toggle done, no date") << "UPDATE Transactions SET Transactions.TrDone = Not TrDone  WHERE Transactions.TrRowId=42"
                                          << "UPDATE Transactions SET TrDone = NOT TrDone WHERE Transactions.TrRowId=42";
    QTest::newRow("toggle done with date") << "UPDATE Transactions SET Transactions.TrDone = Not TrDone ,Transactions.TrDate=#03/05/2024# WHERE Transactions.TrRowId=42"
                                           << "UPDATE Transactions SET TrDone = NOT TrDone ,TrDate='2024-03-05' WHERE Transactions.TrRowId=42";
    QTest::newRow("distinctrow") << "SELECT DISTINCTROW TrDate FROM Transactions WHERE IsPN=False AND TrDbId=1"
                                 << "SELECT TrDate FROM Transactions WHERE IsPN=0 AND TrDbId=1";
    QTest::newRow("true false") << "SELECT TrRowId FROM Transactions WHERE TrDone=True AND IsPN=False"
                                << "SELECT TrRowId FROM Transactions WHERE TrDone=1 AND IsPN=0";
    QTest::newRow("yes/no written -1") << "SELECT TrRowId FROM Transactions WHERE TrDone=-1"
                                       << "SELECT TrRowId FROM Transactions WHERE TrDone=1";
    QTest::newRow("mod") << "SELECT TrRowId FROM Transactions WHERE TrRowId Mod 2 = 0"
                         << "SELECT TrRowId FROM Transactions WHERE TrRowId % 2 = 0";

    // Functions
    QTest::newRow("datediff today") << "SELECT TrRowId FROM Transactions WHERE TrDone=False And DateDiff('d',Date(),TrDate)<=TrAlertDays And TrDbId=1"
                                    << "SELECT TrRowId FROM Transactions WHERE TrDone=0 And jet_datediff('d',jet_date(),TrDate)<=TrAlertDays And TrDbId=1";
    QTest::newRow("month year") << "SELECT TrRowId FROM Transactions WHERE Month(Date())=Month(TrDate)+1 And Year(Date())=Year(TrDate)"
                                << "SELECT TrRowId FROM Transactions WHERE jet_month(jet_date())=jet_month(TrDate)+1 And jet_year(jet_date())=jet_year(TrDate)";
    QTest::newRow("column named like a function") << "SELECT Transactions.Date FROM Transactions"
                                                  << "SELECT Transactions.Date FROM Transactions";

    // Currency literals: exact ten-thousandths
    QTest::newRow("insert amounts") << "INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, TrValue, TrBalance, TrGrpType, TrGrpId, TrAlertDays, TrCountId, TrDone, TrAttached ) SELECT 1, -1, #03/05/2024#, 'x', '', 0,  33.33, -33.33, 'n', 0, 5, 0, -1, NULL"
                                    << "INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, TrValue, TrBalance, TrGrpType, TrGrpId, TrAlertDays, TrCountId, TrDone, TrAttached ) SELECT 1, -1, '2024-03-05', 'x', '', 0, 333300, -333300, 'n', 0, 5, 0, 1, NULL";
    QTest::newRow("insert values") << "INSERT INTO Transactions (TrValue, TrBalance, TrAlertDays) VALUES (0.1, -1E+2, 3)"
                                   << "INSERT INTO Transactions (TrValue, TrBalance, TrAlertDays) VALUES (1000, -1000000, 3)";
    QTest::newRow("rounding half even") << "INSERT INTO Transactions (TrValue, TrBalance) VALUES (0.00005, 0.00015)"
                                        << "INSERT INTO Transactions (TrValue, TrBalance) VALUES (0, 2)";
    QTest::newRow("update amount") << "UPDATE Transactions SET Transactions.TrValue = 12.5, TrBalance = -12.5 WHERE TrRowId=3"
                                   << "UPDATE Transactions SET TrValue = 125000, TrBalance = -125000 WHERE TrRowId=3";
    QTest::newRow("compare amount") << "SELECT TrRowId FROM Transactions WHERE TrValue > -5 AND 10 < TrBalance"
                                    << "SELECT TrRowId FROM Transactions WHERE TrValue > -50000 AND 100000 < TrBalance";
    QTest::newRow("between amounts") << "SELECT TrRowId FROM Transactions WHERE TrValue Between 1 And 2.5"
                                     << "SELECT TrRowId FROM Transactions WHERE TrValue Between 10000 And 25000";
    QTest::newRow("in amounts") << "SELECT TrRowId FROM Transactions WHERE TrValue IN (1, 2)"
                                << "SELECT TrRowId FROM Transactions WHERE TrValue IN (10000, 20000)";
    QTest::newRow("sum of amounts") << "SELECT TrDbId FROM Transactions GROUP BY TrDbId HAVING Sum(TrBalance) > 100"
                                    << "SELECT TrDbId FROM Transactions GROUP BY TrDbId HAVING Sum(TrBalance) > 1000000";
    QTest::newRow("scale factor untouched") << "UPDATE Transactions SET TrBalance = 2 * TrValue WHERE TrValue * 2 > 3"
                                            << "UPDATE Transactions SET TrBalance = 2 * TrValue WHERE TrValue * 2 > 3";
    QTest::newRow("plain numbers untouched") << "SELECT TrRowId FROM Transactions WHERE TrAlertDays > 2.5"
                                             << "SELECT TrRowId FROM Transactions WHERE TrAlertDays > 2.5";

    // Names for unnamed expressions, as Jet gives them
    QTest::newRow("expression names") << "SELECT Max(TrGrpId), TrDate, Count(*) AS N, 1 FROM Transactions"
                                      << "SELECT Max(TrGrpId) AS Expr1000, TrDate, Count(*) AS N, 1 AS Expr1001 FROM Transactions";
}

void tst_JetDialect::translation()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(QString::fromUtf8(m_dialect->translateUncached(jet).sql), sqlite);
}

void tst_JetDialect::refused_data()
{
    QTest::addColumn<QString>("jet");
    QTest::newRow("open quote") << "SELECT * FROM Dbs WHERE DbName='abc";
    QTest::newRow("open bracket") << "SELECT [DbName FROM Dbs";
    QTest::newRow("bad date") << "SELECT * FROM Transactions WHERE TrDate=#02/30/2024#";
    QTest::newRow("date not closed") << "SELECT * FROM Transactions WHERE TrDate=#02/03/2024";
    QTest::newRow("unbalanced") << "SELECT * FROM Transactions WHERE (TrDbId=1";
    QTest::newRow("extra paren") << "SELECT * FROM Transactions WHERE TrDbId=1)";
    QTest::newRow("text too long") << QStringLiteral("INSERT INTO Counts (CnName) SELECT '")
                                          + QString(51, QLatin1Char('x')) + QLatin1Char('\'');
    QTest::newRow("amount overflow") << "UPDATE Transactions SET TrValue = 99999999999999999999";
    QTest::newRow("dangling &") << "SELECT TrDescription & FROM Transactions";
}

void tst_JetDialect::refused()
{
    QFETCH(QString, jet);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_dialect->translateUncached(jet));
}

void tst_JetDialect::columnHints()
{
    const Translation t = m_dialect->translateUncached(
        QStringLiteral("SELECT Sum(TrBalance) AS S, Count(TrRowId) AS CTR, Min(Transactions.TrDate) AS Date1, "
                       "Max(TrGrpId) FROM Transactions"));
    QCOMPARE(t.hints.value(QStringLiteral("s")).type, FieldType::Currency);
    QCOMPARE(t.hints.value(QStringLiteral("ctr")).type, FieldType::BigInt);
    QCOMPARE(t.hints.value(QStringLiteral("date1")).type, FieldType::Date);
    QCOMPARE(t.hints.value(QStringLiteral("expr1000")).type, FieldType::Integer);
}

void tst_JetDialect::cacheGivesSameTranslation()
{
    const QString sql = QStringLiteral("SELECT * FROM Dbs WHERE DbId=5");
    const auto a = m_dialect->translate(sql);
    const auto b = m_dialect->translate(sql);
    QCOMPARE(a.get(), b.get());
    QCOMPARE(a->sql, m_dialect->translateUncached(sql).sql);
}

void tst_JetDialect::pattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");
    QTest::newRow("contains") << "*o'b*" << "Mr O'Brien" << true;
    QTest::newRow("contains, no") << "*o'b*" << "Mr OBrien" << false;
    QTest::newRow("star empty") << "*" << "" << true;
    QTest::newRow("question") << "a?c" << "abc" << true;
    QTest::newRow("question needs one") << "a?c" << "ac" << false;
    QTest::newRow("digit") << "INV-###" << "inv-042" << true;
    QTest::newRow("digit refuses letter") << "INV-###" << "INV-04a" << false;
    QTest::newRow("set range") << "[a-c]x" << "Bx" << true;
    QTest::newRow("negated set") << "[!a-c]x" << "dx" << true;
    QTest::newRow("negated set refuses") << "[!a-c]x" << "bx" << false;
    QTest::newRow("bracketed star is literal") << "5[*]" << "5*" << true;
    QTest::newRow("bracketed star refuses") << "5[*]" << "55" << false;
    QTest::newRow("accent and case") << "ÉLAN*" << "elan vital" << true;
    QTest::newRow("backtracking") << "*ab*ab" << "xxabyyabab" << true;
    QTest::newRow("percent is literal") << "50%" << "500" << false;
}

void tst_JetDialect::pattern()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, matches);
    const auto p = JetPattern::fromJet(pattern);
    QVERIFY(p);
    QCOMPARE(p->matches(text), matches);
}

void tst_JetDialect::filterPattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");
    QTest::newRow("both ends") << "*o'b*" << "Bob O'Brien" << true;
    QTest::newRow("percent ends") << "%rie%" << "O'Brien" << true;
    QTest::newRow("start only") << "o'b*" << "Bob O'Brien" << false;
    QTest::newRow("inner star literal") << "*a*b*" << "xa*by" << true;
    QTest::newRow("inner star not a wildcard") << "*a*b*" << "xaby" << false;
    QTest::newRow("question literal") << "*?*" << "why?" << true;
    QTest::newRow("question not a wildcard") << "*?*" << "why" << false;
}

void tst_JetDialect::filterPattern()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, matches);
    QCOMPARE(JetPattern::fromFilter(pattern).matches(text), matches);
}

void tst_JetDialect::folding_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order");
    QTest::newRow("case") << "b" << "B" << 0;
    QTest::newRow("accent") << "élan" << "Elan" << 0;
    QTest::newRow("accent upper") << "ÉCOLE" << "ecole" << 0;
    QTest::newRow("a before B") << "a" << "B" << -1;
    QTest::newRow("accent sorts with its letter") << "éz" << "f" << -1;
    QTest::newRow("prefix") << "Ros" << "rossi" << -1;
    QTest::newRow("sharp s") << "Straße" << "STRASSE" << 0;
}

void tst_JetDialect::folding()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, order);
    QCOMPARE(compareFolded(a, b), order);
    QCOMPARE(compareFolded(b, a), -order);
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    QCOMPARE(compareFoldedUtf8(ua.constData(), int(ua.size()), ub.constData(), int(ub.size())), order);
}

QTEST_GUILESS_MAIN(tst_JetDialect)
#include "tst_jetdialect.moc"
