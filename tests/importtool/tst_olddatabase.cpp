// Reading older databases: the exact conversion of old amounts, the format told by the file's first bytes
// (damaged files refused, never a crash), and libmdb on a real Jet file when one is installed on the machine.

#include "TestEnv.h"

#include "importtool/JetDatabase.h"
#include "importtool/OldDatabase.h"
#include "importtool/OldValues.h"
#include "platform/RuntimeError.h"
#include "platform/database/Currency.h"

#include <QDirIterator>
#include <QTest>

#include <optional>

using importtool::OldTable;
using platform::Currency;

namespace {

std::optional<QString> errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const platform::RuntimeError &e) {
        return e.description();
    }
    return std::nullopt;
}

void writeFile(const QString &file, const QByteArray &data)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// Jet files installed on this machine by its packages, if any.
QStringList installedJetFiles()
{
    QStringList files;
    QDirIterator it(QStringLiteral("/usr/share"), {QStringLiteral("*.mdb"), QStringLiteral("*.MDB")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        QFile f(file);
        if (f.open(QIODevice::ReadOnly) && f.read(20).mid(4, 15) == "Standard Jet DB")
            files.append(file);
    }
    return files;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<qint64>)

class tst_OldDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_box = std::make_unique<testenv::Sandbox>(); }
    void cleanup() { m_box.reset(); }

    void amounts_data();
    void amounts();
    void formatFromTheFirstBytes_data();
    void formatFromTheFirstBytes();
    void jetFilesInstalledOnTheMachine();

private:
    std::unique_ptr<testenv::Sandbox> m_box;
};

void tst_OldDatabase::amounts_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<std::optional<qint64>>("raw");      // ten-thousandths; none: refused
    auto row = [](const char *name, const QVariant &v, std::optional<qint64> raw) { QTest::newRow(name) << v << raw; };
    row("Null", QVariant(), std::nullopt);
    row("Currency as it is", QVariant::fromValue(Currency::fromRaw(-123456789LL)), -123456789LL);
    row("the largest amount, as a debit", QVariant::fromValue(Currency::fromRaw(-Currency::MaxAmountRaw)),
        -Currency::MaxAmountRaw);
    row("Currency beyond the largest amount", QVariant::fromValue(Currency::fromRaw(-922337203685477580LL)), std::nullopt);
    row("a cent beyond the largest amount, as text", QVariant(QStringLiteral("1000000000000")), std::nullopt);
    row("whole number", QVariant(25), 250000);
    row("0.1 + 0.2", QVariant(0.1 + 0.2), 3000);
    row("more decimals: rounded", QVariant(-1.23456), -12346);
    row("decimal text", QVariant(QStringLiteral(" 7.5 ")), 75000);
    row("not an amount", QVariant(QStringLiteral("abc")), std::nullopt);
    row("infinite", QVariant(std::numeric_limits<double>::infinity()), std::nullopt);
    row("beyond Currency", QVariant(1e300), std::nullopt);
}

void tst_OldDatabase::amounts()
{
    QFETCH(QVariant, value);
    QFETCH(std::optional<qint64>, raw);
    const bool isNull = !value.isValid();
    QVariant result;
    const auto error = errorOf([&] { result = importtool::amountOf(value, QStringLiteral("TrValue")); });
    if (isNull) {
        QVERIFY(!error);
        QVERIFY(!result.isValid());
    } else if (!raw) {
        QVERIFY(error);
        QVERIFY2(error->contains(QStringLiteral("TrValue")), qPrintable(*error));
    } else {
        QVERIFY2(!error, qPrintable(error.value_or(QString())));
        QCOMPARE(result.value<Currency>().raw(), *raw);
    }
}

void tst_OldDatabase::formatFromTheFirstBytes_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");          // part of the description
    QByteArray jet(3 * 4096, '\0');
    jet.replace(0, 20, QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20));
    QByteArray garbledJet = jet;
    for (int i = 20; i < garbledJet.size(); ++i)
        garbledJet[i] = char(i * 7919);
    QTest::newRow("missing") << QByteArray() << "Could not find file";
    QTest::newRow("empty") << QByteArray("") << "Unrecognized database format";
    QTest::newRow("text") << QByteArray("DbId;DbName\n1;Casa\n") << "Unrecognized database format";
    QTest::newRow("Jet header, no pages") << jet.left(32) << "dummy.mdb";
    QTest::newRow("Jet header, empty pages") << jet << "dummy.mdb";
    QTest::newRow("Jet header, garbled pages") << garbledJet << "dummy.mdb";
    QTest::newRow("SQLite header, garbled") << QByteArray("SQLite format 3\0", 16) + QByteArray(4096, 'x')
                                            << "dummy.mdb";
}

void tst_OldDatabase::formatFromTheFirstBytes()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    const QString file = m_box->root() + QStringLiteral("/dummy.mdb");
    if (!content.isNull())
        writeFile(file, content);
    // A file that cannot be read is refused when it is opened or when its tables are read, never crashes.
    const auto e = errorOf([&] {
        const auto db = importtool::openOldDatabase(file);
        for (const QString &table : db->tableNames())
            db->readTable(table);
        db->readTable(QStringLiteral("Dbs"));
    });
    QVERIFY(e);
    QVERIFY2(e->contains(error), qPrintable(*e));
}

void tst_OldDatabase::jetFilesInstalledOnTheMachine()
{
    const QStringList files = installedJetFiles();
    if (files.isEmpty())
        QSKIP("No Jet database is installed under /usr/share on this machine: the libmdb reader is tested only on "
              "damaged Jet files here.");
    for (const QString &file : files) {
        importtool::JetDatabase db(file);
        const QStringList tables = db.tableNames();
        QVERIFY2(!tables.isEmpty(), qPrintable(file));
        for (const QString &table : tables) {
            const OldTable t = db.readTable(table);
            QVERIFY(!t.columns().isEmpty());
            for (const OldTable::Row &row : t.rows())
                QCOMPARE(row.size(), t.columns().size());
        }
    }
}

QTEST_MAIN(tst_OldDatabase)
#include "tst_olddatabase.moc"
