#pragma once

#include "importtool/OldDatabase.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

// An older database is read in a process of its own: the reader libraries may loop for ever or take memory
// without end on a damaged file, whatever checks they make. The tool starts itself as that reader, with a
// limit on its time and on its memory, takes the tables it sends back and stops it at the first limit
// reached; a reader that does not end well means an older database that cannot be read.
namespace importtool {

struct ReaderLimits {
    std::chrono::milliseconds time;      // for the whole read, from the reader's start
    qint64 memory = 0;                   // bytes the reader may allocate, and may send back
};

// The limits for an older database file of this size: time and memory enough to read a sound file of
// that size on a slow machine, far below what a loop on a damaged file soon reaches.
ReaderLimits readerLimitsFor(qint64 fileSize);

// Reads the tables named of an older database file (those of them it holds), each whole, in a reader process.
// Raises the reader's RuntimeError (a table or value that cannot be read), or one of kind
// OldDatabaseUnreadable when the reader did not end well (a damaged file, a limit reached).
// Pending events run while the reader works.
std::unique_ptr<OldDatabase> readOldDatabase(const QString &file, const QStringList &tables);

// The reader's side. When the program's arguments ask for the reader, reads the file they name, writes the
// tables to the standard output and gives the exit code; otherwise gives nothing. The tool's main (and the
// main of a test that imports) calls it first, before any application object exists.
std::optional<int> runOldDatabaseReader(int argc, char **argv);

// For tests: the program started as the reader, with arguments before the file and the tables (an empty
// program: the running program, as the reader), and limits in place of readerLimitsFor's.
void setOldDatabaseReaderForTests(const QString &program, const QStringList &arguments);
void setReaderLimitsForTests(std::optional<ReaderLimits> limits);

} // namespace importtool
