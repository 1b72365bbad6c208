#include "importtool/OldDatabaseReader.h"

#include "platform/RuntimeError.h"
#include "platform/database/Currency.h"
#include "platform/shell/Shell.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <cstdio>
#include <new>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace importtool {

namespace {

using namespace std::chrono_literals;

// The first argument that makes the program the reader.
constexpr char ReaderSwitch[] = "--read-old-database";
// The reader's exit code when it ran out of the memory it may take.
constexpr int OutOfMemoryExit = 3;
// How often the tool looks at the reader (and lets its own events run) while it works.
constexpr int PollMs = 50;

// AddressSanitizer reserves terabytes of address space for its shadow memory as the reader starts, which a
// limit on the reader's data would refuse. In such a build the reader's memory is bounded by the
// sanitizer's own watch over its resident size instead, which aborts the reader as running out of memory
// under the data limit does.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool MemoryWatchedBySanitizer = true;
#else
constexpr bool MemoryWatchedBySanitizer = false;
#endif

QString g_testProgram;
QStringList g_testArguments;
std::optional<ReaderLimits> g_testLimits;

// What the reader sends: a mark, then the tables or the error that stopped it, then an end mark, so that
// output cut short is told from output complete.
constexpr quint32 StartMark = 0x4f4c4431;      // "OLD1"
constexpr quint32 EndMark = 0x454e4421;        // "END!"
enum class Outcome : quint8 { Tables = 0, Error = 1 };
// The kinds of value an older table holds, as they travel.
enum class Tag : quint8 { Null, Bool, Int, LongLong, Double, Currency, Date, DateTime, Text, Bytes };

void writeValue(QDataStream &out, const QVariant &v)
{
    if (!v.isValid() || v.isNull()) {
        out << quint8(Tag::Null);
        return;
    }
    if (v.metaType() == QMetaType::fromType<platform::Currency>()) {
        out << quint8(Tag::Currency) << qint64(v.value<platform::Currency>().raw());
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool: out << quint8(Tag::Bool) << v.toBool(); break;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::SChar: out << quint8(Tag::Int) << qint32(v.toInt()); break;
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: out << quint8(Tag::LongLong) << qint64(v.toLongLong()); break;
    case QMetaType::Double:
    case QMetaType::Float: out << quint8(Tag::Double) << v.toDouble(); break;
    case QMetaType::QDate: out << quint8(Tag::Date) << qint64(v.toDate().toJulianDay()); break;
    case QMetaType::QDateTime: {
        const QDateTime t = v.toDateTime();
        out << quint8(Tag::DateTime) << qint64(t.date().toJulianDay()) << qint32(t.time().msecsSinceStartOfDay());
        break;
    }
    case QMetaType::QByteArray: out << quint8(Tag::Bytes) << v.toByteArray(); break;
    default: out << quint8(Tag::Text) << v.toString(); break;
    }
}

QVariant readValue(QDataStream &in)
{
    quint8 tag = 0;
    in >> tag;
    switch (Tag(tag)) {
    case Tag::Null: return QVariant();
    case Tag::Bool: { bool b = false; in >> b; return b; }
    case Tag::Int: { qint32 n = 0; in >> n; return int(n); }
    case Tag::LongLong: { qint64 n = 0; in >> n; return qlonglong(n); }
    case Tag::Double: { double d = 0; in >> d; return d; }
    case Tag::Currency: { qint64 raw = 0; in >> raw; return QVariant::fromValue(platform::Currency::fromRaw(raw)); }
    case Tag::Date: { qint64 jd = 0; in >> jd; return QDate::fromJulianDay(jd); }
    case Tag::DateTime: {
        qint64 jd = 0;
        qint32 ms = 0;
        in >> jd >> ms;
        return QDateTime(QDate::fromJulianDay(jd), QTime::fromMSecsSinceStartOfDay(ms));
    }
    case Tag::Text: { QString s; in >> s; return s; }
    case Tag::Bytes: { QByteArray b; in >> b; return b; }
    }
    in.setStatus(QDataStream::ReadCorruptData);
    return QVariant();
}

QDataStream &withVersion(QDataStream &s)
{
    s.setVersion(QDataStream::Qt_6_4);
    return s;
}

QByteArray encodeTables(const QVector<OldTable> &tables)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    withVersion(out) << StartMark << quint8(Outcome::Tables) << quint32(tables.size());
    for (const OldTable &t : tables) {
        out << t.name() << t.columns() << quint32(t.rowCount());
        for (const OldTable::Row &row : t.rows())
            for (const QVariant &v : row)
                writeValue(out, v);
    }
    out << EndMark;
    return bytes;
}

