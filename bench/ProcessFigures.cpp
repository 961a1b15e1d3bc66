#include "ProcessFigures.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The number after "name:" in a /proc file of lines such as "VmRSS:   12345 kB".
qint64 procField(qint64 pid, const QString &file, const QByteArray &name)
{
    QFile figures(u"/proc/%1/%2"_s.arg(pid).arg(file));
    if (!figures.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : figures.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
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
