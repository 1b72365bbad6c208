// The database layer on a copy of master.gen: the Jet dialect and its functions, recordsets and their
// filters, transactions, the lock file and the failures around opening. The statements here are the test's
// own; the program's statements are tested with the modules that build them.

#include "tests/common/TestEnv.h"

#include "platform/Clock.h"
#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/Currency.h"
#include "platform/database/JetPattern.h"
#include "platform/database/ScopedTransaction.h"
#include "platform/database/TextFold.h"
#include "platform/database/LockFile.h"
#include "platform/database/Recordset.h"
#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTextStream>

#include <unistd.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

using namespace platform;

namespace {

// The first word of every description, sorted: the rows are named r1, r2, ... by their descriptions.
QStringList names(Recordset &rs)
{
    QStringList out;
    for (rs.MoveFirst(); !rs.EOF(); rs.MoveNext())
        out << rs.value(QStringLiteral("TrDescription")).toString().section(QLatin1Char(' '), 0, 0);
    std::sort(out.begin(), out.end());
    return out;
}

QStringList namesOf(const QString &connectionString, const QString &sql)
{
    Recordset rs;
    rs.Open(sql, connectionString);
    return names(rs);
}

QVariant scalar(const QString &connectionString, const QString &sql)
{
    Recordset rs;
    rs.Open(sql, connectionString);
    return rs.EOF() ? QVariant() : rs.value(0);
}

// What a child process of this test reports by its exit code.
enum ChildResult { ChildOpened = 0, ChildFailed = 1, ChildRefusedHeld = 3, ChildRefusedInUse = 4 };

// Child processes of this test, another program on the same database: "--child-open <file>" opens a
// connection and closes it; "--child-keep-open <file>" and "--child-hold <file>" open it or hold it, write
// "ready" and wait until their input is closed.
int childMain(const QString &mode, const QString &file)
{
    try {
        Connection c;
        if (mode == QLatin1String("--child-hold"))
            holdDatabase(file);
        else
            c.Open(connectionStringFor(file));
        if (mode != QLatin1String("--child-open")) {
            QTextStream(stdout) << "ready" << Qt::endl;
            QFile in;
            in.open(stdin, QIODevice::ReadOnly);
            in.readAll();
        }
        return ChildOpened;
    } catch (const RuntimeError &e) {
        return e.number() == errors::DbHeldElsewhere ? ChildRefusedHeld
               : e.number() == errors::DbInUse       ? ChildRefusedInUse
                                                     : ChildFailed;
    }
}

int runChild(const QString &mode, const QString &file)
{
    return QProcess::execute(QCoreApplication::applicationFilePath(), {mode, file});
}

// A child that keeps the database open or held while it lives.
class WaitingChild
{
public:
    WaitingChild(const QString &mode, const QString &file)
    {
        m_p.start(QCoreApplication::applicationFilePath(), {mode, file});
        m_ready = m_p.waitForReadyRead(30000) && m_p.readLine().trimmed() == "ready";
    }
    ~WaitingChild() { finish(); }
    bool ready() const { return m_ready; }
    int finish()
    {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.closeWriteChannel();
            m_p.waitForFinished(30000);
        }
        return m_p.exitCode();
    }

private:
    QProcess m_p;
    bool m_ready = false;
};

} // namespace

class tst_Database : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void templateHasTheTables();
    void todayFollowsTheClock();
    void sqlFunctions_data();
    void sqlFunctions();
    void recordsetEnds();
    void deleteStarAndOneStatement();
    void requerySeesNewRows();
    void distinctRowAndDateFilter();
    void filterOnLoadedRows();
    void likeOnStoredTexts_data();
    void likeOnStoredTexts();
    void storedValuesReadBack_data();
    void storedValuesReadBack();
    void manyRowsKeepTheirTexts();
    void olderTemplateGetsItsIndexes();
    void filterRefusedKeepsPrevious();
    void textCompareFoldsCaseAndAccents();
    void amountsAreExact();
    void amountsShownAtTheirBounds_data();
    void amountsShownAtTheirBounds();
    void sumsNeverWrap_data();
    void sumsNeverWrap();
    void amountsReadAtTheirBounds_data();
    void amountsReadAtTheirBounds();
    void failuresTellTheirKind_data();
    void failuresTellTheirKind();
    void textTooLongIsRefused();
    void idsAreNeverReused();
    void transactionSavesAllOrNothing_data();
    void transactionSavesAllOrNothing();
    void openMissingFileCreatesNothing();
    void openNonDatabase_data();
    void openNonDatabase();
    void damagedFileTakesNoWrite();
    void readOnlyFolderOpensReadOnly();
    void lockFileLivesWithConnections();
    void staleLockIsNotLive();
    void holdKeepsOtherProcessesOut();
    void holdWaitsForOtherProcesses();
    void fileNameSurvivesTheConnectionString_data();
    void fileNameSurvivesTheConnectionString();
    void addNewReturnsAutoNumber();
    void editAndDeleteThroughRecordset();
    void readOnlyRecordsetRefusesEdits();
    void cursorMovesOverFilteredRows();
    void maxRecordsReadsTheFirstRows_data();
    void maxRecordsReadsTheFirstRows();
    void recordsetOutlivesItsConnection();
    void fieldTypesAndSizes();

private:
    std::unique_ptr<testenv::Sandbox> m_sandbox;
    QString m_file;
    QString m_cs;
    QMap<QString, qint64> m_ids;        // row name -> TrRowId

    void exec(const QString &sql)
    {
        Connection c;
        c.Open(m_cs);
        c.Execute(sql);
    }
    qint64 addRow(const QString &name, int sheet, int type, const QString &jetDate, bool done, bool cash,
                  int alertDays, int account = 0, const QString &amount = QStringLiteral(" 10"));
    Connection *m_seed = nullptr;       // the connection of init()'s rows, one transaction for all
};

qint64 tst_Database::addRow(const QString &name, int sheet, int type, const QString &jetDate, bool done, bool cash,
                            int alertDays, int account, const QString &amount)
{
    Connection own;
    if (!m_seed)
        own.Open(m_cs);
    Connection &c = m_seed ? *m_seed : own;
    c.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, "
                             "TrValue, TrBalance, TrGrpType, TrGrpId, TrAlertDays, TrCountId, TrDone, TrAttached, IsPN ) "
                             "SELECT %1, %2, %3, '%4', '', %5, %6, %6, 'n', 0, %7, 0, %8, NULL, %9")
                  .arg(sheet).arg(type).arg(jetDate, name).arg(account).arg(amount).arg(alertDays)
                  .arg(done ? QStringLiteral("-1") : QStringLiteral("0"), cash ? QStringLiteral("True") : QStringLiteral("False")));
    m_ids.insert(name.section(QLatin1Char(' '), 0, 0), c.lastInsertId());
    return c.lastInsertId();
}

void tst_Database::init()
{
    m_sandbox = std::make_unique<testenv::Sandbox>();      // today is 15 March 2025
    m_file = m_sandbox->makeDatabase(m_sandbox->documents() + QStringLiteral("/Orvel3DB"));
    m_cs = testenv::connectionString(m_file);
    m_ids.clear();

    Connection seed;
    seed.Open(m_cs);
    ScopedTransaction transaction(seed);
    m_seed = &seed;
    seed.Execute(QStringLiteral("INSERT INTO Accounts (AcName, AcNotes) SELECT 'O''Brien Srl', NULL"));
    // Sheet 1: deadlines r1, r2, r3, r8; cash-book movements r4 to r7. Sheet 2: r9.
    addRow(QStringLiteral("r1"), 1, 1, QStringLiteral("#03/18/2025#"), false, false, 5);
    addRow(QStringLiteral("r2"), 1, -2, QStringLiteral("#04/30/2025#"), false, false, 5, 1);
    addRow(QStringLiteral("r3"), 1, -1, QStringLiteral("#03/01/2025#"), true, false, 5);
    addRow(QStringLiteral("r4"), 1, 1, QStringLiteral("#03/10/2025#"), true, true, 0);
    addRow(QStringLiteral("r5"), 1, -1, QStringLiteral("#02/20/2025#"), true, true, 0);
    addRow(QStringLiteral("r6"), 1, 1, QStringLiteral("#06/01/2024#"), true, true, 0);
    addRow(QStringLiteral("r7"), 1, 1, QStringLiteral("#01/10/2024#"), true, true, 0);
    addRow(QStringLiteral("r8 vendor o''bryan"), 1, -1, QStringLiteral("#01/01/2025#"), false, false, 0);
    addRow(QStringLiteral("r9"), 2, 1, QStringLiteral("#03/16/2025#"), false, false, 5);
    transaction.commit();
    m_seed = nullptr;
}

void tst_Database::cleanup()
{
    m_sandbox.reset();
}

void tst_Database::templateHasTheTables()
{
    // The database test of the start-up: each table opened by name, 25 columns in all.
    int columns = 0;
    for (const char *table : {"Transactions", "Accounts", "Counts", "Dbs"}) {
        Recordset rs;
        rs.Open(QString::fromLatin1(table), m_cs, Recordset::adOpenForwardOnly, Recordset::adLockReadOnly);
        columns += rs.fieldCount();
    }
    QCOMPARE(columns, 25);
}

void tst_Database::todayFollowsTheClock()
{
    // Date() is read at each run: the same statement text gives the answer of the new day.
    const QString sql = QStringLiteral("SELECT TrDescription FROM Transactions WHERE TrDate<=Date() AND TrDbId=1");
    QCOMPARE(namesOf(m_cs, sql), (QStringList{QStringLiteral("r3"), QStringLiteral("r4"), QStringLiteral("r5"),
                                              QStringLiteral("r6"), QStringLiteral("r7"), QStringLiteral("r8")}));
    setToday(QDate(2025, 4, 28));
    QCOMPARE(namesOf(m_cs, sql),
             (QStringList{QStringLiteral("r1"), QStringLiteral("r3"), QStringLiteral("r4"), QStringLiteral("r5"),
                          QStringLiteral("r6"), QStringLiteral("r7"), QStringLiteral("r8")}));
}

