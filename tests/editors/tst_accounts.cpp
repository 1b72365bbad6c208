// The accounts and counts window driven through its controls: the two tabs and their columns, creating and
// editing through the editors (keys, double click, menus, toolbar), deleting (refused while a row of any
// data sheet refers to the row, asked otherwise, rolled back on failure), an unusable database, and the
// main window refreshed when it closes.

#include "EditorsFixture.h"

#include "editors/frmAccounts.h"
#include "editors/frmNewAcc.h"
#include "editors/frmNewCount.h"
#include "foundation/Twips.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/grid/GridView.h"
#include "foundation/grid/ListGrid.h"
#include "platform/database/Connection.h"
#include "platform/shell/Shell.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>

namespace {

QStringList names(frmAccounts *w)
{
    QStringList out;
    for (int r = 1; r <= w->gex->rowCount(); ++r)
        out << w->gex->rowData(r).value(2).toString();
    return out;
}

QString currentName(frmAccounts *w) { return w->gex->rowData(w->gex->row()).value(2).toString(); }

QString table(int tab) { return tab == 1 ? QStringLiteral("Accounts") : QStringLiteral("Counts"); }

// An account or count added past the window; with a sheet, a row of that sheet refers to it.
int addRow(const EditorsFixture &f, int tab, int sheet = 0)
{
    platform::Connection cn;
    cn.Open(testenv::connectionString(f.dbFile));
    cn.Execute(QStringLiteral("INSERT INTO %1 (%2) SELECT 'Nobody''s'")
                   .arg(table(tab), tab == 1 ? QStringLiteral("AcName") : QStringLiteral("CnName")));
    const int id = int(cn.lastInsertId());
    if (sheet)
        cn.Execute(QStringLiteral("INSERT INTO Transactions (TrDbId, TrType, TrDate, TrDescription, %1) "
                                  "SELECT %2, 1, #03/20/2025#, 'Elsewhere', %3")
                       .arg(tab == 1 ? QStringLiteral("TrAcId") : QStringLiteral("TrCountId"))
                       .arg(sheet)
                       .arg(id));
    cn.Close();
    return id;
}

int g_helpContext = 0;

} // namespace

class tst_Accounts : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorsFixture> f;

    frmAccounts *open(int tab = 1)
    {
        frmAccounts *w = frmAccounts::Open(nullptr);
        w->tbs->setCurrentIndex(tab - 1);
        return w;
    }
    int rows(int tab) const { return f->count(QStringLiteral("SELECT Count(*) FROM ") + table(tab)); }

