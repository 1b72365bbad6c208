// The notification-area icon: its codes and events, the balloon and tooltip fields, the tray menu.

#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/clsSysTray.h"
#include "foundation/frmSysTray.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>

class tst_Tray : public QObject
{
    Q_OBJECT

private slots:
    void codesRaiseTheirEvents_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("left up") << 0x202 << QByteArray(SIGNAL(LeftClick()));
        QTest::newRow("right up") << 0x205 << QByteArray(SIGNAL(RightClick()));
        QTest::newRow("double-click") << 0x203 << QByteArray(SIGNAL(DoubleClick()));
        QTest::newRow("balloon hidden") << 0x403 << QByteArray(SIGNAL(BalloonHide()));
        QTest::newRow("balloon timed out") << 0x404 << QByteArray(SIGNAL(BalloonTimeOut()));
        QTest::newRow("balloon clicked") << 0x405 << QByteArray(SIGNAL(BalloonClicked()));
    }
    void codesRaiseTheirEvents()
    {
        QFETCH(int, code);
        QFETCH(QByteArray, signal);
        clsSysTray tray;
        QSignalSpy spy(&tray, signal.constData());
        QSignalSpy any(&tray, SIGNAL(LeftClick()));
        tray.MouseMove(0, code);
        QCOMPARE(spy.count(), 1);
        tray.MouseMove(0, 0x200);   // a plain mouse move raises nothing
        QCOMPARE(spy.count(), 1);
        if (code != 0x202)
            QCOMPARE(any.count(), 0);
    }

    void fieldsAreCut()
    {
        clsSysTray tray;
        tray.ShowBalloonTip(QString(300, QLatin1Char('m')), 1, QString(80, QLatin1Char('t')), 30000);
        QCOMPARE(tray.lastBalloonText().size(), 255);
        QCOMPARE(tray.lastBalloonTitle().size(), 63);
        tray.setTooltipText(QString(200, QLatin1Char('x')));
        QCOMPARE(tray.TooltipText().size(), 200);   // kept whole, shown cut
        QCOMPARE(clsSysTray::fitField(QStringLiteral("short"), 128), QStringLiteral("short"));
    }

    void trayWindow()
    {
        testenv::Sandbox box;
        Lang = new cLang();
        Adb = new cAccessDb();
        Env = new cEnvironment();
        QVERIFY(!Env->IsMinimized());
        frmSysTray *tray = frmSysTray::Load();
        QSignalSpy shown(tray, &frmSysTray::showMainRequested);
        QSignalSpy exit(tray, &frmSysTray::exitRequested);
        QVERIFY(Env->IsMinimized());
        const QList<QAction *> items = tray->mnuSysTray()->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0]->text(), QStringLiteral("&Mostra"));
        QVERIFY(items[1]->isSeparator());
        QCOMPARE(items[2]->text(), QStringLiteral("&Chiudi"));
        tray->SysTray()->MouseMove(0, 0x202);
        tray->SysTray()->MouseMove(0, 0x405);
        tray->SysTray()->MouseMove(0, 0x203);
        QCOMPARE(shown.count(), 2);   // a click and a balloon click; a double-click adds nothing
        items[0]->trigger();
        QCOMPARE(shown.count(), 3);
        tray->ShowBaloonTip(QStringLiteral("Orvel 3"), QStringLiteral("There is a Deadline in evidence"));
        QCOMPARE(tray->SysTray()->lastBalloonTimeout(), 30000);
        // "&Chiudi" asks for the end; start-up, which decides it, unloads the icon once the main window closed.
        items[2]->trigger();
        QCOMPARE(exit.count(), 1);
        QCOMPARE(shown.count(), 3);
        QVERIFY(frmSysTray::isLoaded());
        frmSysTray::Unload();
        QVERIFY(!frmSysTray::isLoaded());
        QVERIFY(!Env->IsMinimized());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ReleaseGlobals();
    }
};

QTEST_MAIN(tst_Tray)
#include "tst_tray.moc"
