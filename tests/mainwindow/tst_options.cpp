// The preferences dialog driven through its controls over a loaded main window: each preference reaches the
// settings object and the rebuilt main window, the start-with-the-system box creates and removes the
// autostart entry, Cancel changes nothing, the days field.

#include "MainWindowFixture.h"
#include "../editors/ModalSteps.h"

#include "foundation/SettingsKeys.h"
#include "foundation/comRegistry.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/grid/ListGrid.h"
#include "mainwindow/frmOptions.h"
#include "platform/controls/MonthView.h"
#include "platform/registry/Autostart.h"
#include "platform/shell/Shell.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

int g_helpContext = 0;

bool hasAutostartEntry()
{
    return !platform::registry::autostart::entryFiles(QLatin1String(ProductTitle)).isEmpty();
}

void click(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(8, b->height() / 2));
}

// The first rent row of the main grid as it shows it.
QString firstRent(frmMain *w)
{
    for (int r = 1; r <= gex(w)->rowCount(); ++r) {
        const QString text = gex(w)->rowData(r).text(QStringLiteral("TrDescription"));
        if (text.startsWith(QLatin1String("Rent")))
            return text;
    }
    return QString();
}

} // namespace

class tst_Options : public QObject
{
    Q_OBJECT

private slots:
    void loadShowsThePreferences()
    {
        MainWindowFixture f;
        platform::setHelpHandler([](const QString &, int context) { g_helpContext = context; });
        frmMain *w = f.load();
        Env->DeadlinesShowId = true;
        Env->DebitCreditToPN = false;
        Env->AlertDefaultDays = 7;
        frmOptions dlg(w);
        QObject::connect(&dlg, &frmOptions::preferencesSaved, w, &frmMain::RebuildAfterPreferences);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Preferences"));
        QCOMPARE(dlg.chkData[0]->text(), QStringLiteral("Launch Orvel when starting Windows"));
        QVERIFY(!dlg.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        const bool expected[frmOptions::CheckCount] = {false, true, true, false, true, false, true};
        for (int i = 0; i < frmOptions::CheckCount; ++i)
            QCOMPARE(dlg.chkData[i]->isChecked(), expected[i]);
        QVERIFY(!dlg.chkData[3]->isEnabled());
        QCOMPARE(dlg.txtData->value(), 7);
        QTest::keyClick(&dlg, Qt::Key_F1);
        QCOMPARE(g_helpContext, 23);
    }

    void eachPreferenceSaved_data()
    {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("preference");
        QTest::addColumn<bool>("expected");
        QTest::newRow("show id") << QList<int>{4} << "DeadlinesShowId" << true;
        QTest::newRow("recurring counters") << QList<int>{2} << "DeadlinesShowRecurringCounters" << false;
        QTest::newRow("group totals") << QList<int>{1} << "DeadlinesShowGroupTotals" << false;
        QTest::newRow("closed deadlines in the cash book") << QList<int>{5} << "DebitCreditToPN" << false;
        QTest::newRow("calendar columns") << QList<int>{6} << "CalendarVariableColumns" << false;
        QTest::newRow("notify operations") << QList<int>{0, 3} << "AlertOperations" << true;
        QTest::newRow("notify is disabled without start") << QList<int>{3} << "AlertOperations" << false;
    }
    void eachPreferenceSaved()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(QString, preference);
        QFETCH(bool, expected);
        MainWindowFixture f;
        frmOptions dlg(f.load());
        dlg.show();
        for (int i : clicks)
            click(dlg.chkData[i]);
        click(dlg.cmdSalva);
        QVERIFY(dlg.isHidden());
        // In memory now, in the registry at the end of the run.
        Env->Save();
        QCOMPARE(RegRead(4, preference, QLatin1String(SettingsKey), -1).toInt() == 1, expected);
    }

    // The dialog opened as the user opens it, from the View menu or the toolbar: at Save the main window
    // shows the new preferences.
    void mainWindowRebuiltAtSave_data()
    {
        QTest::addColumn<bool>("menu");
        QTest::newRow("View menu") << true;
        QTest::newRow("toolbar") << false;
    }
    void mainWindowRebuiltAtSave()
    {
        QFETCH(bool, menu);
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->resize(2200, 900);
        QCoreApplication::processEvents();
        QVERIFY(firstRent(w).size() > 4);   // with its series counter
        switchView(w, 1);
        QCOMPARE(gex(w)->recordCount(), 6);   // movements and closed credits and debits
        QVERIFY(mv(w)->monthColumns() > 1);
        const auto leftOpen = onModal([](QWidget *modal) {
            auto *dlg = qobject_cast<frmOptions *>(modal);
            QVERIFY(dlg);
            for (int i : {5, 6, 4, 2})
                click(dlg->chkData[i]);
            click(dlg->cmdSalva);
        });
        (menu ? menuItem(w, "mnuView5") : toolbarButton(w, 7))->trigger();
        QVERIFY(!*leftOpen);
        QCOMPARE(gex(w)->recordCount(), 2);
        QCOMPARE(mv(w)->monthColumns(), 1);
        switchView(w, 0);
        QVERIFY(gex(w)->column(QStringLiteral("TrRowId"))->isVisible());
        QCOMPARE(firstRent(w), QStringLiteral("Rent"));
    }

