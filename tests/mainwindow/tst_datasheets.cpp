// The data-sheets manager driven through its buttons with the dialog responder answering: new, rename, erase
// and select with their refusals; an erase takes the sheet's rows and nothing else, in one transaction;
// another database folder (empty, in use, unusable, no template); the main window rebuilt at Close.

#include "MainWindowFixture.h"
#include "../editors/ModalSteps.h"

#include "foundation/SettingsKeys.h"
#include "foundation/comRegistry.h"
#include "foundation/grid/GridView.h"
#include "foundation/grid/ListGrid.h"
#include "mainwindow/frmScadenziari.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <sqlite3.h>

namespace {

using Sheets = QList<QPair<int, QString>>;

constexpr int ErrorText = 1946;
constexpr int DbErrorText = 1947;
constexpr int AppError = -1;   // the "App Error" report
int g_helpContext = 0;

Sheets sheetsIn(const QString &dbFile)
{
    Sheets out;
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT DbId, DbName FROM Dbs ORDER BY DbId"), testenv::connectionString(dbFile));
    for (; !rs.EOF(); rs.MoveNext())
        out << qMakePair(rs.value(0).toInt(), rs.value(1).toString());
    return out;
}

int countOf(const QString &dbFile, const QString &where)
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT Count(*) FROM ") + where, testenv::connectionString(dbFile));
    return rs.value(0).toInt();
}

void execute(const QString &dbFile, const QString &sql)
{
    platform::Connection cn;
    cn.Open(testenv::connectionString(dbFile));
    cn.Execute(sql);
}

// The messages shown after the first request (the input box or folder browser), checked against one text
// id (0 none; AppError the "App Error" report); value fills "xxx".
void checkMessage(testenv::Sandbox &box, int expectedId, const QString &value = QString())
{
    const QList<platform::DialogRequest> shown = box.requests().mid(1);
    QCOMPARE(shown.size(), expectedId ? 1 : 0);
    if (expectedId == AppError) {
        QCOMPARE(shown.first().title, LRS(1943));
    } else if (expectedId) {
        const QString expected = value.isNull() ? LRS(expectedId) : LRSV(expectedId, value);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(shown.first().text, expected);
    }
}

