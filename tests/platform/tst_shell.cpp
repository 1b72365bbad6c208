// Whole files written or copied at once: afterwards the file is complete or as it was, whatever fails on
// the way (a file that may grow no further, as on a disk that fills up; a disk with no room at all; a
// source that cannot be read), and the failure says what it means.

#include "tests/common/TestEnv.h"

#include "platform/RuntimeError.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using platform::ErrorKind;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Bytes that differ along the file, so that a piece copied twice or left out shows.
QByteArray content(qint64 size)
{
    QByteArray bytes;
    bytes.reserve(size);
    for (qint64 i = 0; i < size; ++i)
        bytes.append(char('a' + (i * 7 + i / 4096) % 26));
    return bytes;
}

} // namespace

class tst_Shell : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { platform::setWriteFault(nullptr); }

    void wholeFileIsWrittenOrKept_data()
    {
        QTest::addColumn<QString>("how");        // write, copy
        QTest::addColumn<int>("size");           // bytes of the new content
        QTest::addColumn<QString>("failure");    // limit: the file may grow no further than 1000 bytes;
                                                 // full: the disk fills up; unreadable: no source; none
        QTest::addColumn<int>("kind");           // what the failure means; -1: nothing fails
        // A short content stays in the file's buffer until the end: its failure comes only then.
        QTest::newRow("short write past the limit") << "write" << 4000 << "limit" << int(ErrorKind::Other);
        QTest::newRow("long write past the limit") << "write" << 200000 << "limit" << int(ErrorKind::Other);
        QTest::newRow("copy past the limit") << "copy" << 200000 << "limit" << int(ErrorKind::Other);
        QTest::newRow("write on a full disk") << "write" << 4000 << "full" << int(ErrorKind::DiskFull);
        QTest::newRow("copy on a full disk") << "copy" << 200000 << "full" << int(ErrorKind::DiskFull);
        QTest::newRow("copy of a source that is not there") << "copy" << 0 << "unreadable" << int(ErrorKind::Other);
        QTest::newRow("copy in many pieces") << "copy" << 300001 << "none" << -1;
    }
    void wholeFileIsWrittenOrKept()
    {
        QFETCH(QString, how);
        QFETCH(int, size);
        QFETCH(QString, failure);
        QFETCH(int, kind);
        testenv::Sandbox box;
        const QString folder = box.root() + QStringLiteral("/out");
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + QStringLiteral("/target.txt");
        const QString source = box.root() + QStringLiteral("/source.bin");
        const QByteArray old("the file as it was\n");
        writeAll(target, old);
        const QByteArray bytes = content(size);
        if (how == QLatin1String("copy") && failure != QLatin1String("unreadable"))
            writeAll(source, bytes);
        if (failure == QLatin1String("full"))
            platform::setWriteFault([](const QString &file) { return file.endsWith(QLatin1String("target.txt")); });
        bool raised = false;
        try {
            std::unique_ptr<testenv::FileSizeLimit> limit;
            if (failure == QLatin1String("limit"))
                limit = std::make_unique<testenv::FileSizeLimit>(1000);
            if (how == QLatin1String("write"))
                platform::writeWholeFile(target, bytes, QStringLiteral("test"));
            else
                platform::copyWholeFile(source, target, QStringLiteral("test"));
        } catch (const platform::RuntimeError &e) {
            raised = true;
            QCOMPARE(int(e.kind()), kind);
            QCOMPARE(e.subject(), QDir::toNativeSeparators(failure == QLatin1String("unreadable") ? source : target));
        }
        QCOMPARE(raised, kind >= 0);
        QCOMPARE(readAll(target), raised ? old : bytes);
        // Nothing else is left in the folder.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("target.txt")});
    }

    // A device with no room at all is written directly (it cannot be replaced): its failure is a full disk.
    void deviceWithoutRoom()
    {
        if (!QFileInfo(QStringLiteral("/dev/full")).exists())
            QSKIP("the system has no /dev/full");
        try {
            platform::writeWholeFile(QStringLiteral("/dev/full"), content(100), QStringLiteral("test"));
            QFAIL("no error was raised");
        } catch (const platform::RuntimeError &e) {
            QCOMPARE(e.kind(), ErrorKind::DiskFull);
            QCOMPARE(e.subject(), QStringLiteral("/dev/full"));
        }
    }
};

QTEST_MAIN(tst_Shell)
#include "tst_shell.moc"
