// The program itself, run as a process: a log-out (SIGTERM) ends it normally, with its settings and the
// main window's view state written, its locks released.

#include "TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

class tst_Termination : public QObject
{
    Q_OBJECT

private slots:
    void sigtermWritesTheSettings()
    {
        testenv::Sandbox box;
        const QString program = QStringLiteral(ORVEL_BIN_DIR "/Orvel3");
        QVERIFY(QFile::exists(program));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);   // the sandbox's HOME and XDG folders are in this process's environment
        p.start(program, {});
        QVERIFY(p.waitForStarted());
        // Up once the attachments folder exists and the window had a moment to load.
        const QString attached = box.documents() + QStringLiteral("/Orvel3DB/attached");
        QElapsedTimer t;
        t.start();
        while (!QFileInfo(attached).isDir() && t.elapsed() < 20000)
            QTest::qWait(50);
        QVERIFY(QFileInfo(attached).isDir());
        QTest::qWait(800);
        QCOMPARE(p.state(), QProcess::Running);
        p.terminate();   // SIGTERM
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QFile hive(box.registryFolder() + QStringLiteral("/HKEY_CURRENT_USER.reg"));
        QVERIFY(hive.open(QIODevice::ReadOnly));
        const QByteArray text = hive.readAll();
        for (const char *value : {"\"AppLanguageId\"", "\"AlertDefaultDays\"", "\"CalendarVariableColumns\"", "\"Id\"",
                                  "\"viewKey\"", "\"curDatePnSortingKey\""})
            QVERIFY2(text.contains(value), value);
        QVERIFY(!QFile::exists(box.documents() + QStringLiteral("/Orvel3DB/orvel3.ldb")));
    }
};

QTEST_MAIN(tst_Termination)
#include "tst_termination.moc"
