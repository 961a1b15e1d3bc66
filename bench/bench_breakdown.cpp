// The assistants' logs: the first reading of generated logs of both kinds spread over 90 days
// (1024 MB by default, Codex sessions older than a week compressed, Claude's message ids random
// as the real ones are), its time, the peak memory
// and the longest the GUI thread waited meanwhile; a refresh that finds one minute of appended
// lines; Breakdown() with the 90 days indexed. Meanwhile the history's writer is handed a
// changed row every second, as the tray's is: the longest it took to write one, and how often
// the history turned itself off (never, it should).
// build/bench/bench_breakdown [megabytes]
#include "BreakdownQuery.h"
#include "HistoryWriter.h"
#include "UsageBreakdown.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>

#include <zstd.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int days = 89;
constexpr int filesPerDay = 4; // of each kind
const QByteArray padding(900, 'x'); // a content block's text

QString at(const QDateTime &time)
{
    return time.toString(Qt::ISODateWithMs);
}

// The next of a repeatable sequence of well-spread numbers (splitmix64).
quint64 nextRandom(quint64 &state)
{
    quint64 z = (state += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
}

// As Claude's API names them: a fixed head, then random base62, the same for the same serial
// in every run. Sequential ids would land side by side in the index and hide what random ones cost.
QString claudeId(const char *head, qint64 serial, int randomLength)
{
    static constexpr char base62[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    quint64 state = quint64(serial) * 2 + (head[0] == 'm');
    QString id = QString::fromLatin1(head);
    for (int i = 0; i < randomLength; ++i)
        id += QLatin1Char(base62[nextRandom(state) % 62]);
    return id;
}

QByteArray claudeRequest(const QDateTime &time, int project, qint64 serial)
{
    QByteArray lines;
    const QString requestId = claudeId("req_011C", serial, 20);
    const QString messageId = claudeId("msg_01", serial, 22);
    for (int output : {1, 480, 480}) // a streaming placeholder, then a line per content block
        lines += u"{\"type\":\"assistant\",\"timestamp\":\"%1\",\"cwd\":\"/home/me/src/project%2\",\"requestId\":\"%3\","
                 "\"message\":{\"id\":\"%4\",\"model\":\"%5\",\"content\":[{\"type\":\"text\",\"text\":\""_s
                     .arg(at(time), QString::number(project), requestId, messageId,
                          serial % 3 ? u"claude-sonnet-4-5"_s : u"claude-opus-4-5"_s)
                     .toUtf8()
            + padding
            + u"\"}],\"usage\":{\"input_tokens\":4,\"output_tokens\":%1,\"cache_creation_input_tokens\":2100,"
              "\"cache_read_input_tokens\":31000}}}\n"_s.arg(output)
                  .toUtf8();
    return lines;
}

QByteArray codexTurn(const QDateTime &time)
{
    return u"{\"timestamp\":\"%1\",\"type\":\"turn_context\",\"payload\":{\"cwd\":\"/home/me/src/tool\",\"model\":\"gpt-5.2-codex\"}}\n"
           "{\"timestamp\":\"%1\",\"type\":\"response_item\",\"payload\":{\"type\":\"message\",\"content\":\"%2\"}}\n"
           "{\"timestamp\":\"%1\",\"type\":\"event_msg\",\"payload\":{\"type\":\"token_count\",\"info\":{\"last_token_usage\":"
           "{\"input_tokens\":16810,\"cached_input_tokens\":14592,\"output_tokens\":488}}}}\n"_s.arg(at(time),
                                                                                             QString::fromLatin1(padding))
        .toUtf8();
}

void writeLog(const QString &path, const QByteArray &content, bool compress, const QDateTime &modified)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    if (compress) {
        QByteArray packed(qsizetype(ZSTD_compressBound(size_t(content.size()))), Qt::Uninitialized);
        packed.resize(qsizetype(ZSTD_compress(packed.data(), size_t(packed.size()), content.constData(),
                                              size_t(content.size()), 3)));
        file.write(packed);
    } else {
        file.write(content);
    }
    file.setFileTime(modified, QFileDevice::FileModificationTime);
}

// Bytes written, inflated; a file of each kind per day and slot, its lines a minute apart.
qint64 generate(const QString &root, qint64 bytes, const QDateTime &now)
{
    const qint64 perFile = bytes / (days * filesPerDay * 2);
    qint64 written = 0;
    qint64 serial = 0;
    for (int day = 0; day < days; ++day) {
        for (int slot = 0; slot < filesPerDay; ++slot) {
            QDateTime time = now.addDays(-day).addSecs(-3600 * (slot * 2 + 1));
            const QDateTime started = time;
            QByteArray claude;
            QByteArray codex;
            for (; claude.size() < perFile; ++serial)
                claude += claudeRequest(time = time.addSecs(20), int(serial % 11), serial);
            time = started;
            while (codex.size() < perFile)
                codex += codexTurn(time = time.addSecs(20));
            const QString date = started.toString(u"yyyy/MM/dd"_s);
            writeLog(u"%1/claude/projects/p%2/s%3-%4.jsonl"_s.arg(root).arg(slot).arg(day).arg(slot), claude, false, time);
            writeLog(u"%1/codex/sessions/%2/rollout-%3.jsonl%4"_s.arg(root, date).arg(slot).arg(day > 7 ? u".zst"_s : QString()),
                     codex, day > 7, time);
            written += claude.size() + codex.size();
        }
    }
    return written;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The CPU time of every thread but this one: the reading's, without the ticks that measure the GUI thread's waits.
double otherThreadsCpuSeconds()
{
    double seconds = 0;
    const QString self = QString::number(getpid());
    for (const QString &task : QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(u"/proc/self/task/%1/stat"_s.arg(task));
        if (task == self || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        seconds += (fields.value(11).toLongLong() + fields.value(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
    }
    return seconds;
}

// The machine's load over the last minute, which the figures depend on.
QByteArray loadAverage()
{
    QFile load(u"/proc/loadavg"_s);
    return load.open(QIODevice::ReadOnly) ? load.readAll().split(' ').value(0) : QByteArray("unknown");
}

qint64 peakResidentKiB()
{
    QFile status(u"/proc/self/status"_s);
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The history's writer on its thread, handed a changed row every second.
class HistoryProbe
{
public:
    explicit HistoryProbe(const QString &database)
        : m_writer(new HistoryWriter(database))
    {
        m_writer->moveToThread(&m_thread);
        QObject::connect(&m_thread, &QThread::finished, m_writer, &QObject::deleteLater);
        QObject::connect(m_writer, &HistoryWriter::written, &m_tick, [this] { noteWritten(); });
        m_thread.start();
        QMetaObject::invokeMethod(m_writer, &HistoryWriter::open, Qt::BlockingQueuedConnection);
        m_clock.start();
        m_tick.setInterval(1000);
        QObject::connect(&m_tick, &QTimer::timeout, &m_tick, [this] { hand(); });
        m_tick.start();
    }
    ~HistoryProbe()
    {
        QMetaObject::invokeMethod(m_writer, [thread = &m_thread] { thread->quit(); });
        m_thread.wait();
    }

    double longestWaitMs() const { return m_longestMs; }
    int handed() const { return m_handed; }
    int written() const { return m_written; }

private:
    void hand()
    {
        const HistoryRow row{QDateTime::currentDateTimeUtc(), Provider::claude, u"claude_fast"_s, u"5h"_s,
                             double(++m_handed % 100), QDateTime(), 18000};
        if (!m_waitingSince)
            m_waitingSince = m_clock.nsecsElapsed();
        QMetaObject::invokeMethod(m_writer, [writer = m_writer, row] { writer->write({row}); });
    }
    void noteWritten()
    {
        if (!m_waitingSince)
            return;
        m_longestMs = std::max(m_longestMs, (m_clock.nsecsElapsed() - *std::exchange(m_waitingSince, std::nullopt)) / 1e6);
        m_written = m_handed;
    }

    QThread m_thread;
    HistoryWriter *m_writer;
    QTimer m_tick;
    QElapsedTimer m_clock;
    std::optional<qint64> m_waitingSince; // the oldest row handed and not written yet
    double m_longestMs = 0;
    int m_handed = 0;
    int m_written = 0;
};

// What the program says on standard error while it lives.
class CapturedErrors
{
public:
    CapturedErrors()
        : m_saved(dup(STDERR_FILENO))
    {
        m_file.open();
        dup2(m_file.handle(), STDERR_FILENO);
    }
    QByteArray lines()
    {
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    QTemporaryFile m_file;
    int m_saved;
};

// Runs a reading, or only waits the given time without one, and measures the longest the event
// loop of this thread waited meanwhile: without a reading, what the machine's load alone gives.
std::pair<double, double> timedReading(UsageBreakdown &breakdown, bool first, int idleMs = 0)
{
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    double longestStallMs = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestStallMs = std::max(longestStallMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    QEventLoop loop;
    QObject::connect(&breakdown, &UsageBreakdown::scanned, &loop, &QEventLoop::quit);
    clock.start();
    sinceTick.start();
    tick.start();
    if (idleMs)
        QTimer::singleShot(idleMs, &loop, &QEventLoop::quit);
    else
        first ? breakdown.start() : breakdown.refresh();
    loop.exec();
    return {clock.nsecsElapsed() / 1e6, longestStallMs};
}

// What the windows of a Breakdown() answer add up to: none means it found no files.
qint64 weightedIn(const std::variant<QJsonObject, QString> &answer)
{
    qint64 weighted = 0;
    for (const QJsonValue &provider : std::get<QJsonObject>(answer)[u"providers"_s].toArray()) {
        for (const QJsonValue &window : provider[u"windows"_s].toArray())
            weighted += window[u"weighted"_s].toInteger();
    }
    return weighted;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1024;
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QElapsedTimer clock;
    clock.start();
    const qint64 written = generate(dir.path(), megabytes << 20, now);
    std::printf("generated %.0f MB of logs (inflated) in %.1f s\n", written / 1048576.0, clock.elapsed() / 1000.0);

    const QString database = dir.filePath(u"history.sqlite3"_s);
    std::optional<HistoryProbe> history(std::in_place, database);
    // The windows' accounts go by the same keys as the folders' rows, or Breakdown() finds no files.
    const Account codexAccount{Provider::codex, dir.filePath(u"codex"_s), {}, true};
    const Account claudeAccount{Provider::claude, dir.filePath(u"claude"_s), {}, true};
    const QList<LogFolder> folders{{Provider::codex, dir.filePath(u"codex/sessions"_s), codexAccount.key()},
                                   {Provider::claude, dir.filePath(u"claude/projects"_s), claudeAccount.key()}};
    UsageBreakdown breakdown(database, folders);
    std::printf("longest GUI-thread wait over 5 s without reading: %.1f ms\n", timedReading(breakdown, false, 5000).second);
    const double cpuBefore = cpuSeconds();
    const double threadsBefore = otherThreadsCpuSeconds();
    CapturedErrors errors;
    const auto [firstMs, firstStallMs] = timedReading(breakdown, true);
    const QByteArray said = errors.lines();
    std::printf("history writer during the first reading: %d rows handed a second apart, %d written, longest wait "
                "%.1f ms; \"history is off\" said %lld times\n%s",
                history->handed(), history->written(), history->longestWaitMs(), qlonglong(said.count("history is off")),
                said.constData());
    const double readingCpu = otherThreadsCpuSeconds() - threadsBefore;
    history.reset();
    std::printf("first reading: %.1f s (%.1f s of CPU time, %.1f s of it in the reading's threads: %.0f MB/s on "
                "one core); peak resident %.1f MiB; longest GUI-thread wait %.1f ms; load average %s\n",
                firstMs / 1000, cpuSeconds() - cpuBefore, readingCpu, written / 1048576.0 / readingCpu,
                peakResidentKiB() / 1024.0, firstStallMs, loadAverage().constData());

    // One minute of work: a few requests in two sessions, a turn in one.
    QFile claude(dir.filePath(u"claude/projects/p0/s0-0.jsonl"_s));
    QFile codex(dir.filePath(u"codex/sessions/%1/rollout-0.jsonl"_s.arg(now.addSecs(-3600).toString(u"yyyy/MM/dd"_s))));
    if (!claude.open(QIODevice::Append) || !codex.open(QIODevice::Append))
        qFatal("cannot append to the logs");
    for (int request = 0; request < 4; ++request)
        claude.write(claudeRequest(now, 1, 1000000000 + request));
    codex.write(codexTurn(now) + codexTurn(now));
    claude.close();
    codex.close();
    const double refreshMs = timedReading(breakdown, false).first;
    std::printf("refresh after a minute of appended lines: %.1f ms\n", refreshMs);

    QList<BreakdownWindow> windows;
    for (const Account &account : {codexAccount, claudeAccount}) {
        const QString id = rawValue(account.provider);
        windows.append({account.provider, account, id + u"_fast"_s, u"5h"_s, now.addSecs(-3 * 3600), now.addSecs(2 * 3600), 40});
        windows.append({account.provider, account, id + u"_slow"_s, u"Weekly"_s, now.addDays(-4), now.addDays(3), 60});
    }
    constexpr int runs = 20;
    double slowestMs = 0;
    clock.restart();
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer one;
        one.start();
        BreakdownQuery::read(database, windows, folders, now);
        slowestMs = std::max(slowestMs, one.nsecsElapsed() / 1e6);
    }
    std::printf("Breakdown() with 90 days indexed: %.1f ms on average, %.1f ms at most, %lld weighted tokens in its "
                "windows; history file %.1f MiB\n",
                clock.nsecsElapsed() / 1e6 / runs, slowestMs, qlonglong(weightedIn(BreakdownQuery::read(database, windows, folders, now))),
                QFileInfo(database).size() / 1048576.0);
    return 0;
}
