// The import wizard driven through its controls: each older product imported from where it is found into
// a fresh database, with the dated backup of the old one; the messages when nothing is found, the older
// database is open or the user says No; and failures halfway, after which the database is the old one.

#include "OldFixtures.h"
#include "ReaderTestMain.h"
#include "TestEnv.h"

#include "foundation/SettingsKeys.h"
#include "foundation/comRegistry.h"
#include "importtool/DatabaseFiles.h"
#include "importtool/cEnvironment.h"
#include "importtool/frmImport.h"
#include "importtool/modMain.h"
#include "platform/Clock.h"
#include "platform/database/Currency.h"
#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QApplication>
#include <QGroupBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using importtool::frmImport;

namespace {

const QDateTime ImportTime(QDate(2025, 3, 15), QTime(14, 30, 0));
const QString BackupSuffix = QStringLiteral(".20250315143000.bak");
const QString DeadPid = QStringLiteral("99999999\n");   // above any process id the system gives

// The lock file line of a running process other than this one (the test's parent) with the database open.
QByteArray otherProcessLock()
{
    return QByteArray::number(qint64(::getppid())) + '\n';
}

// Exit codes of the child process "--child-open <file>": Orvel 3 opening the database meanwhile.
enum ChildResult { ChildOpened = 0, ChildFailed = 1, ChildRefusedHeld = 3 };

int childOpen(const QString &file)
{
    try {
        platform::Connection c;
        c.Open(platform::connectionStringFor(file));
        c.Execute(QStringLiteral("INSERT INTO Accounts (AcName) VALUES ('Saved meanwhile')"));
        return ChildOpened;
    } catch (const platform::RuntimeError &e) {
        return e.number() == platform::errors::DbHeldElsewhere ? ChildRefusedHeld : ChildFailed;
    }
}

QByteArray readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &file, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QString text(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QStringLiteral("Null");
    if (v.metaType() == QMetaType::fromType<platform::Currency>())
        return v.value<platform::Currency>().toString();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

// The rows of a query, one "a|b|c" text each.
QStringList dump(const QString &dbFile, const QString &sql)
{
    platform::Recordset rs;
    rs.Open(sql, testenv::connectionString(dbFile));
    QStringList rows;
    for (; !rs.EOF(); rs.MoveNext()) {
        QStringList cells;
        for (int i = 0; i < rs.fieldCount(); ++i)
            cells.append(text(rs.value(i)));
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

void setMachineValue(const QString &key, const QString &name, const QString &value)
{
    comRegistry reg;
    reg.setValueEx(comRegistry::HKEY_LOCAL_MACHINE, key, name, comRegistry::REG_SZ, QVariant(), value);
}

using FullDisk = testenv::FileSizeLimit;

} // namespace

class tst_Import : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_box = std::make_unique<testenv::Sandbox>();
        platform::setNow(ImportTime);
        m_dbFolder = m_box->documents() + QStringLiteral("/Orvel3DB");
        m_dbFile = m_dbFolder + QStringLiteral("/orvel3.mdb");
        m_box->makeDatabase(m_dbFolder);
        // The current database holds data of its own, so that its backup and its replacement can be told apart.
        fixtures::exec(m_dbFile, {QStringLiteral("INSERT INTO Accounts (AcName) VALUES ('Current')")});
        m_original = readAll(m_dbFile);
    }
    void cleanup()
    {
        readertest::useReader(nullptr);
        importtool::setReaderLimitsForTests(std::nullopt);
        frmImport::Unload();
        delete importtool::Env;
        importtool::Env = nullptr;
        m_box.reset();
    }

    void importsEachProduct_data();
    void importsEachProduct();
    void locate_data();
    void locate();
    void confirmationNamesTheDatabase_data();
    void confirmationNamesTheDatabase();
    void nothingIsLost_data();
    void nothingIsLost();
    void damagedDatabaseIsRefused_data();
    void damagedDatabaseIsRefused();
    void replaceWaitsForTheMainProgram_data();
    void replaceWaitsForTheMainProgram();
    void orvel3IsKeptOutUntilTheEnd();
    void wizardIsNotEnteredAgainWhileItWorks();
    void databaseNamedInAnotherCaseIsTheOneReplaced();

private:
    frmImport *wizard()
    {
        if (!importtool::Env)
            importtool::Env = new importtool::cEnvironment();
        return frmImport::Load();
    }
    // Continue from the introduction, the product chosen, Continue again.
    void runWizard(int app)
    {
        frmImport *w = wizard();
        w->cmdProsegui->click();
        w->optApp(app)->click();
        w->cmdProsegui->click();
    }
    QString backupFile() const { return m_dbFile + BackupSuffix; }
    void verifyUntouched(bool withBackup)
    {
        QCOMPARE(readAll(m_dbFile), m_original);
        QCOMPARE(QFileInfo::exists(backupFile()), withBackup);
        if (withBackup)
            QCOMPARE(readAll(backupFile()), m_original);
        QVERIFY(!QFileInfo::exists(importtool::WorkFolderFor(m_dbFolder)));
        QCOMPARE(dump(m_dbFile, QStringLiteral("SELECT AcName FROM Accounts")), QStringList{QStringLiteral("Current")});
    }

    std::unique_ptr<testenv::Sandbox> m_box;
    QString m_dbFolder;
    QString m_dbFile;
    QByteArray m_original;
};

void tst_Import::importsEachProduct_data()
{
    QTest::addColumn<int>("app");
    QTest::addColumn<QString>("place");          // where the older database is put
    QTest::addColumn<QString>("amountType");
    QTest::addColumn<QStringList>("changes");    // made to the older database before the import
    QTest::addColumn<QStringList>("sheets");
    QTest::addColumn<QStringList>("accounts");
    QTest::addColumn<QStringList>("counts");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("told");       // what the end message adds, paragraph by paragraph

    const QStringList orvelSheets = {QStringLiteral("1|Casa"), QStringLiteral("3|Studio"), QStringLiteral("7|Archivio 2019")};
    const QStringList orvelAccounts = {QStringLiteral("1|Bianchi|Null"), QStringLiteral("2|Rossi Srl|Null")};
    // Each account's rows in their old order, then the rows without an account, the one whose account is
    // gone among them.
    const QStringList orvelRows = {
        QStringLiteral("1|3|-2|False|2025-04-30|Null|Null|1|0|0|n|1|1|0|2|0|Null|False"),
        QStringLiteral("2|1|-1|True|2024-01-31|Affitto|rata|2|33.3333|-33.3333|m|1|3|4|2|0|Null|False"),
        QStringLiteral("3|1|-1|False|2024-02-29|Affitto|rata|2|33.3333|-33.3333|m|2|3|4|2|0|Null|False"),
        QStringLiteral("4|1|1|True|2024-03-05|Fattura 12|Null|2|98765432101.2345|98765432101.2345|n|1|1|0|2|0|Null|False"),
        QStringLiteral("5|7|-1|False|2019-01-01|Bollo|Null|0|25|-25|n|1|1|0|2|0|Null|False"),
        QStringLiteral("6|3|1|True|2023-12-31|Interessi||0|0.3|0.3|n|1|1|0|2|0|Null|False"),
        QStringLiteral("7|1|1|False|2024-06-01|Orphan|Null|0|10|10|n|1|1|0|2|0|Null|False"),
    };
    const QString withoutAccount = importtool::LRSV(2304, 1);
    for (const char *type : {"CURRENCY", "DOUBLE"}) {
        const QString t = QLatin1String(type);
        QTest::addRow("Orvel 1, registry folder, %s", type) << 0 << "orvel1-registry" << t << QStringList()
                                                            << orvelSheets << orvelAccounts << QStringList()
                                                            << orvelRows << QStringList{withoutAccount};
        QTest::addRow("Orvel 1, second VirtualStore folder, %s", type)
            << 0 << "orvel1-x86" << t << QStringList() << orvelSheets << orvelAccounts << QStringList() << orvelRows
            << QStringList{withoutAccount};
        QTest::addRow("Orvel 2, documents, %s", type) << 1 << "orvel2-documents" << t << QStringList() << orvelSheets
                                                      << orvelAccounts << QStringList() << orvelRows
                                                      << QStringList{withoutAccount};
        QTest::addRow("Orvel 2, registry folder, %s", type) << 1 << "orvel2-registry" << t << QStringList()
                                                            << orvelSheets << orvelAccounts << QStringList()
                                                            << orvelRows << QStringList{withoutAccount};
    }
    // Every sheet that a row names exists afterwards, named by its number when the old database has no
    // name for it; without sheets and rows the template's stays.
    QTest::newRow("Orvel 2 without data sheets")
        << 1 << "orvel2-documents" << "CURRENCY" << QStringList{QStringLiteral("DELETE FROM Dbs")}
        << QStringList{QStringLiteral("1|Data sheet 1"), QStringLiteral("3|Data sheet 3"), QStringLiteral("7|Data sheet 7")}
        << orvelAccounts << QStringList() << orvelRows << QStringList{withoutAccount};
    QTest::newRow("Orvel 2 without data sheets or rows")
        << 1 << "orvel2-documents" << "CURRENCY"
        << QStringList{QStringLiteral("DELETE FROM Dbs"), QStringLiteral("DELETE FROM Transactions")}
        << dump(testenv::Sandbox::masterGen(), QStringLiteral("SELECT DbId, DbName FROM Dbs")) << orvelAccounts
        << QStringList() << QStringList() << QStringList();
    // A sheet missing, one without a name, one id given twice (the first kept); an account without a name
    // under a name that shows its old number; a row of no sheet left out, and told.
    QTest::newRow("Orvel 2 with gaps")
        << 1 << "orvel2-documents" << "CURRENCY"
        << QStringList{QStringLiteral("DELETE FROM Dbs WHERE DbId = 7"), QStringLiteral("UPDATE Dbs SET DbName = NULL WHERE DbId = 3"),
                       QStringLiteral("INSERT INTO Dbs VALUES (1, 'Doppione')"),
                       QStringLiteral("INSERT INTO Accounts VALUES (6, '  ', NULL)"),
                       QStringLiteral("INSERT INTO Transactions VALUES (16, 1, 1, False, #07/01/2024#, 'Senza nome', NULL,"
                                      " 6, 5, 5, 'n', 1, 1, 0)"),
                       QStringLiteral("INSERT INTO Transactions VALUES (17, NULL, 1, False, #07/02/2024#, 'Nowhere', NULL,"
                                      " 0, 5, 5, 'n', 1, 1, 0)")}
        << QStringList{QStringLiteral("1|Casa"), QStringLiteral("3|Data sheet 3"), QStringLiteral("7|Data sheet 7")}
        << (orvelAccounts + QStringList{QStringLiteral("3|No name (no. 6)|Null")}) << QStringList()
        << (orvelRows.mid(0, 4) + QStringList{QStringLiteral("5|1|1|False|2024-07-01|Senza nome|Null|3|5|5|n|1|1|0|2|0|Null|False"),
                                               QStringLiteral("6|7|-1|False|2019-01-01|Bollo|Null|0|25|-25|n|1|1|0|2|0|Null|False"),
                                               QStringLiteral("7|3|1|True|2023-12-31|Interessi||0|0.3|0.3|n|1|1|0|2|0|Null|False"),
                                               QStringLiteral("8|1|1|False|2024-06-01|Orphan|Null|0|10|10|n|1|1|0|2|0|Null|False")})
        << QStringList{withoutAccount, importtool::LRSV(2306, 1)};
    // Closed cash-book rows of sheet 1 under the new counts; the income when it is over zero, else the
    // expense; the date without its time; the movement whose count is gone without a count, and told.
    QTest::newRow("Quilvaro") << 2 << "quilvaro" << "DOUBLE" << QStringList() << QStringList{QStringLiteral("1|Orvel")}
                              << QStringList()
                              << QStringList{QStringLiteral("1|Cassa"),
                                             QStringLiteral("2|Conto corrente aziendale numero 0001234567 presso ")}
                              << QStringList{
                                     QStringLiteral("1|1|-1|True|2024-01-10|Cancelleria|Null|0|25|-25|n|0|0|0|2|1|Null|True"),
                                     QStringLiteral("2|1|1|True|2024-01-15|Incasso|Null|0|40|40|n|0|0|0|2|1|Null|True"),
                                     QStringLiteral("3|1|-1|True|2024-02-01|Null|Null|0|12.5|-12.5|n|0|0|0|2|2|Null|True"),
                                     QStringLiteral("4|1|1|True|2024-02-02|Bonifico|Null|0|0.1|0.1|n|0|0|0|2|2|Null|True"),
                                     QStringLiteral("5|1|1|True|2024-02-03|Orphan|Null|0|7|7|n|0|0|0|2|0|Null|True"),
                                 }
                              << QStringList{importtool::LRSV(2305, 1)};
}

void tst_Import::importsEachProduct()
{
    QFETCH(int, app);
    QFETCH(QString, place);
    QFETCH(QString, amountType);
    QFETCH(QStringList, changes);
    QFETCH(QStringList, sheets);
    QFETCH(QStringList, accounts);
    QFETCH(QStringList, counts);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, told);

