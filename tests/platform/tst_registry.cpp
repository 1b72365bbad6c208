// The registry store: hive files in the .reg format, safe writes, several writers, damaged files, and the
// Run key as the login autostart.

#include "tests/common/TestEnv.h"

#include "platform/registry/Autostart.h"
#include "platform/registry/RegistryStore.h"
#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <QtEndian>


using namespace platform::registry;

namespace {

const QString Key = QStringLiteral("Software\\Tarnwel\\Orvel3\\Settings");
const QString Shared = QStringLiteral("Software\\Tarnwel\\Shared");

RawValue raw(int kind, const QByteArray &data)
{
    RawValue v;
    v.kind = kind;
    v.data = data;
    return v;
}

RawValue dword(quint32 n)
{
    QByteArray d(4, '\0');
    qToLittleEndian(n, d.data());
    return raw(REG_DWORD, d);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Forgets what the store has cached, as a fresh process would.
void reopen()
{
    setFolder(folder());
}

using FullDisk = testenv::FileSizeLimit;

// A child process of this test: writes `count` values named prefix0.. into the shared key.
int childWriter(const QString &dir, const QString &prefix, int count)
{
    setFolder(dir);
    for (int i = 0; i < count; ++i) {
        if (!writeValue(HKEY_CURRENT_USER, Shared, prefix + QString::number(i), dword(quint32(i))))
            return 1;
    }
    return 0;
}

// A child process that takes the hive's lock and waits to be killed.
int childLockHolder(const QString &lockPath)
{
    QLockFile lock(lockPath);
    if (!lock.tryLock(5000))
        return 1;
    QTextStream(stdout) << "locked" << Qt::endl;
    QThread::sleep(600);
    return 0;
}

} // namespace

class tst_Registry : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("line");      // how the value stands in the file
        QTest::newRow("text") << "DbPath" << 1 << QByteArray("C:\\Data\0", 8) << "\"DbPath\"=\"C:\\\\Data\"";
        QTest::newRow("text ending in a backslash") << "a" << 1 << QByteArray("C:\\\0", 4) << "\"a\"=\"C:\\\\\"";
        QTest::newRow("quotes in name and text") << "say \"hi\"" << 1 << QByteArray("\"x\" \\ y\0", 8)
                                                 << "\"say \\\"hi\\\"\"=\"\\\"x\\\" \\\\ y\"";
        QTest::newRow("equals sign in name") << "a=b" << 1 << QByteArray("v\0", 2) << "\"a=b\"=\"v\"";
        QTest::newRow("non-ASCII text") << "Città" << 1 << QStringLiteral("Città € 日本 😀").toUtf8().append('\0')
                                        << "\"Città\"=\"Città € 日本 😀\"";
        QTest::newRow("empty text") << "e" << 1 << QByteArray("\0", 1) << "\"e\"=\"\"";
        QTest::newRow("default value") << "" << 1 << QByteArray("d\0", 2) << "@=\"d\"";
        QTest::newRow("text with a line break") << "nl" << 1 << QByteArray("a\nb\0", 4)
                                                << "\"nl\"=hex(1):61,00,0a,00,62,00,00,00";
        QTest::newRow("expandable") << "x" << 2 << QByteArray("%TEMP%\0", 7)
                                    << "\"x\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00";
        QTest::newRow("multi-text") << "m" << 7 << QByteArray("a\0b\0\0", 5) << "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00";
        QTest::newRow("number") << "n" << 4 << QByteArray("\x0a\0\0\0", 4) << "\"n\"=dword:0000000a";
        QTest::newRow("negative number") << "n" << 4 << QByteArray("\xff\xff\xff\xff", 4) << "\"n\"=dword:ffffffff";
        QTest::newRow("big-endian number") << "b" << 5 << QByteArray("\0\0\x01\x02", 4) << "\"b\"=hex(5):00,00,01,02";
        QTest::newRow("binary") << "bin" << 3 << QByteArray("\x01\xfe\0", 3) << "\"bin\"=hex:01,fe,00";
        QTest::newRow("empty binary") << "bin" << 3 << QByteArray() << "\"bin\"=hex:";
        QByteArray big;
        for (int i = 0; i < 300; ++i)
            big.append(char(i));
        QTest::newRow("long binary wraps") << "big" << 3 << big << "\"big\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b";
    }
    void roundTrip()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(QByteArray, data);
        QFETCH(QString, line);
        testenv::Sandbox box;
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("before"), dword(1)));
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, name, raw(kind, data)));
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("after"), dword(2)));
        const QString text = QString::fromUtf8(readAll(hiveFile(HKEY_CURRENT_USER)));
        QVERIFY(text.startsWith(QLatin1String("Windows Registry Editor Version 5.00\n")));
        QVERIFY2(text.contains(QLatin1Char('\n') + line), qPrintable(text));
        for (const QString &l : text.split(QLatin1Char('\n'))) {
            if (l.contains(QLatin1String("=hex")) || l.startsWith(QLatin1String("  ")))
                QVERIFY2(l.size() <= 80, qPrintable(l));
        }
        reopen();
        const auto back = readValue(HKEY_CURRENT_USER, Key, name);
        QVERIFY(back);
        QCOMPARE(back->kind, kind);
        QCOMPARE(back->data, data);
        QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("after"))->data, dword(2).data);
        QCOMPARE(*valueNames(HKEY_CURRENT_USER, Key), (QStringList{QStringLiteral("before"), name, QStringLiteral("after")}));
    }

    // A file as the registry editor exports it: UTF-16LE with a byte-order mark, CRLF, wrapped hex lines.
    void readsExportedFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = QStringLiteral(
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tarnwel]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tarnwel\\Orvel3\\Settings]\r\n"
            "@=\"root\"\r\n"
            "\"DbPath\"=\"C:\\\\Users\\\\Ann\\\\Documents\\\\Orvel3DB\"\r\n"
            "\"AlertDefaultDays\"=dword:00000005\r\n"
            "\"Tmp\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,\\\r\n"
            "  78,00,00,00\r\n"
            "\"Blob\" = hex:de,ad,\\\r\n  be,ef\r\n");
        QByteArray utf16("\xff\xfe", 2);
        for (QChar c : text)
            utf16.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
        QTest::newRow("UTF-16LE") << utf16;
        QTest::newRow("UTF-8, CRLF") << text.toUtf8();
        QTest::newRow("UTF-8, LF") << QString(text).remove(QLatin1Char('\r')).toUtf8();
    }
    void readsExportedFile()
    {
        QFETCH(QByteArray, bytes);
        testenv::Sandbox box;
        writeAll(hiveFile(HKEY_CURRENT_USER), bytes);
        QCOMPARE(textOf(*readValue(HKEY_CURRENT_USER, Key, QString())), QStringLiteral("root"));
        QCOMPARE(textOf(*readValue(HKEY_CURRENT_USER, Key, QStringLiteral("dbpath"))),
                 QStringLiteral("C:\\Users\\Ann\\Documents\\Orvel3DB"));
        QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("AlertDefaultDays"))->data, dword(5).data);
        const auto tmp = readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Tmp"));
        QCOMPARE(tmp->kind, 2);
        QCOMPARE(textOf(*tmp), QStringLiteral("%TEMP%\\x"));
        QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Blob"))->data, QByteArray("\xde\xad\xbe\xef"));
        QCOMPARE(*subkeyNames(HKEY_CURRENT_USER, QStringLiteral("software")), QStringList{QStringLiteral("Tarnwel")});
        QVERIFY(keyExists(HKEY_CURRENT_USER, QStringLiteral("Software\\Tarnwel\\Orvel3")));
    }

    void keysAndNames()
    {
        testenv::Sandbox box;
        QVERIFY(createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Tarnwel\\Orvel3")));
        QVERIFY(writeValue(HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\tarnwel\\ORVEL3\\Settings"), QStringLiteral("DbPath"),
                           makeText(REG_SZ, QStringLiteral("a"))));
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("DBPATH"), makeText(REG_SZ, QStringLiteral("b"))));
        QCOMPARE(*valueNames(HKEY_CURRENT_USER, Key), QStringList{QStringLiteral("DbPath")});
        QCOMPARE(textOf(*readValue(HKEY_CURRENT_USER, Key, QStringLiteral("dbpath"))), QStringLiteral("b"));
        const QByteArray file = readAll(hiveFile(HKEY_CURRENT_USER));
        QVERIFY(file.contains("[HKEY_CURRENT_USER\\Software\\Tarnwel\\Orvel3\\Settings]\n\"DbPath\"=\"b\"\n"));
        QCOMPARE(*subkeyNames(HKEY_CURRENT_USER, QStringLiteral("software\\tarnwel")), QStringList{QStringLiteral("Orvel3")});
        // A key with subkeys stays; a missing value or key cannot be deleted.
        QVERIFY(!deleteKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Tarnwel")));
        QVERIFY(!deleteValue(HKEY_CURRENT_USER, Key, QStringLiteral("nothing")));
        QVERIFY(!deleteValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Nothing"), QStringLiteral("DbPath")));
        QVERIFY(deleteKey(HKEY_CURRENT_USER, Key));
        QVERIFY(!keyExists(HKEY_CURRENT_USER, Key));
        QVERIFY(keyExists(HKEY_CURRENT_USER, QStringLiteral("Software\\Tarnwel\\Orvel3")));
        // Names the file format cannot hold are refused; other roots have their own file.
        QVERIFY(!writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("two\nlines"), dword(1)));
        QVERIFY(writeValue(HKEY_LOCAL_MACHINE, Key, QStringLiteral("x"), dword(1)));
        QVERIFY(QFile::exists(box.registryFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.reg")));
        QVERIFY(!readValue(HKEY_CURRENT_USER, Key, QStringLiteral("x")));
        QVERIFY(!writeValue(0x12345u, Key, QStringLiteral("x"), dword(1)));
    }

    void damagedHive_data()
    {
        QTest::addColumn<QByteArray>("junk");
        QTest::addColumn<QByteArray>("kept");       // what of it the rewritten file still holds
        QTest::newRow("binary noise") << QByteArray("\x00\xff\x13\x88garbage\x01", 12) << QByteArray("garbage");
        QTest::newRow("unclosed quote") << QByteArray("\"Broken\"=\"no end") << QByteArray("\"Broken\"=\"no end");
        QTest::newRow("bad number") << QByteArray("\"Bad\"=dword:xyz") << QByteArray("\"Bad\"=dword:xyz");
        QTest::newRow("number too long") << QByteArray("\"Bad\"=dword:123456789") << QByteArray("\"Bad\"=dword:123456789");
        QTest::newRow("bad hex") << QByteArray("\"Bad\"=hex:01,zz,03") << QByteArray("\"Bad\"=hex:01,zz,03");
        QTest::newRow("hex continuation cut off") << QByteArray("\"Bad\"=hex:01,02,\\") << QByteArray("\"Bad\"=hex:01,02,\\");
        QTest::newRow("no equals sign") << QByteArray("\"Bad\" dword:00000001") << QByteArray("\"Bad\" dword:00000001");
        QTest::newRow("unclosed section") << QByteArray("[HKEY_CURRENT_USER\\Software\\Broken")
                                          << QByteArray("[HKEY_CURRENT_USER\\Software\\Broken");
        QTest::newRow("other root") << QByteArray("[HKEY_LOCAL_MACHINE\\Software]\n\"x\"=\"y\"")
                                    << QByteArray("[HKEY_LOCAL_MACHINE\\Software]\n\"x\"=\"y\"");
    }
    void damagedHive()
    {
        QFETCH(QByteArray, junk);
        QFETCH(QByteArray, kept);
        testenv::Sandbox box;
        const QByteArray good = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Tarnwel\\Orvel3\\Settings]\n"
                                "\"Id\"=dword:00000003\n";
        writeAll(hiveFile(HKEY_CURRENT_USER), good + junk + "\n\"After\"=\"ok\"\n");
        QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"))->data, dword(3).data);
        QVERIFY(!readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Bad")));
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("New"), dword(9)));
        reopen();
        QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("New"))->data, dword(9).data);
        QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"))->data, dword(3).data);
        QVERIFY(readAll(hiveFile(HKEY_CURRENT_USER)).contains(kept));
    }

    // A line that could not be read goes when the value it names is written (or deleted), with the
    // continuation lines of its hex data; the unreadable lines of other values stay.
    void unreadableLineGoesWithItsValue_data()
    {
        QTest::addColumn<QByteArray>("junk");
        QTest::addColumn<bool>("remove");
        QTest::newRow("bad number, written") << QByteArray("\"AlertDefaultDays\"=dword:xyz") << false;
        QTest::newRow("unclosed text, written") << QByteArray("\"alertdefaultdays\"=\"no end") << false;
        QTest::newRow("bad hex over two lines, written")
            << QByteArray("\"AlertDefaultDays\"=hex:01,zz,\\\n  03,04") << false;
        QTest::newRow("bad number, deleted") << QByteArray("\"AlertDefaultDays\"=dword:xyz") << true;
    }
    void unreadableLineGoesWithItsValue()
    {
        QFETCH(QByteArray, junk);
        QFETCH(bool, remove);
        testenv::Sandbox box;
        const QByteArray other = "\"Other\"=dword:qq";
        writeAll(hiveFile(HKEY_CURRENT_USER),
                 "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Tarnwel\\Orvel3\\Settings]\n"
                 "\"Id\"=dword:00000003\n" + junk + "\n" + other + "\n\"AlertDefaultDays\"=dword:00000004\n");
        if (remove)
            QVERIFY(deleteValue(HKEY_CURRENT_USER, Key, QStringLiteral("AlertDefaultDays")));
        else
            QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("AlertDefaultDays"), dword(5)));
        reopen();
        const QByteArray bytes = readAll(hiveFile(HKEY_CURRENT_USER));
        for (const QByteArray &line : junk.split('\n'))
            QVERIFY2(!bytes.contains(line), line.constData());
        QVERIFY(bytes.contains(other + '\n'));
        QCOMPARE(bytes.count("AlertDefaultDays"), remove ? 0 : 1);
        QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"))->data, dword(3).data);
        if (!remove)
            QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("AlertDefaultDays"))->data, dword(5).data);
    }

    // A byte that is not UTF-8 changes the reading of its own line only: the other values keep their text,
    // and a write keeps them as they were.
    void oneBadByteSpoilsOnlyItsLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("note");          // how the value Note reads, "" for none
        QTest::newRow("in another value") << QByteArray("\"Note\"=\"caf\xe9\"") << QStringLiteral("caf\u00e9");
        QTest::newRow("in a comment") << QByteArray("; edited by hand \xff") << QString();
        QTest::newRow("in an unreadable line") << QByteArray("garbage \xfe\xff") << QString();
    }
    void oneBadByteSpoilsOnlyItsLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, note);
        testenv::Sandbox box;
        const QByteArray dbPathLine = QStringLiteral("\"DbPath\"=\"/home/ann/Società/Orvel3DB\"").toUtf8();
        writeAll(hiveFile(HKEY_CURRENT_USER),
                 "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Tarnwel\\Orvel3\\Settings]\n"
                 + dbPathLine + "\n" + line + "\n\"After\"=\"ok\"\n");
        QCOMPARE(textOf(*readValue(HKEY_CURRENT_USER, Key, QStringLiteral("DbPath"))), QStringLiteral("/home/ann/Società/Orvel3DB"));
        QCOMPARE(textOf(*readValue(HKEY_CURRENT_USER, Key, QStringLiteral("After"))), QStringLiteral("ok"));
        const auto noteValue = readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Note"));
        QCOMPARE(noteValue ? textOf(*noteValue) : QString(), note);
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("New"), dword(1)));
        reopen();
        QCOMPARE(textOf(*readValue(HKEY_CURRENT_USER, Key, QStringLiteral("DbPath"))), QStringLiteral("/home/ann/Società/Orvel3DB"));
        QVERIFY(readAll(hiveFile(HKEY_CURRENT_USER)).contains(dbPathLine + '\n'));
        QVERIFY(takeSetAsideHives().isEmpty());
    }

    // A hive that cannot be read as a whole is renamed aside, kept as it was, reported once, and the store
    // goes on with an empty hive; a whole one is read as always.
    void unreadableHiveIsSetAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("setAside");
        const QByteArray whole = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tarnwel\\Orvel3\\Settings]\r\n"
                                 "\"Id\"=dword:00000003\r\n";
        QByteArray utf16;
        for (QChar c : QString::fromLatin1(whole))
            utf16.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
        QTest::newRow("whole") << whole << false;
        QTest::newRow("whole, UTF-16 with its byte-order mark") << QByteArray("\xff\xfe") + utf16 << false;
        QTest::newRow("cut short") << whole.left(whole.size() - 4) << true;
        QTest::newRow("cut inside the header") << whole.left(20) << true;
        QTest::newRow("UTF-16 without its byte-order mark") << utf16 << true;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("no header") << whole.mid(whole.indexOf('[')) << true;
        // Only a file cut short is set aside: one whose last line is whole but has no line break is read.
        QTest::newRow("no final line break") << whole.chopped(2) << false;
        QTest::newRow("no final line break after a text") << whole + "\"P\"=\"/srv/data\"" << false;
        QTest::newRow("no final line break after a section") << whole + "[HKEY_CURRENT_USER\\Software\\X]" << false;
        QTest::newRow("no final line break after a text in hex") << whole + "\"P\"=hex(2):41,00,00,00" << false;
        QTest::newRow("cut inside a text") << whole + "\"P\"=\"/srv/da" << true;
        QTest::newRow("cut inside a section name") << whole + "[HKEY_CURRENT_USER\\Soft" << true;
        QTest::newRow("cut inside hex data") << whole + "\"P\"=hex:01,02,\\\r\n  03," << true;
        QTest::newRow("cut inside a text in hex") << whole + "\"P\"=hex(2):41,00,00" << true;
    }
    void unreadableHiveIsSetAside()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, setAside);
        testenv::Sandbox box;
        takeSetAsideHives();
        const QString file = hiveFile(HKEY_CURRENT_USER);
        writeAll(file, bytes);
        reopen();
        const auto id = readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"));
        QCOMPARE(bool(id), !setAside);
        const QStringList aside = takeSetAsideHives();
        QCOMPARE(aside.size(), int(setAside));
        QVERIFY(takeSetAsideHives().isEmpty());
        if (!setAside) {
            QCOMPARE(id->data, dword(3).data);
            return;
        }
        QVERIFY(aside.first().startsWith(file + QStringLiteral(".unreadable-")));
        QCOMPARE(readAll(aside.first()), bytes);
        QVERIFY(!QFile::exists(file));
        // The store goes on with a new hive; the one set aside is never written over.
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"), dword(1)));
        reopen();
        QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"))->data, dword(1).data);
        QCOMPARE(readAll(aside.first()), bytes);
        QVERIFY(takeSetAsideHives().isEmpty());
    }

    // A lock file left empty by a crash names no holder: a write takes it over at once instead of failing.
    void emptyLockFileIsStale()
    {
        testenv::Sandbox box;
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"), dword(1)));
        writeAll(hiveFile(HKEY_CURRENT_USER) + QStringLiteral(".lock"), QByteArray());
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"), dword(2)));
        reopen();
        QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"))->data, dword(2).data);
    }

    void failedWriteKeepsHive_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("full disk") << "full";
        // The new hive stays in the file's write buffer until it is committed: the failure comes then.
        QTest::newRow("full disk, a small hive") << "full, small";
        QTest::newRow("unreadable hive") << "unreadable";
    }
    void failedWriteKeepsHive()
    {
        QFETCH(QString, failure);
        testenv::Sandbox box;
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"), dword(1)));
        const QString file = hiveFile(HKEY_CURRENT_USER);
        const QByteArray before = readAll(file);
        const QByteArray big(64 * 1024, 'x');
        bool ok = true;
        if (failure == QLatin1String("read-only")) {
            QFile::setPermissions(box.registryFolder(), QFile::ReadOwner | QFile::ExeOwner);
            const bool enforced = !QFile(box.registryFolder() + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
            if (enforced)
                ok = writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Big"), raw(REG_BINARY, big));
            QFile::setPermissions(box.registryFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            if (!enforced)
                QSKIP("file permissions are not enforced for this user");
        } else if (failure == QLatin1String("full")) {
            FullDisk disk(16 * 1024);
            ok = writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Big"), raw(REG_BINARY, big));
        } else if (failure == QLatin1String("full, small")) {
            FullDisk disk(before.size() + 1024);
            ok = writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Big"), makeText(REG_SZ, QString(4000, QLatin1Char('y'))));
        } else {
            // A hive that cannot be read must not be taken for an empty one and written over.
            QVERIFY(QFile::remove(file));
            QVERIFY(QDir().mkdir(file));
            ok = writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Big"), raw(REG_BINARY, big));
            QVERIFY(QFileInfo(file).isDir());
            QVERIFY(QDir().rmdir(file));
            writeAll(file, before);
        }
        QVERIFY(!ok);
        QCOMPARE(readAll(file), before);
        reopen();
        QVERIFY(!readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Big")));
        QCOMPARE(QDir(box.registryFolder()).entryList(QDir::Files | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("HKEY_CURRENT_USER.reg")});
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Big"), raw(REG_BINARY, big)));
    }

    void twoWritersKeepEachOthersValues()
    {
        testenv::Sandbox box;
        constexpr int count = 40;
        QProcess a, b;
        for (QProcess *p : {&a, &b})
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        a.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-writer"), box.registryFolder(),
                                                          QStringLiteral("a"), QString::number(count)});
        b.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-writer"), box.registryFolder(),
                                                          QStringLiteral("b"), QString::number(count)});
        QVERIFY(a.waitForFinished(120000));
        QVERIFY(b.waitForFinished(120000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);
        const QStringList names = *valueNames(HKEY_CURRENT_USER, Shared);
        QCOMPARE(names.size(), 2 * count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(readValue(HKEY_CURRENT_USER, Shared, QStringLiteral("a%1").arg(i))->data, dword(quint32(i)).data);
            QCOMPARE(readValue(HKEY_CURRENT_USER, Shared, QStringLiteral("b%1").arg(i))->data, dword(quint32(i)).data);
        }
    }

    void lockOfAnEndedProcessIsTakenOver()
    {
        testenv::Sandbox box;
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"), dword(1)));
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--child-lock"), hiveFile(HKEY_CURRENT_USER) + QStringLiteral(".lock")});
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("locked"));
        holder.kill();
        QVERIFY(holder.waitForFinished(30000));
        QVERIFY(QFile::exists(hiveFile(HKEY_CURRENT_USER) + QStringLiteral(".lock")));
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"), dword(2)));
        QCOMPARE(readValue(HKEY_CURRENT_USER, Key, QStringLiteral("Id"))->data, dword(2).data);
    }

    void runKeyIsTheLoginAutostart()
    {
        testenv::Sandbox box;
        const QString run = autostart::runKeyPath();
        const QString dir = box.home() + QStringLiteral("/.config/autostart");
        QVERIFY(writeValue(HKEY_CURRENT_USER, run, QStringLiteral("Orvel 3"), makeText(REG_SZ, QStringLiteral("/opt/Orvel 3/Orvel3"))));
        QVERIFY(writeValue(HKEY_CURRENT_USER, run, QStringLiteral("Other"), makeText(REG_SZ, QStringLiteral("/usr/bin/other"))));
        const QString entry = dir + QStringLiteral("/Orvel_3.desktop");
        const QByteArray text = readAll(entry);
        QVERIFY2(text.startsWith("[Desktop Entry]\nType=Application\nName=Orvel 3\nExec=\"/opt/Orvel 3/Orvel3\"\n"),
                 text.constData());
        QVERIFY(text.contains("\nX-GNOME-Autostart-enabled=true\n"));
        QVERIFY(text.contains("\nX-Tarnwel-Run-Value=Orvel 3\n"));
        QVERIFY(QFile::exists(dir + QStringLiteral("/Other.desktop")));
        // Writing again replaces the entry.
        QVERIFY(writeValue(HKEY_CURRENT_USER, run, QStringLiteral("ORVEL 3"), makeText(REG_SZ, QStringLiteral("/new/Orvel3"))));
        QCOMPARE(QDir(dir).entryList(QDir::Files).size(), 2);
        QVERIFY(readAll(entry).contains("Exec=\"/new/Orvel3\"\n"));
        // Deleting one value removes its entry only.
        QVERIFY(deleteValue(HKEY_CURRENT_USER, run, QStringLiteral("orvel 3")));
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!readValue(HKEY_CURRENT_USER, run, QStringLiteral("Orvel 3")));
        QCOMPARE(textOf(*readValue(HKEY_CURRENT_USER, run, QStringLiteral("Other"))), QStringLiteral("/usr/bin/other"));
        // An entry the desktop disabled, or the user deleted, turns the value off.
        writeAll(dir + QStringLiteral("/Other.desktop"), readAll(dir + QStringLiteral("/Other.desktop")) + "Hidden=true\n");
        QVERIFY(!readValue(HKEY_CURRENT_USER, run, QStringLiteral("Other")));
        QVERIFY(valueNames(HKEY_CURRENT_USER, run)->isEmpty());
        QVERIFY(writeValue(HKEY_CURRENT_USER, run, QStringLiteral("Other"), makeText(REG_SZ, QStringLiteral("/usr/bin/other"))));
        QVERIFY(readValue(HKEY_CURRENT_USER, run, QStringLiteral("Other")));
        QVERIFY(QFile::remove(dir + QStringLiteral("/Other.desktop")));
        QVERIFY(!readValue(HKEY_CURRENT_USER, run, QStringLiteral("Other")));
        // Values of other keys have no entries; a file of the same name that is not ours is left alone.
        writeAll(dir + QStringLiteral("/Third.desktop"), "[Desktop Entry]\nType=Application\nExec=mine\n");
        QVERIFY(writeValue(HKEY_CURRENT_USER, run, QStringLiteral("Third"), makeText(REG_SZ, QStringLiteral("/x"))));
        QCOMPARE(readAll(dir + QStringLiteral("/Third.desktop")), QByteArray("[Desktop Entry]\nType=Application\nExec=mine\n"));
        QVERIFY(readAll(dir + QStringLiteral("/Third-2.desktop")).contains("X-Tarnwel-Run-Value=Third\n"));
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Orvel 3"), makeText(REG_SZ, QStringLiteral("/x"))));
        QVERIFY(!QFile::exists(entry));
    }

    void execQuoting_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("exec");
        QTest::newRow("blank") << "/opt/My App/run" << "Exec=\"/opt/My App/run\"";
        QTest::newRow("dollar and quote") << "/a/$b\"c" << "Exec=\"/a/\\\\$b\\\\\"c\"";
        QTest::newRow("backslash") << "C:\\x" << "Exec=\"C:\\\\\\\\x\"";
        QTest::newRow("percent") << "/a/100%" << "Exec=\"/a/100%%\"";
    }
    void execQuoting()
    {
        QFETCH(QString, command);
        QFETCH(QString, exec);
        QVERIFY(QString::fromUtf8(autostart::entryText(QStringLiteral("v"), command)).split(QLatin1Char('\n')).contains(exec));
    }

    // The hive or the autostart entry cannot be written: neither is left behind.
    void failedRunWriteTakesEntryBack_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("the hive past the file size limit") << "hive";
        QTest::newRow("the entry on a full disk") << "entry";
    }
    void failedRunWriteTakesEntryBack()
    {
        QFETCH(QString, failure);
        testenv::Sandbox box;
        QVERIFY(writeValue(HKEY_CURRENT_USER, Key, QStringLiteral("Big"), raw(REG_BINARY, QByteArray(64 * 1024, 'x'))));
        bool ok = true;
        if (failure == QLatin1String("hive")) {
            FullDisk disk(16 * 1024);
            ok = writeValue(HKEY_CURRENT_USER, autostart::runKeyPath(), QStringLiteral("Orvel 3"),
                            makeText(REG_SZ, QStringLiteral("/x")));
        } else {
            platform::setWriteFault([](const QString &file) { return file.endsWith(QLatin1String(".desktop")); });
            ok = writeValue(HKEY_CURRENT_USER, autostart::runKeyPath(), QStringLiteral("Orvel 3"),
                            makeText(REG_SZ, QStringLiteral("/x")));
            platform::setWriteFault(nullptr);
        }
        QVERIFY(!ok);
        QVERIFY(autostart::entryFiles(QStringLiteral("Orvel 3")).isEmpty());
        QVERIFY(!readValue(HKEY_CURRENT_USER, autostart::runKeyPath(), QStringLiteral("Orvel 3")));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args.at(1) == QLatin1String("--child-writer"))
        return childWriter(args.at(2), args.at(3), args.at(4).toInt());
    if (args.size() == 3 && args.at(1) == QLatin1String("--child-lock"))
        return childLockHolder(args.at(2));
    tst_Registry test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_registry.moc"