QByteArray encodeError(const platform::RuntimeError &e)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    withVersion(out) << StartMark << quint8(Outcome::Error) << qint64(e.number()) << e.source() << e.description()
                     << qint32(e.kind()) << e.subject() << EndMark;
    return bytes;
}

// The older database as the reader sent it: its tables, read whole.
class ReceivedDatabase : public OldDatabase
{
public:
    ReceivedDatabase(QString file, QVector<OldTable> tables) : m_file(std::move(file)), m_tables(std::move(tables)) {}

    QString file() const override { return m_file; }
    QStringList tableNames() override
    {
        QStringList names;
        for (const OldTable &t : m_tables)
            names.append(t.name());
        return names;
    }
    OldTable readTable(const QString &name) override
    {
        for (const OldTable &t : m_tables)
            if (t.name().compare(name, Qt::CaseInsensitive) == 0)
                return t;
        raiseTableMissing(name, m_file);
    }

private:
    QString m_file;
    QVector<OldTable> m_tables;
};

[[noreturn]] void raiseUnreadable(const QString &file, const QString &why)
{
    raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(file),
                          QStringLiteral("The reader of '%1' %2.").arg(file, why));
}

std::unique_ptr<OldDatabase> decode(const QByteArray &bytes, const QString &file)
{
    QDataStream in(bytes);
    quint32 mark = 0;
    quint8 outcome = 0;
    withVersion(in) >> mark >> outcome;
    if (mark != StartMark)
        raiseUnreadable(file, QStringLiteral("sent no tables"));
    if (Outcome(outcome) == Outcome::Error) {
        qint64 number = 0;
        QString source, description, subject;
        qint32 kind = 0;
        in >> number >> source >> description >> kind >> subject >> mark;
        if (in.status() != QDataStream::Ok || mark != EndMark)
            raiseUnreadable(file, QStringLiteral("sent an error cut short"));
        throw platform::RuntimeError(number, source, description, platform::ErrorKind(kind), subject);
    }
    quint32 count = 0;
    in >> count;
    QVector<OldTable> tables;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QString name;
        QStringList columns;
        quint32 rows = 0;
        in >> name >> columns >> rows;
        OldTable table(name, columns);
        for (quint32 r = 0; r < rows && in.status() == QDataStream::Ok; ++r) {
            OldTable::Row row(columns.size());
            for (QVariant &v : row)
                v = readValue(in);
            table.appendRow(std::move(row));
        }
        tables.append(std::move(table));
    }
    in >> mark;
    if (in.status() != QDataStream::Ok || mark != EndMark || !in.atEnd())
        raiseUnreadable(file, QStringLiteral("sent tables cut short"));
    return std::make_unique<ReceivedDatabase>(file, std::move(tables));
}

// Runs in the reader between its start and its program: its limits, and its end when the tool ends.
void limitReader(qint64 memory, qint64 cpuSeconds)
{
    if (!MemoryWatchedBySanitizer) {
        const rlimit data{rlim_t(memory), rlim_t(memory)};
        ::setrlimit(RLIMIT_DATA, &data);
    }
    const rlimit cpu{rlim_t(cpuSeconds), rlim_t(cpuSeconds)};
    ::setrlimit(RLIMIT_CPU, &cpu);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
}