void tst_Database::sqlFunctions_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("expected");     // an invalid QVariant: Null
    QTest::newRow("days ahead") << "DateDiff('d', Date(), #03/20/2025#)" << QVariant(5);
    QTest::newRow("days overdue") << "DateDiff('d', #03/15/2025#, #01/01/2025#)" << QVariant(-73);
    QTest::newRow("days over a leap day") << "DateDiff('d', #02/28/2024#, #03/01/2024#)" << QVariant(2);
    QTest::newRow("month boundary") << "DateDiff('m', #01/31/2025#, #02/01/2025#)" << QVariant(1);
    QTest::newRow("year boundary") << "DateDiff('yyyy', #12/31/2024#, #01/01/2025#)" << QVariant(1);
    QTest::newRow("quarter boundary") << "DateDiff('q', #03/31/2025#, #04/01/2025#)" << QVariant(1);
    QTest::newRow("weeks by Sundays") << "DateDiff('ww', #03/15/2025#, #03/16/2025#)" << QVariant(1);
    QTest::newRow("whole weeks") << "DateDiff('w', #03/15/2025#, #03/21/2025#)" << QVariant(0);
    QTest::newRow("hours") << "DateDiff('h', #03/15/2025 23:59:00#, #03/16/2025 00:01:00#)" << QVariant(1);
    QTest::newRow("diff of Null") << "DateDiff('d', Date(), Null)" << QVariant();
    QTest::newRow("month of Null") << "Month(Null)" << QVariant();
    QTest::newRow("year") << "Year(#02/29/2024#)" << QVariant(2024);
    QTest::newRow("month of today") << "Month(Date())" << QVariant(3);
    QTest::newRow("day") << "Day(#02/29/2024#)" << QVariant(29);
    QTest::newRow("weekday Sunday") << "Weekday(#03/16/2025#)" << QVariant(1);
    QTest::newRow("today") << "Date()" << QVariant(QStringLiteral("2025-03-15"));
    QTest::newRow("trim") << "Trim('  a b  ')" << QVariant(QStringLiteral("a b"));
    QTest::newRow("Null & Null") << "Null & Null" << QVariant();
    QTest::newRow("Null & text") << "Null & 'x' & Null" << QVariant(QStringLiteral("x"));
    QTest::newRow("number & text") << "'a' & 5" << QVariant(QStringLiteral("a5"));
    QTest::newRow("len") << "Len('abc')" << QVariant(3);
    QTest::newRow("nz") << "Nz(Null, 'd')" << QVariant(QStringLiteral("d"));
    QTest::newRow("iif") << "IIf(1 > 2, 'y', 'n')" << QVariant(QStringLiteral("n"));
    QTest::newRow("like accent") << "IIf('Élan' LIKE 'el*', 'y', 'n')" << QVariant(QStringLiteral("y"));
    QTest::newRow("date serial") << "DateSerial(2025, 3, 15)" << QVariant(QStringLiteral("2025-03-15"));
    QTest::newRow("month past December") << "DateSerial(2024, 13, 1)" << QVariant(QStringLiteral("2025-01-01"));
    QTest::newRow("month before January") << "DateSerial(2025, 0, 1)" << QVariant(QStringLiteral("2024-12-01"));
    QTest::newRow("day before the first") << "DateSerial(2024, 3, 0)" << QVariant(QStringLiteral("2024-02-29"));
    QTest::newRow("days past the month") << "DateSerial(2025, 1, 32)" << QVariant(QStringLiteral("2025-02-01"));
    QTest::newRow("two-digit year, 20xx") << "DateSerial(29, 1, 1)" << QVariant(QStringLiteral("2029-01-01"));
    QTest::newRow("two-digit year, 19xx") << "DateSerial(30, 1, 1)" << QVariant(QStringLiteral("1930-01-01"));
    QTest::newRow("next month from today") << "DateSerial(Year(Date()), Month(Date()) + 1, 1)"
                                           << QVariant(QStringLiteral("2025-04-01"));
    QTest::newRow("date serial of Null") << "DateSerial(2025, Null, 1)" << QVariant();
}

void tst_Database::sqlFunctions()
{
    QFETCH(QString, expression);
    QFETCH(QVariant, expected);
    const QVariant v = scalar(m_cs, QStringLiteral("SELECT ") + expression + QStringLiteral(" AS X"));
    QCOMPARE(v.isNull(), !expected.isValid());
    if (expected.isValid())
        QCOMPARE(v.toString(), expected.toString());
}

void tst_Database::recordsetEnds()
{
    exec(QStringLiteral("INSERT INTO Dbs ( DbId, DbName ) SELECT 5, 'Fifth'"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT DbName FROM Dbs WHERE DbId>1"), m_cs);
    QVERIFY(!rs.EOF());
    // Field names are matched without regard to case.
    QCOMPARE(rs.Fields(QStringLiteral("DBName")).Value().toString(), QStringLiteral("Fifth"));
    rs.Close();

    rs.Open(QStringLiteral("SELECT DbName FROM Dbs WHERE DbId>5"), m_cs);
    QVERIFY(rs.EOF());
    QVERIFY(rs.BOF());
    rs.Close();

    rs.Open(QStringLiteral("SELECT DbId FROM Dbs ORDER BY DbId DESC"), m_cs, Recordset::adOpenForwardOnly);
    QCOMPARE(rs.value(QStringLiteral("DbId")).toInt(), 5);
    rs.MoveNext();
    QCOMPARE(rs.value(QStringLiteral("DbId")).toInt(), 1);
    rs.MoveNext();
    QVERIFY(rs.EOF());
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.value(0));
}

void tst_Database::deleteStarAndOneStatement()
{
    Connection c;
    c.Open(m_cs);
    // Jet's "DELETE *" deletes the rows and tells how many, inside a transaction or not.
    ScopedTransaction transaction(c);
    QCOMPARE(c.Execute(QStringLiteral("DELETE * FROM Transactions WHERE TrDescription='r9'")), 1L);
    QCOMPARE(c.Execute(QStringLiteral("DELETE * FROM Dbs WHERE DbName='none'")), 0L);
    transaction.commit();
    QCOMPARE(c.Execute(QStringLiteral("DELETE * FROM Transactions WHERE TrDate<=#03/01/2025# AND TrDone=True")), 4L);
    QCOMPARE(namesOf(m_cs, QStringLiteral("SELECT TrDescription FROM Transactions")),
             (QStringList{QStringLiteral("r1"), QStringLiteral("r2"), QStringLiteral("r4"), QStringLiteral("r8")}));

    // One statement at a time: a second one after a semicolon is refused and nothing runs.
    QVERIFY_THROWS_EXCEPTION(RuntimeError, c.Execute(QStringLiteral("DELETE * FROM Dbs WHERE DbId=9; DELETE * FROM Transactions")));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, c.Execute(QStringLiteral("SELECT * FROM Dbs WHERE DbName='x' OR 'a' LIKE 'a' ESCAPE '!'")));
    QCOMPARE(scalar(m_cs, QStringLiteral("SELECT Count(*) AS N FROM Transactions")).toInt(), 4);
    QCOMPARE(c.Execute(QStringLiteral("SELECT * FROM Dbs")), 0L);
}

void tst_Database::requerySeesNewRows()
{
    Recordset counts;
    counts.Open(QStringLiteral("Counts"), m_cs, Recordset::adOpenStatic, Recordset::adLockReadOnly, Recordset::adCmdTable);
    QCOMPARE(counts.RecordCount(), 0);
    Connection c;
    c.Open(m_cs);
    QCOMPARE(c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Till'")), 1L);
    QCOMPARE(c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Safe'")), 1L);
    const qint64 safe = c.lastInsertId();
    counts.Requery();
    QCOMPARE(counts.RecordCount(), 2);
    counts.MoveLast();
    QCOMPARE(counts.value(QStringLiteral("CnId")).toLongLong(), safe);
    QCOMPARE(counts.value(QStringLiteral("CnName")).toString(), QStringLiteral("Safe"));
}

void tst_Database::distinctRowAndDateFilter()
{
    addRow(QStringLiteral("d1"), 3, 1, QStringLiteral("#03/05/2024#"), false, false, 0);
    addRow(QStringLiteral("d2"), 3, 1, QStringLiteral("#03/05/2024#"), false, false, 0);
    addRow(QStringLiteral("d3"), 3, 1, QStringLiteral("#03/07/2024#"), true, false, 0);
    Recordset rs;
    rs.Open(QStringLiteral("SELECT DISTINCTROW TrDate FROM Transactions WHERE IsPN=False AND TrDbId=3"), m_cs);
    QCOMPARE(rs.RecordCount(), 3);      // one row per row of the table, as on one table Jet gives them

    // Filters on a date, as ISO text or as a Jet literal, over the loaded rows.
    const auto rowsOn = [&](const QString &iso) {
        rs.setFilter(QStringLiteral("TrDate=") + iso);
        return rs.RecordCount();
    };
    QCOMPARE(rowsOn(QStringLiteral("'2024-03-05'")), 2);
    QCOMPARE(rowsOn(QStringLiteral("'2024-03-06'")), 0);
    QVERIFY(rs.EOF());
    QCOMPARE(rowsOn(QStringLiteral("'2024-03-07'")), 1);
    QCOMPARE(rowsOn(QStringLiteral("#03/07/2024#")), 1);
    rs.setFilter(QString());
    QCOMPARE(rs.RecordCount(), 3);
}

void tst_Database::filterOnLoadedRows()
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT Transactions.*, AcName FROM Transactions LEFT JOIN Accounts ON "
                           "Transactions.TrAcId = Accounts.AcId WHERE TrDbId=1 AND IsPN=False"),
            m_cs);
    rs.setFilter(QStringLiteral("TrDescription = 'r8 vendor o''bryan'"));
    const Recordset::Bookmark r8 = rs.bookmark();

    // A row added after the opening is not seen: the filter works on the rows loaded at Open.
    exec(QStringLiteral("INSERT INTO Transactions (TrDbId, TrDescription, IsPN) SELECT 1, 'r10 o''bar', False"));

    rs.setFilter(QStringLiteral("TrDescription LIKE '*o''b*' OR AcName LIKE '*o''b*'"));
    QCOMPARE(names(rs), (QStringList{QStringLiteral("r2"), QStringLiteral("r8")}));
    rs.setFilter(QStringLiteral("TrDescription LIKE '*O''B*'"));
    QCOMPARE(names(rs), (QStringList{QStringLiteral("r8")}));
    rs.setFilter(QStringLiteral("TrDescription = 'R1' OR (TrAlertDays > 4 AND TrType = -2)"));
    QCOMPARE(names(rs), (QStringList{QStringLiteral("r1"), QStringLiteral("r2")}));
    rs.setFilter(QStringLiteral("TrValue >= 10 AND TrDate < '2025-03-18' AND TrDone = False"));
    QCOMPARE(names(rs), (QStringList{QStringLiteral("r8")}));
    rs.setFilter(QStringLiteral("AcName = Null"));
    QCOMPARE(rs.RecordCount(), 3);

    // Bookmarks name the same row whatever the filter.
    rs.setFilter(QStringLiteral("TrDescription LIKE '*o''b*'"));
    rs.setBookmark(r8);
    QCOMPARE(rs.value(QStringLiteral("TrRowId")).toLongLong(), m_ids.value(QStringLiteral("r8")));
    rs.setFilter(QString());
    QCOMPARE(rs.RecordCount(), 4);
    rs.setBookmark(r8);
    QCOMPARE(rs.value(QStringLiteral("TrRowId")).toLongLong(), m_ids.value(QStringLiteral("r8")));
    QCOMPARE(rs.valueAt(r8, rs.fieldIndex(QStringLiteral("TrDescription"))).toString(), QStringLiteral("r8 vendor o'bryan"));

    // A search text holding the filter's wildcards in the middle does not fail.
    rs.setFilter(QStringLiteral("TrDescription LIKE '*50%off*'"));
    QCOMPARE(rs.RecordCount(), 0);
}