    const QString localData = platform::specialFolder(platform::CSIDL_LOCAL_APPDATA);
    QString old;
    if (place == QLatin1String("orvel1-registry")) {
        setMachineValue(QStringLiteral("Software\\Tarnwel\\Orvel\\Settings"), QStringLiteral("appset_curdb"),
                        m_box->root() + QStringLiteral("/old/v1"));
        old = fixtures::makeOrvel(m_box->root() + QStringLiteral("/old/v1/orvel.mdb"), amountType);
    } else if (place == QLatin1String("orvel1-x86")) {
        old = fixtures::makeOrvel(localData + QStringLiteral("/VirtualStore/Program Files (x86)/Tarnwel/Orvel/orvel.mdb"),
                                  amountType);
    } else if (place == QLatin1String("orvel2-documents")) {
        old = fixtures::makeOrvel(m_box->documents() + QStringLiteral("/Orvel2DB/orvel2.mdb"), amountType);
    } else if (place == QLatin1String("orvel2-registry")) {
        RegWrite(1, QStringLiteral("appset_curdb"), QStringLiteral("Software\\Tarnwel\\Orvel 2\\Settings"),
                 m_box->root() + QStringLiteral("/old/v2/"));
        old = fixtures::makeOrvel(m_box->root() + QStringLiteral("/old/v2/orvel2.mdb"), amountType);
    } else {
        old = fixtures::makeQuilvaro(m_box->documents() + QStringLiteral("/QuilvaroDB/quilvaro.mdb"));
    }
    fixtures::exec(old, changes);
    const QByteArray oldBytes = readAll(old);

