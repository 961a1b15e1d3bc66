// Measures the running tray program as a desktop session runs it: on an X display, with a
// panel on the session bus (played here) and both usage endpoints served on the loopback.
// Run it under Xvfb and a private bus: bench/run does.
//
//   bench_trayapp [idle seconds, default 120] [rounds, default 15]
//
//   start-up   from starting the process until the panel can read its first icon
//   memory     resident set size, private dirty memory and threads once the menu is filled
//              (the program's after its first refresh), each against the floors of
//              bench_tray_floor, run in the same rounds, interleaved; medians and ratios
//   idle       CPU time and wake-ups over the following idle period, every program at once

#include "FakeHttpServer.h"
#include "FakePanel.h"
#include "ProcessFigures.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QDeadlineTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

bool menuFilled(const StatusItemProbe &item)
{
    const auto menu = item.menuLayout();
    return menu && menu->children.size() > 3;
}

// Lets the event loop run until the condition holds; false when it did not within 30 s.
// Polls every few milliseconds: QTest::qWaitFor sleeps in 10 ms steps, which would blur the
// start-up figure.
bool waitUntil(const std::function<bool()> &condition)
{
    QDeadlineTimer deadline(30000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

struct Run {
    QTemporaryDir home;
    QProcess process;
    std::unique_ptr<StatusItemProbe> item;

    ~Run()
    {
        process.terminate();
        process.waitForFinished();
    }
};

struct Program {
    const char *name;
    QString path;
    QStringList arguments;
};

struct Figures {
    double startMs;
    double residentMiB;
    double privateDirtyMiB;
    double threads;
};

// Starts the program and returns the milliseconds until its first icon was readable.
qint64 start(Run &run, FakePanel &panel, const Program &program, const FakeHttpServer &server)
{
    if (!writeFile(run.home.filePath(u"codex/auth.json"_s), signedInCodexAuth))
        return -1;
    run.process.setProcessEnvironment(trayProgramEnvironment(run.home.path(), server));

    QSignalSpy registered(&panel, &FakePanel::StatusNotifierItemRegistered);
    QElapsedTimer clock;
    clock.start();
    run.process.start(program.path, program.arguments);
    if (!waitUntil([&] { return !registered.isEmpty(); }))
        return -1;
    run.item = std::make_unique<StatusItemProbe>(registered.first().first().toString());
    if (!waitUntil([&] { return !run.item->iconPixmaps().isEmpty(); }))
        return -1;
    return clock.elapsed();
}

// One start of the program, measured once its menu is filled.
std::optional<Figures> measure(const Program &program, FakePanel &panel, const FakeHttpServer &server)
{
    Run run;
    const qint64 time = start(run, panel, program, server);
    if (time < 0 || !waitUntil([&] { return menuFilled(*run.item); }))
        return std::nullopt;
    const qint64 pid = run.process.processId();
    return Figures{double(time), residentKiB(pid) / 1024.0, privateDirtyKiB(pid) / 1024.0,
                   double(threadCount(pid))};
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

Figures medians(const QList<Figures> &runs)
{
    const auto of = [&runs](double Figures::*figure) {
        QList<double> values;
        for (const Figures &run : runs)
            values.append(run.*figure);
        return median(values);
    };
    return {of(&Figures::startMs), of(&Figures::residentMiB), of(&Figures::privateDirtyMiB),
            of(&Figures::threads)};
}

void printRow(const char *name, const Figures &figures, const char *format)
{
    std::printf(format, name, figures.startMs, figures.residentMiB, figures.privateDirtyMiB,
                figures.threads);
}

// Context switches of every thread a process has had since the tally began: read every second,
// so that a thread that ends (a pool thread expiring) keeps all but its last second.
class WakeUpTally
{
public:
    explicit WakeUpTally(qint64 pid) : m_pid(pid), m_first(contextSwitchesByThread(pid)) { sample(); }

    void sample()
    {
        const auto threads = contextSwitchesByThread(m_pid);
        for (auto thread = threads.cbegin(); thread != threads.cend(); ++thread)
            m_last.insert(thread.key(), *thread);
    }

    qint64 total() const
    {
        qint64 woken = 0;
        for (auto thread = m_last.cbegin(); thread != m_last.cend(); ++thread)
            woken += wokenSince(thread.key());
        return woken;
    }

    // "name count, ..." for every thread that woke, those of one name added up.
    QString byThread() const
    {
        QMap<QString, qint64> byName;
        for (auto thread = m_last.cbegin(); thread != m_last.cend(); ++thread)
            byName[thread->name] += wokenSince(thread.key());
        QStringList lines;
        for (auto name = byName.cbegin(); name != byName.cend(); ++name) {
            if (*name > 0)
                lines.append(u"%1 %2"_s.arg(name.key()).arg(*name));
        }
        return lines.join(u", "_s);
    }

private:
    qint64 wokenSince(qint64 thread) const
    {
        return m_last.value(thread).switches - m_first.value(thread, {{}, 0}).switches;
    }

    qint64 m_pid;
    QMap<qint64, ThreadSwitches> m_first;
    QMap<qint64, ThreadSwitches> m_last;
};

// Every program at once over the same idle period, the tray program refreshing every minute as
// the working floor works: CPU time and wake-ups (context switches of every thread).
int measureIdle(const QList<Program> &programs, FakePanel &panel, const FakeHttpServer &server, int idleSeconds)
{
    std::vector<std::unique_ptr<Run>> runs;
    for (const Program &program : programs) {
        runs.push_back(std::make_unique<Run>());
        Run &run = *runs.back();
        writeFile(run.home.filePath(u"config/tidemarker/tidemarker.conf"_s), "refresh_seconds=60\n");
        if (start(run, panel, program, server) < 0 || !waitUntil([&run] { return menuFilled(*run.item); }))
            return 1;
    }
    QList<double> cpuBefore;
    std::vector<WakeUpTally> tallies;
    for (const auto &run : runs) {
        cpuBefore.append(cpuSeconds(run->process.processId()));
        tallies.emplace_back(run->process.processId());
    }
    for (int second = 0; second < idleSeconds; ++second) {
        QTest::qWait(1000);
        for (WakeUpTally &tally : tallies)
            tally.sample();
    }
    std::printf("\nover %d idle seconds, side by side (working ones every 60 s)   CPU (s)  wake-ups  resident (MiB)\n",
                idleSeconds);
    for (qsizetype i = 0; i < programs.size(); ++i) {
        const qint64 pid = runs.at(i)->process.processId();
        std::printf("%-34s %28.3f %9lld %15.1f\n", programs.at(i).name, cpuSeconds(pid) - cpuBefore.at(i),
                    tallies.at(i).total(), residentKiB(pid) / 1024.0);
    }
    std::puts("\nwake-ups by thread");
    for (qsizetype i = 0; i < programs.size(); ++i)
        std::printf("%-34s %s\n", programs.at(i).name, qPrintable(tallies.at(i).byThread()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int idleSeconds = arguments.size() > 1 ? arguments.at(1).toInt() : 120;
    const int rounds = arguments.size() > 2 ? arguments.at(2).toInt() : 15;

    FakeHttpServer server;
    FakePanel panel;
    if (!server.listen() || !panel.start()) {
        std::fputs("bench: cannot serve the endpoints or play the panel\n", stderr);
        return 1;
    }
    serveUsage(server);
    const QString floor = QStringLiteral(TIDEMARKER_TRAY_FLOOR_PROGRAM);
    const QList<Program> programs{
        {"tidemarker", QStringLiteral(TIDEMARKER_E2E_PROGRAM), {}},
        {"bare tray", floor, {}},
        {"tray doing the same work", floor, {u"--work"_s}},
    };
    std::puts("bare tray: a Qt tray icon with the same gauge and menu lines, nothing else\n"
              "tray doing the same work: the bare tray that also claims a bus name, makes both\n"
              "  requests, reads one file in a QtConcurrent task, writes a row to a SQLite file\n"
              "  on a thread of its own and sends one bus signal before it fills its menu, and\n"
              "  again every minute\n");

    // Each round starts every program once, each round in another order.
    QList<QList<Figures>> runs(programs.size());
    for (int round = 0; round < rounds; ++round) {
        for (qsizetype i = 0; i < programs.size(); ++i) {
            const qsizetype which = (round + i) % programs.size();
            if (const auto figures = measure(programs.at(which), panel, server))
                runs[which].append(*figures);
        }
    }
    std::printf("%d interleaved rounds, medians   start (ms)  resident (MiB)  private dirty (MiB)  threads\n",
                rounds);
    QList<Figures> results;
    for (qsizetype i = 0; i < programs.size(); ++i) {
        if (runs.at(i).isEmpty()) {
            std::fprintf(stderr, "bench: %s never showed its icon and menu\n", programs.at(i).name);
            return 1;
        }
        results.append(medians(runs.at(i)));
        printRow(programs.at(i).name, results.last(), "%-34s %10.1f %15.1f %20.1f %8.0f\n");
    }
    for (qsizetype i = 1; i < programs.size(); ++i) {
        const Figures ratio{results[0].startMs / results[i].startMs,
                            results[0].residentMiB / results[i].residentMiB,
                            results[0].privateDirtyMiB / results[i].privateDirtyMiB,
                            results[0].threads / results[i].threads};
        printRow(qPrintable(u"tidemarker / "_s + QString::fromLatin1(programs.at(i).name)), ratio, "%-34s %10.2f %15.2f %20.2f %8.2f\n");
    }
    std::fflush(stdout);
    if (idleSeconds <= 0)
        return 0;

    return measureIdle(programs, panel, server, idleSeconds);
}