private slots:
    void init()
    {
        f = std::make_unique<EditorsFixture>();
    }
    void cleanup()
    {
        f.reset();
    }

    void tabs()
    {
        platform::setHelpHandler([](const QString &, int context) { g_helpContext = context; });
        frmAccounts *w = open();
        const QString keys = QStringLiteral("[F5] New - [Return] Edit - [Canc] Delete");
        QCOMPARE(w->CurrentTab, 1);
        QCOMPARE(w->sbPanel1->text(), keys);
        QCOMPARE(w->gex->columnCount(), 3);
        QCOMPARE(w->gex->column(1)->content(), GridColumn::IconOnly);
        QCOMPARE(w->gex->column(1)->iconIndex(), 1);
        QCOMPARE(names(w), (QStringList{QStringLiteral("Bianchi & Figli"), QStringLiteral("Élan Design"),
                                        QStringLiteral("O'Brien Ltd"), QStringLiteral("Rossi Forniture"),
                                        QStringLiteral("Studio Verdi")}));
        QCOMPARE(w->gex->navigatorText(), QStringLiteral("row 1 of 5"));
        // Name and notes share what the icon column and the scroll bar leave, 40 : 60.
        double free = PixelsToTwips(w->gex->width()) - 445 - Sheet->sysVerticalBarWidth();
        QVERIFY(qAbs(w->gex->column(2)->width() + w->gex->column(3)->width() - free) <= 1);
        QVERIFY(qAbs(w->gex->column(2)->width() - free * 0.4) <= 1);

        w->tbs->setCurrentIndex(1);
        QCOMPARE(w->CurrentTab, 2);
        QCOMPARE(w->gex->columnCount(), 2);
        QCOMPARE(w->gex->column(1)->iconIndex(), 2);
        QCOMPARE(names(w), (QStringList{QStringLiteral("Bank"), QStringLiteral("Cash")}));
        QCOMPARE(w->gex->navigatorText(), QStringLiteral("Account 1 of 2"));
        free = PixelsToTwips(w->gex->width()) - 445 - Sheet->sysVerticalBarWidth();
        QVERIFY(qAbs(w->gex->column(2)->width() - free) <= 1);
        // The status text and the toolbar's tooltips stay those of the Accounts tab.
        QCOMPARE(w->sbPanel1->text(), keys);
        QCOMPARE(w->tbButtons[0]->toolTip(), QStringLiteral("New Client/Supplier"));

        QTest::keyClick(w->gex->view(), Qt::Key_F1);
        QCOMPARE(g_helpContext, 8);
    }

    void deleteRow_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("usedBySheet");   // 0: nothing refers to the row
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("message");
        const QString account = QStringLiteral("Selected record has one or more deadlines associated with it. It will not be deleted.");
        const QString count = QStringLiteral("Selected Account has one or more deadlines associated with it. It will not be deleted.");
        const QString confirm = QStringLiteral("Confirm?");
        QTest::newRow("account of this sheet") << 1 << 1 << 0 << account;
        QTest::newRow("account of another sheet only") << 1 << 2 << 0 << account;
        QTest::newRow("count of another sheet only") << 2 << 2 << 0 << count;
        QTest::newRow("unused account, Yes") << 1 << 0 << int(platform::vbYes) << confirm;
        QTest::newRow("unused account, No") << 1 << 0 << int(platform::vbNo) << confirm;
        QTest::newRow("unused count, Yes") << 2 << 0 << int(platform::vbYes) << confirm;
        QTest::newRow("unused count, No") << 2 << 0 << int(platform::vbNo) << confirm;
    }
    void deleteRow()
    {
        QFETCH(int, tab);
        QFETCH(int, usedBySheet);
        QFETCH(int, answer);
        QFETCH(QString, message);
        const int id = addRow(*f, tab, usedBySheet);
        const int before = rows(tab);
        frmAccounts *w = open(tab);
        QVERIFY(w->gex->find(1, id));
        if (answer)
            f->box->answerButton(answer);
        QTest::keyClick(w->gex->view(), Qt::Key_Delete);
        QCOMPARE(f->box->requests().size(), 1);
        QCOMPARE(f->box->requests()[0].text, message);
        QCOMPARE(f->box->requests()[0].style, answer ? int(platform::vbYesNo) : int(platform::vbOKOnly));
        const int after = answer == platform::vbYes ? before - 1 : before;
        QCOMPARE(rows(tab), after);
        QCOMPARE(w->gex->recordCount(), after);
    }

    void lastRowOfTheTable_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("kept");
        QTest::newRow("the last account may go") << 1 << false;
        QTest::newRow("the last count stays") << 2 << true;
    }
    void lastRowOfTheTable()
    {
        QFETCH(int, tab);
        QFETCH(bool, kept);
        const int id = addRow(*f, tab);
        // Every other row gone, past the window, with the rows that referred to them.
        f->execute(QStringLiteral("DELETE * FROM Transactions"));
        f->execute(QStringLiteral("DELETE * FROM %1 WHERE %2<>%3")
                       .arg(table(tab), tab == 1 ? QStringLiteral("AcId") : QStringLiteral("CnId"))
                       .arg(id));
        frmAccounts *w = open(tab);
        QVERIFY(w->gex->find(1, id));
        f->box->answerButton(platform::vbYes);
        QTest::keyClick(w->gex->view(), Qt::Key_Delete);
        QCOMPARE(f->box->requests().size(), 1);
        QCOMPARE(f->box->requests()[0].text, kept ? LRS(2039) : QStringLiteral("Confirm?"));
        QCOMPARE(rows(tab), kept ? 1 : 0);
        QCOMPARE(w->gex->recordCount(), kept ? 1 : 0);
    }

    void failedDeleteChangesNothing()
    {
        const int id = addRow(*f, 1);
        f->failWrites(QStringLiteral("DELETE"), QStringLiteral("Accounts"));
        frmAccounts *w = open();
        QVERIFY(w->gex->find(1, id));
        w->tbButtons[2]->trigger();
        QCOMPARE(f->box->requests().size(), 2);   // the question, then the failure
        const platform::DialogRequest &r = f->box->requests()[1];
        QCOMPARE(r.title, QStringLiteral("App Error"));
        QVERIFY(r.text.contains(QStringLiteral("database or disk is full")));
        QVERIFY(r.text.contains(QStringLiteral("in Orvel3.frmAccounts.DeleteRecord")));
        QCOMPARE(f->count(QStringLiteral("SELECT Count(*) FROM Accounts WHERE AcId=%1").arg(id)), 1);
        QVERIFY(names(w).contains(QStringLiteral("Nobody's")));
        // Nothing is held: once the database allows it, the row goes.
        f->rawExec("DROP TRIGGER fail_DELETE;");
        w->mnuRecord[2]->trigger();
        QCOMPARE(f->count(QStringLiteral("SELECT Count(*) FROM Accounts WHERE AcId=%1").arg(id)), 0);
    }

    void emptyOrUnusableListIgnoresCommands_data()
    {
        QTest::addColumn<bool>("missingFile");
        QTest::newRow("no counts") << false;
        QTest::newRow("no database file") << true;
    }
    void emptyOrUnusableListIgnoresCommands()
    {
        QFETCH(bool, missingFile);
        if (missingFile) {
            Adb->setDbPath(f->box->root() + QStringLiteral("/nowhere"));
        } else {
            platform::Connection cn;
            cn.Open(testenv::connectionString(f->dbFile));
            cn.Execute(QStringLiteral("DELETE * FROM Counts"));
        }
        frmAccounts *w = open(2);
        QCOMPARE(w->gex->rowCount(), 0);
        // The tabs' failures to read: reported, and the window stays usable.
        QCOMPARE(f->box->requests().size(), missingFile ? 2 : 0);
        for (const platform::DialogRequest &r : f->box->requests())
            QVERIFY(r.text.contains(QStringLiteral("in Orvel3.frmAccounts.LoadGrid")));
        f->box->clearRequests();
        bool editorShown = false;
        whenShown<frmNewCount>([&](frmNewCount *) { editorShown = true; });
        QTest::keyClick(w->gex->view(), Qt::Key_Delete);
        QTest::keyClick(w->gex->view(), Qt::Key_Return);
        w->mnuRecord[1]->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!editorShown);
        QVERIFY(f->box->requests().isEmpty());
    }

    void newAndEdit_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("id");        // 0: a new row
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("save");
        QTest::newRow("new account, F5") << 1 << 0 << "F5" << true;
        QTest::newRow("new account, toolbar, Cancel") << 1 << 0 << "toolbar" << false;
        QTest::newRow("new count, menu") << 2 << 0 << "menu" << true;
        QTest::newRow("account, Enter") << 1 << 3 << "Enter" << true;
        QTest::newRow("account, double click") << 1 << 3 << "double click" << true;
        QTest::newRow("count, menu, Cancel") << 2 << 2 << "menu" << false;
    }
    void newAndEdit()
    {
        QFETCH(int, tab);
        QFETCH(int, id);
        QFETCH(QString, how);
        QFETCH(bool, save);
        const int before = rows(tab);
        frmAccounts *w = open(tab);
        QVERIFY(QTest::qWaitForWindowActive(w));
        if (id)
            QVERIFY(w->gex->find(1, id));
        const QString was = id ? currentName(w) : QString();
        QString shown;
        auto act = [&](frmTableEditor *e) {
            shown = e->txtData[0]->text();
            e->txtData[0]->selectAll();
            QTest::keyClicks(e->txtData[0], QStringLiteral("D'Annunzio"));
            (save ? e->cmdSalva : e->cmdAnnulla)->click();
        };
        if (tab == 1)
            whenShown<frmNewAcc>(act);
        else
            whenShown<frmNewCount>(act);
        if (how == QLatin1String("F5")) {
            QTest::keyClick(w->gex->view(), Qt::Key_F5);
        } else if (how == QLatin1String("toolbar")) {
            w->tbButtons[0]->trigger();
        } else if (how == QLatin1String("menu")) {
            w->mnuRecord[id ? 1 : 0]->trigger();
        } else if (how == QLatin1String("Enter")) {
            QTest::keyClick(w->gex->view(), Qt::Key_Return);
        } else {
            GridView *view = w->gex->view();
            const QRect cell = view->visualRect(view->model()->index(w->gex->row() - 1, 1));
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        }
        QCOMPARE(shown, was);
        QVERIFY(!frmNewAcc::instance() && !frmNewCount::instance());   // unloaded after each call
        QCOMPARE(rows(tab), before + int(save && !id));
        QCOMPARE(w->gex->recordCount(), before + int(save && !id));
        QCOMPARE(names(w).contains(QStringLiteral("D'Annunzio")), save);
        if (save)   // the new or changed row is the current one
            QCOMPARE(currentName(w), QStringLiteral("D'Annunzio"));
    }

    void closeRefreshesMainList_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Exit menu") << "menu";
        QTest::newRow("toolbar") << "toolbar";
        QTest::newRow("close box") << "close";
    }
    void closeRefreshesMainList()
    {
        QFETCH(QString, how);
        frmAccounts *w = open(2);
        QSignalSpy told(w, &frmAccounts::accountsChanged);
        if (how == QLatin1String("menu"))
            w->mnuFile[2]->trigger();
        else if (how == QLatin1String("toolbar"))
            w->tbButtons[6]->trigger();
        else
            w->close();
        // Even with nothing changed.
        QCOMPARE(told.count(), 1);
        QVERIFY(!frmAccounts::instance());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmAccounts *again = frmAccounts::Open(nullptr);   // opened again: on the Accounts tab
        QCOMPARE(again->CurrentTab, 1);
        QCOMPARE(again->gex->recordCount(), 5);
    }

    void printAsksForThePreviewOfTheList_data()
    {
        QTest::addColumn<bool>("menu");
        QTest::newRow("File menu") << true;
        QTest::newRow("toolbar") << false;
    }
    void printAsksForThePreviewOfTheList()
    {
        QFETCH(bool, menu);
        frmAccounts *w = open(2);
        QList<ListGrid *> printed;
        connect(w, &frmAccounts::printRequested, this, [&](ListGrid *grid) { printed << grid; });
        (menu ? w->mnuFile[0] : w->tbButtons[4])->trigger();
        QCOMPARE(printed, QList<ListGrid *>{w->gex});
        QVERIFY(w->isVisible());
    }
};

QTEST_MAIN(tst_Accounts)
#include "tst_accounts.moc"
