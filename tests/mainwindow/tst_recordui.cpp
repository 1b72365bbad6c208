// The record commands from the main window: delete with its questions and the series dialog, close and
// re-open with the closing-date dialog, the grid's keys.

#include "MainWindowFixture.h"
#include "../editors/ModalSteps.h"

#include "foundation/grid/GridView.h"
#include "foundation/grid/ListGrid.h"
#include "platform/controls/DateField.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/shell/Shell.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include "editors/frmPN.h"
#include "editors/frmScadenze.h"
#include "editors/frmScadenzeNuovo.h"
#include "platform/controls/MonthView.h"
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextDocumentFragment>

namespace {

int count(const QString &file, const QString &where)
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT TrRowId FROM Transactions WHERE ") + where, testenv::connectionString(file));
    return rs.RecordCount();
}

} // namespace

class tst_RecordUi : public QObject
{
    Q_OBJECT

private slots:
    void deleteAsksFirst_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("question");
        QTest::newRow("deadline") << 0 << "Invoice 118" << "Delete selected Deadline?";
        QTest::newRow("cash-book movement") << 1 << "Stationery" << "Delete selected Record?";
        QTest::newRow("series row in the cash book") << 1 << "Rent" << "Delete selected Record?";
    }
    void deleteAsksFirst()
    {
        QFETCH(int, view);
        QFETCH(QString, row);
        QFETCH(QString, question);
        MainWindowFixture f;
        frmMain *w = f.load();
        switchView(w, view);
        QVERIFY(selectRow(w, row) > 0);
        const QString where = QStringLiteral("TrDescription='%1'").arg(row);
        const int before = count(f.dbFile, where);
        f.box->answerButton(platform::vbNo);
        QTest::keyClick(gex(w)->view(), Qt::Key_Delete);
        QCOMPARE(f.box->requests().last().text, question);
        QCOMPARE(count(f.dbFile, where), before);
        f.box->answerButton(platform::vbYes);
        QTest::keyClick(gex(w)->view(), Qt::Key_Delete);
        QCOMPARE(count(f.dbFile, where), before - 1);   // only that row, also of a series
        QCOMPARE(count(f.dbFile, QStringLiteral("TrGrpId=1")), row == QLatin1String("Rent") ? 5 : 6);
        // What is left of the series is numbered again, as after a delete from the deadlines view.
        platform::Recordset rs;
        rs.Open(QStringLiteral("SELECT TrGrpRow, TrGrpMDay FROM Transactions WHERE TrGrpId=1 ORDER BY TrDate"),
                testenv::connectionString(f.dbFile));
        const int left = rs.RecordCount();
        for (int k = 1; !rs.EOF(); ++k, rs.MoveNext()) {
            QCOMPARE(rs.value(0).toInt(), k);
            QCOMPARE(rs.value(1).toInt(), left);
        }
    }

    void deleteASeriesMember_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("left");
        QTest::newRow("this row only") << 0 << 5;
        QTest::newRow("the whole series") << 1 << 0;
    }
    void deleteASeriesMember()
    {
        QFETCH(int, option);
        QFETCH(int, left);
        MainWindowFixture f;
        frmMain *w = f.load();
        QVERIFY(selectRow(w, QStringLiteral("Rent 3of6")) > 0 || selectRow(w, QStringLiteral("Rent")) > 0);
        const int requests = f.box->requests().size();
        auto leftOpen = onModal([option](QWidget *dlg) {
            dlg->findChildren<QRadioButton *>().value(option)->click();
            dlg->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        toolbarButton(w, 2)->trigger();   // Delete
        QVERIFY(!*leftOpen);
        QCOMPARE(f.box->requests().size(), requests);   // no plain question for a series member
        QCOMPARE(count(f.dbFile, QStringLiteral("TrGrpId=1")), left);
        if (left == 5) {
            platform::Recordset rs;
            rs.Open(QStringLiteral("SELECT TrGrpRow, TrGrpMDay FROM Transactions WHERE TrGrpId=1 ORDER BY TrDate"),
                    testenv::connectionString(f.dbFile));
            for (int k = 1; !rs.EOF(); ++k, rs.MoveNext()) {
                QCOMPARE(rs.value(0).toInt(), k);
                QCOMPARE(rs.value(1).toInt(), 5);
            }
        }
    }

    void closeAndReopenWithSpace()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        const int row = selectRow(w, QStringLiteral("Electricity bill"));
        QVERIFY(row > 0);
        auto leftOpen = onModal([](QWidget *dlg) {
            dlg->findChild<platform::DateField *>()->setDate(QDate(2025, 3, 12));
            dlg->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        QTest::keyClick(gex(w)->view(), Qt::Key_Space);
        QVERIFY(!*leftOpen);
        const QString closed = QStringLiteral("TrDescription='Electricity bill' AND TrDone=True AND TrDate=#03/12/2025#");
        QCOMPARE(count(f.dbFile, closed), 1);
        QCOMPARE(gex(w)->row(), row);   // back at the row's place
        // Re-open: no dialog, the date stays.
        QVERIFY(selectRow(w, QStringLiteral("Electricity bill")) > 0);
        QTest::keyClick(gex(w)->view(), Qt::Key_Space);
        QCOMPARE(count(f.dbFile, QStringLiteral("TrDescription='Electricity bill' AND TrDone=False AND TrDate=#03/12/2025#")), 1);
        // Esc in the dialog changes nothing.
        QVERIFY(selectRow(w, QStringLiteral("Electricity bill")) > 0);
        leftOpen = onModal([](QWidget *dlg) { QTest::keyClick(dlg, Qt::Key_Escape); });
        QTest::keyClick(gex(w)->view(), Qt::Key_Space);
        QVERIFY(!*leftOpen);
        QCOMPARE(count(f.dbFile, QStringLiteral("TrDescription='Electricity bill' AND TrDone=False")), 1);
    }

    void newOnASeriesMemberAsks_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("description");
        QTest::newRow("single row: plain editor") << "Invoice 118" << -1 << false << "";
        QTest::newRow("series row, a new deadline") << "Rent" << 0 << true << "";
        QTest::newRow("series row, a new member") << "Rent" << 1 << true << "Rent";
    }
    void newOnASeriesMemberAsks()
    {
        QFETCH(QString, row);
        QFETCH(int, option);
        QFETCH(bool, asked);
        QFETCH(QString, description);
        MainWindowFixture f;
        frmMain *w = f.load();
        QVERIFY(selectRow(w, row) > 0);
        auto leftOpen = std::make_shared<bool>(false);
        bool dialogShown = false;
        if (asked)
            leftOpen = onModal([option, &dialogShown](QWidget *dlg) {
                dialogShown = true;
                dlg->findChildren<QRadioButton *>().value(option)->click();
                dlg->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
            });
        toolbarButton(w, 0)->trigger();   // New
        QVERIFY(!*leftOpen);
        QCOMPARE(dialogShown, asked);
        frmScadenzeNuovo *editor = frmScadenzeNuovo::Load(w);
        QVERIFY(editor->isVisible());
        QLineEdit *text = editor->findChild<QLineEdit *>(QStringLiteral("txtData0"));
        QVERIFY(text);
        QCOMPARE(text->text(), description);
        QCOMPARE(text->isEnabled(), description.isEmpty());
        editor->close();
        frmScadenzeNuovo::Unload();
    }

    void enterOpensTheRowsEditor_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("row");
        QTest::newRow("deadline") << 0 << "Invoice 118";
        QTest::newRow("cash-book movement") << 1 << "Stationery";
    }
    void enterOpensTheRowsEditor()
    {
        QFETCH(int, view);
        QFETCH(QString, row);
        MainWindowFixture f;
        frmMain *w = f.load();
        switchView(w, view);
        QVERIFY(selectRow(w, row) > 0);
        QTest::keyClick(gex(w)->view(), Qt::Key_Return);
        QWidget *editor = view == 1 ? static_cast<QWidget *>(frmPN::Load(w)) : static_cast<QWidget *>(frmScadenze::Load(w));
        QVERIFY(editor->isVisible());
        bool shown = false;
        for (QLineEdit *e : editor->findChildren<QLineEdit *>())
            shown = shown || e->text() == row;
        QVERIFY2(shown, "the editor shows the row's description");
        editor->close();
        frmPN::Unload();
        frmScadenze::Unload();
    }

    // After a save the window shows the saved row: the list read again, the day bold in the calendar, the row
    // in the side list of the selected day, and the saved row current.
    void aSavedRowIsShown_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("row");   // "" a new deadline
        QTest::newRow("deadline edited") << 0 << "Invoice 121";
        QTest::newRow("cash-book movement edited") << 1 << "Stationery";
        QTest::newRow("new deadline") << 0 << "";
    }
    void aSavedRowIsShown()
    {
        QFETCH(int, view);
        QFETCH(QString, row);
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        switchView(w, view);
        const QDate day(2025, 3, 18);   // no row that day
        QTest::mouseClick(mv(w), Qt::LeftButton, {}, mv(w)->cellRect(day).center());
        QCOMPARE(mv(w)->selStart(), day);
        QVERIFY(!mv(w)->dayBold(day));
        QCOMPARE(gextasks(w)->recordCount(), 0);
        const QString saved = QStringLiteral("Saved on the 18th");
        int id = 0;
        if (row.isEmpty()) {
            menuItem(w, "mnuRecord0")->trigger();
            frmScadenzeNuovo *e = frmScadenzeNuovo::instance();
            QVERIFY(e);
            e->datData[0]->setDate(day);
            e->txtData[0]->setText(saved);
            e->cmdSalva->click();
            QVERIFY(!frmScadenzeNuovo::instance());
        } else {
            QVERIFY(selectRow(w, row) > 0);
            id = gex(w)->rowData(gex(w)->row()).value(QStringLiteral("TrRowId")).toInt();
            QTest::keyClick(gex(w)->view(), Qt::Key_Return);
            frmRowEditor *e = view == 1 ? static_cast<frmRowEditor *>(frmPN::instance()) : frmScadenze::instance();
            QVERIFY(e);
            e->datData->setDate(day);
            e->txtData[0]->setText(saved);
            e->cmdSalva->click();
            QVERIFY(!frmPN::instance() && !frmScadenze::instance());
        }
        QVERIFY(mv(w)->dayBold(day));
        QCOMPARE(gextasks(w)->recordCount(), 1);
        QCOMPARE(gextasks(w)->rowData(1).text(1), saved);
        if (id != 0)
            QCOMPARE(gex(w)->rowData(gex(w)->row()).value(QStringLiteral("TrRowId")).toInt(), id);
        QVERIFY(selectRow(w, saved) > 0);
    }

    void spaceDoesNothingInTheCashBook()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        switchView(w, 1);
        QVERIFY(selectRow(w, QStringLiteral("Stationery")) > 0);
        QTest::keyClick(gex(w)->view(), Qt::Key_Space);
        QCOMPARE(count(f.dbFile, QStringLiteral("TrDescription='Stationery' AND TrDone=True")), 1);
    }

    void openAttachmentFromTheRowMenu_data()
    {
        QTest::addColumn<QString>("attached");   // NULL; FILE: a document of the user's; GONE: a copy not there
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<int>("message");
        QTest::newRow("no attachment") << "NULL" << false << false << 0;
        QTest::newRow("an empty name") << "" << false << false << 0;
        QTest::newRow("blanks") << "   " << false << false << 0;
        QTest::newRow("a document") << "FILE" << true << true << 0;
        QTest::newRow("a copy that is gone") << "GONE" << true << false << 2040;
    }
    void openAttachmentFromTheRowMenu()
    {
        QFETCH(QString, attached);
        QFETCH(bool, enabled);
        QFETCH(bool, opened);
        QFETCH(int, message);
        MainWindowFixture f;
        static QStringList s_opened;
        s_opened.clear();
        platform::setOpenHandler([](const QString &p) {
            s_opened << p;
            return true;
        });
        const QString document = f.box->home() + QStringLiteral("/bill.pdf");
        QFile(document).open(QIODevice::WriteOnly);
        const QString stored = attached == QLatin1String("NULL")   ? QStringLiteral("NULL")
                               : attached == QLatin1String("FILE") ? QStringLiteral("'%1'").arg(document)
                               : attached == QLatin1String("GONE") ? QStringLiteral("'2024030514030927.pdf'")
                                                                   : QStringLiteral("'%1'").arg(attached);
        {
            platform::Connection cn;
            cn.Open(testenv::connectionString(f.dbFile));
            cn.Execute(QStringLiteral("UPDATE Transactions SET TrAttached = %1 WHERE TrDescription = 'Invoice 118'").arg(stored));
        }
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const int row = selectRow(w, QStringLiteral("Invoice 118"));
        QVERIFY(row > 0);
        // The row menu, opened as the user opens it.
        const QRect cell = gex(w)->view()->visualRect(gex(w)->model()->index(row - 1, 2));
        QTest::mouseClick(gex(w)->view()->viewport(), Qt::RightButton, {}, cell.center());
        QVERIFY(control<QMenu>(w, "PopUp1")->isVisible());
        QCOMPARE(menuItem(w, "mnuPopup7")->isEnabled(), enabled);
        control<QMenu>(w, "PopUp1")->close();
        if (!enabled)
            return;
        menuItem(w, "mnuPopup7")->trigger();
        QCOMPARE(s_opened, opened ? QStringList{document} : QStringList());
        if (message)
            QCOMPARE(f.box->requests().last().text, LRSV(message, Adb->attachedPath() + QStringLiteral("2024030514030927.pdf")));
        else
            QVERIFY(f.box->requests().isEmpty());
    }

    void userTextShownAsWritten()
    {
        MainWindowFixture f;
        const QString sheet = QStringLiteral("<b>Big</b> & Co");
        const QString notes = QStringLiteral("<i>call</i> <a href=\"x\">back</a>");
        {
            platform::Connection cn;
            cn.Open(testenv::connectionString(f.dbFile));
            cn.Execute(QStringLiteral("UPDATE Dbs SET DbName = '%1' WHERE DbId = 1").arg(sheet));
            cn.Execute(QStringLiteral("UPDATE Transactions SET TrNotes = '%1' WHERE TrDescription = 'Invoice 118'").arg(notes));
        }
        Sheet->setId(1);
        frmMain *w = f.load();
        QVERIFY(selectRow(w, QStringLiteral("Invoice 118")) > 0);
        w->interfaceUpdate();
        for (QLabel *label : {label(w, "lblTitle"), label(w, "lblDeadlineNotes"), label(w, "sbPanel2")}) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        QCOMPARE(label(w, "lblTitle")->text(), sheet);
        // The pane shows what fits of the note, the tooltip all of it: both as written.
        QVERIFY(label(w, "lblDeadlineNotes")->text().startsWith(QStringLiteral("<i>call</i>")));
        QCOMPARE(QTextDocumentFragment::fromHtml(label(w, "lblDeadlineNotes")->toolTip()).toPlainText(), notes);
    }
};

QTEST_MAIN(tst_RecordUi)
#include "tst_recordui.moc"
