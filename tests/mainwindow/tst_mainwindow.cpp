// The main window driven through its controls: views and filters, the calendar's days and the side list,
// bold days after a data change, the search box, the saved view state, the language switch through its
// menu (Qt's own texts included), menus and toolbars as drawn and named, the notes pane, the navigator and
// the empty rows of the list, help.

#include "MainWindowFixture.h"

#include "foundation/Icons.h"
#include "foundation/SettingsKeys.h"
#include "foundation/TaggedActions.h"
#include "foundation/Twips.h"
#include "foundation/cLang.h"
#include "foundation/comRegistry.h"
#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridView.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/grid/GridColumn.h"
#include <QHeaderView>
#include "platform/Clock.h"
#include "platform/controls/MonthView.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/shell/Shell.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QPushButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolBar>
#include <QToolButton>

namespace {

QStringList sideList(frmMain *w)
{
    QStringList out;
    for (int r = 1; r <= gextasks(w)->rowCount(); ++r)
        out << gextasks(w)->rowData(r).text(1);
    return out;
}

void clickDay(frmMain *w, const QDate &d, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::mouseClick(mv(w), Qt::LeftButton, mods, mv(w)->cellRect(d).center());
}

QString g_helpFile;
int g_helpContext = 0;

// Chooses an item of a menu with the mouse, as a user does.
QList<int> checkedLanguages(frmMain *w)
{
    QList<int> checked;
    const QList<QAction *> items = control<QMenu>(w, "mnuLangs")->actions();
    for (int i = 0; i < items.size(); ++i)
        if (items[i]->isChecked())
            checked << i;
    return checked;
}

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(widget);
    return a ? a->text(QAccessible::Name) : QString();
}

