#include "ProcessFigures.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <unistd.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The number after "name:" in a /proc file of lines such as "VmRSS:   12345 kB".
qint64 procField(const QString &path, const QByteArray &name)
{
    QFile figures(path);
    if (!figures.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : figures.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

qint64 procField(qint64 pid, const QString &file, const QByteArray &name)
{
    return procField(u"/proc/%1/%2"_s.arg(pid).arg(file), name);
}

} // namespace

qint64 residentKiB(qint64 pid)
{
    return procField(pid, u"status"_s, "VmRSS");
}

qint64 peakResidentKiB(qint64 pid)
{
    return procField(pid, u"status"_s, "VmHWM");
}

qint64 privateDirtyKiB(qint64 pid)
{
    return procField(pid, u"smaps_rollup"_s, "Private_Dirty");
}

qint64 threadCount(qint64 pid)
{
    return procField(pid, u"status"_s, "Threads");
}

// utime + stime, fields 14 and 15 of /proc/PID/stat, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The command name may hold spaces; the fields after it are counted from its ")".
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

QMap<qint64, ThreadSwitches> contextSwitchesByThread(qint64 pid)
{
    const QDir tasks(u"/proc/%1/task"_s.arg(pid));
    QMap<qint64, ThreadSwitches> threads;
    for (const QString &thread : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString status = tasks.filePath(thread + u"/status"_s);
        QFile name(tasks.filePath(thread + u"/comm"_s));
        if (!name.open(QIODevice::ReadOnly))
            continue;
        threads.insert(thread.toLongLong(),
                       {QString::fromUtf8(name.readAll().trimmed()),
                        std::max<qint64>(0, procField(status, "voluntary_ctxt_switches"))
                            + std::max<qint64>(0, procField(status, "nonvoluntary_ctxt_switches"))});
    }
    return threads;
}