    frmImport *w = wizard();
    QSignalSpy finished(w, &QDialog::finished);
    runWizard(app);

    // The confirmation named the database found, then the end message came and the wizard closed.
    const auto &asked = m_box->requests();
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked[0].text.contains(QDir::toNativeSeparators(old)), qPrintable(asked[0].text));
    QCOMPARE(asked[1].text, (QStringList{importtool::LRS(1380)} + told).join(QStringLiteral("\n\n")));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(w->result(), int(QDialog::Accepted));
    QVERIFY(w->sb->currentMessage().isEmpty());

    // The backup holds the old database; the older database was only read.
    QCOMPARE(readAll(backupFile()), m_original);
    QCOMPARE(readAll(old), oldBytes);
    QVERIFY(!QFileInfo::exists(importtool::WorkFolderFor(m_dbFolder)));
    QVERIFY(!QFileInfo::exists(m_dbFolder + QStringLiteral("/orvel3.ldb")));

    QCOMPARE(dump(m_dbFile, QStringLiteral("SELECT DbId, DbName FROM Dbs ORDER BY DbId")), sheets);
    QCOMPARE(dump(m_dbFile, QStringLiteral("SELECT AcId, AcName, AcNotes FROM Accounts ORDER BY AcId")), accounts);
    QCOMPARE(dump(m_dbFile, QStringLiteral("SELECT CnId, CnName FROM Counts ORDER BY CnId")), counts);
    QCOMPARE(dump(m_dbFile, QStringLiteral("SELECT * FROM Transactions ORDER BY TrRowId")), rows);
}