void tst_Database::likeOnStoredTexts_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("filterSyntax");   // the recordset filter's LIKE, else the SQL one
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    const bool filter = true, sql = false;
    QTest::newRow("ASCII, other case") << "*INVOICE*" << filter << "Monthly invoice 12" << true;
    QTest::newRow("ASCII, not there") << "*rent*" << filter << "Monthly invoice 12" << false;
    QTest::newRow("accented text, plain search") << "*elan*" << filter << "Studio Élan Design" << true;
    QTest::newRow("accented search, plain text") << "*élan*" << filter << "elan design" << true;
    QTest::newRow("a letter of no plain form, ASCII text") << "*ø*" << filter << "Design" << false;
    QTest::newRow("a letter of no plain form, found") << "*Ø*" << filter << "Søren" << true;
    QTest::newRow("sharp s as two letters") << "*strasse*" << filter << "Müllerstraße 4" << true;
    QTest::newRow("capitals of accented letters") << "*CAFFÈ*" << filter << "caffè e più" << true;
    QTest::newRow("apostrophe") << "*dell'anno*" << filter << "Saldo DELL'ANNO" << true;
    QTest::newRow("start only") << "inv*" << filter << "Invoice" << true;
    QTest::newRow("start only, elsewhere") << "voice*" << filter << "Invoice" << false;
    QTest::newRow("end only") << "*VOICE" << filter << "invoice" << true;
    QTest::newRow("no wildcard: the whole text") << "invoice" << filter << "Invoice" << true;
    QTest::newRow("no wildcard, longer text") << "invoice" << filter << "Invoices" << false;
    QTest::newRow("wildcard inside stands for itself") << "*50%off*" << filter << "50% off" << false;
    QTest::newRow("wildcard inside found") << "*50%off*" << filter << "get 50%OFF now" << true;
    QTest::newRow("only a run") << "*" << filter << "" << true;
    QTest::newRow("empty pattern, empty text") << "" << filter << "" << true;
    QTest::newRow("empty pattern, some text") << "" << filter << "x" << false;
    QTest::newRow("a letter just past the Latin ones") << "*ɐ*" << filter << "xɐy" << true;
    QTest::newRow("accents after another script") << "*CAFE*" << filter << "東京 Café" << true;
    QTest::newRow("a three-byte character is not a Latin one") << "*a*" << filter << "㡀" << false;
    QTest::newRow("a combining accent") << "*cafe b*" << filter << "Cafe\u0301 bar" << true;
    QTest::newRow("an emoji, then accents") << "*élan*" << filter << "🎉 ÉLAN" << true;
    QTest::newRow("plain letters among accented ones") << "*IN*" << filter << "più invoice" << true;
    QTest::newRow("plain letters at the start of accented text") << "inv*" << filter << "Invoice più" << true;
    QTest::newRow("accented text, plain letters only when folded") << "caffe" << filter << "CAFFÈ" << true;
    QTest::newRow("SQL any one") << "r?nt*" << sql << "Rent March" << true;
    QTest::newRow("SQL digit") << "*#*" << sql << "città" << false;
    QTest::newRow("SQL set") << "[a-c]*" << sql << "Élan" << false;
    QTest::newRow("SQL set, accented") << "[d-f]*" << sql << "Élan" << true;
    QTest::newRow("SQL literal, accents") << "*PIU*" << sql << "un po' di più" << true;
}

void tst_Database::likeOnStoredTexts()
{
    QFETCH(QString, pattern);
    QFETCH(bool, filterSyntax);
    QFETCH(QString, text);
    QFETCH(bool, expected);
    const auto compiled = filterSyntax ? std::optional<JetPattern>(JetPattern::fromFilter(pattern)) : JetPattern::fromJet(pattern);
    QVERIFY(compiled);
    const QByteArray utf8 = text.toUtf8();
    QCOMPARE(compiled->matches(text), expected);
    QCOMPARE(compiled->matchesUtf8(utf8.constData(), int(utf8.size())), expected);
    // Folded from the bytes as from the characters.
    QByteArray folded("kept ");
    appendFoldedUtf8(utf8.constData(), int(utf8.size()), folded);
    QCOMPARE(QString::fromUtf8(folded), QStringLiteral("kept ") + foldText(text));
}

void tst_Database::storedValuesReadBack_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("zero") << "0" << QVariant(0);
    QTest::newRow("largest kept in the cell") << "536870911" << QVariant(536870911);
    QTest::newRow("one more") << "536870912" << QVariant(536870912);
    QTest::newRow("smallest kept in the cell") << "-536870912" << QVariant(-536870912);
    QTest::newRow("one less") << "-536870913" << QVariant(-536870913);
    QTest::newRow("beyond 32 bits") << "8589934592" << QVariant(qlonglong(8589934592LL));
    QTest::newRow("largest 64-bit") << "9223372036854775807" << QVariant(qlonglong(9223372036854775807LL));
    QTest::newRow("real") << "2.5" << QVariant(2.5);
    QTest::newRow("negative real") << "-1e300" << QVariant(-1e300);
    QTest::newRow("empty text") << "''" << QVariant(QString());
    QTest::newRow("accented text") << "'città più'" << QVariant(QStringLiteral("città più"));
}

void tst_Database::storedValuesReadBack()
{
    QFETCH(QString, expression);
    QFETCH(QVariant, expected);
    // Two rows of the value, so that a value held once for the column is read back for both.
    Recordset rs;
    rs.Open(QStringLiteral("SELECT ") + expression + QStringLiteral(" AS X FROM Transactions WHERE TrDbId=1 AND TrType=1"),
            m_cs);
    QVERIFY(rs.RecordCount() >= 2);
    for (rs.MoveFirst(); !rs.EOF(); rs.MoveNext()) {
        const QVariant v = rs.value(0);
        if (expected.metaType().id() == QMetaType::QString)
            QCOMPARE(v.toString(), expected.toString());
        else
            QCOMPARE(v, expected);
    }
}

