// The import tool's start: its settings read from the main program's key, the default database folder it
// makes (or reports when it cannot), the two start messages (no folder; the main program has the database
// open, a stale lock not counting), the wizard shown until it closes with its short messages' titles whole,
// and the language of its texts.

#include "TestEnv.h"

#include "foundation/SettingsKeys.h"
#include "foundation/comRegistry.h"
#include "importtool/cEnvironment.h"
#include "importtool/frmImport.h"
#include "importtool/modMain.h"
#include "platform/registry/RegistryStore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using importtool::Env;
using importtool::StartCheck;

namespace {

const QString NoFolderMessage = QStringLiteral("Avviare Orvel 3 almeno una volta per creare la cartella del Database\n\n"
                                               "Start Orvel 3 at least once to create the Database Folder");
const QString RunningMessage = QStringLiteral("Chiudere Orvel 3 per eseguire questa procedura.\n\n"
                                              "Stop Orvel 3 before running this procedure.");

QByteArray readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &file, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

} // namespace

class tst_ImportStart : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        importtool::frmImport::Unload();
        delete Env;
        Env = nullptr;
    }

    void start_data();
    void start();
    void mainShowsTheWizardUntilItCloses();
    void wizardLanguage_data();
    void wizardLanguage();
    void unreadableSettingsEndTheTool();
};

void tst_ImportStart::start_data()
{
    QTest::addColumn<QString>("dbPath");         // the stored value; "-" for none
    QTest::addColumn<QString>("setup");          // "", "live lock", "stale lock", "file in the way", "no template"
    QTest::addColumn<QString>("expected");       // Env's DbPath; "@" = the default folder
    QTest::addColumn<int>("errorText");          // the reason of an "App Error" message, 0 for none
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");        // the start message, "" for none

    const int ready = int(StartCheck::Ready);
    QTest::newRow("no value: the default folder") << "-" << "" << "@" << 0 << ready << "";
    QTest::newRow("another folder") << "/srv/orvel" << "" << "/srv/orvel" << 0 << ready << "";
    QTest::newRow("a relative folder: the default folder") << "Orvel3DB" << "" << "@" << 0 << ready << "";
    QTest::newRow("a number: the default folder") << "#5" << "" << "@" << 0 << ready << "";
    QTest::newRow("an empty value") << "" << "" << "" << 0 << int(StartCheck::NoDbFolder) << NoFolderMessage;
    QTest::newRow("main program running") << "-" << "live lock" << "@" << 0 << int(StartCheck::MainProgramRunning)
                                          << RunningMessage;
    QTest::newRow("lock of a main program that ended") << "-" << "stale lock" << "@" << 0 << ready << "";
    QTest::newRow("default folder blocked, no value") << "-" << "file in the way" << "" << 1942
                                                      << int(StartCheck::NoDbFolder) << NoFolderMessage;
    QTest::newRow("default folder blocked, another folder") << "/srv/orvel" << "file in the way" << "/srv/orvel"
                                                            << 1942 << ready << "";
    QTest::newRow("no template") << "/srv/orvel" << "no template" << "/srv/orvel" << 1941 << ready << "";
}

void tst_ImportStart::start()
{
    QFETCH(QString, dbPath);
    QFETCH(QString, setup);
    QFETCH(QString, expected);
    QFETCH(int, errorText);
    QFETCH(int, result);
    QFETCH(QString, message);
    testenv::Sandbox box;
    const QString folder = box.documents() + QStringLiteral("/Orvel3DB");
    if (dbPath.startsWith(QLatin1Char('#')))
        RegWrite(4, QStringLiteral("DbPath"), QLatin1String(SettingsKey), dbPath.mid(1).toInt());
    else if (dbPath != QLatin1String("-"))
        RegWrite(1, QStringLiteral("DbPath"), QLatin1String(SettingsKey), dbPath);
    if (setup == QLatin1String("live lock"))
        writeFile(folder + QStringLiteral("/orvel3.ldb"), QByteArray::number(QCoreApplication::applicationPid()) + '\n');
    else if (setup == QLatin1String("stale lock"))
        writeFile(folder + QStringLiteral("/orvel3.ldb"), "99999999\n");
    else if (setup == QLatin1String("file in the way"))
        writeFile(folder, "in the way");
    else if (setup == QLatin1String("no template"))
        QFile::remove(box.programFolder() + QStringLiteral("/master.gen"));
    const QString hive = box.registryFolder() + QStringLiteral("/HKEY_CURRENT_USER.reg");
    const QByteArray registryBefore = readAll(hive);

    Env = new importtool::cEnvironment();
    QCOMPARE(Env->DbPath(), expected == QLatin1String("@") ? folder : expected);
    QCOMPARE(Env->DbName(), QStringLiteral("orvel3.mdb"));
    if (errorText) {
        // The default folder could not be made: reported, and the start goes on with the stored folder.
        QCOMPARE(box.requests().size(), 1);
        const platform::DialogRequest &error = box.requests()[0];
        QCOMPARE(error.title, QStringLiteral("App Error"));
        QCOMPARE(error.style, int(platform::vbExclamation));
        QVERIFY2(error.text.startsWith(importtool::TextAtV(3000, errorText, QDir::toNativeSeparators(folder))
                                       + QStringLiteral("\nin OrvelDbTools.cEnvironment.GetDefaultDbPath line ")),
                 qPrintable(error.text));
        box.clearRequests();
    } else if (setup.isEmpty()) {
        // The default folder is made with a copy of the template whatever the stored folder is.
        QCOMPARE(readAll(folder + QStringLiteral("/orvel3.mdb")), readAll(testenv::Sandbox::masterGen()));
    }

    QCOMPARE(int(importtool::CheckStart()), result);
    QCOMPARE(box.requests().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(box.requests()[0].text, message);
        QCOMPARE(box.requests()[0].style, int(platform::vbOKOnly));
    }
    // The tool writes nothing to the registry.
    QCOMPARE(readAll(hive), registryBefore);
}