    void startWithTheSystem_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("after");
        QTest::newRow("off to on") << false << true;
        QTest::newRow("on to off") << true << false;
        QTest::newRow("on stays on") << true << true;
        QTest::newRow("off stays off") << false << false;
    }
    void startWithTheSystem()
    {
        QFETCH(bool, before);
        QFETCH(bool, after);
        MainWindowFixture f;
        frmMain *w = f.load();
        Env->setStartOnWindows(before);
        const QStringList entries = platform::registry::autostart::entryFiles(QLatin1String(ProductTitle));
        const QDateTime written = before ? QFileInfo(entries.first()).lastModified() : QDateTime();
        f.box->clearRequests();
        frmOptions dlg(w);
        QObject::connect(&dlg, &frmOptions::preferencesSaved, w, &frmMain::RebuildAfterPreferences);
        if (before != after)
            click(dlg.chkData[0]);
        click(dlg.cmdSalva);
        QCOMPARE(Env->StartOnWindows(), after);
        QCOMPARE(hasAutostartEntry(), after);
        QCOMPARE(RegRead(1, QLatin1String(ProductTitle), QLatin1String(RunKey), QString()).toString().isEmpty(), !after);
        if (before && after)   // nothing new is written
            QCOMPARE(QFileInfo(entries.first()).lastModified(), written);
        // Told that it holds from the next start, each time the box is checked at Save.
        QCOMPARE(f.box->requests().size(), after ? 1 : 0);
        if (after)
            QCOMPARE(f.box->requests().first().text, LRS(1209));
    }

    void autostartEntryThatCannotBeWritten()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        // A file where the autostart folder should be.
        QFile blocker(f.box->home() + QStringLiteral("/.config/autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.box->clearRequests();
        frmOptions dlg(w);
        QObject::connect(&dlg, &frmOptions::preferencesSaved, w, &frmMain::RebuildAfterPreferences);
        click(dlg.chkData[0]);
        click(dlg.chkData[4]);
        click(dlg.cmdSalva);
        QVERIFY(!Env->StartOnWindows());
        QVERIFY(Env->DeadlinesShowId);   // the other preferences are saved and shown
        QVERIFY(gex(w)->column(QStringLiteral("TrRowId"))->isVisible());
        QCOMPARE(f.box->requests().size(), 1);   // the App Error, not the next-start message
        QCOMPARE(f.box->requests().first().title, LRS(1943));
        QVERIFY(f.box->requests().first().text.contains(QLatin1String("frmOptions.cmdSalva_Click")));
    }

    void notifyFollowsTheStartBox()
    {
        MainWindowFixture f;
        Env->setStartOnWindows(true);
        Env->AlertOperations = true;
        frmOptions dlg(f.load());
        QVERIFY(dlg.chkData[3]->isEnabled() && dlg.chkData[3]->isChecked());
        click(dlg.chkData[0]);
        QVERIFY(!dlg.chkData[3]->isEnabled() && !dlg.chkData[3]->isChecked());
        click(dlg.chkData[0]);
        QVERIFY(dlg.chkData[3]->isEnabled() && !dlg.chkData[3]->isChecked());
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }
    void cancelChangesNothing()
    {
        QFETCH(bool, escape);
        MainWindowFixture f;
        frmMain *w = f.load();
        switchView(w, 1);
        const frmOptions::Choices before = frmOptions::ReadChoices(*Env);
        frmOptions dlg(w);
        QObject::connect(&dlg, &frmOptions::preferencesSaved, w, &frmMain::RebuildAfterPreferences);
        dlg.show();
        for (int i : {0, 1, 2, 4, 5, 6})
            click(dlg.chkData[i]);
        dlg.txtData->setValue(40);
        if (escape)
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else
            click(dlg.cmdAnnulla);
        QVERIFY(dlg.isHidden());
        QVERIFY(frmOptions::ReadChoices(*Env) == before);
        QVERIFY(!hasAutostartEntry());
        QCOMPARE(gex(w)->recordCount(), 6);
    }

    void alertDaysTyped_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("days");
        QTest::newRow("typed") << "42" << 42;
        QTest::newRow("letters are not taken") << "4x2" << 42;
        QTest::newRow("a third digit is not taken") << "123" << 12;
        QTest::newRow("left empty keeps the stored days") << "" << 2;
        QTest::newRow("blanks keep the stored days") << "  " << 2;
    }
    void alertDaysTyped()
    {
        QFETCH(QString, keys);
        QFETCH(int, days);
        MainWindowFixture f;
        frmOptions dlg(f.load());
        dlg.show();
        dlg.txtData->setFocus();
        dlg.txtData->selectAll();
        QTest::keyClick(dlg.txtData, Qt::Key_Backspace);
        QTest::keyClicks(dlg.txtData, keys);
        click(dlg.cmdSalva);
        QCOMPARE(int(Env->AlertDefaultDays), days);
    }
};

QTEST_MAIN(tst_Options)
#include "tst_options.moc"
