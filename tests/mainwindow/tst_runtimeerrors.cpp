// Run-time errors never end the program: a failure that no handler caught becomes the "App Error" message
// through the application's guard; a database that went away, stays locked or does not match the program
// gives the message on the main window's commands and the window goes on; a start-up that cannot go on
// says so and ends normally, and nothing is written into a database that cannot be read or written.

#include "GuardedTestMain.h"
#include "MainWindowFixture.h"

#include "foundation/SettingsKeys.h"
#include "foundation/comRegistry.h"
#include "foundation/grid/GridView.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/modMain.h"
#include "editors/frmScadenze.h"
#include "editors/frmScadenzeNuovo.h"
#include "mainwindow/frmOptions.h"
#include "mainwindow/frmScadenziari.h"
#include "platform/RuntimeError.h"
#include "platform/controls/MonthView.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <sqlite3.h>
#include <optional>
#include <stdexcept>

namespace {

int appErrors(const testenv::Sandbox &box)
{
    int n = 0;
    for (const platform::DialogRequest &r : box.requests())
        if (r.title == LRS(1943))
            ++n;
    return n;
}

// Lets a report that waits for the event loop be shown.
void drainEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The main window's commands as the user gives them, through its controls.
void command(frmMain *w, const QString &name)
{
    if (name == QLatin1String("refresh"))
        toolbarButton(w, 3)->trigger();
    else if (name == QLatin1String("view switch"))
        menuItem(w, w->viewState().curView == 0 ? QStringLiteral("mnuView1") : QStringLiteral("mnuView0"))->trigger();
    else if (name == QLatin1String("calendar click"))
        QTest::mouseClick(mv(w), Qt::LeftButton, {}, mv(w)->cellRect(QDate(2025, 3, 20)).center());
    else if (name == QLatin1String("filter"))
        QTest::keyClick(cmbFilter(w), Qt::Key_Down);
    else if (name == QLatin1String("new cash-book movement"))
        menuItem(w, "mnuRecord0")->trigger();
}

// The filter list answers the user: no rebuild was left marked as under way, which would make it ignore him.
void filterListAnswers(frmMain *w)
{
    QComboBox *list = cmbFilter(w);
    const int other = list->currentIndex() == 1 ? 2 : 1;
    chooseItem(list, other);
    const MainViewState s = w->viewState();
    QCOMPARE(s.curView == 1 ? s.curFilterPnIndex : s.curFilterIndex, other);
}

// What the main list shows: its columns (shown, width) and its records in display order.
QStringList listed(frmMain *w)
{
    QStringList parts;
    for (GridColumn *c : gex(w)->columnsInDisplayOrder())
        parts << QStringLiteral("%1 %2 %3").arg(c->key()).arg(c->isVisible()).arg(c->width());
    for (int r = 1; r <= gex(w)->rowCount(); ++r) {
        const GridRowData d = gex(w)->rowData(r);
        if (d.isRecord())
            parts << gex(w)
                         ->recordset()
                         ->valueAt(d.bookmark(), gex(w)->recordset()->fieldIndex(QStringLiteral("TrRowId")))
                         .toString();
    }
    return parts;
}

MainWindowLoader realMainWindow()
{
    return [] { return static_cast<QWidget *>(frmMain::Load()); };
}

} // namespace

class tst_RuntimeErrors : public QObject
{
    Q_OBJECT

    // The sandbox of a start-up test: it outlives the test's checks, so that the program's end (in cleanup
    // when a check failed) still writes inside it.
    std::unique_ptr<testenv::Sandbox> m_box;
    testenv::Sandbox &startBox()
    {
        m_box = std::make_unique<testenv::Sandbox>();
        return *m_box;
    }

private slots:
    void cleanup()
    {
        EndProgram();
        m_box.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void guardReportsWhatAHandlerMissed_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("told");
        QTest::newRow("run-time error") << "runtime" << "The handler failed";
        QTest::newRow("standard exception") << "std" << "out of range";
        QTest::newRow("anything else") << "other" << "Unexpected error.";
    }
    void guardReportsWhatAHandlerMissed()
    {
        QFETCH(QString, failure);
        QFETCH(QString, told);
        MainWindowFixture f(false);
        QWidget window;
        window.setObjectName(QStringLiteral("frmBroken"));
        auto *button = new QPushButton(&window);
        connect(button, &QPushButton::clicked, this, [failure] {
            if (failure == QLatin1String("runtime"))
                throw platform::RuntimeError(5, QStringLiteral("test"), QStringLiteral("The handler failed"));
            if (failure == QLatin1String("std"))
                throw std::out_of_range("out of range");
            throw 42;
        });
        window.show();
        QApplication::setActiveWindow(&window);
        const int caught = GuardedApplication::caughtCount();
        QTest::mouseClick(button, Qt::LeftButton);
        drainEvents();
        QCOMPARE(GuardedApplication::caughtCount(), caught + 1);
        QCOMPARE(appErrors(*f.box), 1);
        QVERIFY(f.box->told(told + QStringLiteral("\nin Orvel3.frmBroken."), LRS(1943)));
        // The program goes on: the next click is told again.
        QTest::mouseClick(button, Qt::LeftButton);
        drainEvents();
        QCOMPARE(appErrors(*f.box), 2);
    }