void tst_Database::manyRowsKeepTheirTexts()
{
    // Names that come again (fewer than a column keeps once) and then thousands of different ones; notes
    // long and short, missing, and one larger than a block of texts.
    const QStringList repeated = {QStringLiteral("Rossi"), QStringLiteral("Élan Design"), QStringLiteral("O''Brien"),
                                  QString(), QStringLiteral("Studio Verdi & Figli")};
    QStringList names, notes;
    {
        Connection c;
        c.Open(m_cs);
        ScopedTransaction transaction(c);
        for (int i = 0; i < 6000; ++i) {
            const QString name = i < 1000 ? repeated[i % repeated.size()] : QStringLiteral("Account %1 più").arg(i);
            QString note;
            if (i % 3 == 0)
                note = QStringLiteral("note %1 ").arg(i).repeated(i % 7 + 1);
            if (i == 4321)
                note = QString(1500000, QLatin1Char('x')) + QStringLiteral("end");
            c.Execute(QStringLiteral("INSERT INTO Accounts (AcName, AcNotes) SELECT '%1', %2")
                          .arg(name, note.isEmpty() ? QStringLiteral("NULL") : QLatin1Char('\'') + note + QLatin1Char('\'')));
            names << QString(name).replace(QStringLiteral("''"), QStringLiteral("'"));
            notes << note;
        }
        transaction.commit();
    }
    // Read twice: the second store takes the memory the first let go, and holds its own values.
    for (int round = 0; round < 2; ++round) {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT AcName, AcNotes FROM Accounts WHERE AcId > 1 ORDER BY AcId"), m_cs);
        QCOMPARE(rs.RecordCount(), 6000);
        int i = 0;
        for (rs.MoveFirst(); !rs.EOF(); rs.MoveNext(), ++i) {
            QCOMPARE(rs.value(0).toString(), names[i]);
            QCOMPARE(rs.value(1).isNull(), notes[i].isEmpty());
            if (!notes[i].isEmpty())
                QCOMPARE(rs.value(1).toString(), notes[i]);
        }
        // Searches over the same rows, accented or not, the same answers each time.
        for (int again = 0; again < 2; ++again) {
            rs.setFilter(QStringLiteral("AcName LIKE '*ÉLAN*'"));
            QCOMPARE(rs.RecordCount(), 200);
            rs.setFilter(QStringLiteral("AcName LIKE '*ount 9*' OR AcName LIKE '*PIU*'"));
            QCOMPARE(rs.RecordCount(), 5000);
            rs.setFilter(QStringLiteral("AcName LIKE '*nt 59*'"));
            QCOMPARE(rs.RecordCount(), 100);
        }
    }

    // The same names on 150 000 rows, which a search tests on several threads (a piece of them each): the
    // rows that pass, in their order, are those that pass one by one.
    exec(QStringLiteral("INSERT INTO Transactions (TrDbId, TrDescription, IsPN) SELECT 9, a.AcName, False "
                        "FROM Accounts AS a, Accounts AS b WHERE a.AcId > 1 AND b.AcId > 1 AND b.AcId <= 26"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT TrDescription FROM Transactions WHERE TrDbId=9 ORDER BY TrRowId"), m_cs);
    QCOMPARE(rs.RecordCount(), 150000);
    const auto oneByOne = [&](const QStringList &terms, const QVector<Recordset::Bookmark> &among) {
        QVector<Recordset::Bookmark> passing;
        for (const Recordset::Bookmark b : among) {
            const QString folded = foldText(rs.valueAt(b, 0).toString());
            if (std::any_of(terms.begin(), terms.end(), [&](const QString &t) { return folded.contains(t); }))
                passing.append(b);
        }
        return passing;
    };
    const QVector<Recordset::Bookmark> all = rs.visibleRows();
    rs.setFilter(QStringLiteral("TrDescription LIKE '*PIU*' OR TrDescription LIKE '*ÉLAN*'"));
    const QVector<Recordset::Bookmark> wide = rs.visibleRows();
    QCOMPARE(wide, oneByOne({QStringLiteral("piu"), QStringLiteral("elan")}, all));
    rs.setFilter(QStringLiteral("TrDescription LIKE '*nt 59*'"), Recordset::PassingRows);
    QCOMPARE(rs.visibleRows(), oneByOne({QStringLiteral("nt 59")}, wide));
    QCOMPARE(rs.RecordCount(), 2500);
}

void tst_Database::olderTemplateGetsItsIndexes()
{
    // A database of the tables without the present template's indexes, as an older template made them.
    QFile schemaFile(QStringLiteral(ORVEL_SOURCE_DIR "/resources/schema.sql"));
    QVERIFY(schemaFile.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(schemaFile.readAll()).split(QLatin1Char('\n'));
    lines.removeIf([](const QString &l) { return l.startsWith(QLatin1String("CREATE INDEX")); });
    const QString older = m_sandbox->root() + QStringLiteral("/older.mdb");
    createDatabase(older, lines.join(QLatin1Char('\n')));
    const QString masterGen = testenv::Sandbox::masterGen();
    auto indexes = [](const QString &file) {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL ORDER BY name"),
                testenv::connectionString(file));
        QStringList out;
        for (; !rs.EOF(); rs.MoveNext())
            out << rs.value(0).toString();
        return out;
    };
    const QStringList wanted = indexes(masterGen);
    QVERIFY(!wanted.isEmpty());
    QVERIFY(indexes(older).isEmpty());

    Connection c;
    c.Open(testenv::connectionString(older));
    QCOMPARE(addMissingIndexes(c, masterGen), wanted);
    QCOMPARE(addMissingIndexes(c, masterGen), QStringList());
    QCOMPARE(indexes(older), wanted);

    // A template whose index needs a column this database lacks: refused, the database as it was.
    const QString other = m_sandbox->root() + QStringLiteral("/other.gen");
    createDatabase(other, QStringLiteral("CREATE TABLE Transactions (TrRowId INTEGER PRIMARY KEY, Extra INTEGER);"
                                         "CREATE INDEX ByExtra ON Transactions (Extra);"));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, addMissingIndexes(c, other));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, addMissingIndexes(c, m_sandbox->root() + QStringLiteral("/missing.gen")));
    c.Close();
    QCOMPARE(indexes(older), wanted);
    QCOMPARE(scalar(testenv::connectionString(older), QStringLiteral("SELECT Count(*) AS N FROM Transactions")).toInt(), 0);
}

void tst_Database::filterRefusedKeepsPrevious()
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Transactions WHERE TrDbId=1"), m_cs);
    rs.setFilter(QStringLiteral("IsPN = True"));
    QCOMPARE(rs.RecordCount(), 4);
    for (const char *bad : {"NoSuchField = 1", "TrDescription LIKE", "(IsPN = True", "TrDate = 'soon'",
                            "TrValue = 'abc'", "TrDescription = 'open"}) {
        try {
            rs.setFilter(QString::fromLatin1(bad));
            QFAIL(bad);
        } catch (const RuntimeError &e) {
            QCOMPARE(e.number(), errors::DbFilterInvalid);
        }
        QCOMPARE(rs.Filter(), QStringLiteral("IsPN = True"));
        QCOMPARE(rs.RecordCount(), 4);
    }
}

void tst_Database::textCompareFoldsCaseAndAccents()
{
    for (const char *name : {"élan", "Elan", "b", "B", "a", "C"})
        exec(QStringLiteral("INSERT INTO Accounts (AcName) SELECT '%1'").arg(QString::fromUtf8(name)));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT AcId, AcName FROM Accounts WHERE AcName<>'O''BRIEN SRL' ORDER BY AcName"), m_cs);
    QStringList order;
    for (; !rs.EOF(); rs.MoveNext())
        order << rs.value(QStringLiteral("AcName")).toString().toLower().replace(QStringLiteral("é"), QStringLiteral("e"));
    QCOMPARE(order, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("b"), QStringLiteral("c"),
                                 QStringLiteral("elan"), QStringLiteral("elan")}));

    QCOMPARE(namesOf(m_cs, QStringLiteral("SELECT AcName AS TrDescription FROM Accounts WHERE AcName='ELAN'")).size(), 2);
    QCOMPARE(namesOf(m_cs, QStringLiteral("SELECT AcName AS TrDescription FROM Accounts WHERE AcName LIKE 'EL*'")).size(), 2);
    QCOMPARE(namesOf(m_cs, QStringLiteral("SELECT AcName AS TrDescription FROM Accounts WHERE AcName < 'C'")).size(), 3);
    rs.Close();
    rs.Open(QStringLiteral("Accounts"), m_cs);
    rs.setFilter(QStringLiteral("AcName = 'ÉLAN'"));
    QCOMPARE(rs.RecordCount(), 2);
}

void tst_Database::amountsAreExact()
{
    Connection c;
    c.Open(m_cs);
    ScopedTransaction transaction(c);
    for (int i = 0; i < 10; ++i)
        c.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, "
                                 "TrValue, TrBalance, TrGrpType, TrGrpId, TrAlertDays, TrCountId, TrDone, TrAttached ) "
                                 "SELECT 4, 1, #03/05/2024#, 'ten cents', '', 0,  0.1,  0.1, 'n', 0, 0, 0, 0, NULL"));
    c.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, "
                             "TrValue, TrBalance, TrGrpType, TrGrpId, TrAlertDays, TrCountId, TrDone, TrAttached ) "
                             "SELECT 5, -1, #03/05/2024#, 'x', '', 0,  33.33, -33.33, 'n', 0, 5, 0, -1, NULL"));
    transaction.commit();

    Recordset sum;
    sum.Open(QStringLiteral("SELECT Sum(TrBalance) AS S, Count(TrRowId) AS N FROM Transactions WHERE TrDbId=4"), c);
    QCOMPARE(sum.fieldType(0), FieldType::Currency);
    QCOMPARE(sum.value(QStringLiteral("S")).value<Currency>(), Currency::fromUnits(1));
    QCOMPARE(sum.value(QStringLiteral("N")).toInt(), 10);

    Recordset rows;
    rows.Open(QStringLiteral("SELECT TrValue FROM Transactions WHERE TrDbId=4"), c);
    Currency total;
    for (; !rows.EOF(); rows.MoveNext())
        total += rows.value(0).value<Currency>();
    QCOMPARE(total, Currency::fromUnits(1));

    Recordset one;
    one.Open(QStringLiteral("SELECT * FROM Transactions WHERE TrDbId=5 AND TrValue=33.33 AND TrBalance < 0"), c);
    QCOMPARE(one.RecordCount(), 1);
    QCOMPARE(one.value(QStringLiteral("TrBalance")).value<Currency>(), *Currency::parse(QStringLiteral("-33.33")));
    QCOMPARE(one.value(QStringLiteral("TrDone")).toBool(), true);      // written as -1, read as True
}

