#pragma once

// The main of a test that reads older databases. The tool reads them in a process of its own program, so
// the test's program is that reader too; it is also the misbehaving reader that a test puts in its place:
// one that never returns, one that takes memory without end.

#include "importtool/OldDatabaseReader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTest>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace readertest {

constexpr char NeverReturns[] = "--reader-that-never-returns";
constexpr char TakesMemory[] = "--reader-that-takes-memory";

// Puts a misbehaving reader (one of the switches above) in place of the tool's; nullptr puts the tool's own
// back.
inline void useReader(const char *behaviour)
{
    if (behaviour)
        importtool::setOldDatabaseReaderForTests(QCoreApplication::applicationFilePath(), {QLatin1String(behaviour)});
    else
        importtool::setOldDatabaseReaderForTests(QString(), {});
}

[[noreturn]] inline void sleepForEver()
{
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}

inline std::optional<int> runReader(int argc, char **argv)
{
    if (const auto code = importtool::runOldDatabaseReader(argc, argv))
        return code;
    if (argc >= 2 && std::strcmp(argv[1], NeverReturns) == 0)
        sleepForEver();
    if (argc >= 2 && std::strcmp(argv[1], TakesMemory) == 0) {
        // Each block is written, so it is really taken. Past a gigabyte it stops and waits instead: a
        // memory limit that does not hold shows as a reader that never returns, not as a machine without
        // memory.
        constexpr size_t Block = size_t(1) << 20;
        std::vector<std::unique_ptr<char[]>> taken;
        while (taken.size() < 1024) {
            taken.emplace_back(new char[Block]);
            std::memset(taken.back().get(), 1, Block);
        }
        sleepForEver();
    }
    return std::nullopt;
}

} // namespace readertest

#define READER_TEST_MAIN(TestClass)                                                                               \
    int main(int argc, char **argv)                                                                               \
    {                                                                                                             \
        if (const auto code = readertest::runReader(argc, argv))                                                  \
            return *code;                                                                                         \
        QApplication app(argc, argv);                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                \
        TestClass test;                                                                                           \
        return QTest::qExec(&test, argc, argv);                                                                   \
    }