void tst_Import::locate_data()
{
    QTest::addColumn<int>("app");
    QTest::addColumn<QStringList>("files");      // created, relative to the sandbox root ("@" = local data)
    QTest::addColumn<QString>("registry");       // the product's folder value, "" for none
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("found");
    // Found in the usual places: see importsEachProduct.

    const QString vs = QStringLiteral("@/VirtualStore/Program Files/Tarnwel/Orvel/orvel.mdb");
    const QString vs86 = QStringLiteral("@/VirtualStore/Program Files (x86)/Tarnwel/Orvel/orvel.mdb");
    QTest::newRow("v1 only in the second candidate") << 0 << QStringList{vs86} << "" << 0 << vs86;
    QTest::newRow("v1 in both candidates: the first") << 0 << QStringList{vs, vs86} << "" << 0 << vs;
    QTest::newRow("v1 registry folder") << 0 << QStringList{QStringLiteral("reg/orvel.mdb"), vs} << "reg" << 0
                                        << "reg/orvel.mdb";
    QTest::newRow("v1 registry folder without a database") << 0 << QStringList{vs} << "reg" << 1 << "";
    QTest::newRow("v1 nowhere") << 0 << QStringList() << "" << 1 << "";
    QTest::newRow("v1 open") << 0 << QStringList{vs, QStringLiteral("@/VirtualStore/Program Files/Tarnwel/Orvel/orvel.ldb")}
                             << "" << 2 << vs;
    QTest::newRow("v2 registry folder without a database")
        << 1 << QStringList{QStringLiteral("home/Documents/Orvel2DB/orvel2.mdb")} << "reg" << 1 << "";
    QTest::newRow("v2 open") << 1
                             << QStringList{QStringLiteral("reg/orvel2.mdb"), QStringLiteral("reg/orvel2.ldb")} << "reg"
                             << 2 << "reg/orvel2.mdb";
    QTest::newRow("Quilvaro open") << 2
                                   << QStringList{QStringLiteral("home/Documents/QuilvaroDB/quilvaro.mdb"),
                                                  QStringLiteral("home/Documents/QuilvaroDB/quilvaro.ldb")}
                                   << "" << 2 << "home/Documents/QuilvaroDB/quilvaro.mdb";
    QTest::newRow("Quilvaro nowhere") << 2 << QStringList{QStringLiteral("home/Documents/Orvel2DB/orvel2.mdb")} << ""
                                      << 1 << "";
}