void tst_Database::amountsShownAtTheirBounds_data()
{
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale it(QLocale::Italian, QLocale::Italy);
    constexpr qint64 top = std::numeric_limits<qint64>::max();
    QTest::newRow("largest Currency, rounded up") << top << en << "922,337,203,685,477.58";
    // The smallest raw value has no opposite: it stands for an amount out of range and shows no digits.
    QTest::newRow("smallest Currency, out of range") << std::numeric_limits<qint64>::min() << en << "";
    QTest::newRow("largest amount") << Currency::MaxAmountRaw << it << "999.999.999.999,99";
    // Spanish writes four-digit numbers whole and groups every larger one throughout.
    const QLocale es(QLocale::Spanish, QLocale::Spain);
    QTest::newRow("es: a thousand") << qint64(10'000'000) << es << "1000,00";
    QTest::newRow("es: ten thousand") << qint64(100'000'000) << es << "10.000,00";
    QTest::newRow("es: a thousand billions") << qint64(10'000'000'012'102'500) << es << "1.000.000.001.210,25";
    QTest::newRow("es: largest amount, negative") << -Currency::MaxAmountRaw << es << "-999.999.999.999,99";
    QTest::newRow("de: a thousand") << qint64(10'000'000) << QLocale(QLocale::German, QLocale::Germany) << "1.000,00";
    QTest::newRow("half a cent carries into the units") << qint64(9'999'999'999'999'950) << en << "1,000,000,000,000.00";
    QTest::newRow("less than half a cent below zero") << qint64(-40) << en << "0.00";
}

void tst_Database::amountsShownAtTheirBounds()
{
    QFETCH(qint64, raw);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(Currency::fromRaw(raw).toLocaleString(locale, 2), text);
}

void tst_Database::sumsNeverWrap_data()
{
    QTest::addColumn<QList<qint64>>("amounts");   // ten-thousandths, added in turn
    QTest::addColumn<int>("times");               // how often the list is added
    QTest::addColumn<QString>("text");            // "" once overflowed
    QTest::addColumn<bool>("fits");               // an amount Currency holds
    constexpr qint64 half = 5'000'000'000'000'000'000;   // 500 000 000 000 000
    QTest::newRow("two credits of 500 000 000 000 000") << QList<qint64>{half, half} << 1
                                                        << "1,000,000,000,000,000.00" << false;
    QTest::newRow("a million rows at the largest amount")
        << QList<qint64>{Currency::MaxAmountRaw} << 1'000'000 << "999,999,999,999,990,000.00" << false;
    QTest::newRow("credit and debit at the largest amount") << QList<qint64>{Currency::MaxAmountRaw, -Currency::MaxAmountRaw}
                                                           << 1000 << "0.00" << true;
    QTest::newRow("fractions of both signs") << QList<qint64>{30'000, -2'500} << 1 << "2.75" << true;
    QTest::newRow("debits past the Currency range") << QList<qint64>{-half, -half, 100} << 1
                                                    << "-999,999,999,999,999.99" << false;
    QTest::newRow("beyond every sum") << QList<qint64>{std::numeric_limits<qint64>::max()} << 10'010 << "" << false;
}

void tst_Database::sumsNeverWrap()
{
    QFETCH(QList<qint64>, amounts);
    QFETCH(int, times);
    QFETCH(QString, text);
    QFETCH(bool, fits);
    CurrencySum sum;
    for (int i = 0; i < times; ++i)
        for (qint64 raw : amounts)
            sum += Currency::fromRaw(raw);
    QCOMPARE(sum.toLocaleString(QLocale(QLocale::English, QLocale::UnitedStates), 2), text);
    QCOMPARE(sum.overflowed(), text.isEmpty());
    QCOMPARE(sum.fitsCurrency(), fits);
    // An overflowed sum stays so: a later debit never brings a wrapped number back.
    if (sum.overflowed()) {
        sum += Currency::fromRaw(std::numeric_limits<qint64>::min());
        QVERIFY(sum.overflowed());
    }
}

void tst_Database::amountsReadAtTheirBounds_data()
{
    QTest::addColumn<QByteArray>("stored");   // the value as SQLite keeps it in TrValue (ten-thousandths)
    QTest::addColumn<QString>("kind");        // its storage class
    QTest::addColumn<qint64>("raw");          // what is read, when it is in range
    QTest::addColumn<bool>("beyondMax");
    QTest::addColumn<bool>("outOfRange");
    constexpr qint64 top = std::numeric_limits<qint64>::max();
    QTest::newRow("integer, the largest amount") << QByteArray("9999999999999900") << "integer" << Currency::MaxAmountRaw
                                                 << false << false;
    QTest::newRow("integer, beyond the largest amount") << QByteArray("9999999999999901") << "integer"
                                                        << Currency::MaxAmountRaw + 1 << true << false;
    QTest::newRow("integer, the largest Currency") << QByteArray("9223372036854775807") << "integer" << top << true << false;
    QTest::newRow("integer, the smallest 64-bit number") << QByteArray("-9223372036854775808") << "integer" << qint64(0)
                                                         << true << true;
    QTest::newRow("real with a fraction") << QByteArray("-12345.5") << "real" << qint64(-12346) << false << false;
    QTest::newRow("real, 2^63") << QByteArray("9223372036854775808.0") << "real" << qint64(0) << true << true;
    QTest::newRow("real, below -2^63") << QByteArray("-9.3e18") << "real" << qint64(0) << true << true;
    QTest::newRow("real, 1e300") << QByteArray("1e300") << "real" << qint64(0) << true << true;
    QTest::newRow("real, infinite") << QByteArray("9e999") << "real" << qint64(0) << true << true;
}

void tst_Database::amountsReadAtTheirBounds()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, kind);
    QFETCH(qint64, raw);
    QFETCH(bool, beyondMax);
    QFETCH(bool, outOfRange);
    const QByteArray id = QByteArray::number(m_ids.value(QStringLiteral("r1")));
    testenv::rawExec(m_file, "UPDATE Transactions SET TrValue = " + stored + " WHERE TrRowId = " + id);
    QCOMPARE(testenv::rawInt(m_file, "SELECT typeof(TrValue) = '" + kind.toLatin1() + "' FROM Transactions WHERE TrRowId = " + id), 1);

    const Currency amount =
        scalar(m_cs, QStringLiteral("SELECT TrValue FROM Transactions WHERE TrRowId = ") + QString::fromLatin1(id))
            .value<Currency>();
    QCOMPARE(amount.isOutOfRange(), outOfRange);
    if (!outOfRange)
        QCOMPARE(amount.raw(), raw);
    QCOMPARE(amount.beyondMaxAmount(), beyondMax);
    // Never a wrapped amount: a sign change keeps it out of range, a sum that meets it overflows.
    QCOMPARE((-amount).isOutOfRange(), outOfRange);
    CurrencySum sum(Currency::fromUnits(1));
    sum += amount;
    QCOMPARE(sum.overflowed(), outOfRange);
}

void tst_Database::failuresTellTheirKind_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("subject");   // "FILE": the database file
    QTest::newRow("no database file") << "missing" << int(ErrorKind::DatabaseNotFound) << "FILE";
    QTest::newRow("not a database") << "text file" << int(ErrorKind::NotADatabase) << "FILE";
    QTest::newRow("held by another connection") << "locked" << int(ErrorKind::DatabaseLocked) << "";
    QTest::newRow("row deleted since it was read") << "row gone" << int(ErrorKind::RowChanged) << "";
    QTest::newRow("text too long in a statement") << "long literal" << int(ErrorKind::TextTooLong) << "CnName";
    QTest::newRow("text too long in a recordset") << "long value" << int(ErrorKind::TextTooLong) << "CnName";
    QTest::newRow("NUL in a statement") << "nul literal" << int(ErrorKind::TextNotStorable) << "";
    QTest::newRow("NUL in a recordset") << "nul value" << int(ErrorKind::TextNotStorable) << "CnName";
    QTest::newRow("a column renamed by another program") << "no column" << int(ErrorKind::WrongStructure) << "TrAlertDays";
    QTest::newRow("a table renamed by another program") << "no table" << int(ErrorKind::WrongStructure) << "Dbs";
    QTest::newRow("a column an insert names, renamed") << "insert column" << int(ErrorKind::WrongStructure)
                                                        << "Transactions.TrAlertDays";
    QTest::newRow("lock file on a full disk") << "lock file" << int(ErrorKind::DiskFull) << "LOCK";
}

void tst_Database::failuresTellTheirKind()
{
    QFETCH(QString, failure);
    QFETCH(int, kind);
    QFETCH(QString, subject);
    QString file = m_file;
    if (failure == QLatin1String("missing"))
        file = m_sandbox->root() + QStringLiteral("/moved/orvel3.mdb");
    if (failure == QLatin1String("text file")) {
        file = m_sandbox->root() + QStringLiteral("/notes.mdb");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database\n");
    }
    const QString nul = QStringLiteral("Bank") + QChar(0) + QStringLiteral("Cash");
    Connection holder;
    if (failure == QLatin1String("lock file"))
        platform::setWriteFault([](const QString &name) { return name.endsWith(QLatin1String(".ldb")); });
    try {
        Connection c;
        c.Open(testenv::connectionString(file));
        if (failure == QLatin1String("locked")) {
            holder.Open(m_cs);
            ScopedTransaction held(holder);
            holder.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'held'"));
            c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'waits'"));
        } else if (failure == QLatin1String("row gone")) {
            Recordset rs;
            rs.Open(QStringLiteral("SELECT * FROM Transactions WHERE TrRowId=%1").arg(m_ids.value(QStringLiteral("r1"))), c,
                    Recordset::adOpenStatic, Recordset::adLockBatchOptimistic);
            exec(QStringLiteral("DELETE * FROM Transactions WHERE TrRowId=%1").arg(m_ids.value(QStringLiteral("r1"))));
            rs.setValue(QStringLiteral("TrDescription"), QStringLiteral("changed"));
            rs.Update();
        } else if (failure.endsWith(QLatin1String("literal"))) {
            const QString text = failure.startsWith(QLatin1String("nul")) ? nul : QString(51, QLatin1Char('x'));
            c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT '%1'").arg(text));
        } else if (failure == QLatin1String("no column")) {
            exec(QStringLiteral("ALTER TABLE Transactions RENAME COLUMN TrAlertDays TO TrAlertDayz"));
            Recordset rs;
            rs.Open(QStringLiteral("SELECT TrRowId, TrAlertDays FROM Transactions"), c, Recordset::adOpenStatic,
                    Recordset::adLockReadOnly);
        } else if (failure == QLatin1String("insert column")) {
            exec(QStringLiteral("ALTER TABLE Transactions RENAME COLUMN TrAlertDays TO TrAlertDayz"));
            c.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrDescription, TrAlertDays ) SELECT 1, 'x', 3"));
        } else if (failure == QLatin1String("no table")) {
            exec(QStringLiteral("ALTER TABLE Dbs RENAME TO Sheets"));
            c.Execute(QStringLiteral("DELETE * FROM Dbs WHERE DbId=9"));
        } else if (failure.endsWith(QLatin1String("value"))) {
            Recordset rs;
            rs.Open(QStringLiteral("Counts"), c, Recordset::adOpenStatic, Recordset::adLockOptimistic, Recordset::adCmdTable);
            rs.AddNew();
            rs.setValue(QStringLiteral("CnName"), failure.startsWith(QLatin1String("nul")) ? nul : QString(51, QLatin1Char('x')));
            rs.Update();
        }
        QFAIL("no error was raised");
    } catch (const RuntimeError &e) {
        platform::setWriteFault(nullptr);
        QCOMPARE(int(e.kind()), kind);
        QCOMPARE(e.subject(), subject == QLatin1String("FILE")   ? file
                              : subject == QLatin1String("LOCK") ? platform::lockFilePathFor(file)
                                                                 : subject);
    }
    // Nothing of the refused texts was stored.
    QCOMPARE(scalar(m_cs, QStringLiteral("SELECT Count(*) AS N FROM Counts")).toInt(), 0);
}