// The wizard is shown until it closes. Its messages are real message boxes here: a short one ("No databases
// found.") is as wide as its title needs, so the window system shows the tool's name whole.
void tst_ImportStart::mainShowsTheWizardUntilItCloses()
{
    testenv::Sandbox box;
    writeFile(box.documents() + QStringLiteral("/Orvel3DB/orvel3.ldb"), "99999999\n");
    platform::setDialogResponder({});
    bool shown = false;
    QString title;
    int width = 0;
    QTimer closer;
    closer.setInterval(0);
    connect(&closer, &QTimer::timeout, this, [&] {
        auto *w = qobject_cast<importtool::frmImport *>(QApplication::activeModalWidget());
        if (!w || !w->isVisible())
            return;
        shown = true;
        if (w->WizardStep == 0 || !title.isEmpty()) {
            (w->WizardStep == 0 ? w->cmdProsegui : w->cmdAnnulla)->click();
            return;
        }
        // Nothing is found: the message box comes, and is read and closed while it is shown.
        QTimer::singleShot(0, this, [&] {
            auto *message = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(message);
            title = message->windowTitle();
            width = message->width();
            QCOMPARE(message->text(), importtool::TextAt(3000, 1378));
            message->button(QMessageBox::Ok)->click();
        });
        w->cmdProsegui->click();
    });
    closer.start();
    QCOMPARE(importtool::Main(), 0);
    QVERIFY(shown);
    QCOMPARE(title, QStringLiteral("OrvelDbTools"));
    QVERIFY2(width >= platform::titleBarWidth(title), qPrintable(QString::number(width)));
    QVERIFY(!importtool::frmImport::instance());
    QVERIFY(!Env);
}

void tst_ImportStart::wizardLanguage_data()
{
    QTest::addColumn<int>("appLanguageId");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("offset");
    QTest::newRow("automatic, Italian locale") << 0 << QLocale(QLocale::Italian, QLocale::Italy) << 0;
    QTest::newRow("English whatever the locale") << 3 << QLocale(QLocale::Italian, QLocale::Italy) << 3000;
    QTest::newRow("automatic, Swiss French") << 0 << QLocale(QLocale::French, QLocale::Switzerland) << 6000;
    QTest::newRow("German") << 2 << QLocale(QLocale::English, QLocale::UnitedStates) << 12000;
    QTest::newRow("automatic, Portuguese") << 0 << QLocale(QLocale::Portuguese, QLocale::Portugal) << 3000;
}

void tst_ImportStart::wizardLanguage()
{
    QFETCH(int, appLanguageId);
    QFETCH(QLocale, locale);
    QFETCH(int, offset);
    testenv::Sandbox box(QDate(2025, 3, 15), locale);
    RegWrite(4, QStringLiteral("AppLanguageId"), QLatin1String(SettingsKey), appLanguageId);
    Env = new importtool::cEnvironment();
    QCOMPARE(Env->Lsn(), offset);

    auto *w = importtool::frmImport::Load();
    const QStringList shown = {w->windowTitle(), w->lblTitle->text(), w->lblText(0)->text(), w->lblText(1)->text(),
                               w->lblText(2)->text(), w->lblText(3)->text(), w->frmChoose->title(),
                               w->cmdProsegui->text(), w->cmdAnnulla->text()};
    QStringList expected;
    for (int id : {1375, 1375, 1376, 1377, 1381, 1382, 1383, 1414, 1109})
        expected.append(importtool::TextAt(offset, id));
    QCOMPARE(shown, expected);
    QVERIFY(!expected.contains(QString()));
    QVERIFY(w->picStep(0)->isVisibleTo(w) && !w->picStep(1)->isVisibleTo(w));
    // Wide enough for the window system to show the whole title.
    QVERIFY(w->width() >= platform::titleBarWidth(w->windowTitle()));
}

// A settings file that cannot be read names no database folder: the tool says where it was kept, in the
// tool's language, and ends without the wizard.
void tst_ImportStart::unreadableSettingsEndTheTool()
{
    testenv::Sandbox box;
    const QString hive = box.registryFolder() + QStringLiteral("/HKEY_CURRENT_USER.reg");
    writeFile(hive, "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Tarnwel\\Orvel3\\Settings]\n"
                    "\"DbPath\"=\"/srv/or");
    platform::registry::setFolder(box.registryFolder());
    QCOMPARE(importtool::Main(), 0);
    QVERIFY(!importtool::frmImport::instance());
    const QStringList aside = QDir(box.registryFolder()).entryList({QStringLiteral("HKEY_CURRENT_USER.reg.unreadable-*")});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(box.requests().size(), 1);
    QCOMPARE(box.requests()[0].text,
             importtool::TextAtV(3000, 2000, QDir::toNativeSeparators(box.registryFolder() + QLatin1Char('/') + aside.first())));
    QVERIFY(!QFileInfo::exists(hive));
}

QTEST_MAIN(tst_ImportStart)
#include "tst_importstart.moc"