    // The database folder moved away (an unmounted share, a renamed folder): every command tells it and the
    // window goes on; once the folder is back the same command works.
    void commandsOnAVanishedDatabase_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"refresh", "view switch", "calendar click", "filter", "new cash-book movement"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void commandsOnAVanishedDatabase()
    {
        QFETCH(QString, name);
        MainWindowFixture f;
        frmMain *w = f.load();
        if (name == QLatin1String("new cash-book movement"))
            switchView(w, 1);
        w->show();
        QApplication::setActiveWindow(w);
        const QString folder = QFileInfo(f.dbFile).absolutePath();
        QVERIFY(QDir().rename(folder, folder + QStringLiteral("-away")));
        f.box->clearRequests();
        const int caught = GuardedApplication::caughtCount();
        command(w, name);
        drainEvents();
        QVERIFY2(appErrors(*f.box) >= 1, qPrintable(name));
        QVERIFY(f.box->told(QStringLiteral("orvel3.mdb")));
        QCOMPARE(GuardedApplication::caughtCount(), caught);   // told by the handler itself
        QCOMPARE(frmMain::instance(), w);

        QVERIFY(QDir().rename(folder + QStringLiteral("-away"), folder));
        f.box->clearRequests();
        command(w, name);
        drainEvents();
        QCOMPARE(appErrors(*f.box), 0);
        toolbarButton(w, 3)->trigger();
        QVERIFY(gex(w)->recordCount() > 0);
        filterListAnswers(w);
    }