void tst_Database::textTooLongIsRefused()
{
    Connection c;
    c.Open(m_cs);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT '%1'").arg(QString(51, QLatin1Char('x')))));
    QCOMPARE(c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT '%1'").arg(QString(50, QLatin1Char('x')))), 1L);
    QCOMPARE(scalar(m_cs, QStringLiteral("SELECT Count(*) AS N FROM Counts")).toInt(), 1);
}

void tst_Database::idsAreNeverReused()
{
    Connection c;
    c.Open(m_cs);
    c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'A'"));
    c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'B'"));
    const qint64 last = c.lastInsertId();
    QCOMPARE(c.Execute(QStringLiteral("DELETE * FROM Counts WHERE CnId=%1").arg(last)), 1L);
    c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'C'"));
    QCOMPARE(c.lastInsertId(), last + 1);
}

void tst_Database::transactionSavesAllOrNothing_data()
{
    QTest::addColumn<QString>("course");   // how the scope of the two inserts ends
    QTest::addColumn<int>("saved");        // how many of the two rows are stored afterwards
    QTest::addColumn<QString>("told");     // a part of the error the caller gets ("" for none)
    QTest::newRow("committed") << "commit" << 2 << "";
    QTest::newRow("left without a commit") << "return" << 0 << "";
    QTest::newRow("second statement fails") << "fail" << 0 << "NOT NULL";
    QTest::newRow("connection closed inside") << "close" << 0 << "";
    QTest::newRow("commit refused while another program reads") << "busy" << 0 << "locked";
    // The engine undid the transaction after a failed statement: the commit says so, and the guard's
    // rollback adds no error of its own ("without first beginning") in place of it.
    QTest::newRow("commit after the engine undid it") << "undone" << 0 << "no change was saved";
    QTest::newRow("second transaction on the connection") << "nested" << 2 << "already open";
    QTest::newRow("closed connection") << "closed" << 0 << "closed";
    // Without a transaction, one statement that fails on one of its rows stores none of them.
    QTest::newRow("one statement over several rows") << "statement" << 0 << "NOT NULL";
}

void tst_Database::transactionSavesAllOrNothing()
{
    QFETCH(QString, course);
    QFETCH(int, saved);
    QFETCH(QString, told);
    testenv::rawExec(m_file, "CREATE TRIGGER undo BEFORE INSERT ON Accounts WHEN NEW.AcName = 'undo' "
                             "BEGIN SELECT RAISE(ROLLBACK, 'refused'); END;");
    const auto insert = [](Connection &c, const char *name) {
        c.Execute(QStringLiteral("INSERT INTO Accounts (AcName) SELECT %1").arg(QLatin1String(name)));
    };
    Connection c, reader;
    if (course != QLatin1String("closed"))
        c.Open(m_cs);
    std::optional<ScopedTransaction> reading;
    QString error;
    const auto write = [&] {
        if (course == QLatin1String("statement")) {
            exec(QStringLiteral("INSERT INTO Transactions (TrDbId, TrDescription) SELECT 6, 'second'"));
            exec(QStringLiteral("INSERT INTO Transactions (TrDbId, TrDescription) SELECT 6, NULL"));
            c.Execute(QStringLiteral("INSERT INTO Accounts (AcName) SELECT TrDescription FROM Transactions WHERE TrDbId=6"));
            return;
        }
        ScopedTransaction transaction(c);
        insert(c, "'first'");
        if (course == QLatin1String("undone")) {
            QVERIFY_THROWS_EXCEPTION(RuntimeError, insert(c, "'undo'"));
            transaction.commit();
        }
        if (course == QLatin1String("nested")) {
            try {
                ScopedTransaction second(c);
                QFAIL("a second transaction began");
            } catch (const RuntimeError &e) {
                error = e.description();
            }
            QVERIFY(c.inTransaction());   // the first goes on
        }
        insert(c, course == QLatin1String("fail") ? "NULL" : "'second'");
        if (course == QLatin1String("return"))
            return;
        if (course == QLatin1String("close"))
            c.Close();
        if (course == QLatin1String("busy")) {
            reader.Open(m_cs);
            reading.emplace(reader);
            Recordset rs;
            rs.Open(QStringLiteral("SELECT AcId FROM Accounts"), reader);
        }
        if (c.isOpen())
            transaction.commit();
    };
    try {
        write();
    } catch (const RuntimeError &e) {
        error = e.description();
    }
    QVERIFY2(told.isEmpty() ? error.isEmpty() : error.contains(told), qPrintable(error));
    reading.reset();
    QCOMPARE(scalar(m_cs, QStringLiteral("SELECT Count(*) AS N FROM Accounts WHERE AcName IN ('first', 'second')")).toInt(),
             saved);
    // Nothing is left open: the next transaction on the connection begins and saves.
    if (c.isOpen()) {
        QVERIFY(!c.inTransaction());
        ScopedTransaction next(c);
        insert(c, "'next'");
        next.commit();
        QCOMPARE(scalar(m_cs, QStringLiteral("SELECT Count(*) AS N FROM Accounts WHERE AcName='next'")).toInt(), 1);
    }
}

void tst_Database::openMissingFileCreatesNothing()
{
    const QString missing = m_sandbox->root() + QStringLiteral("/nowhere/orvel3.mdb");
    const QString missingHere = m_sandbox->root() + QStringLiteral("/orvel3.mdb");
    for (const QString &file : {missing, missingHere}) {
        Connection c;
        QVERIFY_THROWS_EXCEPTION(RuntimeError, c.Open(testenv::connectionString(file)));
        QVERIFY(!c.isOpen());
        QVERIFY(!QFile::exists(file));
        QVERIFY(!QFile::exists(lockFilePathFor(file)));
        Recordset rs;
        QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.Open(QStringLiteral("Dbs"), testenv::connectionString(file)));
        QVERIFY(!QFile::exists(file));
    }
}

void tst_Database::openNonDatabase_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text") << QByteArray("this is not a database\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray(4096, '\x5a');
}

void tst_Database::openNonDatabase()
{
    QFETCH(QByteArray, content);
    const QString file = m_sandbox->root() + QStringLiteral("/other/orvel3.mdb");
    QDir().mkpath(m_sandbox->root() + QStringLiteral("/other"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    Connection c;
    QVERIFY_THROWS_EXCEPTION(RuntimeError, c.Open(testenv::connectionString(file)));
    QVERIFY(!QFile::exists(lockFilePathFor(file)));
    QFile check(file);
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), content);     // left as it was
}

