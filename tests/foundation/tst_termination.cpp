// The program itself, run as a process: a log-out (SIGTERM) ends it normally, with its settings and the
// main window's view state written, its locks released. The process is this test's executable running the
// program's whole run, in the sandbox: its home and settings (the environment), its program folder and its
// single-instance folder (given on the command line), so that an Orvel 3 the user runs meanwhile does not
// count as a first instance.

#include "TestEnv.h"

#include "app/Orvel3Main.h"
#include "platform/shell/Shell.h"

#include <QApplication>
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
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);   // the sandbox's HOME and XDG folders are in this process's environment
        p.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--program"), platform::singleInstanceFolder(), QStringLiteral(ORVEL_BIN_DIR)});
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
        // The program holds its single instance in the sandbox, never where the user's own Orvel 3 does.
        QVERIFY(QFile::exists(platform::singleInstanceFolder() + QStringLiteral("/Orvel3.lock")));
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

int main(int argc, char **argv)
{
    // The child: the program, its single-instance folder and program folder those of the sandbox.
    if (argc == 4 && qstrcmp(argv[1], "--program") == 0) {
        platform::setSingleInstanceFolder(QFile::decodeName(argv[2]));
        platform::setProgramFolder(QFile::decodeName(argv[3]));
        int programArgc = 1;
        return Orvel3Main(programArgc, argv);
    }
    QApplication app(argc, argv);
    tst_Termination test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_termination.moc"
