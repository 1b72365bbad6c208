// Reading older databases: the exact conversion of old amounts, the format told by the file's first bytes
// (damaged files refused, never a crash), a real Jet file read whole through the tool's reader process, every
// damaged copy of it refused or read whole, and the reader stopped by its limits when it never returns or
// takes memory without end.

#include "ReaderTestMain.h"
#include "TestEnv.h"

#include "importtool/OldDatabase.h"
#include "importtool/OldDatabaseReader.h"
#include "importtool/OldValues.h"
#include "platform/RuntimeError.h"
#include "platform/database/Currency.h"

#include <QRandomGenerator>
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

// The real Jet file of the tests: 67 pages of 4096 bytes, among them the table DateTest.
const QString RealJetFile = QStringLiteral(ORVEL_TEST_DATA "/DateTestDatabase.mdb");
constexpr int JetPage = 4096;

QByteArray realJetBytes()
{
    QFile f(RealJetFile);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What reading a file through the reader process gave: the DateTest table, or the error's kind and
// description.
struct ReadResult {
    std::optional<OldTable> table;
    platform::ErrorKind kind = platform::ErrorKind::Other;
    QString description;
};

ReadResult readThroughTheReader(const QString &file)
{
    ReadResult result;
    try {
        const auto db = importtool::readOldDatabase(file, {QStringLiteral("DateTest")});
        result.table = db->readTable(QStringLiteral("DateTest"));
    } catch (const platform::RuntimeError &e) {
        result.kind = e.kind();
        result.description = e.description();
    }
    return result;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<qint64>)

class tst_OldDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_box = std::make_unique<testenv::Sandbox>(); }
    void cleanup()
    {
        readertest::useReader(nullptr);
        importtool::setReaderLimitsForTests(std::nullopt);
        m_box.reset();
    }

    void amounts_data();
    void amounts();
    void formatFromTheFirstBytes_data();
    void formatFromTheFirstBytes();
    void realJetFile();
    void damagedJetFile_data();
    void damagedJetFile();
    void readerIsStoppedByItsLimits_data();
    void readerIsStoppedByItsLimits();

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

// Read as the tool reads it, in its reader process: the values come as stored, the texts whole.
void tst_OldDatabase::realJetFile()
{
    const ReadResult read = readThroughTheReader(RealJetFile);
    QVERIFY2(read.table, qPrintable(read.description));
    const OldTable &t = *read.table;
    QCOMPARE(t.columns(), (QStringList{QStringLiteral("IDCol"), QStringLiteral("DateTimeCol"), QStringLiteral("DateCol"),
                                       QStringLiteral("TimeCol"), QStringLiteral("LongTextCol"), QStringLiteral("ShortTextCol")}));
    QCOMPARE(t.rowCount(), 6);
    const QVector<OldTable::Row> rows = t.sortedBy(QStringLiteral("IDCol"));
    QCOMPARE(rows[0][0], QVariant(1));
    QCOMPARE(rows[0][2], QVariant(QDate(2021, 12, 2)));
    QCOMPARE(rows[0][4], QVariant(QStringLiteral("Hello")));
    // Dates far from today, before 1899 too (where the sign is on the whole days only), as stored.
    QCOMPARE(rows[1][2], QVariant(QDate(9999, 1, 1)));
    QCOMPARE(rows[2][1], QVariant(QDate(1898, 1, 1)));
    QCOMPARE(rows[3][1], QVariant(QDate(632, 1, 1)));
    QCOMPARE(rows[5][4].toString().remove(QLatin1Char('\r')), QStringLiteral("New line\nin field"));
}

void tst_OldDatabase::damagedJetFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("mayBeRead");         // the damage may lie where no table reads
    const QByteArray whole = realJetBytes();
    QCOMPARE(whole.size(), 67 * JetPage);
    // Cut after every fifth page, and within pages: always refused, since a part of the file is gone.
    for (int pages = 0; pages < 67; pages += 5)
        QTest::addRow("cut after %d pages", pages) << whole.left(pages * JetPage) << false;
    for (qsizetype length : {qsizetype(100), qsizetype(JetPage + 1), qsizetype(150001), whole.size() - 1})
        QTest::addRow("cut after %d bytes", int(length)) << whole.left(length) << false;
    // Every fourth page overwritten, with zeros, with ones or with noise in turn: refused, or read whole when
    // no table reads that page (an index, free space).
    QRandomGenerator noise(16);
    for (int page = 1, turn = 0; page < 67; page += 4, ++turn) {
        QByteArray fill(JetPage, turn % 3 == 0 ? '\0' : '\xff');
        if (turn % 3 == 2)
            for (char &c : fill)
                c = char(noise.generate());
        QTest::addRow("page %d overwritten", page) << QByteArray(whole).replace(page * JetPage, JetPage, fill) << true;
    }
}

// Whatever the damage, the read ends within its time limit: refused as a file that cannot be read, or
// read whole with every row of its table.
void tst_OldDatabase::damagedJetFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, mayBeRead);
    importtool::setReaderLimitsForTests(importtool::ReaderLimits{std::chrono::seconds(3), qint64(256) << 20});
    const QString file = m_box->root() + QStringLiteral("/damaged.mdb");
    writeFile(file, content);
    const ReadResult read = readThroughTheReader(file);
    if (read.table) {
        QVERIFY(mayBeRead);
        QCOMPARE(read.table->rowCount(), 6);
    } else {
        QVERIFY2(read.kind == platform::ErrorKind::OldDatabaseUnreadable
                     || (mayBeRead && read.kind == platform::ErrorKind::OldValueUnreadable),
                 qPrintable(read.description));
    }
}

void tst_OldDatabase::readerIsStoppedByItsLimits_data()
{
    QTest::addColumn<QByteArray>("reader");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("stopped");        // part of the description
    QTest::newRow("a reader that never returns: its time") << QByteArray(readertest::NeverReturns) << 1
                                                           << "did not finish within 1000 ms";
    // Its time would stop it much later: its memory stops it first.
    QTest::newRow("a reader that takes memory without end: its memory")
        << QByteArray(readertest::TakesMemory) << 120 << "ended before it had read the file";
}

void tst_OldDatabase::readerIsStoppedByItsLimits()
{
    QFETCH(QByteArray, reader);
    QFETCH(int, seconds);
    QFETCH(QString, stopped);
    readertest::useReader(reader.constData());
    importtool::setReaderLimitsForTests(importtool::ReaderLimits{std::chrono::seconds(seconds), qint64(128) << 20});
    const ReadResult read = readThroughTheReader(RealJetFile);
    QVERIFY(!read.table);
    QCOMPARE(read.kind, platform::ErrorKind::OldDatabaseUnreadable);
    QVERIFY2(read.description.contains(stopped), qPrintable(read.description));
}

READER_TEST_MAIN(tst_OldDatabase)
#include "tst_olddatabase.moc"