// Once a connection meets a damaged page, no connection of the process writes into that file: every
// statement, recordset update and transaction that would change it is refused with the error the damaged
// page raised, and the file stays as it was. Another file still takes writes; the file put back sound
// takes them again once it is found sound.
void tst_Database::damagedFileTakesNoWrite()
{
    const QByteArray sound = testenv::fileBytes(m_file);
    Connection before;              // opened before the damage was met
    before.Open(m_cs);
    testenv::damageTable(m_file, "Transactions");
    const QByteArray damaged = testenv::fileBytes(m_file);
    QVERIFY(!databaseFileDamaged(m_file));
    // True when the write raised the damaged page's error, naming the file.
    const auto refused = [this](const std::function<void()> &write) {
        try {
            write();
        } catch (const RuntimeError &e) {
            return e.kind() == ErrorKind::NotADatabase && e.subject() == QDir::toNativeSeparators(m_file);
        }
        return false;
    };
    // Counts is not damaged: only the list of Transactions meets the damaged page.
    QCOMPARE(scalar(m_cs, QStringLiteral("SELECT Count(*) FROM Counts")).toInt(), 0);
    QVERIFY(refused([this] { scalar(m_cs, QStringLiteral("SELECT * FROM Transactions")); }));
    QVERIFY(databaseFileDamaged(m_file));

    QVERIFY(refused([&] { before.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Bank'")); }));
    Connection after;
    after.Open(m_cs);
    QVERIFY(refused([&] {
        Recordset rs;
        rs.Open(QStringLiteral("Counts"), after, Recordset::adOpenStatic, Recordset::adLockOptimistic, Recordset::adCmdTable);
        rs.AddNew();
        rs.setValue(QStringLiteral("CnName"), QStringLiteral("Cash"));
        rs.Update();
    }));
    {
        ScopedTransaction transaction(after);
        QVERIFY(refused([&] { after.Execute(QStringLiteral("DELETE * FROM Dbs")); }));
    }
    QVERIFY(refused([&] { after.Execute(QStringLiteral("DROP INDEX TransactionsByDay")); }));
    QVERIFY(!after.CheckIntegrity());
    QVERIFY(databaseFileDamaged(m_file));
    before.Close();
    after.Close();
    QCOMPARE(testenv::fileBytes(m_file), damaged);

    // Another database of the process is not touched by the mark.
    const QString other = m_sandbox->makeDatabase(m_sandbox->root() + QStringLiteral("/other"));
    Connection elsewhere;
    elsewhere.Open(testenv::connectionString(other));
    QCOMPARE(elsewhere.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Bank'")), 1L);
    elsewhere.Close();

    // The backup copy put back: writes go through once the file is found sound.
    {
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(sound);
    }
    Connection restored;
    restored.Open(m_cs);
    QVERIFY(restored.CheckIntegrity());
    QVERIFY(!databaseFileDamaged(m_file));
    QCOMPARE(restored.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Bank'")), 1L);
}

// A good database in a folder the user may read but not write (a shared folder): it opens read-only
// without a lock file, its rows read as always, and a write says that the database is read-only, leaving
// the file as it was. The import tool's hold still keeps it closed.
void tst_Database::readOnlyFolderOpensReadOnly()
{
    const QString folder = QFileInfo(m_file).absolutePath();
    const QByteArray bytes = testenv::fileBytes(m_file);
    {
        testenv::OrdinaryUser user(*m_sandbox, {{folder, 0555}});
        QVERIFY(!folderIsWritable(folder));
        Connection c;
        c.Open(m_cs);
        QCOMPARE(scalar(m_cs, QStringLiteral("SELECT Count(*) FROM Transactions")).toInt(), 9);
        QVERIFY(!QFile::exists(lockFilePathFor(m_file)));
        try {
            c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Bank'"));
            QFAIL("a read-only database took a write");
        } catch (const RuntimeError &e) {
            QCOMPARE(int(e.kind()), int(ErrorKind::DatabaseReadOnly));
        }
    }
    QCOMPARE(testenv::fileBytes(m_file), bytes);

    // Held by the import tool (another running process, here the test's parent) in the shared folder.
    QFile ldb(lockFilePathFor(m_file));
    QVERIFY(ldb.open(QIODevice::WriteOnly));
    ldb.write(QByteArray::number(qint64(::getppid())) + " hold\n");
    ldb.close();
    testenv::OrdinaryUser user(*m_sandbox, {{folder, 0555}});
    try {
        Connection c;
        c.Open(m_cs);
        QFAIL("a database held by another program was opened");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.number(), errors::DbHeldElsewhere);
    }
}

void tst_Database::lockFileLivesWithConnections()
{
    const QString ldb = QFileInfo(m_file).absolutePath() + QStringLiteral("/orvel3.ldb");
    QCOMPARE(lockFilePathFor(m_file), ldb);
    QVERIFY(!QFile::exists(ldb));
    {
        Connection a, b;
        a.Open(m_cs);
        QVERIFY(QFile::exists(ldb));
        QVERIFY(lockFileIsLive(ldb));
        b.Open(m_cs);
        a.Close();
        QVERIFY(QFile::exists(ldb));
        QFile f(ldb);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().trimmed().toLongLong(), QCoreApplication::applicationPid());
    }
    QVERIFY(!QFile::exists(ldb));

    // A recordset with a connection of its own keeps the lock until it closes.
    Recordset rs;
    rs.Open(QStringLiteral("Dbs"), m_cs);
    QVERIFY(QFile::exists(ldb));
    rs.Close();
    QVERIFY(!QFile::exists(ldb));
}

void tst_Database::staleLockIsNotLive()
{
    QProcess p;
    p.start(QStringLiteral("/bin/true"), {});
    QVERIFY(p.waitForFinished());
    const qint64 deadPid = p.processId() ? p.processId() : 999999;
    const QString ldb = lockFilePathFor(m_file);

    QVERIFY(!lockFileIsLive(ldb));
    QFile f(ldb);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::number(deadPid) + '\n');
    f.close();
    QVERIFY(!lockFileIsLive(ldb));

    // Our own connection takes over the stale file and removes it at the end.
    {
        Connection c;
        c.Open(m_cs);
        QVERIFY(lockFileIsLive(ldb));
    }
    QVERIFY(!QFile::exists(ldb));
}

// While this process holds the database no other process opens it; this process's own connections do, and
// the hold outlives them.
void tst_Database::holdKeepsOtherProcessesOut()
{
    const QString ldb = lockFilePathFor(m_file);
    holdDatabase(m_file);
    QCOMPARE(runChild(QStringLiteral("--child-open"), m_file), int(ChildRefusedHeld));
    {
        Connection own;
        own.Open(m_cs);
        QCOMPARE(scalar(m_cs, QStringLiteral("SELECT Count(*) FROM Transactions")).toInt(), 9);
    }
    QVERIFY(lockFileIsLive(ldb));
    QVERIFY(!databaseIsHeldElsewhere(m_file));
    QCOMPARE(runChild(QStringLiteral("--child-open"), m_file), int(ChildRefusedHeld));
    releaseDatabaseHold(m_file);
    QVERIFY(!QFile::exists(ldb));
    QCOMPARE(runChild(QStringLiteral("--child-open"), m_file), int(ChildOpened));

    // Held by another process: this one's connections are refused with their own error, and so is a hold.
    {
        WaitingChild holder(QStringLiteral("--child-hold"), m_file);
        QVERIFY(holder.ready());
        QVERIFY(databaseIsHeldElsewhere(m_file));
        Connection c;
        qint64 refused = 0;
        try {
            c.Open(m_cs);
        } catch (const RuntimeError &e) {
            refused = e.number();
        }
        QCOMPARE(refused, errors::DbHeldElsewhere);
        QVERIFY(!c.isOpen());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, holdDatabase(m_file));
        QCOMPARE(holder.finish(), int(ChildOpened));
    }
    // A holder that has ended holds nothing.
    Connection after;
    after.Open(m_cs);
    QVERIFY(!databaseIsHeldElsewhere(m_file));
}

// The hold is refused while another process has the database open, and taken once it has closed it.
void tst_Database::holdWaitsForOtherProcesses()
{
    {
        WaitingChild user(QStringLiteral("--child-keep-open"), m_file);
        QVERIFY(user.ready());
        QVERIFY(databaseInUseElsewhere(m_file));
        qint64 refused = 0;
        try {
            holdDatabase(m_file);
        } catch (const RuntimeError &e) {
            refused = e.number();
        }
        QCOMPARE(refused, errors::DbInUse);
        // The other process's entry is still there.
        QVERIFY(lockFileIsLive(lockFilePathFor(m_file)));
        QVERIFY(databaseInUseElsewhere(m_file));
        QCOMPARE(user.finish(), int(ChildOpened));
    }
    QVERIFY(!databaseInUseElsewhere(m_file));
    holdDatabase(m_file);
    QCOMPARE(runChild(QStringLiteral("--child-open"), m_file), int(ChildRefusedHeld));
    releaseDatabaseHold(m_file);
}

// Any folder or file name reaches the engine whole through the connection string.
void tst_Database::fileNameSurvivesTheConnectionString_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << "Dati";
    QTest::newRow("a semicolon") << "Dati; 2025";
    QTest::newRow("a key of its own") << "x;Data Source=elsewhere";
    QTest::newRow("double quotes") << "Lo \"studio\"";
    QTest::newRow("a leading quote") << "'Archivio";
    QTest::newRow("blanks around") << " Archivio ";
}

void tst_Database::fileNameSurvivesTheConnectionString()
{
    QFETCH(QString, folder);
    const QString file = m_sandbox->makeDatabase(m_sandbox->root() + QLatin1Char('/') + folder);
    const QString cs = connectionStringFor(file);
    QCOMPARE(dataSourceOf(cs), file);
    Connection c;
    c.Open(cs);
    QCOMPARE(c.databaseFile(), QFileInfo(file).absoluteFilePath());
    const int counts = scalar(cs, QStringLiteral("SELECT Count(*) FROM Counts")).toInt();
    c.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Cassa'"));
    QCOMPARE(scalar(cs, QStringLiteral("SELECT Count(*) FROM Counts")).toInt(), counts + 1);
    QVERIFY(QFile::exists(lockFilePathFor(file)));
    c.Close();
    QVERIFY(!QFile::exists(lockFilePathFor(file)));
}

void tst_Database::addNewReturnsAutoNumber()
{
    Connection c;
    c.Open(m_cs);
    Recordset counts;
    counts.Open(QStringLiteral("Counts"), c, Recordset::adOpenStatic, Recordset::adLockOptimistic, Recordset::adCmdTable);
    counts.AddNew();
    counts.setValue(QStringLiteral("CnName"), QStringLiteral("Cassa"));
    const qint64 id = counts.Update();
    QVERIFY(id > 0);
    QCOMPARE(counts.value(QStringLiteral("CnId")).toLongLong(), id);
    QCOMPARE(c.lastInsertId(), id);
    QCOMPARE(scalar(m_cs, QStringLiteral("SELECT CnName FROM Counts WHERE CnId=%1").arg(id)).toString(), QStringLiteral("Cassa"));

    // A new movement: the columns not written take the table's defaults, read back into the row.
    Recordset tr;
    tr.Open(QStringLiteral("Transactions"), c, Recordset::adOpenStatic, Recordset::adLockOptimistic, Recordset::adCmdTable);
    const int before = tr.RecordCount();
    tr.AddNew();
    QVERIFY(tr.editing());
    tr.Fields(QStringLiteral("TrDbId")).setValue(1);
    tr.setValue(QStringLiteral("TrType"), 1);
    tr.setValue(QStringLiteral("TrDone"), true);
    tr.setValue(QStringLiteral("TrDate"), QDate(2025, 3, 15));
    tr.setValue(QStringLiteral("TrDescription"), QStringLiteral("nuovo"));
    tr.setValue(QStringLiteral("TrValue"), QVariant::fromValue(*Currency::parse(QStringLiteral("12.5"))));
    const qint64 rowId = tr.Update();
    QCOMPARE(rowId, m_ids.value(QStringLiteral("r9")) + 1);
    QCOMPARE(tr.RecordCount(), before + 1);
    QCOMPARE(tr.value(QStringLiteral("TrRowId")).toLongLong(), rowId);
    QCOMPARE(tr.value(QStringLiteral("TrGrpType")).toString(), QStringLiteral("n"));
    QCOMPARE(tr.value(QStringLiteral("IsPN")).toBool(), false);
    QCOMPARE(tr.value(QStringLiteral("TrValue")).value<Currency>(), Currency::fromRaw(125000));
    QCOMPARE(scalar(m_cs, QStringLiteral("SELECT TrRowId FROM Transactions WHERE TrValue=12.5 AND TrDate=#03/15/2025#")).toLongLong(), rowId);
}

