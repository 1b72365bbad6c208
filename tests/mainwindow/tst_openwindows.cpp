// Windows left open while the data changes under them, each case driven through two windows at once: the
// data sheet or the database folder does not change under an open editor or accounts window; a save
// writes only what its window changed (a row closed from the list meanwhile stays closed) and never
// brings back a deleted row; New does not reset the open new-deadline editor; a customer or account
// deleted meanwhile is not saved into a row; closing the program asks about unsaved input (but a log-out
// does not); a series row deleted from the cash book leaves its series numbered.

#include "../editors/ModalSteps.h"
#include "GuardedTestMain.h"
#include "MainWindowFixture.h"

#include "editors/frmAccounts.h"
#include "editors/frmPN.h"
#include "editors/frmScadenze.h"
#include "editors/SeriesDates.h"
#include "editors/frmScadenzeNuovo.h"
#include "foundation/SettingsKeys.h"
#include "foundation/clsSysTray.h"
#include "foundation/comRegistry.h"
#include "foundation/frmSysTray.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/grid/GridView.h"
#include "foundation/modMain.h"
#include "mainwindow/frmScadenziari.h"
#include "platform/controls/DateField.h"
#include "platform/database/Connection.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QLabel>
#include <QRadioButton>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QTest>
#include <QWindow>

namespace {

QVariant stored(const QString &dbFile, const QString &column, const QString &description)
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT %1 FROM Transactions WHERE TrDescription='%2'").arg(column, description),
            testenv::connectionString(dbFile));
    return rs.EOF() ? QVariant() : rs.value(0);
}

int countOf(const QString &dbFile, const QString &sql)
{
    platform::Recordset rs;
    rs.Open(sql, testenv::connectionString(dbFile));
    return rs.value(0).toInt();
}

int insertEntry(const QString &dbFile, const QString &sql)
{
    platform::Connection cn;
    cn.Open(testenv::connectionString(dbFile));
    cn.Execute(sql);
    const int id = int(cn.lastInsertId());
    cn.Close();
    return id;
}

// Opens the main list's row in its editor as the user does: the row made current, then Enter.
template <class Editor>
Editor *openInEditor(frmMain *w, const QString &description)
{
    if (selectRow(w, description) < 1)
        return nullptr;
    QTest::keyClick(gex(w)->view(), Qt::Key_Return);
    Editor *e = Editor::instance();
    if (e)
        QApplication::setActiveWindow(e);
    return e;
}

frmScadenzeNuovo *openNewDeadline(frmMain *w)
{
    selectRow(w, QStringLiteral("Invoice 118"));   // a single row: no series question
    menuItem(w, "mnuRecord0")->trigger();
    return frmScadenzeNuovo::instance();
}

// Watches for a modal dialog while it lives: one that shows is recorded and cancelled.
class ModalWatch
{
public:
    ModalWatch()
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget *w = QApplication::activeModalWidget(); w && w->isVisible()) {
                m_shown = true;
                w->close();
            }
        });
        m_timer.start();
    }
    bool shown() const { return m_shown; }

private:
    QTimer m_timer;
    bool m_shown = false;
};

} // namespace

class tst_OpenWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<testenv::Sandbox> m_box;   // the start-up test's sandbox (see cleanup)

