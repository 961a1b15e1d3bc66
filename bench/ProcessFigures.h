#pragma once

#include <QtGlobal>

// What /proc says about a running process, for the benchmarks.

// Resident set size (VmRSS) in KiB; -1 when it cannot be read.
qint64 residentKiB(qint64 pid);
// User plus system CPU time in seconds; -1 when it cannot be read.
double cpuSeconds(qint64 pid);