void click(QPushButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class tst_DataSheets : public QObject
{
    Q_OBJECT

private slots:
    void loadListsTheSheets()
    {
        MainWindowFixture f;
        platform::setHelpHandler([](const QString &, int context) { g_helpContext = context; });
        Sheet->setId(2);
        frmScadenziari dlg(nullptr);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Data Sheets"));
        QCOMPARE(dlg.Frame2->title(), QStringLiteral("Data Sheets "));
        QCOMPARE(dlg.lblDb->text(), QDir::toNativeSeparators(Adb->dbPath() + QLatin1Char('/')));
        QVERIFY(!dlg.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(dlg.gex->rowCount(), 2);
        QCOMPARE(dlg.SelectedDbId, 2);   // on the current sheet
        QCOMPARE(dlg.SelectedDbName, QStringLiteral("Second sheet"));
        QTest::keyClick(dlg.gex->view(), Qt::Key_F1);
        QCOMPARE(g_helpContext, 27);
    }

    void newSheet_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("stored");   // "" when nothing is added
        QTest::addColumn<int>("message");
        QTest::newRow("a name, trimmed") << "  Shop  " << true << "Shop" << 1394;
        QTest::newRow("an apostrophe") << "O'Brien's jobs" << true << "O'Brien's jobs" << 1394;
        QTest::newRow("another sheet's name") << "Second sheet" << true << "" << 1399;
        QTest::newRow("the same name in other case") << "SECOND SHEET" << true << "" << 1399;
        QTest::newRow("blanks only") << "   " << true << "" << 0;
        QTest::newRow("cancel") << "" << false << "" << 0;
        QTest::newRow("too long for the column") << QString(60, QLatin1Char('x')) << true << "" << AppError;
        QTest::newRow("a NUL pasted in") << QStringLiteral("Sh") + QChar(0) + QStringLiteral("op") << true << "" << 2037;
    }
    void newSheet()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(QString, stored);
        QFETCH(int, message);
        MainWindowFixture f;
        // Sheets 1, 2 and 5: the new one takes 6.
        execute(f.dbFile, QStringLiteral("INSERT INTO Dbs ( DbId, DbName ) SELECT 5, 'Fifth'"));
        const Sheets before = sheetsIn(f.dbFile);
        frmScadenziari dlg(nullptr);
        f.box->clearRequests();
        f.box->answer({platform::vbOK, typed, accepted});
        click(dlg.cmdNuovo);
        QCOMPARE(f.box->requests().first().text, LRS(1409));
        checkMessage(*f.box, message, message == 1394 ? stored : QString());
        if (stored.isEmpty()) {
            QCOMPARE(sheetsIn(f.dbFile), before);
            QCOMPARE(Sheet->Id(), 1);
            return;
        }
        QCOMPARE(sheetsIn(f.dbFile), before + Sheets({{6, stored}}));
        QCOMPARE(Sheet->Id(), 6);
        QCOMPARE(dlg.gex->rowCount(), 4);
        QCOMPARE(dlg.SelectedDbId, 6);
    }

    void renameSheet_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");   // the sheet's name afterwards
        QTest::addColumn<int>("message");
        QTest::newRow("a new name") << 2 << " Shop " << "Shop" << 1392;
        QTest::newRow("an apostrophe") << 2 << "Ann's" << "Ann's" << 1392;
        QTest::newRow("the current sheet") << 1 << "Main" << "Main" << 1392;
        QTest::newRow("its own name") << 2 << "Second sheet" << "Second sheet" << 1399;
        QTest::newRow("another sheet's name") << 2 << "orvel" << "Second sheet" << 1399;
        QTest::newRow("empty") << 2 << "" << "Second sheet" << 0;
        QTest::newRow("too long for the column") << 2 << QString(51, QLatin1Char('y')) << "Second sheet" << AppError;
        QTest::newRow("a NUL pasted in") << 2 << QStringLiteral("Sh") + QChar(0) + QStringLiteral("op") << "Second sheet"
                                         << 2037;
    }
    void renameSheet()
    {
        QFETCH(int, sheet);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(int, message);
        MainWindowFixture f;
        frmScadenziari dlg(nullptr);
        QVERIFY(dlg.gex->find(QStringLiteral("DbId"), sheet));
        const QString oldName = dlg.SelectedDbName;
        f.box->clearRequests();
        f.box->answerText(typed);
        click(dlg.cmdEdit);
        QCOMPARE(f.box->requests().first().text, LRS(1411));
        QCOMPARE(f.box->requests().first().initial, oldName);
        checkMessage(*f.box, message, message == 1392 ? stored : QString());
        QCOMPARE(sheetsIn(f.dbFile).value(sheet - 1).second, stored);
        // The renamed sheet stays selected; the current sheet stays current.
        QCOMPARE(dlg.SelectedDbId, sheet);
        QCOMPARE(dlg.SelectedDbName, stored);
        QCOMPARE(Sheet->Id(), 1);
    }

    void eraseSheet_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("onlyOne");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("message");
        QTest::newRow("another sheet") << 1 << 2 << false << int(platform::vbYes) << 1408;
        QTest::newRow("answered No") << 1 << 2 << false << int(platform::vbNo) << 0;
        QTest::newRow("the current sheet") << 2 << 2 << false << 0 << 1406;
        QTest::newRow("current sheet 1") << 1 << 1 << false << 0 << 1406;
        QTest::newRow("sheet 1") << 2 << 1 << false << 0 << ErrorText;
        QTest::newRow("the only sheet") << 1 << 1 << true << 0 << 1405;
    }
    void eraseSheet()
    {
        QFETCH(int, current);
        QFETCH(int, selected);
        QFETCH(bool, onlyOne);
        QFETCH(int, answer);
        QFETCH(int, message);
        MainWindowFixture f;
        if (onlyOne)
            execute(f.dbFile, QStringLiteral("DELETE * FROM Dbs WHERE DbId=2"));
        const QStringList tables = {QStringLiteral("Transactions WHERE TrDbId=1"), QStringLiteral("Accounts"),
                                    QStringLiteral("Counts"), QStringLiteral("Dbs WHERE DbId=1")};
        QList<int> kept;
        for (const QString &t : tables)
            kept << countOf(f.dbFile, t);
        Sheet->setId(current);
        frmScadenziari dlg(nullptr);
        QVERIFY(dlg.gex->find(QStringLiteral("DbId"), selected));
        f.box->clearRequests();
        if (answer)
            f.box->answerButton(answer);
        click(dlg.cmdErase);
        const bool erased = message == 1408;
        if (answer) {
            QCOMPARE(f.box->requests().first().text, LRS(1407));
            QCOMPARE(f.box->requests().first().style, int(platform::vbYesNo));
            checkMessage(*f.box, message);
        } else {
            QCOMPARE(f.box->requests().size(), 1);
            QCOMPARE(f.box->requests().first().text, LRS(message));
            QVERIFY(!f.box->requests().first().text.isEmpty());
        }
        QCOMPARE(countOf(f.dbFile, QStringLiteral("Dbs WHERE DbId=2")), onlyOne || erased ? 0 : 1);
        QCOMPARE(countOf(f.dbFile, QStringLiteral("Transactions WHERE TrDbId=2")), erased ? 0 : 1);
        for (int i = 0; i < tables.size(); ++i)
            QCOMPARE(countOf(f.dbFile, tables[i]), kept[i]);
        QCOMPARE(Sheet->Id(), current);
        QCOMPARE(dlg.gex->rowCount(), erased || onlyOne ? 1 : 2);
    }

    // A failure halfway through the erase leaves the sheet and its rows as they were.
    void eraseThatFailsHalfwayChangesNothing()
    {
        MainWindowFixture f;
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(f.dbFile).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "CREATE TRIGGER KeepSheets BEFORE DELETE ON Dbs BEGIN SELECT RAISE(ABORT, 'locked'); END",
                              nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        frmScadenziari dlg(nullptr);
        QVERIFY(dlg.gex->find(QStringLiteral("DbId"), 2));
        f.box->clearRequests();
        click(dlg.cmdErase);   // Yes
        checkMessage(*f.box, AppError);
        QVERIFY(f.box->requests().last().text.contains(QLatin1String("frmScadenziari.cmdErase_Click")));
        QCOMPARE(countOf(f.dbFile, QStringLiteral("Transactions WHERE TrDbId=2")), 1);
        QCOMPARE(sheetsIn(f.dbFile).size(), 2);
    }

    // Select, or a new sheet: Close rebuilds the main window on the new current sheet.
    void currentSheetShownAfterClose_data()
    {
        QTest::addColumn<bool>("create");
        QTest::newRow("select sheet 2") << false;
        QTest::newRow("new sheet") << true;
    }
    void currentSheetShownAfterClose()
    {
        QFETCH(bool, create);
        MainWindowFixture f;
        frmMain *w = f.load();
        const int listed = gex(w)->recordCount();
        frmScadenziari dlg(w);
        QObject::connect(&dlg, &frmScadenziari::closing, w, &frmMain::RebuildAfterSheetChange);
        dlg.show();
        f.box->clearRequests();
        if (create) {
            f.box->answerText(QStringLiteral("Workshop"));
            click(dlg.cmdNuovo);
        } else {
            QVERIFY(dlg.gex->find(QStringLiteral("DbId"), 2));
            click(dlg.cmdSelect);
            QCOMPARE(f.box->requests().first().text, LRSV(1391, QStringLiteral("Second sheet")));
        }
        QCOMPARE(Sheet->Id(), create ? 3 : 2);
        QCOMPARE(gex(w)->recordCount(), listed);   // nothing is rebuilt before Close
        click(dlg.cmdClose);
        QVERIFY(dlg.isHidden());
        QCOMPARE(label(w, "lblTitle")->text(), create ? QStringLiteral("Workshop") : QStringLiteral("Second sheet"));
        QCOMPARE(gex(w)->recordCount(), create ? 0 : 1);
    }

    // Close always rebuilds, also after only browsing, and so do Esc and a close asked for from the title
    // bar (a window manager may draw its close button, and Alt+F4 asks all the same); the dialog opened as
    // the user opens it: from the File or Tools menu, or with a click on the sheet's name.
    void closeAlwaysRebuilds_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("how");
        QTest::newRow("File menu, Close") << "mnuFile0" << "Close";
        QTest::newRow("Tools menu, Esc") << "mnuTools4" << "Esc";
        QTest::newRow("sheet name, title bar") << "lblTitle" << "title bar";
    }
    void closeAlwaysRebuilds()
    {
        QFETCH(QString, from);
        QFETCH(QString, how);
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        const int listed = gex(w)->recordCount();
        execute(f.dbFile, QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDescription, TrDate, TrDone ) "
                                         "SELECT 1, -2, 'Added meanwhile', #03/20/2025#, False"));
        bool closed = false;
        const auto leftOpen = onModal([&](QWidget *modal) {
            auto *dlg = qobject_cast<frmScadenziari *>(modal);
            QVERIFY(dlg);
            click(dlg->cmdDatabase);   // cancelled
            if (how == QLatin1String("Esc"))
                QTest::keyClick(dlg, Qt::Key_Escape);
            else if (how == QLatin1String("title bar"))
                dlg->windowHandle()->close();   // the window system's close request
            else
                click(dlg->cmdClose);
            closed = dlg->isHidden();
        });
        if (from == QLatin1String("lblTitle"))
            QTest::mouseClick(control<QLabel>(w, "lblTitle"), Qt::LeftButton);
        else
            menuItem(w, from)->trigger();
        QVERIFY(closed && !*leftOpen);
        QCOMPARE(gex(w)->recordCount(), listed + 1);
    }

    void otherFolder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("message");
        QTest::addColumn<int>("sheet");          // the current sheet afterwards
        QTest::newRow("an empty folder") << "empty" << 1396 << 1;
        QTest::newRow("the folder in use") << "same" << 1395 << 1;
        QTest::newRow("a folder with a database") << "database" << 1395 << 1;
        QTest::newRow("a folder whose name holds ;") << "semicolon" << 1396 << 1;
        QTest::newRow("a database without sheet 1: the lowest") << "nosheet1" << 1395 << 4;
        QTest::newRow("a database without any sheet") << "nosheets" << DbErrorText << 2;
        QTest::newRow("not a database") << "garbage" << DbErrorText << 2;
        QTest::newRow("a column missing") << "structure" << DbErrorText << 2;
        QTest::newRow("a column renamed") << "renamed" << DbErrorText << 2;
        QTest::newRow("no template to copy") << "notemplate" << AppError << 2;
        QTest::newRow("cancelled") << "cancel" << 0 << 2;
    }
    void otherFolder()
    {
        QFETCH(QString, kind);
        QFETCH(int, message);
        QFETCH(int, sheet);
        MainWindowFixture f;
        frmMain *w = f.load();
        const int listed = gex(w)->recordCount();
        const QString oldFolder = Adb->dbPath();
        const QString oldAttached = Adb->attachedPath();
        Sheet->setId(2);
        QTemporaryDir dir;
        const QString folder = kind == QLatin1String("same")        ? oldFolder
                               : kind == QLatin1String("semicolon") ? dir.path() + QStringLiteral("/Dati; 2025")
                                                                    : dir.path();
        QDir().mkpath(folder);
        const QString file = cAccessDb::databaseFileIn(folder);
        if (kind == QLatin1String("database")) {
            f.box->makeDatabase(folder);
            execute(file, QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Safe'"));
        } else if (kind == QLatin1String("nosheet1") || kind == QLatin1String("nosheets")) {
            f.box->makeDatabase(folder);
            execute(file, QStringLiteral("DELETE * FROM Dbs"));
            if (kind == QLatin1String("nosheet1")) {
                execute(file, QStringLiteral("INSERT INTO Dbs ( DbId, DbName ) SELECT 7, 'Sette'"));
                execute(file, QStringLiteral("INSERT INTO Dbs ( DbId, DbName ) SELECT 4, 'Quattro'"));
            }
        } else if (kind == QLatin1String("garbage")) {
            QFile garbage(file);
            QVERIFY(garbage.open(QIODevice::WriteOnly));
            garbage.write(QByteArray(4096, 'z'));
        } else if (kind == QLatin1String("structure")) {
            QFile schema(QStringLiteral(ORVEL_SOURCE_DIR "/resources/schema.sql"));
            QVERIFY(schema.open(QIODevice::ReadOnly));
            platform::createDatabase(file, QString::fromUtf8(schema.readAll())
                                               .remove(QStringLiteral("  TrAttached    VARCHAR(255) COLLATE JETTEXT,\n")));
        } else if (kind == QLatin1String("renamed")) {
            f.box->makeDatabase(folder);
            execute(file, QStringLiteral("ALTER TABLE Transactions RENAME COLUMN TrAlertDays TO TrAlertDayz"));
        } else if (kind == QLatin1String("notemplate")) {
            QVERIFY(QFile::remove(f.box->programFolder() + QStringLiteral("/master.gen")));
        }
        frmScadenziari dlg(w);
        QObject::connect(&dlg, &frmScadenziari::closing, w, &frmMain::RebuildAfterSheetChange);
        dlg.show();
        f.box->clearRequests();
        if (kind != QLatin1String("cancel"))
            f.box->answerText(folder);
        click(dlg.cmdDatabase);
        QCOMPARE(f.box->requests().first().title, LRS(506));
        checkMessage(*f.box, message, message == 1395 || message == 1396 ? QDir::toNativeSeparators(folder) : QString());

        const QString stored = RegRead(1, QStringLiteral("DbPath"), QLatin1String(SettingsKey), QString()).toString();
        if (message != 1395 && message != 1396) {
            // Nothing changes; a file that was there stays.
            QCOMPARE(Adb->dbPath(), oldFolder);
            QCOMPARE(Adb->attachedPath(), oldAttached);
            QVERIFY(stored.isEmpty());
            QCOMPARE(Sheet->Id(), sheet);
            QCOMPARE(QFile::exists(file), kind == QLatin1String("garbage") || kind == QLatin1String("structure")
                                              || kind == QLatin1String("nosheets") || kind == QLatin1String("renamed"));
            click(dlg.cmdClose);
            QCOMPARE(label(w, "lblTitle")->text(), QStringLiteral("Second sheet"));
            return;
        }
        QCOMPARE(Adb->dbPath(), folder);
        QCOMPARE(stored, folder);
        QCOMPARE(Adb->attachedPath(), cAccessDb::attachedPathFor(folder));
        QVERIFY(QFileInfo(Adb->attachedPath()).isDir());
        QCOMPARE(Sheet->Id(), sheet);
        QCOMPARE(dlg.SelectedDbId, sheet);
        QCOMPARE(dlg.lblDb->text(), QDir::toNativeSeparators(folder + QLatin1Char('/')));
        // A new database gets the two default counts; one with counts keeps its own.
        QCOMPARE(countOf(file, QStringLiteral("Counts")), kind == QLatin1String("database") ? 1 : 2);
        click(dlg.cmdClose);
        QCOMPARE(gex(w)->recordCount(), kind == QLatin1String("same") ? listed : 0);
        QCOMPARE(label(w, "lblTitle")->text(), sheetsIn(file).first().second);
    }
};

QTEST_MAIN(tst_DataSheets)
#include "tst_datasheets.moc"
