#pragma once

#include <QMap>
#include <QString>
#include <QtGlobal>

// What /proc says about a running process, for the benchmarks.

// Resident set size (VmRSS) in KiB; -1 when it cannot be read.
qint64 residentKiB(qint64 pid);
// The highest resident set size (VmHWM) in KiB; -1 when it cannot be read.
qint64 peakResidentKiB(qint64 pid);
// Private dirty pages, the memory the process holds that no other shares, in KiB; -1 when it
// cannot be read.
qint64 privateDirtyKiB(qint64 pid);
// Threads the process holds; -1 when it cannot be read.
qint64 threadCount(qint64 pid);
// User plus system CPU time in seconds; -1 when it cannot be read.
double cpuSeconds(qint64 pid);
struct ThreadSwitches {
    QString name;
    qint64 switches;
};
// Each live thread's name and context switches (times it was switched out, for waiting or being
// preempted: each wake-up is one), by thread id.
QMap<qint64, ThreadSwitches> contextSwitchesByThread(qint64 pid);