void tst_Import::locate()
{
    QFETCH(int, app);
    QFETCH(QStringList, files);
    QFETCH(QString, registry);
    QFETCH(int, result);
    QFETCH(QString, found);

    const auto path = [&](const QString &relative) {
        if (relative.startsWith(QLatin1Char('@')))
            return platform::specialFolder(platform::CSIDL_LOCAL_APPDATA) + relative.mid(1);
        return m_box->root() + QLatin1Char('/') + relative;
    };
    for (const QString &f : files)
        writeFile(path(f), "older database");
    if (!registry.isEmpty()) {
        if (app == 0)
            setMachineValue(QStringLiteral("Software\\Tarnwel\\Orvel\\Settings"), QStringLiteral("appset_curdb"), path(registry));
        else
            RegWrite(1, QStringLiteral("appset_curdb"), QStringLiteral("Software\\Tarnwel\\Orvel 2\\Settings"), path(registry));
    }

    frmImport *w = wizard();
    w->optApp(app)->setChecked(true);
    QCOMPARE(w->LocateOldDatabase(), result);
    QCOMPARE(w->SelectedApp, app);
    if (!found.isEmpty())
        QCOMPARE(w->OldDbFile, path(found));

    // Through Continue: not found and in use are reported and change nothing; the wizard stays on step 1.
    if (result != frmImport::Found) {
        m_box->clearRequests();
        runWizard(app);
        QCOMPARE(m_box->requests().size(), 1);
        QCOMPARE(m_box->requests()[0].text, importtool::LRS(result == frmImport::NotFound ? 1378 : 1382));
        QCOMPARE(w->WizardStep, 1);
        QVERIFY(w->picStep(1)->isVisibleTo(w) && !w->picStep(0)->isVisibleTo(w));
        verifyUntouched(false);
    }
}

void tst_Import::confirmationNamesTheDatabase_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("app");
    QTest::addColumn<QString>("expected");       // "%1" = the database found
    QTest::newRow("Italian") << 6 << 1 << QStringLiteral("Trovato un database nella seguente posizione: \"%1\". Proseguire? ");
    QTest::newRow("English, version 2")
        << 3 << 1 << QStringLiteral("Found a Orvel version 2 database in the following location: \"%1\". Continue?");
    QTest::newRow("English, Quilvaro")
        << 3 << 2 << QStringLiteral("Found a Orvel version Quilvaro database in the following location: \"%1\". Continue?");
}

void tst_Import::confirmationNamesTheDatabase()
{
    QFETCH(int, language);
    QFETCH(int, app);
    QFETCH(QString, expected);
    RegWrite(4, QStringLiteral("AppLanguageId"), QLatin1String(SettingsKey), language);
    // A folder whose name holds the placeholders is shown as it is.
    const QString folder = m_box->root() + QStringLiteral("/xxx yyy");
    RegWrite(1, QStringLiteral("appset_curdb"), QStringLiteral("Software\\Tarnwel\\Orvel 2\\Settings"), folder);
    writeFile(folder + QStringLiteral("/orvel2.mdb"), "older database");
    writeFile(m_box->documents() + QStringLiteral("/QuilvaroDB/quilvaro.mdb"), "older database");
    m_box->answerButton(platform::vbNo);
    runWizard(app);
    QCOMPARE(m_box->requests().size(), 1);
    QCOMPARE(m_box->requests()[0].text, expected.arg(QDir::toNativeSeparators(wizard()->OldDbFile)));
    QCOMPARE(m_box->requests()[0].style & 7, int(platform::vbYesNo));
}

void tst_Import::nothingIsLost_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("backup");            // made before the failure
    QTest::addColumn<bool>("appError");          // reported as a handled error
    QTest::addColumn<QString>("reason");         // in the last message

    QTest::newRow("answered No") << "no" << false << false << "orvel2.mdb";
    QTest::newRow("Orvel 3 started meanwhile") << "started" << false << false << importtool::LRS(1382);
    QTest::newRow("database folder gone") << "folder gone" << false << true << "unplugged";
    QTest::newRow("a value that does not fit, after rows were written") << "long name" << true << true << "AcName";
    QTest::newRow("an amount beyond the largest the program takes") << "large amount" << true << true
                                                                    << importtool::LRS(2051) + QStringLiteral("\nTrValue");
    QTest::newRow("a table missing") << "no table" << true << true << importtool::LRS(2162) + QStringLiteral("\nTransactions");
    QTest::newRow("a date that is no date") << "no date" << true << true << importtool::LRS(2163) + QStringLiteral("\nTrDate");
    // The new database's engine refuses a value the old one held: told without the engine's words.
    QTest::newRow("a value the engine refuses") << "engine" << true << true << importtool::LRS(2307);
    QTest::newRow("not a database") << "text file" << true << true << importtool::LRS(2161);
    QTest::newRow("a damaged Jet file") << "damaged jet" << true << true << importtool::LRS(2161);
    QTest::newRow("a damaged SQLite file") << "damaged sqlite" << true << true << importtool::LRS(2161);
    QTest::newRow("disk full while the new database is filled") << "full while filling" << true << true << "";
    // The file size limit stops the copy as a full disk would; the disk itself still has room.
    QTest::newRow("file size limit at the backup") << "full at backup" << false << true << importtool::LRS(2164);
    QTest::newRow("disk full at the backup") << "disk full at backup" << false << true << importtool::LRS(2047);
}