private slots:
    void cleanup()
    {
        // The program's end runs inside the start-up test's sandbox, also after a failed check.
        EndProgram();
        m_box.reset();
        clsSysTray::setAvailable(std::nullopt);
        qApp->setQuitOnLastWindowClosed(true);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The accounts window opened from the main window, from its View menu or its toolbar: its Print shows
    // the list's print preview over the main window, and as it closes the main list shows the accounts as
    // they are now (here renamed by another program meanwhile).
    void accountsWindowOverTheMainWindow_data()
    {
        QTest::addColumn<bool>("menu");
        QTest::newRow("View menu") << true;
        QTest::newRow("toolbar") << false;
    }
    void accountsWindowOverTheMainWindow()
    {
        QFETCH(bool, menu);
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        (menu ? menuItem(w, "mnuView3") : toolbarButton(w, 4))->trigger();
        frmAccounts *accounts = frmAccounts::instance();
        QVERIFY(accounts && accounts->isVisible());
        QString previewTitle;
        QWidget *previewOwner = nullptr;
        const auto leftOpen = onModal([&](QWidget *dialog) {
            previewTitle = dialog->windowTitle();
            previewOwner = dialog->parentWidget();
            dialog->close();
        });
        accounts->mnuFile[0]->trigger();
        QVERIFY(!*leftOpen);
        QCOMPARE(previewTitle, LRS(205));
        QCOMPARE(previewOwner, w);
        insertEntry(f.dbFile, QStringLiteral("UPDATE Accounts SET AcName = 'Rossi Srl' WHERE AcId = 1"));
        QVERIFY(selectRow(w, QStringLiteral("Invoice 118")) > 0);
        QCOMPARE(gex(w)->rowData(gex(w)->row()).text(QStringLiteral("AcName")), QStringLiteral("Rossi Forniture"));
        accounts->close();
        QVERIFY(selectRow(w, QStringLiteral("Invoice 118")) > 0);
        QCOMPARE(gex(w)->rowData(gex(w)->row()).text(QStringLiteral("AcName")), QStringLiteral("Rossi Srl"));
    }

    // One rule for every open window: the current data sheet and the database folder wait until they close.
    void sheetAndFolderWaitForOpenWindows_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("change");
        for (const char *window : {"deadline editor", "cash-book editor", "new-deadline editor", "accounts window"})
            for (const char *change : {"select sheet", "new sheet", "database folder"})
                QTest::addRow("%s, %s", window, change) << QString::fromLatin1(window) << QString::fromLatin1(change);
    }
    void sheetAndFolderWaitForOpenWindows()
    {
        QFETCH(QString, window);
        QFETCH(QString, change);
        MainWindowFixture f;
        frmMain *w = f.load();
        QPointer<QWidget> open;
        if (window == QLatin1String("deadline editor")) {
            open = openInEditor<frmScadenze>(w, QStringLiteral("Invoice 118"));
        } else if (window == QLatin1String("cash-book editor")) {
            switchView(w, 1);
            open = openInEditor<frmPN>(w, QStringLiteral("Stationery"));
        } else if (window == QLatin1String("new-deadline editor")) {
            open = openNewDeadline(w);
        } else {
            menuItem(w, "mnuView3")->trigger();
            open = frmAccounts::instance();
        }
        QVERIFY(open);
        const QString otherFolder = f.box->root() + QStringLiteral("/other");
        const QString folder = Adb->dbPath();
        const int sheets = countOf(f.dbFile, QStringLiteral("SELECT Count(*) FROM Dbs"));
        auto tryChange = [&](frmScadenziari &dlg) {
            if (change == QLatin1String("select sheet")) {
                QVERIFY(dlg.gex->find(1, 2));
                dlg.cmdSelect->click();
            } else if (change == QLatin1String("new sheet")) {
                f.box->answerText(QStringLiteral("Third sheet"));
                dlg.cmdNuovo->click();
            } else {
                f.box->answerText(otherFolder);
                dlg.cmdDatabase->click();
            }
        };
        {
            frmScadenziari dlg(w);
            f.box->clearRequests();
            tryChange(dlg);
            QCOMPARE(f.box->requests().size(), 1);   // neither a name nor a folder was asked for
            QCOMPARE(f.box->requests().first().text, LRS(1951));
        }
        QCOMPARE(Sheet->Id(), 1);
        QCOMPARE(Adb->dbPath(), folder);
        QCOMPARE(countOf(f.dbFile, QStringLiteral("SELECT Count(*) FROM Dbs")), sheets);
        QVERIFY(!QFile::exists(otherFolder + QStringLiteral("/orvel3.mdb")));

        // Closed, the change goes through.
        open->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!open);
        {
            frmScadenziari dlg(w);
            f.box->clearRequests();
            QDir().mkpath(otherFolder);
            tryChange(dlg);
            QVERIFY(!f.box->told(LRS(1951)));
        }
        if (change == QLatin1String("database folder"))
            QCOMPARE(Adb->dbPath(), QDir::toNativeSeparators(otherFolder));
        else
            QVERIFY(Sheet->Id() != 1);
    }

    // A switch of the language in the main window's menu re-labels every window left open beside it, two
    // at a time; what the user entered in them stays.
    void languageSwitchRelabelsOpenWindows_data()
    {
        QTest::addColumn<bool>("cashBook");
        QTest::newRow("accounts window and deadline editor") << false;
        QTest::newRow("new-deadline editor and cash-book editor") << true;
    }
    void languageSwitchRelabelsOpenWindows()
    {
        QFETCH(bool, cashBook);
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        QPointer<QWidget> first, second;
        if (!cashBook) {
            menuItem(w, "mnuView3")->trigger();
            first = frmAccounts::instance();
            second = openInEditor<frmScadenze>(w, QStringLiteral("Invoice 118"));
        } else {
            first = openNewDeadline(w);
            frmScadenzeNuovo::instance()->cmbCadenza->setCurrentIndex(2);
            switchView(w, 1);
            menuItem(w, "mnuRecord0")->trigger();
            second = frmPN::instance();
        }
        QVERIFY(first && second);
        auto *editor = static_cast<RecordEditorWindow *>(cashBook ? first.data() : second.data());
        QLineEdit *description = cashBook ? frmScadenzeNuovo::instance()->txtData[0] : frmScadenze::instance()->txtData[0];
        description->setText(QStringLiteral("Typed before the switch"));
        description->setFocus();   // its hint stands in the editor's status bar
        const QString englishTitle = second->windowTitle();
        // The calendar button beside a date is named for screen readers in the user's language.
        const auto calendarButtonName = [] {
            auto *date = frmScadenzeNuovo::instance()->datData[0];
            auto *button = date->findChild<QToolButton *>();
            return button ? QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name) : QString();
        };
        if (cashBook)
            QCOMPARE(calendarButtonName(), QStringLiteral("Open the calendar"));

        QApplication::setActiveWindow(w);
        chooseFromMenu(menuItem(w, "mnuTools0")->menu(), menuItem(w, "mnuLangs6"));
        QCOMPARE(Lang->AppLanguageId(), 6);
        QVERIFY(second->windowTitle() != englishTitle);
        if (!cashBook) {
            frmAccounts *a = frmAccounts::instance();
            QCOMPARE(a->windowTitle(), QStringLiteral("Tabelle"));
            QCOMPARE(a->mnuRecordGrp->text(), LRS(301));
            QCOMPARE(a->mnuFile[2]->text(), LRS(209));
            QCOMPARE(a->tbButtons[0]->toolTip(), LRS(1340));
            QCOMPARE(a->tbs->tabText(1), LRS(1820));
            QCOMPARE(a->gex->column(2)->caption(), LRS(1321));
            QCOMPARE(a->sbPanel1->text(), LRS(1325));
            frmScadenze *e = frmScadenze::instance();
            QCOMPARE(e->windowTitle(), QStringLiteral("Modifica"));
            QCOMPARE(e->lblData[2]->text(), LRS(1104));
            QCOMPARE(e->cmdSalva->text(), LRS(1108));
            QCOMPARE(e->imgcmbData->itemText(1), LRS(1042));
            QCOMPARE(e->chkData->text(), LRS(1107));
            QCOMPARE(e->txtData[0]->toolTip(), LRS(1112));
        } else {
            frmScadenzeNuovo *n = frmScadenzeNuovo::instance();
            QCOMPARE(n->windowTitle(), QStringLiteral("Nuova Scadenza"));
            QCOMPARE(n->optgrp[1]->text(), LRS(1120));
            QCOMPARE(n->cmbCadenza->itemText(2), LRS(SeriesDates::cadenceTextId(2)));
            QCOMPARE(n->cmbCadenza->currentIndex(), 2);
            QCOMPARE(n->imgcmbData->itemText(0), LRS(1043));
            frmPN *p = frmPN::instance();
            QCOMPARE(p->windowTitle(), QStringLiteral("Nuovo Movimento"));
            QCOMPARE(p->lblData[0]->text(), LRS(1902));
            QCOMPARE(p->cmdSalva->text(), LRS(1365));
            QCOMPARE(p->cmdAnnulla->text(), LRS(1109));
            QCOMPARE(p->imgcmbData->itemText(1), LRS(1909));
            QCOMPARE(calendarButtonName(), QStringLiteral("Apri il calendario"));
        }
        QCOMPARE(description->text(), QStringLiteral("Typed before the switch"));
        QCOMPARE(editor->sbPanel1->text(), LRS(1112));
        QVERIFY(editor->isModified());
        first->close();
        second->close();
    }

    // A deadline closed from the main list while its editor is open: the editor's save keeps the closing.
    void closedFromTheListMeanwhile_data()
    {
        QTest::addColumn<QString>("typed");   // what the user changes in the editor before saving
        QTest::newRow("saved as it was") << "";
        QTest::newRow("notes typed") << "notes";
        QTest::newRow("date changed") << "date";
    }
    void closedFromTheListMeanwhile()
    {
        QFETCH(QString, typed);
        MainWindowFixture f;
        frmMain *w = f.load();
        const QString bill = QStringLiteral("Electricity bill");
        frmScadenze *editor = openInEditor<frmScadenze>(w, bill);
        QVERIFY(editor);
        const QDate due = editor->datData->date();

        // Meanwhile, in the main window: Space closes the deadline on 12 March.
        QApplication::setActiveWindow(w);
        QVERIFY(selectRow(w, bill) > 0);
        auto leftOpen = onModal([](QWidget *dlg) {
            dlg->findChild<platform::DateField *>()->setDate(QDate(2025, 3, 12));
            dlg->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        QTest::keyClick(gex(w)->view(), Qt::Key_Space);
        QVERIFY(!*leftOpen);
        QVERIFY(stored(f.dbFile, QStringLiteral("TrDone"), bill).toBool());

        QApplication::setActiveWindow(editor);
        if (typed == QLatin1String("notes"))
            editor->txtNotes->setPlainText(QStringLiteral("Paid by card"));
        else if (typed == QLatin1String("date"))
            editor->datData->setDate(QDate(2025, 4, 30));
        editor->cmdSalva->click();
        QVERIFY(!frmScadenze::instance());
        QVERIFY(stored(f.dbFile, QStringLiteral("TrDone"), bill).toBool());
        QCOMPARE(stored(f.dbFile, QStringLiteral("TrDate"), bill).toDate(),
                 typed == QLatin1String("date") ? QDate(2025, 4, 30) : QDate(2025, 3, 12));
        QCOMPARE(stored(f.dbFile, QStringLiteral("TrNotes"), bill).toString(),
                 typed == QLatin1String("notes") ? QStringLiteral("Paid by card") : QString());
        QVERIFY(due != QDate(2025, 3, 12));
    }

    // The same row open in the deadline editor and in the cash-book editor (a closed debit counts as a
    // movement): the amount saved by one stays when the other saves its own change.
    void changedByTheOtherEditorMeanwhile_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("saved as it was") << "";
        QTest::newRow("description typed") << "Deposit for the office";
    }
    void changedByTheOtherEditorMeanwhile()
    {
        QFETCH(QString, typed);
        MainWindowFixture f;
        Env->DebitCreditToPN = true;
        frmMain *w = f.load();
        const QString deposit = QStringLiteral("Office rent deposit");
        switchView(w, 1);
        frmPN *cash = openInEditor<frmPN>(w, deposit);
        QVERIFY(cash);
        QApplication::setActiveWindow(w);
        switchView(w, 0);
        frmScadenze *deadline = openInEditor<frmScadenze>(w, deposit);
        QVERIFY(deadline);
        deadline->txtData[1]->setText(QStringLiteral("650"));
        deadline->cmdSalva->click();
        QCOMPARE(stored(f.dbFile, QStringLiteral("TrValue"), deposit).value<platform::Currency>().toString(),
                 QStringLiteral("650"));

        QApplication::setActiveWindow(cash);
        if (!typed.isEmpty())
            cash->txtData[0]->setText(typed);
        cash->cmdSalva->click();
        QVERIFY(!frmPN::instance());
        const QString saved = typed.isEmpty() ? deposit : typed;
        QCOMPARE(stored(f.dbFile, QStringLiteral("TrValue"), saved).value<platform::Currency>().toString(),
                 QStringLiteral("650"));
        QCOMPARE(stored(f.dbFile, QStringLiteral("TrBalance"), saved).value<platform::Currency>().toString(),
                 QStringLiteral("-650"));
    }

    // A row deleted from the main list while its editor is open is not brought back by the save, and the
    // save says that the row is gone, whether or not anything was changed in the editor.
    void deletedFromTheListMeanwhile_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("row");
        QTest::addColumn<bool>("changed");
        QTest::newRow("deadline, changed") << 0 << "Invoice 121" << true;
        QTest::newRow("deadline, unchanged") << 0 << "Invoice 121" << false;
        QTest::newRow("cash-book movement, changed") << 1 << "Stationery" << true;
        QTest::newRow("cash-book movement, unchanged") << 1 << "Stationery" << false;
    }
    void deletedFromTheListMeanwhile()
    {
        QFETCH(int, view);
        QFETCH(QString, row);
        QFETCH(bool, changed);
        MainWindowFixture f;
        frmMain *w = f.load();
        switchView(w, view);
        frmRowEditor *editor = view == 0 ? static_cast<frmRowEditor *>(openInEditor<frmScadenze>(w, row))
                                         : openInEditor<frmPN>(w, row);
        QVERIFY(editor);
        QApplication::setActiveWindow(w);
        QVERIFY(selectRow(w, row) > 0);
        f.box->answerButton(platform::vbYes);
        QTest::keyClick(gex(w)->view(), Qt::Key_Delete);
        const int rows = countOf(f.dbFile, QStringLiteral("SELECT Count(*) FROM Transactions"));

        f.box->clearRequests();
        if (changed)
            editor->txtData[0]->setText(QStringLiteral("Typed meanwhile"));
        editor->cmdSalva->click();
        QCOMPARE(f.box->requests().size(), 1);
        QCOMPARE(f.box->requests().first().title, LRS(1943));
        QVERIFY(f.box->requests().first().text.startsWith(LRS(2044)));
        QCOMPARE(countOf(f.dbFile, QStringLiteral("SELECT Count(*) FROM Transactions")), rows);
        QVERIFY(editor->isOpen());
        editor->cmdAnnulla_Click();
    }

    // New, or a new member of a series, while the new-deadline editor is open: it comes to the front as it is.
    void newWhileTheNewDeadlineEditorIsOpen_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("command");
        QTest::newRow("menu, single row") << "Invoice 121" << "menu";
        QTest::newRow("menu, series row") << "Rent" << "menu";
        QTest::newRow("toolbar, series row") << "Rent" << "toolbar";
        QTest::newRow("popup, series row") << "Rent" << "popup";
    }
    void newWhileTheNewDeadlineEditorIsOpen()
    {
        QFETCH(QString, row);
        QFETCH(QString, command);
        MainWindowFixture f;
        frmMain *w = f.load();
        frmScadenzeNuovo *editor = openNewDeadline(w);
        QVERIFY(editor);
        editor->imgcmbData->setCurrentIndex(2);
        editor->txtData[0]->setText(QStringLiteral("Typed first"));
        editor->txtData[1]->setText(QStringLiteral("12.50"));

        QApplication::setActiveWindow(w);
        QVERIFY(selectRow(w, row) > 0);
        ModalWatch watch;
        if (command == QLatin1String("menu"))
            menuItem(w, "mnuRecord0")->trigger();
        else if (command == QLatin1String("toolbar"))
            toolbarButton(w, 0)->trigger();
        else
            menuItem(w, "mnuPopup0")->trigger();
        QVERIFY(!watch.shown());   // no series question
        QCOMPARE(frmScadenzeNuovo::instance(), editor);
        QCOMPARE(editor->txtData[0]->text(), QStringLiteral("Typed first"));
        QCOMPARE(editor->txtData[1]->text(), QStringLiteral("12.50"));
        QVERIFY(editor->txtData[0]->isEnabled());
        QCOMPARE(editor->GrpId, 0);
        QVERIFY(editor->isVisible());
    }

    // A customer or account chosen in an editor and deleted meanwhile in the accounts window: the save
    // says so and writes nothing; the list no longer offers it.
    void chosenEntryDeletedMeanwhile_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("tab");   // 1 customer, 2 payment account
        for (const char *editor : {"new deadline", "deadline", "cash book"}) {
            QTest::addRow("%s, customer", editor) << QString::fromLatin1(editor) << 1;
            QTest::addRow("%s, account", editor) << QString::fromLatin1(editor) << 2;
        }
    }
    void chosenEntryDeletedMeanwhile()
    {
        QFETCH(QString, editor);
        QFETCH(int, tab);
        MainWindowFixture f;
        const int id = tab == 1 ? insertEntry(f.dbFile, QStringLiteral("INSERT INTO Accounts (AcName) SELECT 'Passing client'"))
                                : insertEntry(f.dbFile, QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Old till'"));
        frmMain *w = f.load();
        RecordEditorWindow *e = nullptr;
        if (editor == QLatin1String("new deadline")) {
            auto *n = openNewDeadline(w);
            n->imgcmbData->setCurrentIndex(2);
            n->txtData[0]->setText(QStringLiteral("Consulting"));
            n->txtData[1]->setText(QStringLiteral("90"));
            e = n;
        } else if (editor == QLatin1String("deadline")) {
            e = openInEditor<frmScadenze>(w, QStringLiteral("Invoice 118"));
        } else {
            switchView(w, 1);
            e = openInEditor<frmPN>(w, QStringLiteral("Stationery"));
        }
        QVERIFY(e);
        QComboBox *list = e->dtcData[tab - 1];
        list->setCurrentIndex(list->findData(id));
        QVERIFY(list->currentIndex() >= 0);
        const int rows = countOf(f.dbFile, QStringLiteral("SELECT Count(*) FROM Transactions"));
        const int referring = countOf(f.dbFile, QStringLiteral("SELECT Count(*) FROM Transactions WHERE %1=%2")
                                                    .arg(tab == 1 ? QStringLiteral("TrAcId") : QStringLiteral("TrCountId"))
                                                    .arg(id));

        // Meanwhile, in the accounts window: the entry is deleted.
        menuItem(w, "mnuView3")->trigger();
        frmAccounts *accounts = frmAccounts::instance();
        QVERIFY(accounts);
        QApplication::setActiveWindow(accounts);
        accounts->tbs->setCurrentIndex(tab - 1);
        QVERIFY(accounts->gex->find(1, id));
        f.box->answerButton(platform::vbYes);
        QTest::keyClick(accounts->gex->view(), Qt::Key_Delete);
        QCOMPARE(countOf(f.dbFile, QStringLiteral("SELECT Count(*) FROM %1 WHERE %2=%3")
                                       .arg(tab == 1 ? QStringLiteral("Accounts") : QStringLiteral("Counts"),
                                            tab == 1 ? QStringLiteral("AcId") : QStringLiteral("CnId"))
                                       .arg(id)),
                 0);

        QApplication::setActiveWindow(e);
        f.box->clearRequests();
        e->cmdSalva->click();
        QCOMPARE(f.box->requests().size(), 1);
        QCOMPARE(f.box->requests().first().text, LRS(tab == 1 ? 1952 : 1953));
        QCOMPARE(countOf(f.dbFile, QStringLiteral("SELECT Count(*) FROM Transactions")), rows);
        QCOMPARE(countOf(f.dbFile, QStringLiteral("SELECT Count(*) FROM Transactions WHERE %1=%2")
                                       .arg(tab == 1 ? QStringLiteral("TrAcId") : QStringLiteral("TrCountId"))
                                       .arg(id)),
                 referring);
        QVERIFY(e->isOpen());
        QCOMPARE(list->findData(id), -1);
        QCOMPARE(list->currentIndex(), -1);
    }

    // Closing the program while an editor holds unsaved input asks: save, drop, or stay.
    void exitWithUnsavedInput_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<int>("answer");
        for (const char *way : {"file menu", "close box"}) {
            QTest::addRow("%s, saved", way) << QString::fromLatin1(way) << true << int(platform::vbYes);
            QTest::addRow("%s, dropped", way) << QString::fromLatin1(way) << true << int(platform::vbNo);
            QTest::addRow("%s, cancelled", way) << QString::fromLatin1(way) << true << int(platform::vbCancel);
            QTest::addRow("%s, nothing typed", way) << QString::fromLatin1(way) << false << 0;
        }
    }
    void exitWithUnsavedInput()
    {
        QFETCH(QString, way);
        QFETCH(bool, typed);
        QFETCH(int, answer);
        MainWindowFixture f;
        QPointer<frmMain> w = f.load();
        w->show();
        const QString invoice = QStringLiteral("Invoice 118");
        frmScadenze *editor = openInEditor<frmScadenze>(w, invoice);
        QVERIFY(editor);
        if (typed) {
            editor->txtNotes->setFocus();
            QTest::keyClick(editor->txtNotes, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClicks(editor->txtNotes, QStringLiteral(" and by mail"));
        }
        QCOMPARE(editor->isModified(), typed);
        f.box->clearRequests();
        if (answer)
            f.box->answerButton(answer);
        if (way == QLatin1String("file menu"))
            menuItem(w, "mnuFile5")->trigger();
        else
            w->windowHandle()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        const QString question = LRSV(1954, LRS(902));
        QCOMPARE(f.box->told(question), typed);
        const bool stays = answer == platform::vbCancel;
        QCOMPARE(bool(w), stays);
        if (!w)
            f.w = nullptr;
        QCOMPARE(bool(frmScadenze::instance()), stays);
        QCOMPARE(stored(f.dbFile, QStringLiteral("TrNotes"), invoice).toString(),
                 answer == platform::vbYes ? QStringLiteral("Call before sending and by mail")
                                           : QStringLiteral("Call before sending"));
        if (stays)
            QCOMPARE(editor->txtNotes->toPlainText(), QStringLiteral("Call before sending and by mail"));
    }

    // Only what the user really changed counts as unsaved: moving through the fields changes nothing.
    void unsavedInputIsWhatTheUserChanged_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("modified");
        // A new member of a series starts with the series' amount in the currency format, which the field
        // shows as a plain number once left: the same amount.
        QTest::newRow("new series member, moved through") << "new series member" << "tabs" << false;
        for (const char *editor : {"new deadline", "deadline", "cash book"}) {
            QTest::addRow("%s, moved through", editor) << QString::fromLatin1(editor) << "tabs" << false;
            QTest::addRow("%s, typed", editor) << QString::fromLatin1(editor) << "typed" << true;
            QTest::addRow("%s, file attached", editor) << QString::fromLatin1(editor) << "attached" << true;
        }
    }
    void unsavedInputIsWhatTheUserChanged()
    {
        QFETCH(QString, editor);
        QFETCH(QString, action);
        QFETCH(bool, modified);
        MainWindowFixture f;
        frmMain *w = f.load();
        RecordEditorWindow *e = nullptr;
        QPushButton *attach = nullptr;
        if (editor == QLatin1String("new deadline")) {
            auto *n = openNewDeadline(w);
            attach = n ? n->cmdAllegato : nullptr;
            e = n;
        } else if (editor == QLatin1String("new series member")) {
            QVERIFY(selectRow(w, QStringLiteral("Rent")) > 0);
            auto leftOpen = onModal([](QWidget *dlg) {
                dlg->findChildren<QRadioButton *>().value(1)->click();
                dlg->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
            });
            menuItem(w, "mnuRecord0")->trigger();
            QVERIFY(!*leftOpen);
            auto *n = frmScadenzeNuovo::instance();
            QVERIFY(n && n->GrpId == 1);
            QVERIFY(n->txtData[1]->isEnabled());
            attach = n->cmdAllegato;
            e = n;
        } else if (editor == QLatin1String("deadline")) {
            auto *d = openInEditor<frmScadenze>(w, QStringLiteral("Invoice 118"));
            attach = d ? d->cmdAllegato[0] : nullptr;
            e = d;
        } else {
            switchView(w, 1);
            auto *c = openInEditor<frmPN>(w, QStringLiteral("Stationery"));
            attach = c ? c->cmdAllegato[0] : nullptr;
            e = c;
        }
        QVERIFY(e && attach);
        QApplication::setActiveWindow(e);
        QVERIFY(!e->isModified());
        if (action == QLatin1String("tabs")) {
            QStringList visited;
            for (int i = 0; i < 20; ++i) {
                QWidget *focus = QApplication::focusWidget();
                QVERIFY(focus && e->isAncestorOf(focus));
                visited << focus->objectName();
                QTest::keyClick(focus, Qt::Key_Tab);
            }
            QVERIFY(visited.contains(QStringLiteral("txtData1")) || !e->findChild<QLineEdit *>(QStringLiteral("txtData1"))->isEnabled());
        } else if (action == QLatin1String("typed")) {
            e->txtNotes->setFocus();
            QTest::keyClicks(e->txtNotes, QStringLiteral("x"));
        } else {
            const QString file = f.box->root() + QStringLiteral("/scan.pdf");
            QFile(file).open(QIODevice::WriteOnly);
            f.box->answerText(file);
            attach->click();
        }
        QCOMPARE(e->isModified(), modified);
    }

    // A log-out or SIGTERM ends as before: no question, what the editor held is dropped, nothing written.
    void sessionEndAsksNothing()
    {
        MainWindowFixture f;
        QPointer<frmMain> w = f.load();
        w->show();
        frmScadenze *editor = openInEditor<frmScadenze>(w, QStringLiteral("Invoice 118"));
        QVERIFY(editor);
        editor->txtNotes->setPlainText(QStringLiteral("Never saved"));
        QVERIFY(editor->isModified());
        f.box->clearRequests();
        EndSession();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(f.box->requests().isEmpty());
        QVERIFY(!w);
        f.w = nullptr;
        QCOMPARE(stored(f.dbFile, QStringLiteral("TrNotes"), QStringLiteral("Invoice 118")).toString(),
                 QStringLiteral("Call before sending"));
        EndProgram();   // ends the session state as the program's end does
    }

    // In the tray, "&Chiudi" asks about unsaved input too; while the main window stays, the icon stays.
    void trayCloseWithUnsavedInput()
    {
        m_box = std::make_unique<testenv::Sandbox>();
        testenv::Sandbox &box = *m_box;
        const QString file = box.makeDatabase(box.documents() + QStringLiteral("/Orvel3DB"));
        testenv::fillSample(file, QDate(2025, 3, 15));
        RegWrite(1, QStringLiteral("Orvel 3"), QLatin1String(RunKey), QStringLiteral("/usr/bin/Orvel3"));
        clsSysTray::setAvailable(true);
        QCOMPARE(Main([] { return static_cast<QWidget *>(frmMain::Load()); }), StartupResult::Running);
        QVERIFY(frmSysTray::isLoaded());
        frmSysTray::instance()->SysTray()->MouseMove(0, 0x202);   // a click on the icon
        QPointer<frmMain> w = frmMain::instance();
        QVERIFY(w && w->isVisible());
        frmScadenze *editor = openInEditor<frmScadenze>(w, QStringLiteral("Invoice 118"));
        QVERIFY(editor);
        editor->txtNotes->setPlainText(QStringLiteral("Not yet"));
        QAction *close = frmSysTray::instance()->mnuSysTray()->actions().value(2);

        box.answerButton(platform::vbCancel);
        close->trigger();
        QVERIFY(box.told(LRSV(1954, LRS(902))));
        QVERIFY(frmSysTray::isLoaded());
        QVERIFY(w && frmScadenze::instance());

        box.answerButton(platform::vbNo);
        close->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!frmSysTray::isLoaded());
        QVERIFY(!w);
        QCOMPARE(stored(file, QStringLiteral("TrNotes"), QStringLiteral("Invoice 118")).toString(),
                 QStringLiteral("Call before sending"));
    }
};

ORVEL_GUARDED_TEST_MAIN(tst_OpenWindows)
#include "tst_openwindows.moc"
