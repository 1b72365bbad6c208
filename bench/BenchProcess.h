#pragma once

// Programs the benchmarks time from outside: launched with their own environment, their output read,
// their peak memory taken from the system when they end.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace benchprocess {

// What the programs print: "first paint <ms> ms, peak <KiB> KiB" (the session of bench_user: the peak only).
struct Outcome {
    bool ok = false;             // ended with status 0 and printed its peak
    double firstPaintMs = -1;    // launch to the end of the first paint, as the program measured it
    double peakKiB = -1;         // its peak resident memory, as it read it
    double wallMs = 0;           // launch to end
    QByteArray output;
};

// Launches program with args and the current environment plus `env` ("NAME=value"), adding
// ORVEL_BENCH_LAUNCHED_NS with the monotonic clock at the launch; waits for the end.
Outcome run(const QString &program, const QStringList &args, const QStringList &env);

// The monotonic clock in nanoseconds, as ORVEL_BENCH_LAUNCHED_NS gives it.
qint64 monotonicNs();

// A home for a launched program: HOME, XDG folders (runtime folder private), Documents/Orvel3DB holding a
// copy of dbFile. The folder lives as long as the object.
class Home
{
public:
    Home(const QString &root, const QString &dbFile);
    QStringList environment() const;
    QString root() const { return m_root; }

private:
    QString m_root;
};

} // namespace benchprocess