void tst_Import::nothingIsLost()
{
    QFETCH(QString, failure);
    QFETCH(bool, backup);
    QFETCH(bool, appError);
    QFETCH(QString, reason);

    const QString old = m_box->documents() + QStringLiteral("/Orvel2DB/orvel2.mdb");
    const QString gone = m_box->root() + QStringLiteral("/unplugged/Orvel3DB");
    if (failure == QLatin1String("no table")) {
        fixtures::create(old, fixtures::orvelSchema(QStringLiteral("CURRENCY"), false));
        fixtures::fillOrvel(old, false);
    } else if (failure == QLatin1String("text file")) {
        writeFile(old, "These are not the rows you are looking for.\n");
    } else if (failure == QLatin1String("damaged sqlite")) {
        writeFile(old, QByteArray("SQLite format 3\0", 16) + QByteArray(4096, '\x5a'));
    } else if (failure == QLatin1String("damaged jet")) {
        QByteArray bytes(3 * 4096, '\x5a');
        bytes.replace(0, 20, QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20));
        writeFile(old, bytes);
    } else {
        fixtures::makeOrvel(old, QStringLiteral("CURRENCY"));
    }
    if (failure == QLatin1String("no date"))
        fixtures::exec(old, {QStringLiteral("UPDATE Transactions SET TrDate = 'someday' WHERE TrRowId = 12")});
    if (failure == QLatin1String("engine"))
        fixtures::exec(old, {QStringLiteral("UPDATE Transactions SET TrType = 'abc' WHERE TrRowId = 12")});
    if (failure == QLatin1String("large amount"))
        fixtures::exec(old, {QStringLiteral("UPDATE Transactions SET TrValue = 1000000000000 WHERE TrRowId = 12")});
    if (failure == QLatin1String("long name"))
        fixtures::exec(old, {QStringLiteral("INSERT INTO Accounts VALUES (8, '%1', NULL)").arg(QString(150, QLatin1Char('x')))});
    if (failure == QLatin1String("full while filling")) {
        // Enough rows that the new database outgrows what the disk has left.
        QStringList many;
        for (int i = 0; i < 2000; ++i)
            many.append(QStringLiteral("INSERT INTO Transactions VALUES (%1, 1, 1, False, #01/01/2024#, '%2', NULL, 5,"
                                       " 1, 1, 'n', 1, 1, 0)").arg(100 + i).arg(QString(200, QLatin1Char('d'))));
        fixtures::exec(old, many);
    }
    if (failure == QLatin1String("no"))
        m_box->answerButton(platform::vbNo);
    if (failure == QLatin1String("folder gone"))
        RegWrite(1, QStringLiteral("DbPath"), QLatin1String(SettingsKey), gone);

    frmImport *w = wizard();
    QSignalSpy finished(w, &QDialog::finished);
    if (failure == QLatin1String("started"))
        writeFile(m_dbFolder + QStringLiteral("/orvel3.ldb"), otherProcessLock());
    {
        std::unique_ptr<FullDisk> full;
        if (failure == QLatin1String("full while filling"))
            full = std::make_unique<FullDisk>(m_original.size() * 4);
        else if (failure == QLatin1String("full at backup"))
            full = std::make_unique<FullDisk>(m_original.size() / 2);
        if (failure == QLatin1String("disk full at backup"))
            platform::setWriteFault([](const QString &file) { return file.endsWith(QLatin1String(".bak")); });
        runWizard(1);
        platform::setWriteFault(nullptr);
    }

    // The outcome is reported and the wizard stays open on step 1.
    const auto &asked = m_box->requests();
    QVERIFY(!asked.isEmpty());
    QVERIFY2(asked.last().text.contains(reason), qPrintable(asked.last().text));
    QCOMPARE(asked.last().title == importtool::LRS(1943), appError);
    // A handled failure names the tool and where it happened.
    if (appError)
        QVERIFY(asked.last().text.contains(QStringLiteral("\nin OrvelDbTools.frmImport.cmdProsegui_Click line ")));
    QCOMPARE(finished.size(), 0);
    QCOMPARE(w->WizardStep, 1);
    QVERIFY(w->sb->currentMessage().isEmpty());
    // The database is the old one, the backup (when it was made) beside it, nothing else left behind.
    verifyUntouched(backup);
    QStringList left = QDir(m_dbFolder).entryList(QDir::Files | QDir::Hidden);
    left.removeAll(QStringLiteral("orvel3.ldb"));
    QCOMPARE(left.size(), 1 + int(backup));
    QVERIFY(!QFileInfo::exists(m_box->root() + QStringLiteral("/unplugged")));
}