    // The search filters the rows the list has read: it needs no database, also when it leaves no row.
    void searchNeedsNoDatabase()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        const int records = gex(w)->recordCount();
        const QString folder = QFileInfo(f.dbFile).absolutePath();
        QVERIFY(QDir().rename(folder, folder + QStringLiteral("-away")));
        f.box->clearRequests();
        QTest::keyClicks(txtFind(w), QStringLiteral("zz"));
        drainEvents();
        QCOMPARE(gex(w)->recordCount(), 0);
        QCOMPARE(label(w, "txtNoRecs")->text(), QStringLiteral("No Records for the selected filter"));
        QTest::keyClick(txtFind(w), Qt::Key_Backspace);
        drainEvents();
        QCOMPARE(gex(w)->recordCount(), records);
        QCOMPARE(appErrors(*f.box), 0);
        QVERIFY(QDir().rename(folder + QStringLiteral("-away"), folder));
    }

    // A list that cannot be read again (its folder moved away) shows no rows, rather than those of the
    // view, sheet or database it showed before, and the commands that need a row are off; the controls are
    // those of the view chosen. Once the folder is back, Refresh lists the view as a rebuild that never
    // failed does.
    void aListThatCannotBeReadShowsNoRows_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"cash-book button", "deadlines button", "filter", "grouping", "refresh", "language",
                                 "data sheets closed", "preferences saved"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void aListThatCannotBeReadShowsNoRows()
    {
        QFETCH(QString, name);
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        QAction *deadlines = control<QToolBar>(w, "tbView")->findChild<QAction *>(QStringLiteral("scadenzario"));
        QAction *cashBook = control<QToolBar>(w, "tbView")->findChild<QAction *>(QStringLiteral("quilvaro"));
        QVERIFY(deadlines && cashBook);
        if (name == QLatin1String("deadlines button"))
            cashBook->trigger();
        QVERIFY(gex(w)->recordCount() > 0);
        const auto boldDays = [w] {
            int n = 0;
            for (QDate d = mv(w)->visibleStart(); d <= mv(w)->visibleEnd(); d = d.addDays(1))
                n += mv(w)->dayBold(d) ? 1 : 0;
            return n;
        };
        QVERIFY(boldDays() > 0);
        const std::unique_ptr<frmScadenziari> sheets(name == QLatin1String("data sheets closed") ? new frmScadenziari(w) : nullptr);
        const std::unique_ptr<frmOptions> options(name == QLatin1String("preferences saved") ? new frmOptions(w) : nullptr);
        // Connected as the main window connects the dialogs it opens.
        if (sheets)
            QObject::connect(sheets.get(), &frmScadenziari::closing, w, &frmMain::RebuildAfterSheetChange);
        if (options)
            QObject::connect(options.get(), &frmOptions::preferencesSaved, w, &frmMain::RebuildAfterPreferences);
        const QString folder = QFileInfo(f.dbFile).absolutePath();
        QVERIFY(QDir().rename(folder, folder + QStringLiteral("-away")));
        f.box->clearRequests();
        if (name == QLatin1String("cash-book button"))
            cashBook->trigger();
        else if (name == QLatin1String("deadlines button"))
            deadlines->trigger();
        else if (name == QLatin1String("filter"))
            QTest::keyClick(cmbFilter(w), Qt::Key_Down);
        else if (name == QLatin1String("grouping"))
            QTest::keyClick(cmbGroup(w), Qt::Key_Down);
        else if (name == QLatin1String("refresh"))
            command(w, name);
        else if (name == QLatin1String("language"))
            menuItem(w, "mnuLangs6")->trigger();
        else if (sheets)
            QTest::mouseClick(sheets->cmdClose, Qt::LeftButton);
        else
            QTest::mouseClick(options->cmdSalva, Qt::LeftButton);
        drainEvents();
        QVERIFY(appErrors(*f.box) >= 1);
        QCOMPARE(gex(w)->recordCount(), 0);
        QCOMPARE(gextasks(w)->recordCount(), 0);
        QCOMPARE(boldDays(), 0);
        QVERIFY(!toolbarButton(w, 1)->isEnabled());   // Edit
        QVERIFY(!toolbarButton(w, 2)->isEnabled());   // Delete
        QCOMPARE(deadlines->isChecked(), w->viewState().curView == 0);
        QCOMPARE(cashBook->isChecked(), w->viewState().curView == 1);
        QCOMPARE(gex(w)->column(QStringLiteral("CnName"))->isVisible(), w->viewState().curView == 1);

        QVERIFY(QDir().rename(folder + QStringLiteral("-away"), folder));
        command(w, QStringLiteral("refresh"));
        const QStringList refreshed = listed(w);
        QVERIFY(gex(w)->recordCount() > 0);
        switchView(w, w->viewState().curView);
        QCOMPARE(refreshed, listed(w));
        filterListAnswers(w);
    }

    // Another program holds the database longer than the connection waits for it (2 s): the command tells
    // it; once the other program lets go, the list reads again.
    void commandOnALockedDatabase()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        sqlite3 *other = nullptr;
        QVERIFY(sqlite3_open(QFile::encodeName(f.dbFile).constData(), &other) == SQLITE_OK);
        QVERIFY(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK);
        f.box->clearRequests();
        command(w, QStringLiteral("refresh"));
        QCOMPARE(appErrors(*f.box), 1);
        QVERIFY(f.box->told(LRS(2045)));   // in the user's language: held by another program, try again
        QVERIFY(f.box->told(QStringLiteral("in Orvel3.frmMain.RefreshList")));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        f.box->clearRequests();
        command(w, QStringLiteral("refresh"));
        QCOMPARE(appErrors(*f.box), 0);
        QVERIFY(gex(w)->recordCount() > 0);
    }

    // A column renamed by another tool while the window is open: the list cannot be read, which is told in
    // the user's words, naming the column (never the statement), and the window goes on.
    void renamedColumn()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        testenv::rawExec(f.dbFile, "ALTER TABLE Transactions RENAME COLUMN TrDescription TO TrSubject");
        QCOMPARE(Adb->TestDb(QFileInfo(f.dbFile).absolutePath()), int(cAccessDb::WrongStructure));
        f.box->clearRequests();
        command(w, QStringLiteral("view switch"));
        QCOMPARE(appErrors(*f.box), 1);
        QVERIFY(f.box->told(LRS(2202) + QStringLiteral("\nTrDescription\nin Orvel3.frmMain.SwitchView")));
        QVERIFY(!f.box->told(QStringLiteral("SELECT")));
        testenv::rawExec(f.dbFile, "ALTER TABLE Transactions RENAME COLUMN TrSubject TO TrDescription");
        f.box->clearRequests();
        command(w, QStringLiteral("refresh"));
        QCOMPARE(appErrors(*f.box), 0);
        filterListAnswers(w);
    }

    // The row is saved; a main window that cannot read its list again says so once, naming the step that
    // failed, lists no rows, and the editor closes all the same.
    void refreshThatFailsAfterTheSave()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        QVERIFY(selectRow(w, QStringLiteral("Invoice 121")) > 0);
        QTest::keyClick(gex(w)->view(), Qt::Key_Return);
        frmScadenze *e = frmScadenze::instance();
        QVERIFY(e);
        e->txtData[0]->setText(QStringLiteral("Invoice 121 bis"));
        // The list reads the count's name; the save does not.
        testenv::rawExec(f.dbFile, "ALTER TABLE Counts RENAME COLUMN CnName TO CnTitle");
        f.box->clearRequests();
        QApplication::setActiveWindow(e);
        e->cmdSalva->click();
        QVERIFY(!frmScadenze::instance());
        const char *saved = "SELECT Count(*) FROM Transactions WHERE TrDescription || '' = 'Invoice 121 bis'";
        QCOMPARE(testenv::rawInt(f.dbFile, saved), 1);
        QCOMPARE(appErrors(*f.box), 1);
        QVERIFY2(f.box->told(QStringLiteral("CnName\nin Orvel3.frmMain.gexUpdate")),
                 qPrintable(f.box->requests().value(0).text));
        QCOMPARE(gex(w)->recordCount(), 0);
    }

    // A damaged page found at start: the user is asked, before any window, whether to choose another
    // folder; No ends the program normally, and nothing was written into the damaged file. So also when the
    // program last ended on that file and found it sound (it then need not read it whole at the next start),
    // and another program has damaged it since.
    void damagedDatabaseAtStart_data()
    {
        QTest::addColumn<bool>("endedOnItBefore");
        QTest::newRow("never opened") << false;
        QTest::newRow("damaged since the last end") << true;
    }
    void damagedDatabaseAtStart()
    {
        QFETCH(bool, endedOnItBefore);
        testenv::Sandbox &box = startBox();
        const QString file = box.makeDatabase(box.documents() + QStringLiteral("/Orvel3DB"));
        if (endedOnItBefore) {
            testenv::fillSample(file, QDate(2025, 3, 15));
            QCOMPARE(Main(realMainWindow()), StartupResult::Running);
            EndProgram();
            QVERIFY(RegRead(1, QLatin1String(SoundDatabaseValue), QLatin1String(SettingsKey)).toString().startsWith(file));
            box.clearRequests();
        } else {
            QCOMPARE(testenv::rawInt(file, "SELECT Count(*) FROM Counts"), 0);
        }
        testenv::damageTable(file, "Transactions");
        const QByteArray damaged = testenv::fileBytes(file);
        box.answerButton(platform::vbNo);
        QCOMPARE(Main(realMainWindow()), StartupResult::Ended);
        QCOMPARE(box.requests().size(), 1);
        QCOMPARE(box.requests()[0].text, LRSV(2331, QDir::toNativeSeparators(file)) + QStringLiteral("\n\n") + LRS(2330));
        QVERIFY(!frmMain::instance());
        EndProgram();
        QCOMPARE(testenv::fileBytes(file), damaged);
    }

    // Meanwhile a page of the database went bad, or another tool renamed a column: Refresh and every save
    // tell it in the user's words (the damaged file named, or the missing column; never the engine's text or
    // the statement), the editor keeps what the user typed, and nothing is written into the damaged file,
    // however many times the user tries.
    void savesIntoADamagedOrChangedDatabase_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("editor");
        for (const char *fault : {"damaged page", "column renamed"})
            for (const char *editor : {"edit", "new"})
                QTest::addRow("%s, %s", fault, editor) << QString::fromLatin1(fault) << QString::fromLatin1(editor);
    }
    void savesIntoADamagedOrChangedDatabase()
    {
        QFETCH(QString, fault);
        QFETCH(QString, editor);
        MainWindowFixture f;
        // Rows enough for many pages: the damaged one lies between those that the saves write.
        testenv::rawExec(f.dbFile, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                   "INSERT INTO Transactions (TrDbId, TrType, TrDate, TrDescription, TrGrpType) "
                                   "SELECT 1, -2, '2024-01-01', 'Old appointment ' || i, 'n' FROM n");
        frmMain *w = f.load();
        w->show();
        QWidget *window = nullptr;
        QLineEdit *description = nullptr;
        QPushButton *save = nullptr;
        if (editor == QLatin1String("edit")) {
            QVERIFY(selectRow(w, QStringLiteral("Invoice 118")) > 0);
            QTest::keyClick(gex(w)->view(), Qt::Key_Return);
            frmScadenze *e = frmScadenze::instance();
            QVERIFY(e);
            window = e;
            description = e->txtData[0];
            save = e->cmdSalva;
        } else {
            QVERIFY(selectRow(w, QStringLiteral("Invoice 118")) > 0);
            menuItem(w, "mnuRecord0")->trigger();
            frmScadenzeNuovo *e = frmScadenzeNuovo::instance();
            QVERIFY(e);
            window = e;
            description = e->txtData[0];
            save = e->cmdSalva;
        }
        description->setText(QStringLiteral("Typed by the user"));
        QString told;
        if (fault == QLatin1String("damaged page")) {
            testenv::damageTable(f.dbFile, "Transactions", true);
            told = LRS(2048) + QLatin1Char('\n') + QDir::toNativeSeparators(f.dbFile);
            f.box->clearRequests();
            command(w, QStringLiteral("refresh"));
            QVERIFY(f.box->told(told, LRS(1943)));
        } else {
            testenv::rawExec(f.dbFile, "ALTER TABLE Transactions RENAME COLUMN TrDescription TO TrSubject");
            told = LRS(2202) + QLatin1Char('\n')
                   + (editor == QLatin1String("edit") ? QStringLiteral("TrDescription") : QStringLiteral("Transactions.TrDescription"));
        }
        const QByteArray before = testenv::fileBytes(f.dbFile);
        for (int attempt = 0; attempt < 2; ++attempt) {
            f.box->clearRequests();
            QApplication::setActiveWindow(window);
            save->click();
            QVERIFY2(f.box->told(told, LRS(1943)), qPrintable(f.box->requests().value(0).text));
            for (const char *engine : {"INSERT", "UPDATE", "no column", "malformed"})
                QVERIFY2(!f.box->told(QLatin1String(engine)), engine);
            QVERIFY(window->isVisible());
            QCOMPARE(description->text(), QStringLiteral("Typed by the user"));
            QCOMPARE(testenv::fileBytes(f.dbFile), before);
        }
    }

    void unwritableDatabaseAtStart_data()
    {
        QTest::addColumn<QString>("refusal");
        // Root ignores a file's read-only mode: the engine's refusal is made by a trigger.
        QTest::newRow("read-only file") << "attempt to write a readonly database";
        QTest::newRow("full disk") << "database or disk is full";
        // A folder the user may read but not write: the database opens read-only, and the counts it lacks
        // are told as a database that cannot be written.
        QTest::newRow("read-only folder") << "";
    }
    void unwritableDatabaseAtStart()
    {
        QFETCH(QString, refusal);
        testenv::Sandbox &box = startBox();
        const QString folder = box.documents() + QStringLiteral("/Orvel3DB");
        const QString file = box.makeDatabase(folder);
        if (!refusal.isEmpty())
            testenv::rawExec(file, QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Counts BEGIN SELECT RAISE(ABORT, '%1'); END;")
                                       .arg(refusal)
                                       .toUtf8());
        std::optional<testenv::OrdinaryUser> user;
        if (refusal.isEmpty())
            user.emplace(box, QHash<QString, int>{{folder, 0555}});
        QCOMPARE(Main(realMainWindow()), StartupResult::Running);
        QVERIFY(box.told(refusal.isEmpty() ? LRS(2046) : refusal, LRS(1943)));
        QVERIFY(box.told(QStringLiteral("in Orvel3.frmMain.Form_Load")));
        QCOMPARE(testenv::rawInt(file, "SELECT Count(*) FROM Counts"), 0);
        QVERIFY(frmMain::instance() && frmMain::instance()->isVisible());
        EndProgram();
        QVERIFY(!QFile::exists(folder + QStringLiteral("/orvel3.ldb")));
    }
};

ORVEL_GUARDED_TEST_MAIN(tst_RuntimeErrors)
#include "tst_runtimeerrors.moc"
