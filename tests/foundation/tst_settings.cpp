// The service objects: language choice and texts, preferences and their defaults, the start-with-the-system
// value, the current data sheet, and the database object's folder test.

#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/SettingsKeys.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/comRegistry.h"
#include "platform/database/Connection.h"
#include "platform/registry/RegistryStore.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {
const QString Key = QLatin1String(SettingsKey);

void exec(const QString &dbFile, const QString &sql)
{
    platform::Connection cn;
    cn.Open(testenv::connectionString(dbFile));
    cn.Execute(sql);
}

// Stores a setting in the kind of the value: a whole number as a number, a text as text, bytes as binary.
void store(const QString &name, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int: RegWrite(comRegistry::REG_DWORD, name, Key, value); break;
    case QMetaType::QByteArray: RegWrite(comRegistry::REG_BINARY, name, Key, value); break;
    default: RegWrite(comRegistry::REG_SZ, name, Key, value); break;
    }
}

// A sandbox whose service objects are released before it ends: what they write back at their end goes
// into the sandbox's settings, never into the settings of the user running the tests.
struct Box : testenv::Sandbox
{
    using testenv::Sandbox::Sandbox;
    ~Box() { ReleaseGlobals(); }
};
}

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void languageChoice_data()
    {
        QTest::addColumn<int>("appLanguageId");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("helpFile");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("German") << 2 << us << 12000 << "de_help.html";
        QTest::newRow("Spanish") << 4 << us << 9000 << "es_help.html";
        QTest::newRow("French") << 5 << us << 6000 << "fr_help.html";
        QTest::newRow("Italian") << 6 << us << 0 << "it_help.html";
        QTest::newRow("English") << 3 << us << 3000 << "en_help.html";
        QTest::newRow("1 is not a language") << 1 << QLocale(QLocale::Italian, QLocale::Italy) << 3000 << "en_help.html";
        QTest::newRow("unknown id") << 77 << us << 3000 << "en_help.html";
        QTest::newRow("auto: Italian") << 0 << QLocale(QLocale::Italian, QLocale::Italy) << 0 << "it_help.html";
        QTest::newRow("auto: Swiss Italian") << 0 << QLocale(QLocale::Italian, QLocale::Switzerland) << 0 << "it_help.html";
        QTest::newRow("auto: Swiss French") << 0 << QLocale(QLocale::French, QLocale::Switzerland) << 6000 << "fr_help.html";
        QTest::newRow("auto: Mexican Spanish") << 0 << QLocale(QLocale::Spanish, QLocale::Mexico) << 9000 << "es_help.html";
        QTest::newRow("auto: Austrian German") << 0 << QLocale(QLocale::German, QLocale::Austria) << 12000 << "de_help.html";
        QTest::newRow("auto: Portuguese") << 0 << QLocale(QLocale::Portuguese, QLocale::Portugal) << 3000 << "en_help.html";
    }
    void languageChoice()
    {
        QFETCH(int, appLanguageId);
        QFETCH(QLocale, locale);
        QFETCH(int, offset);
        QFETCH(QString, helpFile);
        Box box(QDate(2025, 3, 15), locale);
        RegWrite(4, QStringLiteral("AppLanguageId"), Key, appLanguageId);
        cLang lang;
        QCOMPARE(lang.blockOffset(), offset);
        QCOMPARE(lang.helpFile(), box.programFolder() + QLatin1Char('/') + helpFile);
        QCOMPARE(lang.AppLanguageId(), appLanguageId);   // automatic stays 0
    }

    void texts()
    {
        Box box;
        RegWrite(4, QStringLiteral("AppLanguageId"), Key, 3);
        cLang lang;
        QCOMPARE(lang.LRSV(1220, 12), QStringLiteral("There are 12 Deadlines in evidence"));
        QCOMPARE(lang.LRS(QStringLiteral("1219  ")), QStringLiteral("There is a Deadline in evidence"));
        QCOMPARE(lang.LRS(1, QStringLiteral("?")), QStringLiteral("?"));
        QCOMPARE(lang.LRS(QStringLiteral("abc"), QStringLiteral("?")), QStringLiteral("?"));
        QCOMPARE(lang.LRSV(1, 5, QStringLiteral("?")), QStringLiteral("?"));
        // Switching at run time.
        lang.setAppLanguageId(6);
        lang.LanguageUpdate();
        QCOMPARE(lang.LRS(1369), QStringLiteral("Cassa Contanti"));
    }

    void languageWrittenBack()
    {
        Box box;
        {
            cLang lang;
            lang.setAppLanguageId(5);
        }
        QCOMPARE(RegRead(4, QStringLiteral("AppLanguageId"), Key).toInt(), 5);
    }

    void preferenceDefaults()
    {
        Box box;
        cEnvironment env;
        QCOMPARE(env.AlertDefaultDays, short(2));
        QCOMPARE(env.AlertOperations, false);
        QCOMPARE(env.DeadlinesShowGroupTotals, true);
        QCOMPARE(env.DeadlinesShowRecurringCounters, true);
        QCOMPARE(env.DeadlinesShowId, false);
        QCOMPARE(env.DebitCreditToPN, true);
        QCOMPARE(env.CalendarVariableColumns, true);
        QCOMPARE(env.DeadlinesSplitAmount, false);
        QCOMPARE(env.LastContactId, 0);
        QCOMPARE(env.LastCountId, 0);
        QCOMPARE(env.AppTitle, QStringLiteral("Orvel 3"));
        QCOMPARE(env.StartOnWindows(), false);
    }

    void booleanStoredAsTwoReadsFalse()
    {
        Box box;
        RegWrite(4, QStringLiteral("DeadlinesShowId"), Key, 2);
        RegWrite(4, QStringLiteral("DeadlinesShowGroupTotals"), Key, 2);
        cEnvironment env;
        QCOMPARE(env.DeadlinesShowId, false);
        QCOMPARE(env.DeadlinesShowGroupTotals, false);
    }

    // A hand-edited value out of its range reads as its nearest bound, one of another kind as the default;
    // that is what is written back at the end.
    void preferencesOutOfRangeOrOfAnotherKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("days: a word") << "AlertDefaultDays" << QVariant(QStringLiteral("abc")) << 2;
        QTest::newRow("days: a number as text") << "AlertDefaultDays" << QVariant(QStringLiteral("7")) << 2;
        QTest::newRow("days: bytes") << "AlertDefaultDays" << QVariant(QByteArray("\x05")) << 2;
        QTest::newRow("days: above the largest") << "AlertDefaultDays" << QVariant(70000) << 99;
        QTest::newRow("days: negative") << "AlertDefaultDays" << QVariant(-5) << 0;
        QTest::newRow("days: in range") << "AlertDefaultDays" << QVariant(45) << 45;
        QTest::newRow("flag: a word") << "DeadlinesShowGroupTotals" << QVariant(QStringLiteral("abc")) << 1;
        QTest::newRow("flag: 1 as text") << "DeadlinesShowId" << QVariant(QStringLiteral("1")) << 0;
        QTest::newRow("contact: negative") << "LastContactId" << QVariant(-3) << 0;
        QTest::newRow("count: a number as text") << "LastCountId" << QVariant(QStringLiteral("12")) << 0;
    }
    void preferencesOutOfRangeOrOfAnotherKind()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, stored);
        QFETCH(int, expected);
        Box box;
        store(name, stored);
        {
            cEnvironment env;
            const QHash<QString, int> read = {
                {QStringLiteral("AlertDefaultDays"), env.AlertDefaultDays},
                {QStringLiteral("DeadlinesShowGroupTotals"), env.DeadlinesShowGroupTotals},
                {QStringLiteral("DeadlinesShowId"), env.DeadlinesShowId},
                {QStringLiteral("LastContactId"), env.LastContactId},
                {QStringLiteral("LastCountId"), env.LastCountId},
            };
            QCOMPARE(read.value(name, -999), expected);
        }
        QCOMPARE(RegRead(comRegistry::REG_DWORD, name, Key).toInt(), expected);
    }

    void languageIdOutOfRangeOrOfAnotherKind_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("offset");           // with an Italian user locale
        QTest::newRow("beyond 16 bits: automatic") << QVariant(70000) << 0 << 0;
        QTest::newRow("a number as text: automatic") << QVariant(QStringLiteral("3")) << 0 << 0;
        QTest::newRow("a word: automatic") << QVariant(QStringLiteral("abc")) << 0 << 0;
        QTest::newRow("a negative id: English") << QVariant(-2) << -2 << 3000;
        QTest::newRow("German") << QVariant(2) << 2 << 12000;
    }
    void languageIdOutOfRangeOrOfAnotherKind()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, expected);
        QFETCH(int, offset);
        Box box(QDate(2025, 3, 15), QLocale(QLocale::Italian, QLocale::Italy));
        store(QStringLiteral("AppLanguageId"), stored);
        {
            cLang lang;
            QCOMPARE(lang.AppLanguageId(), expected);
            QCOMPARE(lang.blockOffset(), offset);
        }
        QCOMPARE(RegRead(comRegistry::REG_DWORD, QStringLiteral("AppLanguageId"), Key).toInt(), expected);
    }

    void preferencesWrittenBackInOrder()
    {
        Box box;
        {
            cEnvironment env;
            env.DeadlinesShowId = true;
            env.DebitCreditToPN = false;
            env.AlertDefaultDays = 7;
        }
        QCOMPARE(RegRead(4, QStringLiteral("DeadlinesShowId"), Key).toInt(), 1);
        QCOMPARE(RegRead(4, QStringLiteral("DebitCreditToPN"), Key).toInt(), 0);
        QCOMPARE(RegRead(4, QStringLiteral("AlertDefaultDays"), Key).toInt(), 7);
        comRegistry reg;
        reg.setClassKey(platform::registry::HKEY_CURRENT_USER);
        reg.setSectionKey(Key);
        QStringList names;
        int count = 0;
        QVERIFY(reg.EnumerateValues(names, count));
        const QStringList order = {QStringLiteral("AlertDefaultDays"), QStringLiteral("AlertOperations"),
                                   QStringLiteral("DeadlinesShowGroupTotals"), QStringLiteral("DeadlinesShowRecurringCounters"),
                                   QStringLiteral("DeadlinesShowId"), QStringLiteral("LastContactId"),
                                   QStringLiteral("LastCountId"), QStringLiteral("DebitCreditToPN"),
                                   QStringLiteral("DeadlinesSplitAmount"), QStringLiteral("CalendarVariableColumns")};
        QCOMPARE(names.mid(0, order.size()), order);
    }

    void startWithTheSystem()
    {
        Box box;
        const QString autostart = box.home() + QStringLiteral("/.config/autostart");
        cEnvironment env;
        env.setStartOnWindows(false);   // nothing there: nothing written
        QVERIFY(!QDir(autostart).exists() || QDir(autostart).isEmpty());
        env.setStartOnWindows(true);
        QVERIFY(env.StartOnWindows());
        QCOMPARE(RegRead(1, QStringLiteral("Orvel 3"), QLatin1String(RunKey)).toString(), platform::programPath());
        const QStringList entries = QDir(autostart).entryList({QStringLiteral("*.desktop")}, QDir::Files);
        QCOMPARE(entries.size(), 1);
        // True twice writes once: a changed value is not written over.
        RegWrite(1, QStringLiteral("Orvel 3"), QLatin1String(RunKey), QStringLiteral("/somewhere/else"));
        env.setStartOnWindows(true);
        QCOMPARE(RegRead(1, QStringLiteral("Orvel 3"), QLatin1String(RunKey)).toString(), QStringLiteral("/somewhere/else"));
        env.setStartOnWindows(false);
        QVERIFY(!env.StartOnWindows());
        QCOMPARE(RegRead(1, QStringLiteral("Orvel 3"), QLatin1String(RunKey), QStringLiteral("gone")).toString(), QStringLiteral("gone"));
        QVERIFY(QDir(autostart).entryList({QStringLiteral("*.desktop")}, QDir::Files).isEmpty());
        cEnvironment again;
        QVERIFY(!again.StartOnWindows());
    }

    void startOfWeek_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("weekday");
        QTest::newRow("Monday (Italy)") << QLocale(QLocale::Italian, QLocale::Italy) << 2;
        QTest::newRow("Sunday (U.S.)") << QLocale(QLocale::English, QLocale::UnitedStates) << 1;
        QTest::newRow("Saturday (Egypt)") << QLocale(QLocale::Arabic, QLocale::Egypt) << 7;
    }
    void startOfWeek()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, weekday);
        Box box(QDate(2025, 3, 15), locale);
        cEnvironment env;
        QCOMPARE(int(env.StartOfWeek()), weekday);
    }

    void currentSheet_data()
    {
        QTest::addColumn<QVariant>("storedId");
        QTest::addColumn<QList<int>>("sheets");
        QTest::addColumn<int>("expected");
        QTest::newRow("no stored id, sheets 1 and 3") << QVariant() << QList<int>{1, 3} << 1;
        QTest::newRow("stored 3 exists") << QVariant(3) << QList<int>{1, 3} << 3;
        QTest::newRow("stored 5 missing, sheets 2 and 3") << QVariant(5) << QList<int>{2, 3} << 2;
        QTest::newRow("stored as a word: sheet 1") << QVariant(QStringLiteral("abc")) << QList<int>{1, 3} << 1;
        QTest::newRow("stored 3 as text: sheet 1") << QVariant(QStringLiteral("3")) << QList<int>{1, 3} << 1;
        QTest::newRow("stored 0: sheet 1") << QVariant(0) << QList<int>{1, 3} << 1;
        QTest::newRow("stored negative, no sheet 1: the lowest") << QVariant(-3) << QList<int>{2, 3} << 2;
    }
    void currentSheet()
    {
        QFETCH(QVariant, storedId);
        QFETCH(QList<int>, sheets);
        QFETCH(int, expected);
        Box box;
        Lang = new cLang();
        Adb = new cAccessDb();
        const QString file = cAccessDb::databaseFileIn(Adb->dbPath());
        exec(file, QStringLiteral("DELETE * FROM Dbs"));
        for (int id : sheets)
            exec(file, QStringLiteral("INSERT INTO Dbs ( DbId, DbName ) SELECT %1, 'Sheet %1'").arg(id));
        if (storedId.isValid())
            store(QStringLiteral("Id"), storedId);
        {
            cSheet sheet;
            QCOMPARE(sheet.Id(), expected);
            QCOMPARE(sheet.Name(), QStringLiteral("Sheet %1").arg(expected));
            QCOMPARE(sheet.RowHeight(), 420);
        }
        QCOMPARE(RegRead(4, QStringLiteral("Id"), Key).toInt(), expected);
    }

    void printUnits_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("units");
        QTest::newRow("Italian") << QLocale(QLocale::Italian, QLocale::Italy) << 0;
        QTest::newRow("U.S. English") << QLocale(QLocale::English, QLocale::UnitedStates) << 1;
    }
    void printUnits()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, units);
        Box box(QDate(2025, 3, 15), locale);
        Lang = new cLang();
        Adb = new cAccessDb();
        cSheet sheet;
        QCOMPARE(sheet.PrintUnits(), units);
    }

    void folderTest_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("result");
        QTest::newRow("template copy") << "template" << 0;
        QTest::newRow("empty folder") << "empty" << 3;
        QTest::newRow("missing folder") << "missing" << 3;
        QTest::newRow("not a database") << "text" << 1;
        QTest::newRow("empty file") << "zero" << 1;
        QTest::newRow("column added") << "added" << 2;
        QTest::newRow("column removed") << "removed" << 2;
        QTest::newRow("column renamed") << "renamed" << 2;
        QTest::newRow("table missing") << "notable" << 2;
        QTest::newRow("a damaged page") << "damaged" << 1;
        QTest::newRow("no data sheet") << "nosheets" << 2;
        QTest::newRow("a folder named orvel3.mdb") << "dir" << 3;
    }
    void folderTest()
    {
        QFETCH(QString, content);
        QFETCH(int, result);
        Box box;
        Lang = new cLang();
        Adb = new cAccessDb();
        const QString folder = box.root() + QStringLiteral("/t");
        if (content != QLatin1String("missing"))
            QDir().mkpath(folder);
        const QString file = folder + QStringLiteral("/orvel3.mdb");
        if (content == QLatin1String("template") || content == QLatin1String("added")
            || content == QLatin1String("removed") || content == QLatin1String("renamed")
            || content == QLatin1String("notable") || content == QLatin1String("damaged")
            || content == QLatin1String("nosheets"))
            box.makeDatabase(folder);
        if (content == QLatin1String("nosheets"))
            exec(file, QStringLiteral("DELETE * FROM Dbs"));
        if (content == QLatin1String("text") || content == QLatin1String("zero")) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (content == QLatin1String("text"))
                f.write(QByteArray(2048, 'z'));
        }
        if (content == QLatin1String("added"))
            exec(file, QStringLiteral("ALTER TABLE Accounts ADD COLUMN AcMail VARCHAR(50)"));
        if (content == QLatin1String("removed"))
            exec(file, QStringLiteral("ALTER TABLE Accounts DROP COLUMN AcNotes"));
        if (content == QLatin1String("renamed"))
            exec(file, QStringLiteral("ALTER TABLE Transactions RENAME COLUMN TrAlertDays TO TrAlertDayz"));
        if (content == QLatin1String("notable"))
            exec(file, QStringLiteral("DROP TABLE Counts"));
        if (content == QLatin1String("dir"))
            QDir().mkpath(file);
        if (content == QLatin1String("damaged"))
            testenv::damageTable(file, "Accounts");
        const QByteArray before = QFile::exists(file) && QFileInfo(file).isFile()
                                      ? [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }()
                                      : QByteArray();
        QCOMPARE(Adb->TestDb(folder), result);
        // The test never creates or changes a file.
        QCOMPARE(QFileInfo(file).exists(), content != QLatin1String("empty") && content != QLatin1String("missing"));
        if (!before.isEmpty()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
        }
        QVERIFY(!QFile::exists(folder + QStringLiteral("/orvel3.ldb")));
    }

    void connectionString()
    {
        QCOMPARE(cAccessDb::connectionStringFor(QStringLiteral("/srv/Data")),
                 QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/srv/Data/orvel3.mdb;Persist Security Info=False"));
    }

    // The stored folder is taken as it is written only when it is a text naming an absolute path: anything
    // else means the default folder (a relative path would depend on where the program was started).
    void storedDbPath_data()
    {
        QTest::addColumn<QVariant>("stored");      // invalid: no value
        QTest::addColumn<QString>("expected");     // "@": the default folder
        QTest::newRow("no value") << QVariant() << "@";
        QTest::newRow("an absolute folder") << QVariant(QStringLiteral("/srv/Dati")) << "/srv/Dati";
        QTest::newRow("a folder holding ;") << QVariant(QStringLiteral("/srv/Dati; 2025")) << "/srv/Dati; 2025";
        QTest::newRow("a relative folder") << QVariant(QStringLiteral("Orvel3DB")) << "@";
        QTest::newRow("relative to the working folder") << QVariant(QStringLiteral("./dati")) << "@";
        QTest::newRow("a tilde is no home") << QVariant(QStringLiteral("~/dati")) << "@";
        QTest::newRow("a number") << QVariant(5) << "@";
        QTest::newRow("blanks") << QVariant(QStringLiteral("   ")) << "@";
    }
    void storedDbPath()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, expected);
        Box box;
        if (stored.isValid())
            store(QStringLiteral("DbPath"), stored);
        Lang = new cLang();
        Adb = new cAccessDb();
        const QString folder = expected == QLatin1String("@") ? box.documents() + QStringLiteral("/Orvel3DB") : expected;
        QCOMPARE(Adb->dbPath(), folder);
        QCOMPARE(Adb->attachedPath(), folder + QStringLiteral("/attached/"));
        QCOMPARE(platform::dataSourceOf(Adb->dcs()), folder + QStringLiteral("/orvel3.mdb"));
    }

    void defaultFolderMadeEvenWhenDbPathPointsElsewhere()
    {
        Box box;
        RegWrite(1, QStringLiteral("DbPath"), Key, box.root() + QStringLiteral("/elsewhere"));
        Lang = new cLang();
        Adb = new cAccessDb();
        QCOMPARE(Adb->dbPath(), box.root() + QStringLiteral("/elsewhere"));
        QCOMPARE(Adb->attachedPath(), box.root() + QStringLiteral("/elsewhere/attached/"));
        QVERIFY(QFile::exists(box.documents() + QStringLiteral("/Orvel3DB/orvel3.mdb")));
    }

    void storeDbPath()
    {
        Box box;
        Lang = new cLang();
        Adb = new cAccessDb();
        Adb->setDbPath(QStringLiteral("/x/y"));
        Adb->StoreDbPath();
        QCOMPARE(RegRead(1, QStringLiteral("DbPath"), Key).toString(), QStringLiteral("/x/y"));
    }
};

QTEST_MAIN(tst_Settings)
#include "tst_settings.moc"
