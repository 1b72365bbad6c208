// The registry class and its shortcuts: kinds on reading and writing, the errors of failed writes and key
// operations, the Run key, the computer name and the file associations.

#include "tests/common/TestEnv.h"

#include "foundation/comRegistry.h"
#include "platform/RuntimeError.h"
#include "platform/registry/Autostart.h"
#include "platform/registry/RegistryStore.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QtEndian>

#include <optional>

namespace reg = platform::registry;

namespace {

const QString Key = QStringLiteral("Software\\Tarnwel\\Orvel3\\Settings");
const QString Run = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString Source = QStringLiteral("tst_comregistry.comRegistry");
const qint64 SetValueError = -2147194455;   // 0x800469A9

reg::RawValue raw(int kind, const QByteArray &data)
{
    reg::RawValue v;
    v.kind = kind;
    v.data = data;
    return v;
}

QByteArray le(quint32 n)
{
    QByteArray d(4, '\0');
    qToLittleEndian(n, d.data());
    return d;
}

// The error a call raises; none when it returns.
template<typename F>
std::optional<platform::RuntimeError> errorOf(F &&call)
{
    try {
        call();
    } catch (const platform::RuntimeError &e) {
        return e;
    }
    return std::nullopt;
}

QString failedToSet(const QString &name, const QString &value)
{
    return QStringLiteral("Failed to set registry value Key: '-2147483647',Section: '") + Key + QStringLiteral("',Key: '")
           + name + QStringLiteral("' to value: '") + value + QLatin1Char('\'');
}

} // namespace