void tst_Database::editAndDeleteThroughRecordset()
{
    const qint64 r1 = m_ids.value(QStringLiteral("r1"));
    Connection c;
    c.Open(m_cs);
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Transactions WHERE TrGrpId=0 AND TrDbId=1 ORDER BY TrDate"), c,
            Recordset::adOpenStatic, Recordset::adLockBatchOptimistic, Recordset::adCmdText);
    rs.setFilter(QStringLiteral("TrRowId = %1").arg(r1));
    rs.setValue(QStringLiteral("TrNotes"), QStringLiteral("changed"));
    rs.setValue(QStringLiteral("TrValue"), QStringLiteral("7.25"));
    QCOMPARE(rs.value(QStringLiteral("TrValue")).value<Currency>(), Currency::fromRaw(72500));
    QCOMPARE(rs.Update(), r1);
    QCOMPARE(scalar(m_cs, QStringLiteral("SELECT TrNotes FROM Transactions WHERE TrValue=7.25")).toString(), QStringLiteral("changed"));
    // A search after an edit sees the text as it is now, not as the search before it saw it.
    rs.setValue(QStringLiteral("TrNotes"), QStringLiteral("Caffè"));
    rs.Update();
    rs.setFilter(QStringLiteral("TrNotes LIKE '*caffe*'"));
    QCOMPARE(rs.RecordCount(), 1);
    rs.setValue(QStringLiteral("TrNotes"), QStringLiteral("più tardi"));
    rs.Update();
    rs.setFilter(QStringLiteral("TrNotes LIKE '*caffe*'"));
    QCOMPARE(rs.RecordCount(), 0);
    rs.setFilter(QStringLiteral("TrNotes LIKE '*PIU*'"));
    QCOMPARE(rs.RecordCount(), 1);

    // A value the field cannot hold is refused and nothing is written.
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.setValue(QStringLiteral("TrDate"), QStringLiteral("someday")));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.setValue(QStringLiteral("TrAlertDays"), 70000));
    rs.CancelUpdate();
    QVERIFY(!rs.editing());

    rs.setFilter(QString());
    const int count = rs.RecordCount();
    rs.setFilter(QStringLiteral("TrRowId = %1").arg(r1));
    rs.Delete();
    rs.setFilter(QString());
    QCOMPARE(rs.RecordCount(), count - 1);
    QCOMPARE(scalar(m_cs, QStringLiteral("SELECT Count(*) AS N FROM Transactions WHERE TrRowId=%1").arg(r1)).toInt(), 0);
}

void tst_Database::readOnlyRecordsetRefusesEdits()
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Transactions"), m_cs);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.setValue(QStringLiteral("TrNotes"), QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.AddNew());
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.Delete());
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.Fields(QStringLiteral("NoSuchField")));
}

void tst_Database::cursorMovesOverFilteredRows()
{
    Connection c;
    c.Open(m_cs);
    Recordset rs;
    rs.Open(QStringLiteral("SELECT TrRowId, TrDescription FROM Transactions WHERE TrDbId=1 ORDER BY TrRowId"), c,
            Recordset::adOpenStatic, Recordset::adLockOptimistic);
    rs.setFilter(QStringLiteral("TrDescription LIKE 'r*' AND TrRowId > 1"));
    QCOMPARE(rs.RecordCount(), 7);
    QCOMPARE(rs.AbsolutePosition(), 1);
    rs.MoveLast();
    QCOMPARE(rs.AbsolutePosition(), 7);
    rs.MoveNext();
    QVERIFY(rs.EOF());
    QCOMPARE(rs.AbsolutePosition(), 0);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.MoveNext());
    rs.setAbsolutePosition(2);
    QCOMPARE(rs.value(0).toLongLong(), m_ids.value(QStringLiteral("r3")));

    // Deleting the current row: the next MoveNext lands on the row that followed it.
    rs.Delete();
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.value(0));
    rs.MoveNext();
    QCOMPARE(rs.value(0).toLongLong(), m_ids.value(QStringLiteral("r4")));
    QCOMPARE(rs.RecordCount(), 6);
    rs.MovePrevious();
    QCOMPARE(rs.value(0).toLongLong(), m_ids.value(QStringLiteral("r2")));
    rs.MoveFirst();
    rs.MovePrevious();
    QVERIFY(rs.BOF());
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.setAbsolutePosition(7));

    // Requery reads the rows again and drops the filter.
    rs.Requery();
    QCOMPARE(rs.Filter(), QString());
    QCOMPARE(rs.RecordCount(), 7);
}

void tst_Database::maxRecordsReadsTheFirstRows_data()
{
    QTest::addColumn<int>("sheet");
    QTest::addColumn<int>("maxRecords");
    QTest::addColumn<QStringList>("rows");
    const QStringList sheet1 = {QStringLiteral("r1"), QStringLiteral("r2"), QStringLiteral("r3"), QStringLiteral("r4"),
                                QStringLiteral("r5"), QStringLiteral("r6"), QStringLiteral("r7"), QStringLiteral("r8")};
    QTest::newRow("every row") << 1 << 0 << sheet1;
    QTest::newRow("the first") << 1 << 1 << QStringList{QStringLiteral("r1")};
    QTest::newRow("the first three") << 1 << 3
                                     << QStringList{QStringLiteral("r1"), QStringLiteral("r2"), QStringLiteral("r3")};
    QTest::newRow("more than there are") << 1 << 20 << sheet1;
    QTest::newRow("no row") << 3 << 1 << QStringList();
}

void tst_Database::maxRecordsReadsTheFirstRows()
{
    QFETCH(int, sheet);
    QFETCH(int, maxRecords);
    QFETCH(QStringList, rows);
    QList<qint64> expected;
    for (const QString &r : rows)
        expected << m_ids.value(r);
    Recordset rs;
    rs.setMaxRecords(maxRecords);
    rs.Open(QStringLiteral("SELECT TrRowId FROM Transactions WHERE TrDbId=%1 ORDER BY TrRowId").arg(sheet), m_cs,
            Recordset::adOpenForwardOnly, Recordset::adLockReadOnly, Recordset::adCmdText);
    // The same bound again when the rows are read anew.
    for (int round = 0; round < 2; ++round) {
        QList<qint64> ids;
        for (; !rs.EOF(); rs.MoveNext())
            ids << rs.value(0).toLongLong();
        QCOMPARE(ids, expected);
        rs.Requery();
    }
}

void tst_Database::recordsetOutlivesItsConnection()
{
    Recordset rs;
    {
        Connection c;
        c.Open(m_cs);
        rs.Open(QStringLiteral("SELECT * FROM Counts"), c, Recordset::adOpenStatic, Recordset::adLockOptimistic);
        rs.Close();
        rs.Open(QStringLiteral("SELECT * FROM Dbs"), c, Recordset::adOpenStatic, Recordset::adLockOptimistic);
    }
    // The rows stay readable; writing needs the connection, which is gone.
    QCOMPARE(rs.value(QStringLiteral("DbName")).toString(), QStringLiteral("Orvel"));
    rs.setValue(QStringLiteral("DbName"), QStringLiteral("Renamed"));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, rs.Update());
    rs.CancelUpdate();
    QCOMPARE(scalar(m_cs, QStringLiteral("SELECT DbName FROM Dbs WHERE DbId=1")).toString(), QStringLiteral("Orvel"));
    QVERIFY(!QFile::exists(lockFilePathFor(m_file)));
}

void tst_Database::fieldTypesAndSizes()
{
    Recordset counts;
    counts.Open(QStringLiteral("Counts"), m_cs);
    const Field name = counts.Fields(QStringLiteral("CnName"));
    QCOMPARE(int(name.Type()), 202);
    QCOMPARE(name.DefinedSize(), 50);
    counts.Close();

    Recordset tr;
    tr.Open(QStringLiteral("SELECT * FROM Transactions"), m_cs);
    QCOMPARE(int(tr.Fields(QStringLiteral("TrNotes")).Type()), 203);
    QCOMPARE(tr.Fields(QStringLiteral("TrNotes")).DefinedSize(), 0);
    QCOMPARE(tr.Fields(QStringLiteral("TrValue")).Type(), FieldType::Currency);
    QCOMPARE(tr.Fields(QStringLiteral("TrDate")).Type(), FieldType::Date);
    QCOMPARE(tr.Fields(QStringLiteral("TrDone")).Type(), FieldType::Boolean);
    QCOMPARE(tr.Fields(QStringLiteral("TrRowId")).Type(), FieldType::Integer);
    QCOMPARE(tr.Fields(QStringLiteral("TrType")).Type(), FieldType::SmallInt);

    Recordset range;
    range.Open(QStringLiteral("SELECT Min(Transactions.TrDate) AS Date1, Max(Transactions.TrDate) AS Date2 FROM Transactions"), m_cs);
    QCOMPARE(range.value(QStringLiteral("Date1")).toDate(), QDate(2024, 1, 10));
    QCOMPARE(range.value(QStringLiteral("Date2")).toDate(), QDate(2025, 4, 30));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1).startsWith(QLatin1String("--child-")))
        return childMain(args.at(1), args.at(2));
    tst_Database test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_database.moc"