void tst_Import::damagedDatabaseIsRefused_data()
{
    QTest::addColumn<int>("language");           // AppLanguageId
    QTest::addColumn<int>("offset");             // its block of texts
    QTest::addColumn<QString>("damage");
    QTest::newRow("a real file cut at half its pages, in Italian") << 6 << 0 << "cut";
    QTest::newRow("a real file cut within a page, in Spanish") << 4 << 9000 << "cut within a page";
    QTest::newRow("a reader that never returns, in German") << 2 << 12000 << "never returns";
    QTest::newRow("a reader that takes memory without end, in French") << 5 << 6000 << "takes memory";
}

// An older database that cannot be read whole is refused within the reader's limits, in the user's
// language, and the database stays as it was.
void tst_Import::damagedDatabaseIsRefused()
{
    QFETCH(int, language);
    QFETCH(int, offset);
    QFETCH(QString, damage);
    RegWrite(4, QStringLiteral("AppLanguageId"), QLatin1String(SettingsKey), language);
    const QByteArray real = readAll(QStringLiteral(ORVEL_TEST_DATA "/DateTestDatabase.mdb"));
    const QString old = m_box->documents() + QStringLiteral("/Orvel2DB/orvel2.mdb");
    constexpr int Page = 4096;
    if (damage == QLatin1String("cut"))
        writeFile(old, real.left(real.size() / Page / 2 * Page));
    else if (damage == QLatin1String("cut within a page"))
        writeFile(old, real.left(150001));
    else
        writeFile(old, real);
    if (damage == QLatin1String("never returns"))
        readertest::useReader(readertest::NeverReturns);
    if (damage == QLatin1String("takes memory"))
        readertest::useReader(readertest::TakesMemory);
    importtool::setReaderLimitsForTests(importtool::ReaderLimits{std::chrono::seconds(3), qint64(128) << 20});

    frmImport *w = wizard();
    QString status;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (!w->sb->currentMessage().isEmpty())
            status = w->sb->currentMessage();
    });
    watch.start();
    runWizard(1);
    watch.stop();

    // The confirmation, then the refusal; the status meanwhile in the user's language too.
    const auto &asked = m_box->requests();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[1].title, importtool::TextAt(offset, 1943));
    const QString refusal = importtool::TextAt(offset, 2161) + QLatin1Char('\n') + QDir::toNativeSeparators(old)
                            + QStringLiteral("\nin OrvelDbTools.frmImport.cmdProsegui_Click line ");
    QVERIFY2(asked[1].text.startsWith(refusal), qPrintable(asked[1].text));
    QCOMPARE(status, importtool::TextAt(offset, 2300));
    QVERIFY(w->sb->currentMessage().isEmpty());
    QCOMPARE(w->WizardStep, 1);
    verifyUntouched(true);
}

void tst_Import::replaceWaitsForTheMainProgram_data()
{
    QTest::addColumn<QByteArray>("lock");        // orvel3.ldb, absent when empty
    QTest::addColumn<bool>("replaced");
    QTest::newRow("no lock") << QByteArray() << true;
    QTest::newRow("stale lock") << DeadPid.toLatin1() << true;
    QTest::newRow("live lock") << otherProcessLock() << false;
}

void tst_Import::replaceWaitsForTheMainProgram()
{
    QFETCH(QByteArray, lock);
    QFETCH(bool, replaced);
    wizard();
    const QString fresh = importtool::PrepareFreshDatabase(m_dbFolder);
    QCOMPARE(readAll(fresh), readAll(m_box->programFolder() + QStringLiteral("/master.gen")));
    if (!lock.isEmpty())
        writeFile(m_dbFolder + QStringLiteral("/orvel3.ldb"), lock);
    writeFile(m_dbFile + QStringLiteral("-journal"), "left by a crash");
    bool raised = false;
    try {
        importtool::ReplaceDatabase(fresh, m_dbFile);
    } catch (const platform::RuntimeError &e) {
        raised = true;
        QCOMPARE(e.description(), importtool::LRS(1382));
    }
    QCOMPARE(raised, !replaced);
    QCOMPARE(readAll(m_dbFile), replaced ? readAll(m_box->programFolder() + QStringLiteral("/master.gen")) : m_original);
    QCOMPARE(QFileInfo::exists(m_dbFile + QStringLiteral("-journal")), !replaced);
    importtool::DiscardFreshDatabase(m_dbFolder);
    QVERIFY(!QFileInfo::exists(importtool::WorkFolderFor(m_dbFolder)));
}