class tst_ComRegistry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("ORVEL_TEST_DIR", "/tmp/orvel");
        qunsetenv("ORVEL_NOT_SET");
    }

    void regRead_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<int>("storedKind");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("askedKind");
        QTest::addColumn<QVariant>("defaultValue");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("missing number, default 2") << false << 0 << QByteArray() << 4 << QVariant(2) << QVariant(2);
        QTest::newRow("number 7") << true << 4 << le(7) << 4 << QVariant(2) << QVariant(7);
        QTest::newRow("Boolean stored as 2 is not 1") << true << 4 << le(2) << 4 << QVariant(0) << QVariant(2);
        QTest::newRow("negative number") << true << 4 << le(0xffffffff) << 4 << QVariant(0) << QVariant(-1);
        QTest::newRow("missing, no default") << false << 0 << QByteArray() << 1 << QVariant() << QVariant();
        QTest::newRow("text C:\\Data") << true << 1 << QByteArray("C:\\Data\0", 8) << 1 << QVariant() << QVariant(QStringLiteral("C:\\Data"));
        QTest::newRow("empty text") << true << 1 << QByteArray("\0", 1) << 1 << QVariant(QStringLiteral("x"))
                                    << QVariant(QStringLiteral(""));
        QTest::newRow("text asked as number") << true << 1 << QByteArray("abc\0", 4) << 4 << QVariant(0) << QVariant(QStringLiteral("abc"));
        QTest::newRow("number asked as text") << true << 4 << le(5) << 1 << QVariant(QString()) << QVariant(5);
        QTest::newRow("non-ASCII text") << true << 1 << QStringLiteral("Città €").toUtf8().append('\0') << 1 << QVariant()
                                        << QVariant(QStringLiteral("Città €"));
        QTest::newRow("expandable") << true << 2 << QByteArray("%ORVEL_TEST_DIR%\\x\0", 19) << 1 << QVariant()
                                    << QVariant(QStringLiteral("/tmp/orvel\\x"));
        QTest::newRow("expandable, unknown variable") << true << 2 << QByteArray("%ORVEL_NOT_SET%\\x\0", 18) << 1 << QVariant()
                                                      << QVariant(QStringLiteral("%ORVEL_NOT_SET%\\x"));
        QTest::newRow("big-endian number") << true << 5 << QByteArray("\0\0\x01\x02", 4) << 4 << QVariant() << QVariant(258);
        QTest::newRow("multi-text") << true << 7 << QByteArray("a\0b\0\0", 5) << 1 << QVariant()
                                    << QVariant(QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0)));
        QTest::newRow("binary") << true << 3 << QByteArray("\x01\x02", 2) << 1 << QVariant() << QVariant(QByteArray("\x01\x02", 2));
    }
    void regRead()
    {
        QFETCH(bool, stored);
        QFETCH(int, storedKind);
        QFETCH(QByteArray, data);
        QFETCH(int, askedKind);
        QFETCH(QVariant, defaultValue);
        QFETCH(QVariant, expected);
        testenv::Sandbox box;
        if (stored)
            QVERIFY(reg::writeValue(reg::HKEY_CURRENT_USER, Key, QStringLiteral("V"), raw(storedKind, data)));
        const QVariant got = RegRead(askedKind, QStringLiteral("V"), Key, defaultValue);
        QCOMPARE(got.typeId(), expected.typeId());
        QCOMPARE(got, expected);
        // The found kind replaces the one asked for.
        comRegistry r;
        QCOMPARE(r.ValueEx(comRegistry::HKEY_CURRENT_USER, Key, QStringLiteral("V"), askedKind, defaultValue), expected);
        QCOMPARE(r.ValueType(), stored ? storedKind : askedKind);
    }

    void regWrite_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("storedKind");
        QTest::addColumn<QVariant>("readBack");
        QTest::newRow("50% off") << 1 << QVariant(QStringLiteral("50% off")) << 1 << QVariant(QStringLiteral("50% off"));
        QTest::newRow("%ORVEL_TEST_DIR%\\x") << 1 << QVariant(QStringLiteral("%ORVEL_TEST_DIR%\\x")) << 2
                                             << QVariant(QStringLiteral("/tmp/orvel\\x"));
        QTest::newRow("two % side by side") << 1 << QVariant(QStringLiteral("a%%b")) << 1 << QVariant(QStringLiteral("a%%b"));
        QTest::newRow("kind 2 without %") << 2 << QVariant(QStringLiteral("plain")) << 1 << QVariant(QStringLiteral("plain"));
        QTest::newRow("empty text") << 1 << QVariant(QString()) << 1 << QVariant(QStringLiteral(""));
        QTest::newRow("non-ASCII text") << 1 << QVariant(QStringLiteral("Zürich 日本")) << 1 << QVariant(QStringLiteral("Zürich 日本"));
        QTest::newRow("number") << 4 << QVariant(7) << 4 << QVariant(7);
        QTest::newRow("big-endian kind writes kind 4") << 5 << QVariant(7) << 4 << QVariant(7);
        QTest::newRow("16-bit number") << 4 << QVariant::fromValue<short>(-3) << 4 << QVariant(-3);
        QTest::newRow("real rounds half to even") << 4 << QVariant(2.5f) << 4 << QVariant(2);
        QTest::newRow("real rounds") << 4 << QVariant(3.6) << 4 << QVariant(4);
        QTest::newRow("unsigned 32 bits") << 4 << QVariant(0xffffffffu) << 4 << QVariant(-1);
        QTest::newRow("binary") << 3 << QVariant(QByteArray("\0\x01", 2)) << 3 << QVariant(QByteArray("\0\x01", 2));
        QTest::newRow("multi-text from a list") << 7 << QVariant(QStringList{QStringLiteral("a"), QStringLiteral("b")}) << 7
                                                << QVariant(QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0)));
    }
    void regWrite()
    {
        QFETCH(int, kind);
        QFETCH(QVariant, value);
        QFETCH(int, storedKind);
        QFETCH(QVariant, readBack);
        testenv::Sandbox box;
        RegWrite(kind, QStringLiteral("V"), Key, value);
        QCOMPARE(reg::readValue(reg::HKEY_CURRENT_USER, Key, QStringLiteral("V"))->kind, storedKind);
        const QVariant got = RegRead(1, QStringLiteral("V"), Key);
        QCOMPARE(got.typeId(), readBack.typeId());
        QCOMPARE(got, readBack);
    }

    // A value of the wrong kind is refused and nothing is written, not even the key.
    void wrongKindIsRefused_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("description");
        QTest::newRow("binary from text") << 3 << QVariant(QStringLiteral("01")) << QString();
        QTest::newRow("number from text") << 4 << QVariant(QStringLiteral("7")) << failedToSet(QStringLiteral("V"), QStringLiteral("7"));
        QTest::newRow("number beyond 32 bits") << 4 << QVariant(qint64(1) << 40)
                                               << failedToSet(QStringLiteral("V"), QStringLiteral("1099511627776"));
        QTest::newRow("number from Boolean") << 4 << QVariant(true) << failedToSet(QStringLiteral("V"), QStringLiteral("true"));
        QTest::newRow("unknown kind") << 0 << QVariant(1) << failedToSet(QStringLiteral("V"), QStringLiteral("1"));
    }
    void wrongKindIsRefused()
    {
        QFETCH(int, kind);
        QFETCH(QVariant, value);
        QFETCH(QString, description);
        testenv::Sandbox box;
        const auto e = errorOf([&] { RegWrite(kind, QStringLiteral("V"), Key, value); });
        QVERIFY(e);
        QCOMPARE(e->number(), comRegistry::ErrKey);
        QCOMPARE(e->source(), Source);
        QCOMPARE(e->description(), description);
        QVERIFY(!reg::keyExists(reg::HKEY_CURRENT_USER, Key));
    }

    void failedWrite_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("keyExists");
        QTest::addColumn<qint64>("number");
        QTest::addColumn<int>("kind");   // what the failure means for the user
        const int other = int(platform::ErrorKind::Other);
        QTest::newRow("folder cannot be made") << "no folder" << false << comRegistry::ErrKey << other;
        QTest::newRow("file size limit") << "limit" << true << SetValueError << other;
        QTest::newRow("full disk") << "full" << true << SetValueError << int(platform::ErrorKind::DiskFull);
        QTest::newRow("full disk, key to create") << "full" << false << comRegistry::ErrKey
                                                  << int(platform::ErrorKind::DiskFull);
        QTest::newRow("read-only folder") << "read-only" << true << SetValueError << other;
    }
    void failedWrite()
    {
        QFETCH(QString, failure);
        QFETCH(bool, keyExists);
        QFETCH(qint64, number);
        QFETCH(int, kind);
        testenv::Sandbox box;
        if (keyExists)
            RegWrite(4, QStringLiteral("Id"), Key, 1);
        else
            RegWrite(4, QStringLiteral("Id"), QStringLiteral("Software\\Tarnwel\\Other"), 1);
        const QByteArray before = [] {
            QFile hive(reg::hiveFile(reg::HKEY_CURRENT_USER));
            return hive.open(QIODevice::ReadOnly) ? hive.readAll() : QByteArray();
        }();
        const QString text(20000, QLatin1Char('x'));
        std::optional<platform::RuntimeError> e;
        if (failure == QLatin1String("no folder")) {
            QFile blocker(box.root() + QStringLiteral("/blocker"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            reg::setFolder(blocker.fileName() + QStringLiteral("/Tarnwel"));
            e = errorOf([&] { RegWrite(1, QStringLiteral("DbPath"), Key, text); });
        } else if (failure == QLatin1String("limit")) {
            testenv::FileSizeLimit limit(8 * 1024);
            e = errorOf([&] { RegWrite(1, QStringLiteral("DbPath"), Key, text); });
        } else if (failure == QLatin1String("full")) {
            platform::setWriteFault([](const QString &file) { return file.endsWith(QLatin1String(".reg")); });
            e = errorOf([&] { RegWrite(1, QStringLiteral("DbPath"), Key, text); });
            platform::setWriteFault(nullptr);
        } else {
            QFile::setPermissions(box.registryFolder(), QFile::ReadOwner | QFile::ExeOwner);
            const bool enforced = !QFile(box.registryFolder() + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
            if (enforced)
                e = errorOf([&] { RegWrite(1, QStringLiteral("DbPath"), Key, text); });
            QFile::setPermissions(box.registryFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            if (!enforced)
                QSKIP("file permissions are not enforced for this user");
        }
        QVERIFY(e);
        QCOMPARE(e->number(), number);
        QCOMPARE(e->source(), Source);
        QCOMPARE(e->description(), failedToSet(QStringLiteral("DbPath"), text));
        QCOMPARE(int(e->kind()), kind);
        // A full disk is told naming the settings file.
        QCOMPARE(e->subject(), kind == int(platform::ErrorKind::DiskFull)
                                   ? QDir::toNativeSeparators(reg::hiveFile(reg::HKEY_CURRENT_USER))
                                   : QString());
        QCOMPARE(RegRead(1, QStringLiteral("DbPath"), Key, QStringLiteral("none")).toString(), QStringLiteral("none"));
        if (failure != QLatin1String("no folder")) {
            QFile hive(reg::hiveFile(reg::HKEY_CURRENT_USER));
            QVERIFY(hive.open(QIODevice::ReadOnly));
            QCOMPARE(hive.readAll(), before);
        }
        if (keyExists)
            QCOMPARE(RegRead(4, QStringLiteral("Id"), Key).toInt(), 1);
    }

    void regDeleteValueRemovesOnlyThatValue()
    {
        testenv::Sandbox box;
        RegWrite(1, QStringLiteral("Orvel 3"), Run, QStringLiteral("/opt/orvel/Orvel3"));
        RegWrite(1, QStringLiteral("Other"), Run, QStringLiteral("/usr/bin/other"));
        QCOMPARE(QDir(reg::autostart::folder()).entryList(QDir::Files).size(), 2);
        RegDeleteValue(1, QStringLiteral("Orvel 3"), Run);
        QCOMPARE(RegRead(1, QStringLiteral("Orvel 3"), Run, QString()).toString(), QString());
        QCOMPARE(RegRead(1, QStringLiteral("Other"), Run).toString(), QStringLiteral("/usr/bin/other"));
        QCOMPARE(QDir(reg::autostart::folder()).entryList(QDir::Files), QStringList{QStringLiteral("Other.desktop")});
    }

    void keyErrors_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("description");
        QTest::newRow("delete a missing value")
            << "value"
            << QStringLiteral("Failed to delete registry Key: '-2147483647',Section: '") + Key
                   + QStringLiteral("',Key: 'Nope");
        QTest::newRow("delete a value of a missing key") << "no key"
                                                         << "Failed to open key '-2147483647',Section: 'Software\\Nope' for delete access";
        QTest::newRow("delete a key with subkeys") << "key" << "Failed to delete registry Key: '-2147483647',Section: 'Software\\Tarnwel";
        QTest::newRow("create a key that cannot be stored") << "create" << "Failed to create registry Key: 'Soft\nware";
    }
    void keyErrors()
    {
        QFETCH(QString, operation);
        QFETCH(QString, description);
        testenv::Sandbox box;
        RegWrite(4, QStringLiteral("Id"), Key, 1);
        comRegistry r;
        r.setClassKey(comRegistry::HKEY_CURRENT_USER);
        const auto e = errorOf([&] {
            if (operation == QLatin1String("value")) {
                r.setSectionKey(Key);
                r.setValueKey(QStringLiteral("Nope"));
                r.DeleteValue();
            } else if (operation == QLatin1String("no key")) {
                r.setSectionKey(QStringLiteral("Software\\Nope"));
                r.DeleteValue();
            } else if (operation == QLatin1String("key")) {
                r.setSectionKey(QStringLiteral("Software\\Tarnwel"));
                r.DeleteKey();
            } else {
                r.setSectionKey(QStringLiteral("Soft\nware"));
                r.CreateKey();
            }
        });
        QVERIFY(e);
        QCOMPARE(e->number(), comRegistry::ErrKey);
        QCOMPARE(e->source(), Source);
        QCOMPARE(e->description(), description);
        QCOMPARE(RegRead(4, QStringLiteral("Id"), Key).toInt(), 1);
    }

    void keysAndEnumeration()
    {
        testenv::Sandbox box;
        comRegistry r;
        r.setClassKey(comRegistry::HKEY_CURRENT_USER);
        r.setSectionKey(QStringLiteral("Software\\Tarnwel\\Orvel3\\Grid"));
        QVERIFY(!r.KeyExists());
        QVERIFY(r.CreateKey());
        QVERIFY(r.KeyExists());
        RegWrite(4, QStringLiteral("A"), Key, 1);
        RegWrite(1, QStringLiteral("B"), Key, QStringLiteral("b"));
        QStringList names;
        int count = -1;
        r.setSectionKey(QStringLiteral("Software\\Tarnwel\\Orvel3"));
        QVERIFY(r.EnumerateSections(names, count));
        QCOMPARE(names, (QStringList{QStringLiteral("Grid"), QStringLiteral("Settings")}));
        QCOMPARE(count, 2);
        r.setSectionKey(Key);
        QVERIFY(r.EnumerateValues(names, count));
        QCOMPARE(names, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(count, 2);
        r.setSectionKey(QStringLiteral("Software\\Nope"));
        QVERIFY(!r.EnumerateValues(names, count));
        QVERIFY(!r.EnumerateSections(names, count));
        r.setSectionKey(QStringLiteral("Software\\Tarnwel\\Orvel3\\Grid"));
        QVERIFY(r.DeleteKey());
        QVERIFY(!r.KeyExists());
        r.setValueEx(comRegistry::HKEY_CURRENT_USER, Key, QStringLiteral("C"), 4, QVariant(), 12);
        QCOMPARE(RegRead(4, QStringLiteral("C"), Key).toInt(), 12);
    }

    void machine_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("stored");
        QTest::newRow("name") << "srv" << "\\\\srv";
        QTest::newRow("two characters") << "sv" << "";
        QTest::newRow("with backslashes") << "\\\\srv" << "\\\\srv";
        QTest::newRow("empty") << "" << "";
    }
    void machine()
    {
        QFETCH(QString, given);
        QFETCH(QString, stored);
        testenv::Sandbox box;
        RegWrite(4, QStringLiteral("Id"), Key, 5);
        comRegistry r;
        r.setMachine(given);
        QCOMPARE(r.Machine(), stored);
        // Another computer's registry cannot be reached: reads give the default, writes fail.
        const QVariant read = r.ValueEx(comRegistry::HKEY_CURRENT_USER, Key, QStringLiteral("Id"), 4, 9);
        QCOMPARE(read.toInt(), stored.isEmpty() ? 5 : 9);
        const auto e = errorOf([&] { r.setValue(6); });
        QCOMPARE(bool(e), !stored.isEmpty());
        if (e)
            QCOMPARE(e->description(), failedToSet(QStringLiteral("Id"), QStringLiteral("6")));
    }

    void associations()
    {
        testenv::Sandbox box;
        comRegistry r;
        r.setClassKey(comRegistry::HKEY_CURRENT_USER);
        auto e = errorOf([&] { r.CreateAdditionalEXEAssociations(QStringLiteral("Orvel.Db"), {QStringLiteral("a"), QStringLiteral("b")}); });
        QVERIFY(e);
        QCOMPARE(e->number(), comRegistry::ErrKey);
        QCOMPARE(e->description(),
                 QStringLiteral("Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command"));
        e = errorOf([&] {
            r.CreateAdditionalEXEAssociations(QStringLiteral("Orvel.Db"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        });
        QVERIFY(e);
        QCOMPARE(e->description(), QStringLiteral("Error - attempt to create additional associations before class defined."));
        r.CreateEXEAssociation(QStringLiteral("/opt/orvel/Orvel3"), QStringLiteral("Orvel.Db"), QStringLiteral("Orvel database"),
                               QStringLiteral(".mdb"), QStringLiteral("&Open"), true, QStringLiteral("&Print"), false,
                               QStringLiteral("&New"), true, QString(), 0);
        r.CreateAdditionalEXEAssociations(QStringLiteral("Orvel.Db"),
                                          {QStringLiteral("import"), QStringLiteral("&Import"), QStringLiteral("/opt/tool \"%1\"")});
        const QString classes = QStringLiteral("SOFTWARE\\Classes\\");
        auto text = [&](const QString &key) { return RegRead(1, QString(), classes + key).toString(); };
        QCOMPARE(text(QStringLiteral(".mdb")), QStringLiteral("Orvel.Db"));
        QCOMPARE(text(QStringLiteral("Orvel.Db")), QStringLiteral("Orvel database"));
        QCOMPARE(text(QStringLiteral("Orvel.Db\\shell\\open")), QStringLiteral("&Open"));
        QCOMPARE(text(QStringLiteral("Orvel.Db\\shell\\open\\command")), QStringLiteral("/opt/orvel/Orvel3 \"%1\""));
        QCOMPARE(text(QStringLiteral("Orvel.Db\\shell\\print\\command")), QStringLiteral("/opt/orvel/Orvel3 /p \"%1\""));
        QCOMPARE(text(QStringLiteral("Orvel.Db\\shell\\add")), QStringLiteral("&Install Orvel database"));
        QVERIFY(!reg::keyExists(reg::HKEY_CURRENT_USER, classes + QStringLiteral("Orvel.Db\\shell\\new")));
        QCOMPARE(text(QStringLiteral("Orvel.Db\\DefaultIcon")), QStringLiteral("/opt/orvel/Orvel3,0"));
        QCOMPARE(text(QStringLiteral("Orvel.Db\\shell\\import")), QStringLiteral("&Import"));
        QCOMPARE(text(QStringLiteral("Orvel.Db\\shell\\import\\command")), QStringLiteral("/opt/tool \"%1\""));
    }
};

QTEST_GUILESS_MAIN(tst_ComRegistry)
#include "tst_comregistry.moc"