QImage pictureOf(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void firstRunDefaults()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        QCOMPARE(w->viewState().curView, 0);
        QCOMPARE(w->viewState().curFilterIndex, 0);
        QCOMPARE(w->viewState().curFilterPnIndex, 0);
        QCOMPARE(w->viewState().curGroupIndex, 0);
        QCOMPARE(w->viewState().curGroupPnIndex, 0);
        QCOMPARE(w->viewState().curDateSorting, 1);
        QCOMPARE(w->viewState().curDatePnSorting, -1);
        QCOMPARE(cmbFilter(w)->count(), 6);
        QCOMPARE(cmbFilter(w)->itemText(0), QStringLiteral(" All Deadlines"));
        QCOMPARE(cmbGroup(w)->itemText(4), QStringLiteral(" Group by Income/Expense Count"));
        QCOMPARE(label(w, "lblCalTitle")->text(), QStringLiteral("Open Deadlines Calendar"));
        QCOMPARE(w->helpContext(), 2);
    }

    void defaultCounts_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("English") << 3 << QStringList{QStringLiteral("Bank"), QStringLiteral("Cash")};
        QTest::newRow("Italian") << 6 << QStringList{QStringLiteral("Banca"), QStringLiteral("Cassa Contanti")};
    }
    void defaultCounts()
    {
        QFETCH(int, language);
        QFETCH(QStringList, names);
        MainWindowFixture f(false, QLocale(QLocale::English, QLocale::UnitedStates), language);
        f.load();
        platform::Recordset rs;
        rs.Open(QStringLiteral("SELECT CnName FROM Counts ORDER BY CnId"), testenv::connectionString(f.dbFile));
        QStringList got;
        for (; !rs.EOF(); rs.MoveNext())
            got << rs.value(0).toString();
        QCOMPARE(got, names);
        // A second load leaves a filled table alone.
        f.unload();
        f.load();
        rs.Requery();
        QCOMPARE(rs.RecordCount(), 2);
    }

    void viewSwitchAndFiltersKeepTheirOwnState()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        chooseItem(cmbFilter(w), 2);
        QCOMPARE(w->viewState().curFilterIndex, 2);
        menuItem(w, "mnuView1")->trigger();
        QCOMPARE(w->viewState().curView, 1);
        QCOMPARE(cmbFilter(w)->itemText(0), QStringLiteral(" All Rows"));
        QCOMPARE(cmbFilter(w)->currentIndex(), 0);
        QCOMPARE(label(w, "lblCalTitle")->text(), QStringLiteral("Incomes / Expenses Calendar"));
        QCOMPARE(w->helpContext(), 9);
        chooseItem(cmbFilter(w), 3);
        QCOMPARE(w->viewState().curFilterPnIndex, 3);
        QCOMPARE(w->viewState().curFilterIndex, 2);
        menuItem(w, "mnuView0")->trigger();
        QCOMPARE(cmbFilter(w)->currentIndex(), 2);
        QVERIFY(gex(w)->recordSource().endsWith(QStringLiteral("(IsPN=False AND TrDone=False)")));
        // A filter the list reports as picked while the view switch fills it (the design's lists do, Qt's do
        // not) does nothing.
        QComboBox *filter = cmbFilter(w);
        bool picked = false;
        const QMetaObject::Connection duringFill = QObject::connect(filter, &QComboBox::currentIndexChanged, w, [&] {
            if (!picked) {
                picked = true;
                emit filter->activated(filter->currentIndex());
            }
        });
        switchView(w, 0);
        QObject::disconnect(duringFill);
        QVERIFY(picked);
        QCOMPARE(w->viewState().curFilterIndex, 2);
        QCOMPARE(filter->currentIndex(), 2);
    }

    void stateWrittenAtUnloadAndReadBack()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        menuItem(w, "mnuView1")->trigger();
        chooseItem(cmbFilter(w), 3);
        chooseItem(cmbGroup(w), 2);
        clickHeader(w, QStringLiteral("Date"));   // cash book: newest first becomes oldest first
        f.unload();
        const QString key = QLatin1String(SettingsKey);
        QCOMPARE(RegRead(4, QStringLiteral("viewKey"), key).toInt(), 1);
        QCOMPARE(RegRead(4, QStringLiteral("curFilterPnIndexKey"), key).toInt(), 3);
        QCOMPARE(RegRead(4, QStringLiteral("curGroupPnIndexKey"), key).toInt(), 2);
        QCOMPARE(RegRead(4, QStringLiteral("curFilterIndexKey"), key).toInt(), 0);
        QCOMPARE(RegRead(4, QStringLiteral("curDatePnSortingKey"), key).toInt(), 1);
        w = f.load();
        QCOMPARE(w->viewState().curView, 1);
        QCOMPARE(cmbFilter(w)->currentIndex(), 3);
        QCOMPARE(cmbGroup(w)->currentIndex(), 2);
        QCOMPARE(w->viewState().curDatePnSorting, 1);
    }

    // A view-state value edited by hand, out of its range or of another kind, loads as its default.
    void viewStateOutOfRangeOrOfAnotherKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("view as text") << "viewKey" << QVariant(QStringLiteral("1")) << 0;
        QTest::newRow("filter out of range") << "curFilterIndexKey" << QVariant(6) << 0;
        QTest::newRow("cash filter as a word") << "curFilterPnIndexKey" << QVariant(QStringLiteral("abc")) << 0;
        QTest::newRow("cash grouping in range") << "curGroupPnIndexKey" << QVariant(4) << 4;
        QTest::newRow("sort as bytes") << "curDateSortingKey" << QVariant(QByteArray("\x01")) << 1;
        QTest::newRow("cash sort as text") << "curDatePnSortingKey" << QVariant(QStringLiteral("1")) << -1;
    }
    void viewStateOutOfRangeOrOfAnotherKind()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, stored);
        QFETCH(int, expected);
        MainWindowFixture f;
        const QString key = QLatin1String(SettingsKey);
        const int kind = stored.typeId() == QMetaType::Int          ? 4
                         : stored.typeId() == QMetaType::QByteArray ? 3
                                                                    : 1;
        RegWrite(kind, name, key, stored);
        frmMain *w = f.load();
        const QHash<QString, int> fields = {
            {QStringLiteral("viewKey"), w->viewState().curView},
            {QStringLiteral("curFilterIndexKey"), w->viewState().curFilterIndex},
            {QStringLiteral("curFilterPnIndexKey"), w->viewState().curFilterPnIndex},
            {QStringLiteral("curGroupIndexKey"), w->viewState().curGroupIndex},
            {QStringLiteral("curGroupPnIndexKey"), w->viewState().curGroupPnIndex},
            {QStringLiteral("curDateSortingKey"), w->viewState().curDateSorting},
            {QStringLiteral("curDatePnSortingKey"), w->viewState().curDatePnSorting},
        };
        QCOMPARE(fields.value(name, -999), expected);
        f.unload();
        QCOMPARE(RegRead(4, name, key).toInt(), expected);
    }

    void calendarSelectionFillsTheSideList()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        // One day: the meeting of today.
        clickDay(w, QDate(2025, 3, 15));
        QCOMPARE(sideList(w), QStringList{QStringLiteral("Meeting with accountant")});
        // A range, newest first; the series row with its counter.
        clickDay(w, QDate(2025, 3, 1));
        clickDay(w, QDate(2025, 3, 16), Qt::ShiftModifier);
        QCOMPARE(sideList(w), (QStringList{QStringLiteral("Electricity bill"), QStringLiteral("Meeting with accountant"),
                                           QStringLiteral("Invoice 118"), QStringLiteral("Rent 3/6")}));
        // The current month link; the today link reloads even when nothing changed.
        QTest::mouseClick(control<QToolButton>(w, "imgMese"), Qt::LeftButton);
        QCOMPARE(mv(w)->selStart(), QDate(2025, 3, 1));
        QCOMPARE(mv(w)->selEnd(), QDate(2025, 3, 31));
        QCOMPARE(sideList(w).size(), 4);
        QTest::mouseClick(label(w, "lblOggi"), Qt::LeftButton);
        QCOMPARE(sideList(w).size(), 1);
        // Clicking a side row moves the main grid to it.
        GridView *side = gextasks(w)->view();
        QTest::mouseClick(side->viewport(), Qt::LeftButton, {},
                          side->visualRect(gextasks(w)->model()->index(0, 0)).center());
        QCOMPARE(gex(w)->rowData(gex(w)->row()).value(QStringLiteral("TrDescription")).toString(),
                 QStringLiteral("Meeting with accountant"));
        // The cash-book view lists its own rows for the days.
        switchView(w, 1);
        clickDay(w, QDate(2025, 3, 12));
        QCOMPARE(sideList(w), QStringList{QStringLiteral("Sale at the counter")});
    }

    void boldDaysFollowTheData()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(mv(w)->dayBold(QDate(2025, 3, 15)));    // an open appointment
        QVERIFY(!mv(w)->dayBold(QDate(2025, 3, 13)));   // only a closed one
        QVERIFY(!mv(w)->dayBold(QDate(2025, 3, 14)));
        platform::Connection cn;
        cn.Open(testenv::connectionString(f.dbFile));
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDescription, TrDate, TrDone ) "
                                  "SELECT 1, -2, 'New', #03/14/2025#, False"));
        cn.Execute(QStringLiteral("UPDATE Transactions SET TrDone = True WHERE TrDescription='Meeting with accountant'"));
        cn.Close();
        w->mvUpdate();
        QVERIFY(mv(w)->dayBold(QDate(2025, 3, 14)));
        QVERIFY(!mv(w)->dayBold(QDate(2025, 3, 15)));
        // Cash book with closed credits and debits counted: the closed meeting is an appointment, not bold.
        switchView(w, 1);
        QVERIFY(mv(w)->dayBold(QDate(2025, 3, 12)));    // a movement
        QVERIFY(!mv(w)->dayBold(QDate(2025, 3, 15)));
        QVERIFY(!mv(w)->dayBold(QDate(2025, 3, 16)));   // an open debit
        cn.Open(testenv::connectionString(f.dbFile));
        cn.Execute(QStringLiteral("UPDATE Transactions SET TrDone = True WHERE TrDescription='Electricity bill'"));
        cn.Close();
        w->mvUpdate();
        QVERIFY(mv(w)->dayBold(QDate(2025, 3, 16)));    // closed, it counts as a movement
        Env->DebitCreditToPN = false;
        w->mvUpdate();
        QVERIFY(!mv(w)->dayBold(QDate(2025, 3, 16)));
        QVERIFY(mv(w)->dayBold(QDate(2025, 3, 12)));
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("activeIcon");
        QTest::newRow("a word in descriptions") << "invoice" << 3 << true;
        QTest::newRow("an account name") << "studio" << 7 << true;
        QTest::newRow("an apostrophe") << "o'brien" << 1 << true;
        QTest::newRow("one character does not filter") << " x " << 14 << true;
        QTest::newRow("wildcards match themselves") << "*" << 14 << true;
        QTest::newRow("two wildcards") << "**" << 0 << true;
        QTest::newRow("nothing matches") << "zzzz" << 0 << true;
        QTest::newRow("empty") << "" << 14 << false;
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(int, records);
        QFETCH(bool, activeIcon);
        MainWindowFixture f;
        frmMain *w = f.load();
        QCOMPARE(gex(w)->recordCount(), 14);
        QTest::keyClicks(txtFind(w), text);
        QCOMPARE(gex(w)->recordCount(), records);
        QCOMPARE(label(w, "txtNoRecs")->isVisibleTo(w), records == 0);
        if (records == 0) {
            QCOMPARE(label(w, "txtNoRecs")->text(), QStringLiteral("No Records for the selected filter"));
            QVERIFY(!menuItem(w, "mnuRecord1")->isEnabled());
            QVERIFY(!menuItem(w, "mnuRecord2")->isEnabled());
        }
        QCOMPARE(pictureOf(control<QToolButton>(w, "imgSearch")->icon()),
                 pictureOf(Icons::searchImageList().value(activeIcon ? 1 : 0)));
        // A refresh empties the box and shows every row again.
        toolbarButton(w, 3)->trigger();
        QVERIFY(txtFind(w)->text().isEmpty());
        QCOMPARE(gex(w)->recordCount(), 14);
    }

    // Key by key, forwards and back, and a text replaced by another: each step lists what a search for
    // that text lists on its own.
    void searchKeyByKey()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        auto alone = [&](const QString &text) {
            platform::Recordset rs;
            rs.Open(gex(w)->recordSource(), Adb->dcs());
            if (text.trimmed().size() >= 2)
                rs.setFilter(QStringLiteral("TrDescription LIKE '*%1*' OR AcName LIKE '*%1*'")
                                 .arg(QString(text.trimmed()).replace(QLatin1Char('\''), QStringLiteral("''"))));
            return rs.RecordCount();
        };
        txtFind(w)->setFocus();
        for (const QString &step : {QStringLiteral("r"), QStringLiteral("re"), QStringLiteral("ren"),
                                    QStringLiteral("rent"), QStringLiteral("rent ")}) {
            QTest::keyClick(txtFind(w), step.back().toLatin1());
            QCOMPARE(txtFind(w)->text(), step);
            QCOMPARE(gex(w)->recordCount(), alone(step));
        }
        while (!txtFind(w)->text().isEmpty()) {
            QTest::keyClick(txtFind(w), Qt::Key_Backspace);
            QCOMPARE(gex(w)->recordCount(), alone(txtFind(w)->text()));
        }
        QTest::keyClicks(txtFind(w), QStringLiteral("invoice"));
        QVERIFY(gex(w)->recordCount() > 0);
        txtFind(w)->selectAll();
        QTest::keyClicks(txtFind(w), QStringLiteral("studio"));
        QCOMPARE(txtFind(w)->text(), QStringLiteral("studio"));
        QCOMPARE(gex(w)->recordCount(), alone(QStringLiteral("studio")));
        QVERIFY(gex(w)->recordCount() > 0);
    }

    void emptyTexts()
    {
        MainWindowFixture f(false);
        frmMain *w = f.load();
        const QString emptySheet = QStringLiteral("Click on \"New\" button to insert a new Record");
        const QString emptyFilter = QStringLiteral("No Records for the selected filter");
        QVERIFY(label(w, "txtNoRecs")->isVisibleTo(w));
        QCOMPARE(label(w, "txtNoRecs")->text(), emptySheet);
        auto insert = [&](int sheet, bool cash) {
            platform::Connection cn;
            cn.Open(testenv::connectionString(f.dbFile));
            cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDescription, TrDate, TrDone, IsPN ) "
                                      "SELECT %1, 1, 'Sale', #03/14/2025#, True, %2")
                           .arg(sheet).arg(cash ? QStringLiteral("True") : QStringLiteral("False")));
            cn.Close();
            w->gexUpdate();
        };
        // Rows of another sheet do not count, nor does a search in the empty list.
        insert(2, false);
        QCOMPARE(label(w, "txtNoRecs")->text(), emptySheet);
        QTest::keyClicks(txtFind(w), QStringLiteral("zq"));
        QCOMPARE(label(w, "txtNoRecs")->text(), emptySheet);
        // Rows only in the cash book: the deadlines view says the filter holds none, with a search too.
        insert(1, true);
        QCOMPARE(label(w, "txtNoRecs")->text(), emptyFilter);
        QVERIFY(!menuItem(w, "mnuRecord1")->isEnabled());
        QTest::keyClicks(txtFind(w), QStringLiteral("zq"));
        QCOMPARE(label(w, "txtNoRecs")->text(), emptyFilter);
    }

    void languageSwitch()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        chooseItem(cmbFilter(w), 2);
        QCOMPARE(control<QMenu>(w, "mnuFile")->menuAction()->text(), QStringLiteral("&File"));
        w->show();
        QMenu *languages = menuItem(w, "mnuTools0")->menu();
        chooseFromMenu(languages, menuItem(w, "mnuLangs6"));
        QCOMPARE(Lang->AppLanguageId(), 6);
        QCOMPARE(cmbFilter(w)->itemText(2), QStringLiteral(" Scadenze aperte"));
        QCOMPARE(cmbFilter(w)->currentIndex(), 2);
        QCOMPARE(label(w, "lblOggi")->text(), QStringLiteral("Oggi"));
        QCOMPARE(gex(w)->column(QStringLiteral("TrDate"))->caption(), QStringLiteral("Data"));
        QCOMPARE(checkedLanguages(w), QList<int>{6});
        // The language names stay as they are; "Automatic" is translated.
        QCOMPARE(menuItem(w, "mnuLangs4")->text(), QStringLiteral("Español"));
        QCOMPARE(menuItem(w, "mnuLangs0")->text(), LRS(505));
        // Choosing the current language again does nothing, and its mark stays.
        const QString source = gex(w)->recordSource();
        chooseFromMenu(languages, menuItem(w, "mnuLangs6"));
        QCOMPARE(gex(w)->recordSource(), source);
        QCOMPARE(checkedLanguages(w), QList<int>{6});
    }

    // Qt's own texts (message box and file dialog buttons) follow the language chosen in the menu.
    void qtTextsFollowTheLanguage_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("Italian") << 6 << "&S\u00ec" << "Annulla";
        QTest::newRow("French") << 5 << "&Oui" << "Annuler";
        QTest::newRow("Spanish") << 4 << "&S\u00ed" << "Cancelar";
        QTest::newRow("German") << 2 << "&Ja" << "Abbrechen";
        QTest::newRow("English") << 3 << "&Yes" << "Cancel";
    }
    void qtTextsFollowTheLanguage()
    {
        QFETCH(int, item);
        QFETCH(QString, yes);
        QFETCH(QString, cancel);
        // Start in another language, so that the switch is always a change.
        MainWindowFixture f(true, QLocale(QLocale::English, QLocale::UnitedStates), item == 6 ? 5 : 6);
        frmMain *w = f.load();
        w->show();
        chooseFromMenu(menuItem(w, "mnuTools0")->menu(), menuItem(w, QStringLiteral("mnuLangs%1").arg(item)));
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), yes);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), cancel);
    }

    // Separators are drawn as lines (a separator with a text is drawn as a section title); the picture-
    // only group buttons and the search box carry their names for accessibility tools (and the group
    // buttons for the toolbar's overflow menu).
    void menusAndToolbarsInEveryLanguage_data()
    {
        QTest::addColumn<int>("language");
        for (int id : {6, 3, 5, 4, 2})
            QTest::addRow("language %d", id) << id;
    }
    void menusAndToolbarsInEveryLanguage()
    {
        QFETCH(int, language);
        MainWindowFixture f(true, QLocale(QLocale::English, QLocale::UnitedStates), language);
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QList<QMenu *> menus = w->findChildren<QMenu *>();
        QVERIFY(menus.size() >= 7);
        int separators = 0;
        for (QMenu *menu : menus) {
            for (QAction *a : menu->actions()) {
                if (a->isSeparator()) {
                    ++separators;
                    QVERIFY2(a->text().isEmpty(), qPrintable(menu->objectName()));
                } else {
                    QVERIFY2(!a->text().isEmpty() && a->text() != QString::number(TaggedActions::tagOf(a)),
                             qPrintable(a->text()));
                }
            }
        }
        QVERIFY(separators >= 10);
        const QList<QAction *> group = control<QToolBar>(w, "tbGroup")->actions();
        QCOMPARE(group.size(), 2);
        QCOMPARE(accessibleName(control<QToolBar>(w, "tbGroup")->widgetForAction(group[0])), LRS(913));
        QCOMPARE(accessibleName(control<QToolBar>(w, "tbGroup")->widgetForAction(group[1])), LRS(915));
        // The search box, which has no label, is named by its tooltip.
        QCOMPARE(txtFind(w)->toolTip(), LRS(2390));
        QCOMPARE(accessibleName(txtFind(w)), LRS(2390));
        // The picture-only button beside it is named by what it does: into the box, or clear the term.
        auto *searchButton = control<QToolButton>(w, "imgSearch");
        QCOMPARE(accessibleName(searchButton), LRS(2390));
        QTest::keyClicks(txtFind(w), QStringLiteral("zz"));
        QCOMPARE(accessibleName(searchButton), LRS(2392));
        QTest::mouseClick(searchButton, Qt::LeftButton);
        QVERIFY(txtFind(w)->text().isEmpty());
        QCOMPARE(accessibleName(searchButton), LRS(2390));
        // At the window's size as it opens, the list's toolbar has room for both buttons.
        auto *overflow =
            control<QToolBar>(w, "tbGroup")->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"));
        QVERIFY(!overflow || !overflow->isVisible());
        QVERIFY(control<QToolBar>(w, "tbGroup")->widgetForAction(group[1])->isVisible());
    }

    void boldDaysFollowAnotherSheet()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        QVERIFY(mv(w)->dayBold(QDate(2025, 3, 15)));
        // The data-sheets manager makes sheet 2 current and rebuilds the window.
        Sheet->setId(2);
        w->InitEnvironment();
        w->Localize();
        w->SetInterfaceOnCurrentView();
        w->gexUpdate();
        QVERIFY(!mv(w)->dayBold(QDate(2025, 3, 1)));
        QVERIFY(mv(w)->dayBold(QDate(2025, 3, 15)));   // the other sheet's open credit
        QCOMPARE(gex(w)->recordCount(), 1);
        QCOMPARE(label(w, "lblTitle")->text(), QStringLiteral("Second sheet"));
    }

    void unusualLanguageIdsLoad_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("checkedItem");
        QTest::newRow("1, English by another id") << 1 << 3;
        QTest::newRow("77, not a language") << 77 << 3;
        QTest::newRow("-4, not a language") << -4 << 3;
        QTest::newRow("automatic") << 0 << 0;
    }
    void unusualLanguageIdsLoad()
    {
        QFETCH(int, language);
        QFETCH(int, checkedItem);
        MainWindowFixture f(true, QLocale(QLocale::English, QLocale::UnitedStates), language);
        frmMain *w = f.load();
        w->show();
        QCOMPARE(control<QMenu>(w, "mnuFile")->menuAction()->text(), QStringLiteral("&File"));
        // The language in use is checked, whatever id chose it.
        QCOMPARE(checkedLanguages(w), QList<int>{checkedItem});
        chooseFromMenu(menuItem(w, "mnuTools0")->menu(), menuItem(w, "mnuLangs2"));
        QCOMPARE(control<QMenu>(w, "mnuFile")->menuAction()->text(), QStringLiteral("&Datei"));
        QCOMPARE(checkedLanguages(w), QList<int>{2});
    }

    void helpOpensAtTheViewsTopic()
    {
        MainWindowFixture f;
        platform::setHelpHandler([](const QString &file, int context) {
            g_helpFile = file;
            g_helpContext = context;
        });
        frmMain *w = f.load();
        w->show();
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(g_helpContext, 2);
        QVERIFY(g_helpFile.endsWith(QStringLiteral("en_help.html")));
        switchView(w, 1);
        toolbarButton(w, 8)->trigger();
        QCOMPARE(g_helpContext, 9);
    }

    // F1 always answers: a page that cannot be shown is told, whatever failed. The desktop's opener
    // (xdg-open, here a stand-in first on the PATH) may find no program to show the page, or one that fails;
    // it is told once the opener has ended.
    void helpThatCannotOpenIsTold_data()
    {
        QTest::addColumn<bool>("pageThere");
        QTest::addColumn<int>("openerExit");   // -1: no opener at all, the open handler answers "nothing"
        QTest::addColumn<QString>("message");  // "" nothing is told
        const QString noBrowser = QStringLiteral("The help page %1 cannot be opened: no web browser is installed to show it.");
        QTest::newRow("nothing to open it") << true << -1 << noBrowser;
        QTest::newRow("no help page") << false << -1 << "The help page %1 cannot be found.";
        QTest::newRow("xdg-open without a browser") << true << 3 << noBrowser;
        QTest::newRow("the browser fails") << true << 4
                                            << "The help page %1 cannot be opened: the program that was to show it could not open it.";
        QTest::newRow("shown") << true << 0 << "";
    }
    void helpThatCannotOpenIsTold()
    {
        QFETCH(bool, pageThere);
        QFETCH(int, openerExit);
        QFETCH(QString, message);
        MainWindowFixture f;
        platform::setHelpHandler(nullptr);
        platform::setOpenHandler([](const QString &) { return false; });
        const QByteArray path = qgetenv("PATH");
        const auto restorePath = qScopeGuard([path] { qputenv("PATH", path); });
        const QString opened = f.box->root() + QStringLiteral("/opened");
        if (openerExit >= 0) {
            platform::setOpenHandler(nullptr);
            const QString bin = f.box->root() + QStringLiteral("/bin");
            QDir().mkpath(bin);
            QFile opener(bin + QStringLiteral("/xdg-open"));
            QVERIFY(opener.open(QIODevice::WriteOnly));
            opener.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\necho 'xdg-open: no method available' >&2\nexit %2\n")
                             .arg(opened)
                             .arg(openerExit)
                             .toUtf8());
            opener.close();
            opener.setPermissions(opener.permissions() | QFile::ExeOwner);
            qputenv("PATH", QFile::encodeName(bin) + ':' + path);
        }
        if (!pageThere)
            QVERIFY(QFile::remove(Lang->helpFile()));
        frmMain *w = f.load();
        w->show();
        QTest::keyClick(w, Qt::Key_F1);
        if (openerExit >= 0) {
            // The opener was handed the page at the view's topic, and has ended.
            for (QProcess *p : qApp->findChildren<QProcess *>())
                p->waitForFinished();
            QCoreApplication::processEvents();
            QFile asked(opened);
            QVERIFY(asked.open(QIODevice::ReadOnly));
            QCOMPARE(QUrl(QString::fromUtf8(asked.readAll())),
                     QUrl(QUrl::fromLocalFile(Lang->helpFile()).toString() + QStringLiteral("#context-2")));
        }
        const auto &told = f.box->requests();
        QCOMPARE(told.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(told[0].text, message.arg(QDir::toNativeSeparators(Lang->helpFile())));
    }

    // The side list's one column fills the list, as it opens and as the window is resized.
    void sideListColumnFillsTheList()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCoreApplication::processEvents();
        auto columnWidth = [w] { return TwipsToPixels(gextasks(w)->column(1)->width()); };
        const int viewport = gextasks(w)->view()->viewport()->width();
        QVERIFY(viewport > 150);
        QVERIFY(qAbs(columnWidth() - viewport) <= 1);
        w->resize(w->width() + 300, w->height() + 200);
        w->Form_Resize();
        QCoreApplication::processEvents();
        QVERIFY(qAbs(columnWidth() - gextasks(w)->view()->viewport()->width()) <= 1);
    }

    // The notes pane shows the notes of a record and nothing on a group row; it keeps its height
    // whatever the notes hold, and so does the grid; the record navigator counts the rows.
    void notesPaneAndNavigator()
    {
        MainWindowFixture f;
        const QString notes = QStringLiteral("First line of the notes\nSecond line\nThird line\n")
                              + QString(40, QLatin1Char('w')).replace(QStringLiteral("w"), QStringLiteral("word "));
        platform::Connection cn;
        cn.Open(testenv::connectionString(f.dbFile));
        cn.Execute(QStringLiteral("UPDATE Transactions SET TrNotes='%1' WHERE TrDescription='Rent'").arg(notes));
        cn.Close();
        platform::Recordset rs;
        rs.Open(QStringLiteral("SELECT Min(TrRowId) AS Id FROM Transactions WHERE TrDescription='Rent' AND TrDbId=1"),
                testenv::connectionString(f.dbFile));
        const int rentId = rs.value(QStringLiteral("Id")).toInt();
        rs.Close();
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCoreApplication::processEvents();
        QVERIFY(gex(w)->navigatorVisible());

        gex(w)->setRow(1);   // the title group
        QVERIFY(gex(w)->rowData(1).isGroupHeader());
        QVERIFY(label(w, "lblDeadlineNotes")->text().isEmpty());
        QVERIFY(label(w, "lblAccNotes")->text().isEmpty());
        QCOMPARE(gex(w)->navigatorText(), QStringLiteral("row 1 of %1").arg(gex(w)->rowCount()));

        const int paneHeight = label(w, "lblDeadlineNotes")->parentWidget()->height();
        const int gridHeight = gex(w)->height();
        w->gexFind(rentId);
        QVERIFY(gex(w)->rowData(gex(w)->row()).isRecord());
        QCoreApplication::processEvents();
        QCOMPARE(QTextDocumentFragment::fromHtml(label(w, "lblDeadlineNotes")->toolTip()).toPlainText(), notes);
        const QStringList shown = label(w, "lblDeadlineNotes")->text().split(QLatin1Char('\n'));
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0], QStringLiteral("First line of the notes"));
        QVERIFY(shown[1].startsWith(QStringLiteral("Second line")));
        QVERIFY(shown[1].endsWith(QChar(0x2026)));
        QCOMPARE(label(w, "lblDeadlineNotes")->parentWidget()->height(), paneHeight);
        QCOMPARE(gex(w)->height(), gridHeight);
        QCOMPARE(gex(w)->navigatorText(), QStringLiteral("row %1 of %2").arg(gex(w)->row()).arg(gex(w)->rowCount()));
    }

    // Empty rows are drawn under the last row (their grid lines), with or without the Id column.
    void emptyRowsUnderTheLastRow_data()
    {
        QTest::addColumn<bool>("showId");
        QTest::newRow("Id column shown") << true;
        QTest::newRow("Id column hidden") << false;
    }
    void emptyRowsUnderTheLastRow()
    {
        QFETCH(bool, showId);
        MainWindowFixture f;
        Env->DeadlinesShowId = showId;
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTest::keyClicks(txtFind(w), QStringLiteral("invoice"));
        QCoreApplication::processEvents();
        QWidget *viewport = gex(w)->view()->viewport();
        int shown = 0;
        while (gex(w)->view()->header()->isSectionHidden(shown))
            ++shown;
        const QRect last = gex(w)->view()->visualRect(gex(w)->model()->index(gex(w)->rowCount() - 1, shown));
        QVERIFY(last.isValid());
        const QImage picture = viewport->grab().toImage();
        int lines = 0;
        const int x = viewport->width() / 2;
        for (int y = last.bottom() + 4; y < picture.height(); ++y)
            lines += picture.pixelColor(x, y) == QColor(192, 192, 192) ? 1 : 0;
        QVERIFY2(lines >= 3, qPrintable(QString::number(lines)));
    }

    void minimumSizeAndCalendarColumns()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->resize(400, 300);
        QCoreApplication::processEvents();
        QVERIFY(w->width() >= w->minimumWidth());
        // The fixed minimum height; the width is bound by this 800-pixel screen (tst_screenfit).
        QVERIFY(w->minimumHeight() > 700);
        Env->CalendarVariableColumns = false;
        w->Form_Resize();
        QCOMPARE(mv(w)->monthColumns(), 1);
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
