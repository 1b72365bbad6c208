// Start-up: the first start on a clean home, the database loop with its questions (each fault told as it
// is, the folder choice or Retry), the folder chosen for one run, the missing template, the second instance,
// the tray count.

#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/SettingsKeys.h"
#include "foundation/TransactionsTable.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/comRegistry.h"
#include "foundation/frmSysTray.h"
#include "foundation/clsSysTray.h"
#include "foundation/modMain.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/registry/RegistryStore.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

using platform::DialogKind;

namespace {

QWidget *g_loaded = nullptr;

// A stand-in for the main window's Load.
MainWindowLoader standInLoader()
{
    return [] {
        g_loaded = new QWidget();
        g_loaded->setObjectName(QStringLiteral("frmMain"));
        return g_loaded;
    };
}

void setDbPath(const QString &path)
{
    RegWrite(1, QStringLiteral("DbPath"), QLatin1String(SettingsKey), path);
}

void exec(const QString &dbFile, const QString &sql)
{
    platform::Connection cn;
    cn.Open(testenv::connectionString(dbFile));
    cn.Execute(sql);
    cn.Close();
}

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        g_loaded = nullptr;
        m_box = std::make_unique<testenv::Sandbox>();
    }
    void cleanup()
    {
        EndProgram();   // before the sandbox goes, so the instance lock is released inside it
        m_box.reset();
        clsSysTray::setAvailable(std::nullopt);
        qApp->setQuitOnLastWindowClosed(true);
    }

    void firstStartOnCleanHome()
    {
        testenv::Sandbox &box = *m_box;
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        const QString folder = box.documents() + QStringLiteral("/Orvel3DB");
        QVERIFY(QFile::exists(folder + QStringLiteral("/orvel3.mdb")));
        QVERIFY(QFileInfo(folder + QStringLiteral("/attached")).isDir());
        QCOMPARE(Adb->dbPath(), folder);
        QCOMPARE(Adb->attachedPath(), folder + QStringLiteral("/attached/"));
        QCOMPARE(Adb->TestDb(folder), 0);
        QCOMPARE(Sheet->Id(), 1);
        QVERIFY(g_loaded && g_loaded->isVisible());
        QVERIFY(box.requests().isEmpty());
        // DbPath is read with the default, never written by start-up.
        QVERIFY(RegRead(1, QStringLiteral("DbPath"), QLatin1String(SettingsKey), QStringLiteral("none")).toString()
                == QStringLiteral("none"));
    }

    // A database made from an older template (no index of days) gets the template's indexes at the start,
    // its rows as they were; a database that cannot take them (busy now) still starts.
    void olderDatabaseGetsTheIndexes_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::newRow("free") << false;
        QTest::newRow("busy") << true;
    }
    void olderDatabaseGetsTheIndexes()
    {
        QFETCH(bool, busy);
        testenv::Sandbox &box = *m_box;
        const QString folder = box.documents() + QStringLiteral("/Orvel3DB");
        const QString file = box.makeDatabase(folder);
        exec(file, QStringLiteral("INSERT INTO Transactions (TrDbId, TrDescription) SELECT 1, 'kept'"));
        auto indexCount = [&file] {
            platform::Recordset rs;
            rs.Open(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL"),
                    testenv::connectionString(file));
            return rs.RecordCount();
        };
        const int wanted = indexCount();
        QVERIFY(wanted > 0);
        exec(file, QStringLiteral("DROP INDEX TransactionsByDay"));
        QCOMPARE(indexCount(), wanted - 1);
        std::unique_ptr<QProcess> holder;
        if (busy) {
            // Another program in the middle of a write: the index waits for another start.
            holder = std::make_unique<QProcess>();
            holder->start(QStringLiteral("sqlite3"), {file});
            if (!holder->waitForStarted(5000))
                QSKIP("the sqlite3 shell is not installed: no other program to keep the database busy");
            holder->write("BEGIN IMMEDIATE; SELECT 'held';\n");
            QVERIFY(holder->waitForReadyRead(5000));
        }
        const StartupResult result = Main(standInLoader());
        if (holder) {
            holder->write("ROLLBACK;\n.quit\n");
            holder->closeWriteChannel();
            holder->waitForFinished(5000);
        }
        QCOMPARE(indexCount(), busy ? wanted - 1 : wanted);
        QCOMPARE(result, StartupResult::Running);
        platform::Recordset rs;
        rs.Open(QStringLiteral("SELECT TrDescription FROM Transactions"), testenv::connectionString(file));
        QCOMPARE(rs.value(0).toString(), QStringLiteral("kept"));
    }

    // The template and the help pages are found beside the program (the build's bin folder) and in the
    // installed layout (bin/ with share/orvel3/); the first start works from either.
    void dataFilesInBothLayouts_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::newRow("build folder") << false;
        QTest::newRow("installed under a prefix") << true;
    }
    void dataFilesInBothLayouts()
    {
        QFETCH(bool, installed);
        testenv::Sandbox &box = *m_box;
        if (installed) {
            const QString prefix = box.root() + QStringLiteral("/prefix");
            const QString data = prefix + QStringLiteral("/share/orvel3");
            QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")) && QDir().mkpath(prefix + QStringLiteral("/share")));
            QVERIFY(QDir().rename(box.programFolder(), data));
            platform::setProgramFolder(prefix + QStringLiteral("/bin"));
        }
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        QVERIFY(QFile::exists(box.documents() + QStringLiteral("/Orvel3DB/orvel3.mdb")));
        QVERIFY(QFileInfo(Lang->helpFile()).isFile());
        QCOMPARE(QFileInfo(Lang->helpFile()).fileName(), QStringLiteral("en_help.html"));
        QCOMPARE(Lang->helpFile().contains(QStringLiteral("/share/orvel3/")), installed);
        QVERIFY(box.requests().isEmpty());
    }

    void documentsFolderMissing()
    {
        testenv::Sandbox &box = *m_box;
        QDir(box.documents()).removeRecursively();
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        QVERIFY(QFile::exists(box.documents() + QStringLiteral("/Orvel3DB/orvel3.mdb")));
    }

    void storedFolderWithoutDatabaseGetsTheTemplate_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("name");
        QTest::newRow("existing empty folder") << true << "data";
        QTest::newRow("missing folder, parent exists") << false << "data";
        QTest::newRow("a name holding ; and blanks") << false << "Dati; 2025 ";
    }
    void storedFolderWithoutDatabaseGetsTheTemplate()
    {
        QFETCH(bool, folderExists);
        QFETCH(QString, name);
        testenv::Sandbox &box = *m_box;
        const QString folder = box.root() + QLatin1Char('/') + name;
        if (folderExists)
            QDir().mkpath(folder);
        setDbPath(folder);
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        QCOMPARE(Adb->dbPath(), folder);
        QVERIFY(QFile::exists(folder + QStringLiteral("/orvel3.mdb")));
        QVERIFY(box.requests().isEmpty());   // silently
        QCOMPARE(Adb->TestDb(folder), int(cAccessDb::Usable));
        // The default folder is made all the same.
        QVERIFY(QFile::exists(box.documents() + QStringLiteral("/Orvel3DB/orvel3.mdb")));
    }

    // While the import tool holds the database, a start says so and ends, asking nothing and writing nothing.
    void databaseHeldByTheImportToolEndsTheStart()
    {
        testenv::Sandbox &box = *m_box;
        const QString folder = box.documents() + QStringLiteral("/Orvel3DB");
        const QString file = box.makeDatabase(folder);
        const QByteArray before = testenv::fileBytes(file);
        // A running process other than this one (the test's parent) holds it.
        QFile ldb(folder + QStringLiteral("/orvel3.ldb"));
        QVERIFY(ldb.open(QIODevice::WriteOnly));
        ldb.write(QByteArray::number(qint64(::getppid())) + " hold\n");
        ldb.close();
        QCOMPARE(Main(standInLoader()), StartupResult::Ended);
        QCOMPARE(box.requests().size(), 1);
        QCOMPARE(box.requests()[0].text, LRS(2001));
        QVERIFY(!g_loaded);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    // A settings file that cannot be read is kept aside and the user told once; the program starts on the
    // default folder and the next start says nothing. One whose only fault is a missing final line break
    // is read as it is.
    void unreadableSettingsAreKeptAsideAndToldOnce_data()
    {
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<bool>("setAside");
        QTest::newRow("cut short inside the value DbPath") << QByteArray("\"DbPath\"=\"/srv/elsew") << true;
        QTest::newRow("no final line break") << QByteArray("\"DbPath\"=\"ELSEWHERE\"") << false;
    }
    void unreadableSettingsAreKeptAsideAndToldOnce()
    {
        QFETCH(QByteArray, tail);
        QFETCH(bool, setAside);
        testenv::Sandbox &box = *m_box;
        const QString elsewhere = box.root() + QStringLiteral("/elsewhere");
        box.makeDatabase(elsewhere);
        tail.replace("ELSEWHERE", QFile::encodeName(elsewhere));
        const QByteArray bytes = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Tarnwel\\Orvel3\\Settings]\n"
                                 "\"AppLanguageId\"=dword:00000006\n" + tail;
        const QString hive = box.registryFolder() + QStringLiteral("/HKEY_CURRENT_USER.reg");
        QDir().mkpath(box.registryFolder());
        QFile f(hive);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        platform::registry::setFolder(box.registryFolder());   // read afresh, as a new process does

        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        const QStringList aside = QDir(box.registryFolder()).entryList({QStringLiteral("HKEY_CURRENT_USER.reg.unreadable-*")});
        QCOMPARE(aside.size(), int(setAside));
        if (!setAside) {
            QVERIFY(box.requests().isEmpty());
            QCOMPARE(Adb->dbPath(), elsewhere);
            QCOMPARE(Lang->AppLanguageId(), 6);
            return;
        }
        QFile kept(box.registryFolder() + QLatin1Char('/') + aside.first());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), bytes);
        QCOMPARE(box.requests().size(), 1);
        QCOMPARE(box.requests()[0].text, LRSV(2000, QDir::toNativeSeparators(kept.fileName())));
        QCOMPARE(Adb->dbPath(), box.documents() + QStringLiteral("/Orvel3DB"));
        EndProgram();

        box.clearRequests();
        platform::registry::setFolder(box.registryFolder());
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        QVERIFY(box.requests().isEmpty());
        QCOMPARE(QDir(box.registryFolder()).entryList({QStringLiteral("HKEY_CURRENT_USER.reg.unreadable-*")}), aside);
    }

    void emptyDbPathMeansTheDefaultFolder()
    {
        testenv::Sandbox &box = *m_box;
        setDbPath(QString());
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        QCOMPARE(Adb->dbPath(), box.documents() + QStringLiteral("/Orvel3DB"));
    }

    // Each fault that another folder mends asks what it is, naming what is wrong, and offers the folder
    // choice: No ends the program and leaves everything as it was; Yes and a chosen folder start on that
    // folder for this run.
    void faultAnotherFolderMendsAsks_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("question");   // FOLDER, FILE: the folder and database file tested
        const QString choose = QStringLiteral("\n\nChoose another database folder?");
        const QString damaged = QStringLiteral("The database file FILE is damaged or is not an Orvel 3 database. Put a "
                                               "backup copy in its place, or choose another folder.")
                                + choose;
        const QString invalid = QStringLiteral("The format of the database is invalid.\n%1\nSelect a new database?");
        const QString cannotCreate =
            QStringLiteral("Orvel 3 cannot create its database in the folder FOLDER: the folder cannot be written.") + choose;
        QTest::newRow("not a database") << "garbage" << damaged;
        QTest::newRow("a damaged page") << "damaged page" << damaged;
        QTest::newRow("a column added") << "column added" << invalid.arg(QStringLiteral("Not known to Orvel 3: Counts.Extra"));
        QTest::newRow("a column renamed")
            << "column renamed"
            << invalid.arg(QStringLiteral("Missing: Transactions.TrAlertDays\nNot known to Orvel 3: Transactions.TrAlertDayz"));
        QTest::newRow("a table missing") << "table missing" << invalid.arg(QStringLiteral("Missing: Dbs"));
        QTest::newRow("no data sheet") << "no sheet" << invalid.arg(QStringLiteral("The database holds no data sheet."));
        QTest::newRow("a drive not mounted")
            << "not mounted"
            << QStringLiteral("The database folder FOLDER cannot be found: it may be on a disk or a network share that is "
                              "not connected. Connect it and start Orvel 3 again, or choose another folder.")
                   + choose;
        QTest::newRow("a file") << "file" << QStringLiteral("The database folder FOLDER is a file, not a folder.") + choose;
        QTest::newRow("the default folder, a file")
            << "default is a file" << QStringLiteral("The database folder FOLDER is a file, not a folder.") + choose;
        QTest::newRow("a read-only folder without a database") << "read-only folder" << cannotCreate;
        QTest::newRow("a folder that cannot be made") << "read-only parent" << cannotCreate;
        QTest::newRow("a file that cannot be read")
            << "unreadable" << QStringLiteral("The network path is not currently active. Choose a new network location?");
    }
    void faultAnotherFolderMendsAsks()
    {
        QFETCH(QString, fault);
        QFETCH(QString, question);
        testenv::Sandbox &box = *m_box;
        QString folder = box.root() + QStringLiteral("/bad");
        QHash<QString, int> modes;     // what the ordinary user may not do
        if (fault == QLatin1String("not mounted"))
            folder = box.root() + QStringLiteral("/media/usb/Orvel3");
        else if (fault == QLatin1String("default is a file"))
            folder = box.documents() + QStringLiteral("/Orvel3DB");
        else if (fault == QLatin1String("read-only parent"))
            folder = box.root() + QStringLiteral("/shared/Orvel3");
        const QString file = folder + QStringLiteral("/orvel3.mdb");
        if (fault == QLatin1String("file") || fault == QLatin1String("default is a file")) {
            QFile f(folder);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("notes");
        } else if (fault == QLatin1String("garbage")) {
            QDir().mkpath(folder);
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("this is not a database at all, just some text that is long enough");
        } else if (fault == QLatin1String("read-only folder")) {
            QDir().mkpath(folder);
            modes.insert(folder, 0555);
        } else if (fault == QLatin1String("read-only parent")) {
            QDir().mkpath(box.root() + QStringLiteral("/shared"));
            modes.insert(box.root() + QStringLiteral("/shared"), 0555);
        } else if (fault != QLatin1String("not mounted")) {
            box.makeDatabase(folder);
            exec(file, QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Bank'"));
            if (fault == QLatin1String("damaged page"))
                testenv::damageTable(file, "Counts");
            else if (fault == QLatin1String("column added"))
                exec(file, QStringLiteral("ALTER TABLE Counts ADD COLUMN Extra INTEGER"));
            else if (fault == QLatin1String("column renamed"))
                exec(file, QStringLiteral("ALTER TABLE Transactions RENAME COLUMN TrAlertDays TO TrAlertDayz"));
            else if (fault == QLatin1String("table missing"))
                exec(file, QStringLiteral("DROP TABLE Dbs"));
            else if (fault == QLatin1String("no sheet"))
                exec(file, QStringLiteral("DELETE * FROM Dbs"));
            else if (fault == QLatin1String("unreadable"))
                modes.insert(file, 0);
        }
        if (fault != QLatin1String("default is a file"))
            setDbPath(folder);
        const QByteArray before = testenv::fileBytes(file);
        const QString chosen = box.root() + QStringLiteral("/chosen");
        QDir().mkpath(chosen);
        std::optional<testenv::OrdinaryUser> user(std::in_place, box, modes);
        question.replace(QLatin1String("FOLDER"), QDir::toNativeSeparators(folder))
            .replace(QLatin1String("FILE"), QDir::toNativeSeparators(file));

        // No: the program ends, nothing changed.
        box.answerButton(platform::vbNo);
        QCOMPARE(Main(standInLoader()), StartupResult::Ended);
        QCOMPARE(box.requests().size(), 1);
        QCOMPARE(box.requests()[0].text, question);
        QCOMPARE(box.requests()[0].title, QStringLiteral("Orvel 3"));
        QCOMPARE(box.requests()[0].style & 7, int(platform::vbYesNo));
        QVERIFY(!g_loaded);
        EndProgram();
        QVERIFY(!QFile::exists(folder + QStringLiteral("/orvel3.ldb")));

        // Yes, then a chosen folder: it holds for this run only; attachments go beside it.
        box.clearRequests();
        box.answerButton(platform::vbYes);
        box.answerText(chosen);
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        QCOMPARE(box.requests().size(), 3);
        QCOMPARE(box.requests()[1].kind, DialogKind::Folder);
        QCOMPARE(box.requests()[1].title, QStringLiteral("Database folder not available or disconnetted. Select another folder."));
        QCOMPARE(box.requests()[2].text, QStringLiteral("Folder selected. "));
        QCOMPARE(Adb->dbPath(), chosen);
        QCOMPARE(Adb->attachedPath(), chosen + QStringLiteral("/attached/"));
        QVERIFY(QFile::exists(chosen + QStringLiteral("/orvel3.mdb")));
        QVERIFY(QFileInfo(chosen + QStringLiteral("/attached")).isDir());
        EndProgram();
        QCOMPARE(RegRead(1, QStringLiteral("DbPath"), QLatin1String(SettingsKey)).toString(),
                 fault == QLatin1String("default is a file") ? QString() : folder);
        user.reset();
        QCOMPARE(testenv::fileBytes(file), before);
    }

    // A fault that another folder would not mend (the database busy, the disk full) is told as it is, with
    // Retry and Cancel: Cancel ends the program; Retry, once the fault is gone, starts on the same folder.
    void faultAnotherFolderWouldNotMendOffersRetry_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("told");
        const QString full = QStringLiteral("There is no space left on the disk of the database folder FOLDER. Free "
                                            "some space on the disk, then choose Retry; Cancel closes Orvel 3.");
        QTest::newRow("held by another program")
            << "locked"
            << QStringLiteral("The database FILE is in use by another program. Wait until it has finished, then choose "
                              "Retry; Cancel closes Orvel 3.");
        QTest::newRow("a full disk, the database to be made") << "full copy" << full;
        QTest::newRow("a full disk, the lock file") << "full lock" << full;
    }
    void faultAnotherFolderWouldNotMendOffersRetry()
    {
        QFETCH(QString, fault);
        QFETCH(QString, told);
        testenv::Sandbox &box = *m_box;
        const QString folder = box.root() + QStringLiteral("/target");
        const QString file = folder + QStringLiteral("/orvel3.mdb");
        QDir().mkpath(folder);
        setDbPath(folder);
        told.replace(QLatin1String("FOLDER"), QDir::toNativeSeparators(folder))
            .replace(QLatin1String("FILE"), QDir::toNativeSeparators(file));
        sqlite3 *other = nullptr;
        const auto setFault = [&] {
            if (fault == QLatin1String("locked")) {
                QVERIFY(sqlite3_open(QFile::encodeName(file).constData(), &other) == SQLITE_OK);
                QVERIFY(sqlite3_exec(other, "BEGIN EXCLUSIVE; DELETE FROM Counts;", nullptr, nullptr, nullptr) == SQLITE_OK);
            } else if (fault == QLatin1String("full copy")) {
                platform::setWriteFault([](const QString &name) { return name.endsWith(QLatin1String("/target/orvel3.mdb")); });
            } else {
                platform::setWriteFault([](const QString &name) { return name.endsWith(QLatin1String(".ldb")); });
            }
        };
        const auto liftFault = [&] {
            platform::setWriteFault(nullptr);
            if (other) {
                sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
                sqlite3_close(other);
                other = nullptr;
            }
        };
        if (fault != QLatin1String("full copy")) {
            box.makeDatabase(folder);
            exec(file, QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Bank'"));
        }
        setFault();
        box.answerButton(platform::vbCancel);
        QCOMPARE(Main(standInLoader()), StartupResult::Ended);
        QCOMPARE(box.requests().size(), 1);
        QCOMPARE(box.requests()[0].text, told);
        QCOMPARE(box.requests()[0].style & 7, int(platform::vbRetryCancel));
        QVERIFY(!g_loaded);
        EndProgram();

        box.clearRequests();
        box.whenAsked([&](const platform::DialogRequest &) { liftFault(); });
        box.answerButton(platform::vbRetry);
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        box.whenAsked(nullptr);
        liftFault();
        QCOMPARE(box.requests().size(), 1);
        QCOMPARE(Adb->dbPath(), folder);
        QCOMPARE(Adb->TestDb(folder), int(cAccessDb::Usable));
        if (fault != QLatin1String("full copy"))
            QCOMPARE(testenv::rawInt(file, "SELECT Count(*) FROM Counts"), 1);
    }

    // The default folder that cannot be made matters only when it is the folder in use: with DbPath naming
    // a good folder elsewhere the program starts on it without a word.
    void defaultFolderMattersOnlyWhenUsed_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::newRow("a file of that name") << "file";
        QTest::newRow("a read-only documents folder") << "read-only";
    }
    void defaultFolderMattersOnlyWhenUsed()
    {
        QFETCH(QString, cause);
        testenv::Sandbox &box = *m_box;
        const QString elsewhere = box.root() + QStringLiteral("/elsewhere");
        box.makeDatabase(elsewhere);
        setDbPath(elsewhere);
        QHash<QString, int> modes;
        if (cause == QLatin1String("file")) {
            QFile f(box.documents() + QStringLiteral("/Orvel3DB"));
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else {
            modes.insert(box.documents(), 0555);
        }
        testenv::OrdinaryUser user(box, modes);
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        QVERIFY(box.requests().isEmpty());
        QCOMPARE(Adb->dbPath(), elsewhere);
        QVERIFY(!QFileInfo(box.documents() + QStringLiteral("/Orvel3DB")).isDir());
        EndProgram();
    }

    // A database file named in another case (copied from a system that finds names whatever their case) is
    // the database: nothing new is made beside it; where two are there, the exact name is taken. Its lock
    // file too is found whatever its case: the import tool's hold keeps the start out.
    void databaseNamedInAnotherCase_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("taken");
        QTest::newRow("Orvel3.MDB") << QStringList{QStringLiteral("Orvel3.MDB")} << "Orvel3.MDB";
        QTest::newRow("ORVEL3.MDB beside orvel3.mdb")
            << QStringList{QStringLiteral("ORVEL3.MDB"), QStringLiteral("orvel3.mdb")} << "orvel3.mdb";
    }
    void databaseNamedInAnotherCase()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, taken);
        testenv::Sandbox &box = *m_box;
        const QString folder = box.root() + QStringLiteral("/copied");
        for (const QString &name : files) {
            const QString file = box.makeDatabase(folder);
            exec(file, QStringLiteral("INSERT INTO Dbs ( DbId, DbName ) SELECT 2, '%1'").arg(name));
            QVERIFY(QFile::rename(file, folder + QLatin1Char('/') + name) || name == QLatin1String("orvel3.mdb"));
        }
        setDbPath(folder);
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        QVERIFY(box.requests().isEmpty());
        QCOMPARE(platform::dataSourceOf(Adb->dcs()), folder + QLatin1Char('/') + taken);
        platform::Recordset rs;
        rs.Open(QStringLiteral("SELECT DbName FROM Dbs WHERE DbId=2"), Adb->dcs());
        QCOMPARE(rs.value(0).toString(), taken);
        rs.Close();
        EndProgram();
        QStringList all = files;
        std::sort(all.begin(), all.end());
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), all);

        QFile ldb(folder + QStringLiteral("/ORVEL3.LDB"));
        QVERIFY(ldb.open(QIODevice::WriteOnly));
        ldb.write(QByteArray::number(qint64(::getppid())) + " hold\n");
        ldb.close();
        box.clearRequests();
        QCOMPARE(Main(standInLoader()), StartupResult::Ended);
        QCOMPARE(box.requests().size(), 1);
        QCOMPARE(box.requests()[0].text, LRS(2001));
    }

    void cancelledFolderBrowserEnds()
    {
        testenv::Sandbox &box = *m_box;
        const QString bad = box.root() + QStringLiteral("/bad");
        const QString file = box.makeDatabase(bad);
        exec(file, QStringLiteral("DROP TABLE Dbs"));
        setDbPath(bad);
        box.answerButton(platform::vbYes);   // then the folder browser is cancelled
        QCOMPARE(Main(standInLoader()), StartupResult::Ended);
        QVERIFY(!g_loaded);
    }

    // Without the template no folder would do: the program says so and ends.
    void missingTemplateEndsWithAMessage()
    {
        testenv::Sandbox &box = *m_box;
        box.makeDatabase(box.documents() + QStringLiteral("/Orvel3DB"));
        const QString folder = box.root() + QStringLiteral("/target");
        QDir().mkpath(folder);
        setDbPath(folder);
        QFile::remove(box.programFolder() + QStringLiteral("/master.gen"));
        QCOMPARE(Main(standInLoader()), StartupResult::Ended);
        QCOMPARE(box.requests().size(), 1);
        QCOMPARE(box.requests()[0].text, LRSV(1941, QDir::toNativeSeparators(folder)));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/orvel3.mdb")));
    }

    void staleJournalIsRemovedBeforeTheCopy()
    {
        testenv::Sandbox &box = *m_box;
        const QString folder = box.root() + QStringLiteral("/j");
        QDir().mkpath(folder);
        QFile journal(folder + QStringLiteral("/orvel3.mdb-journal"));
        QVERIFY(journal.open(QIODevice::WriteOnly));
        journal.write(QByteArray(4096, 'x'));
        journal.close();
        cAccessDb::CopyTemplate(folder);
        QVERIFY(!QFile::exists(folder + QStringLiteral("/orvel3.mdb-journal")));
        Lang = new cLang();
        Adb = new cAccessDb();
        QCOMPARE(Adb->TestDb(folder), 0);
    }

    void secondInstanceIsRefused()
    {
        testenv::Sandbox &box = *m_box;
        platform::SingleInstance other(QStringLiteral("Orvel3"));
        QVERIFY(other.acquire());
        QCOMPARE(Main(standInLoader()), StartupResult::Ended);
        QCOMPARE(box.requests().size(), 1);
        QCOMPARE(box.requests()[0].text,
                 QStringLiteral("Orvel has already been started: click on the icon in the application bar (bottom right)."));
        QCOMPARE(box.requests()[0].style & 7, int(platform::vbOKOnly));
        // No window of this start to sit on: it comes to the front, over the running one's main window.
        QVERIFY(box.requests()[0].style & platform::vbMsgBoxSetForeground);
        QVERIFY(!Adb);
        QVERIFY(!g_loaded);
        other.release();
        EndProgram();
        // Released: the next start goes on.
        box.clearRequests();
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
    }

    // The lock's place depends on the user alone: a start with another HOME, without XDG_RUNTIME_DIR or with
    // another TMPDIR finds the same lock, so it refuses a second instance whatever the environment says.
    void singleInstanceFolderIgnoresTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QByteArray>("value");     // empty: unset
        QTest::newRow("no XDG_RUNTIME_DIR") << QByteArray("XDG_RUNTIME_DIR") << QByteArray();
        QTest::newRow("another XDG_RUNTIME_DIR") << QByteArray("XDG_RUNTIME_DIR") << QByteArray("/tmp/elsewhere");
        QTest::newRow("another HOME") << QByteArray("HOME") << QByteArray("/tmp/another-home");
        QTest::newRow("no HOME") << QByteArray("HOME") << QByteArray();
        QTest::newRow("another TMPDIR") << QByteArray("TMPDIR") << QByteArray("/var/tmp");
    }
    void singleInstanceFolderIgnoresTheEnvironment()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QByteArray, value);
        platform::setSingleInstanceFolder(QString());   // the real place; nothing is made there here
        const QString usual = platform::singleInstanceFolder();
        const bool wasSet = qEnvironmentVariableIsSet(variable.constData());
        const QByteArray old = qgetenv(variable.constData());
        if (value.isEmpty())
            qunsetenv(variable.constData());
        else
            qputenv(variable.constData(), value);
        const QString other = platform::singleInstanceFolder();
        if (wasSet)
            qputenv(variable.constData(), old);
        else
            qunsetenv(variable.constData());
        platform::setSingleInstanceFolder(m_box->root() + QStringLiteral("/instance"));
        QCOMPARE(other, usual);
        QVERIFY2(!usual.startsWith(m_box->root()), qPrintable(usual));   // not the sandbox's $HOME
    }

    void lockOfAProcessThatEndedDoesNotBlock()
    {
        // A child process takes the lock and dies without releasing it.
        const QString lockPath = platform::singleInstanceFolder() + QStringLiteral("/Orvel3.lock");
        QDir().mkpath(platform::singleInstanceFolder());
        QFile f(lockPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QProcess child;
        child.start(QStringLiteral("/bin/true"));
        QVERIFY(child.waitForFinished());
        // QLockFile's format: pid, application name, host name.
        f.write(QByteArray::number(child.processId() ? child.processId() : 999999) + "\nOrvel3\n"
                + QSysInfo::machineHostName().toUtf8() + "\n");
        f.close();
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
    }

    void trayCountAndBalloon_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<int>("dueRows");
        QTest::addColumn<QString>("balloon");
        QTest::newRow("none") << true << 0 << QString();
        QTest::newRow("one") << true << 1 << QStringLiteral("There is a Deadline in evidence");
        QTest::newRow("three") << true << 3 << QStringLiteral("There are 3 Deadlines in evidence");
        QTest::newRow("no tray, none") << false << 0 << QString();
        QTest::newRow("no tray, three") << false << 3 << QStringLiteral("There are 3 Deadlines in evidence");
    }
    void trayCountAndBalloon()
    {
        QFETCH(bool, trayAvailable);
        QFETCH(int, dueRows);
        QFETCH(QString, balloon);
        testenv::Sandbox &box = *m_box;   // today 2025-03-15
        const QString folder = box.documents() + QStringLiteral("/Orvel3DB");
        const QString file = box.makeDatabase(folder);
        const QString head = QStringLiteral(
            "INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, TrValue, TrBalance, "
            "TrGrpType, TrGrpId, TrAlertDays, TrCountId, TrDone, TrAttached ) SELECT ");
        // Due: overdue, today, at the alert boundary. Not due: closed, one day past the boundary, other sheet.
        const QStringList due = {
            QStringLiteral("1, 1, #03/01/2025#, 'overdue', '', 0, 10, 10, 'n', 0, 2, 0, False, NULL"),
            QStringLiteral("1, -2, #03/15/2025#, 'today', '', 0, 0, 0, 'n', 0, 0, 0, False, NULL"),
            QStringLiteral("1, -1, #03/20/2025#, 'boundary', '', 0, 5, -5, 'n', 0, 5, 0, False, NULL")};
        for (int i = 0; i < dueRows; ++i)
            exec(file, head + due[i]);
        exec(file, head + QStringLiteral("1, 1, #03/01/2025#, 'closed', '', 0, 10, 10, 'n', 0, 2, 0, True, NULL"));
        exec(file, head + QStringLiteral("1, 1, #03/21/2025#, 'later', '', 0, 10, 10, 'n', 0, 5, 0, False, NULL"));
        exec(file, head + QStringLiteral("2, 1, #03/01/2025#, 'other sheet', '', 0, 10, 10, 'n', 0, 2, 0, False, NULL"));
        QCOMPARE(TransactionsTable::countDueDeadlines(testenv::connectionString(file), 1), dueRows);

        RegWrite(1, QStringLiteral("Orvel 3"), QLatin1String(RunKey), QStringLiteral("/usr/bin/Orvel3"));
        clsSysTray::setAvailable(trayAvailable);
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        QVERIFY(Env->StartOnWindows());
        if (!trayAvailable) {
            // A desktop without a notification area: the main window shows, the count comes as a message.
            QVERIFY(!frmSysTray::isLoaded());
            QVERIFY(g_loaded && g_loaded->isVisible());
            QVERIFY(qApp->quitOnLastWindowClosed());
            QCOMPARE(box.requests().size(), balloon.isEmpty() ? 0 : 1);
            if (!balloon.isEmpty()) {
                QCOMPARE(box.requests().first().text, balloon);
                QCOMPARE(box.requests().first().title, QStringLiteral("Orvel 3"));
                QCOMPARE(box.requests().first().style, int(platform::vbInformation));
            }
            return;
        }
        // In tray mode the main window stays hidden and the balloon tells the count.
        QVERIFY(Env->IsMinimized());
        QVERIFY(g_loaded && !g_loaded->isVisible());
        QCOMPARE(frmSysTray::instance()->SysTray()->lastBalloonText(), balloon);
        if (!balloon.isEmpty()) {
            QCOMPARE(frmSysTray::instance()->SysTray()->lastBalloonTitle(), QStringLiteral("Orvel 3"));
            QCOMPARE(frmSysTray::instance()->SysTray()->lastBalloonTimeout(), 30000);
        }
        // A click on the icon shows the main window.
        frmSysTray::instance()->SysTray()->MouseMove(0, 0x202);
        QVERIFY(g_loaded->isVisible());
    }

    void settingsAreWrittenAtTheEnd()
    {
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        Env->AlertDefaultDays = 9;
        Lang->setAppLanguageId(6);
        Sheet->setId(1);
        EndProgram();
        QCOMPARE(RegRead(4, QStringLiteral("AlertDefaultDays"), QLatin1String(SettingsKey)).toInt(), 9);
        QCOMPARE(RegRead(4, QStringLiteral("AppLanguageId"), QLatin1String(SettingsKey)).toInt(), 6);
        QCOMPARE(RegRead(4, QStringLiteral("Id"), QLatin1String(SettingsKey)).toInt(), 1);
    }

    // The settings cannot be written back at the end (the disk is full): the settings file stays as it
    // was, and the user is told, in the user's language, unless the session is ending.
    void settingsNotWrittenAtTheEndAreTold_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("sessionEnding");
        QTest::newRow("Italian") << 6 << false;
        QTest::newRow("French") << 5 << false;
        QTest::newRow("a log-out") << 3 << true;
    }
    void settingsNotWrittenAtTheEndAreTold()
    {
        QFETCH(int, language);
        QFETCH(bool, sessionEnding);
        RegWrite(4, QStringLiteral("AppLanguageId"), QLatin1String(SettingsKey), language);
        QCOMPARE(Main(standInLoader()), StartupResult::Running);
        Env->AlertDefaultDays = 9;
        const QString hive = platform::registry::hiveFile(platform::registry::HKEY_CURRENT_USER);
        QFile file(hive);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        const QString told = LRS(2200) + QStringLiteral("\n\n") + LRS(2047) + QLatin1Char('\n') + QDir::toNativeSeparators(hive);
        m_box->clearRequests();
        platform::setWriteFault([](const QString &name) { return name.endsWith(QLatin1String(".reg")); });
        if (sessionEnding)
            EndSession();
        EndProgram();
        platform::setWriteFault(nullptr);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(m_box->requests().size(), sessionEnding ? 0 : 1);
        if (!sessionEnding)
            QCOMPARE(m_box->requests().first().text, told);
    }

private:
    std::unique_ptr<testenv::Sandbox> m_box;
};

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