// From the user's Yes to the end the tool holds the database: Orvel 3 opening it meanwhile (to start, or
// to save) is refused, so nothing it writes is lost with the old file; once the tool has finished it opens.
void tst_Import::orvel3IsKeptOutUntilTheEnd()
{
    fixtures::makeOrvel(m_box->documents() + QStringLiteral("/Orvel2DB/orvel2.mdb"), QStringLiteral("CURRENCY"));
    wizard();
    QList<int> meanwhile;
    // Runs at each pending-events call of the import: after the backup, while the data is copied.
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, this, [&] {
        if (meanwhile.size() < 2)
            meanwhile << QProcess::execute(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-open"), m_dbFile});
    });
    probe.start();
    runWizard(1);
    probe.stop();
    QCOMPARE(meanwhile, (QList<int>{ChildRefusedHeld, ChildRefusedHeld}));
    QVERIFY(m_box->requests().last().text.startsWith(importtool::LRS(1380)));
    QVERIFY(!QFileInfo::exists(m_dbFolder + QStringLiteral("/orvel3.ldb")));
    QCOMPARE(dump(backupFile(), QStringLiteral("SELECT AcName FROM Accounts")), QStringList{QStringLiteral("Current")});
    QCOMPARE(QProcess::execute(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-open"), m_dbFile}),
             int(ChildOpened));
    QVERIFY(dump(m_dbFile, QStringLiteral("SELECT AcName FROM Accounts")).contains(QStringLiteral("Saved meanwhile")));
}

// While the import works (it lets pending events run) its buttons are disabled: Enter, Esc and clicks
// neither start a second import nor close the wizard.
void tst_Import::wizardIsNotEnteredAgainWhileItWorks()
{
    fixtures::makeOrvel(m_box->documents() + QStringLiteral("/Orvel2DB/orvel2.mdb"), QStringLiteral("CURRENCY"));
    frmImport *w = wizard();
    QSignalSpy finished(w, &QDialog::finished);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->cmdProsegui->click();
    w->optApp(1)->click();
    bool enabledMeanwhile = false;
    int tries = 0;
    QTimer again;
    again.setInterval(0);
    connect(&again, &QTimer::timeout, this, [&] {
        if (tries++ > 0)
            return;
        enabledMeanwhile = w->cmdProsegui->isEnabled() || w->cmdAnnulla->isEnabled() || w->frmChoose->isEnabled();
        QTest::keyClick(w, Qt::Key_Return);
        QTest::keyClick(w, Qt::Key_Escape);
        w->cmdProsegui->click();
        w->cmdAnnulla->click();
    });
    again.start();
    w->cmdProsegui->click();
    again.stop();
    QVERIFY(tries > 0);
    QVERIFY(!enabledMeanwhile);
    // One confirmation, one end message; the wizard closed once, accepted.
    const auto &asked = m_box->requests();
    QCOMPARE(asked.size(), 2);
    QVERIFY(asked[1].text.startsWith(importtool::LRS(1380)));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(w->result(), int(QDialog::Accepted));
    QStringList backups = QDir(m_dbFolder).entryList({QStringLiteral("orvel3.mdb.*.bak")});
    QCOMPARE(backups, QStringList{QFileInfo(backupFile()).fileName()});
}

// A database copied from a system that ignores the case of names keeps its own spelling: it is the one
// backed up and replaced, and no second database is made beside it.
void tst_Import::databaseNamedInAnotherCaseIsTheOneReplaced()
{
    const QString copied = m_dbFolder + QStringLiteral("/Orvel3.MDB");
    QVERIFY(QFile::rename(m_dbFile, copied));
    fixtures::makeOrvel(m_box->documents() + QStringLiteral("/Orvel2DB/orvel2.mdb"), QStringLiteral("CURRENCY"));
    runWizard(1);
    QVERIFY(m_box->requests().last().text.startsWith(importtool::LRS(1380)));
    QVERIFY(!QFileInfo::exists(m_dbFile));
    QCOMPARE(readAll(copied + BackupSuffix), m_original);
    QVERIFY(!dump(copied, QStringLiteral("SELECT AcName FROM Accounts")).contains(QStringLiteral("Current")));
}

int main(int argc, char **argv)
{
    if (const auto code = readertest::runReader(argc, argv))
        return *code;
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--child-open"))
        return childOpen(args.at(2));
    QTEST_SET_MAIN_SOURCE_PATH
    tst_Import test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_import.moc"