// The standard output for the tables alone: libmdb prints some of its warnings there, which from here on go
// to the standard error. Gives the descriptor the tables are written to, or -1.
int takeStandardOutput()
{
    std::fflush(stdout);
    const int tables = ::dup(STDOUT_FILENO);
    if (tables < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return -1;
    return tables;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    QFile out;
    if (fd < 0 || !out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        return false;
    return out.write(bytes) == bytes.size() && out.flush();
}

} // namespace

ReaderLimits readerLimitsFor(qint64 fileSize)
{
    // A sound file is read at some megabytes a second and takes in memory up to about twenty times its
    // size; a loop on a damaged one soon goes past both. Never more than half the machine's memory.
    constexpr qint64 MiB = qint64(1) << 20;
    const qint64 size = qMax<qint64>(fileSize, 0);
    const qint64 halfTheMachine = qint64(::sysconf(_SC_PHYS_PAGES)) * ::sysconf(_SC_PAGE_SIZE) / 2;
    qint64 memory = 512 * MiB + 16 * size;
    if (halfTheMachine > 0)
        memory = qMin(memory, qMax(halfTheMachine, 256 * MiB));
    return ReaderLimits{6000ms + std::chrono::milliseconds(1000 * (size / (2 * MiB))), memory};
}

std::unique_ptr<OldDatabase> readOldDatabase(const QString &file, const QStringList &tables)
{
    const ReaderLimits limits = g_testLimits.value_or(readerLimitsFor(QFileInfo(file).size()));
    QProcess reader;
    if (g_testProgram.isEmpty()) {
        reader.setProgram(QCoreApplication::applicationFilePath());
        reader.setArguments(QStringList{QLatin1String(ReaderSwitch), file} + tables);
    } else {
        reader.setProgram(g_testProgram);
        reader.setArguments(g_testArguments + QStringList{file} + tables);
    }
    reader.setStandardInputFile(QProcess::nullDevice());
    // libmdb writes a warning for each thing it finds wrong: many thousands on a damaged file.
    reader.setStandardErrorFile(QProcess::nullDevice());
    const qint64 memory = limits.memory;
    const qint64 cpuSeconds = std::chrono::ceil<std::chrono::seconds>(limits.time).count() + 1;
    reader.setChildProcessModifier([memory, cpuSeconds] { limitReader(memory, cpuSeconds); });
    if (MemoryWatchedBySanitizer) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        QString options = environment.value(QStringLiteral("ASAN_OPTIONS"));
        if (!options.isEmpty())
            options += QLatin1Char(':');
        options += QStringLiteral("hard_rss_limit_mb=%1:abort_on_error=1").arg(memory >> 20);
        environment.insert(QStringLiteral("ASAN_OPTIONS"), options);
        reader.setProcessEnvironment(environment);
    }
    reader.start();
    if (!reader.waitForStarted())
        throw platform::RuntimeError(platform::errors::DbGeneric, oldDatabaseErrorSource(),
                                     QStringLiteral("The reader of '%1' cannot be started: %2").arg(file, reader.errorString()));
    QElapsedTimer clock;
    clock.start();
    while (reader.state() != QProcess::NotRunning) {
        if (reader.waitForFinished(PollMs))
            break;
        platform::doEvents();
        if (clock.elapsed() >= limits.time.count()) {
            reader.kill();
            reader.waitForFinished();
            raiseUnreadable(file, QStringLiteral("did not finish within %1 ms").arg(limits.time.count()));
        }
        if (reader.bytesAvailable() > memory) {
            reader.kill();
            reader.waitForFinished();
            raiseUnreadable(file, QStringLiteral("sent more than %1 bytes").arg(memory));
        }
    }
    if (reader.exitStatus() != QProcess::NormalExit)
        raiseUnreadable(file, QStringLiteral("ended before it had read the file"));
    if (reader.exitCode() == OutOfMemoryExit)
        raiseUnreadable(file, QStringLiteral("ran out of the %1 bytes of memory it may take").arg(memory));
    if (reader.exitCode() != 0)
        raiseUnreadable(file, QStringLiteral("ended with the code %1").arg(reader.exitCode()));
    return decode(reader.readAllStandardOutput(), file);
}

std::optional<int> runOldDatabaseReader(int argc, char **argv)
{
    if (argc < 3 || qstrcmp(argv[1], ReaderSwitch) != 0)
        return std::nullopt;
    const int output = takeStandardOutput();
    const QString file = QFile::decodeName(argv[2]);
    QStringList tables;
    for (int i = 3; i < argc; ++i)
        tables.append(QString::fromLocal8Bit(argv[i]));
    QByteArray out;
    try {
        out = encodeTables(openOldDatabase(file)->readTables(tables));
    } catch (const platform::RuntimeError &e) {
        out = encodeError(e);
    } catch (const std::bad_alloc &) {
        return OutOfMemoryExit;
    }
    return writeAll(output, out) ? 0 : 1;
}

void setOldDatabaseReaderForTests(const QString &program, const QStringList &arguments)
{
    g_testProgram = program;
    g_testArguments = arguments;
}

void setReaderLimitsForTests(std::optional<ReaderLimits> limits)
{
    g_testLimits = limits;
}

} // namespace importtool
