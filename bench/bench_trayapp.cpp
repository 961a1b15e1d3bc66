// Measures the running tray program as a desktop session runs it: on an X display, with a
// panel on the session bus (played here) and both usage endpoints served on the loopback.
// Run it under Xvfb and a private bus: bench/run does.
//
//   start-up   from starting the process until the panel can read its first icon
//   memory     resident set size once the first refresh has filled the menu
//   idle CPU   user + system time spent over the following idle period (default 120 s)

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

// Starts the program and returns the milliseconds until its first icon was readable.
qint64 start(Run &run, FakePanel &panel, const QString &program, const FakeHttpServer &server)
{
    if (!writeFile(run.home.filePath(u"codex/auth.json"_s), signedInCodexAuth))
        return -1;
    run.process.setProcessEnvironment(trayProgramEnvironment(run.home.path(), server));

    QSignalSpy registered(&panel, &FakePanel::StatusNotifierItemRegistered);
    QElapsedTimer clock;
    clock.start();
    run.process.start(program, {});
    if (!waitUntil([&] { return !registered.isEmpty(); }))
        return -1;
    run.item = std::make_unique<StatusItemProbe>(registered.first().first().toString());
    if (!waitUntil([&] { return !run.item->iconPixmaps().isEmpty(); }))
        return -1;
    return clock.elapsed();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int idleSeconds = arguments.size() > 1 ? arguments.at(1).toInt() : 120;
    const int startRuns = 5;

    FakeHttpServer server;
    FakePanel panel;
    if (!server.listen() || !panel.start()) {
        std::fputs("bench: cannot serve the endpoints or play the panel\n", stderr);
        return 1;
    }
    serveUsage(server);
    const QString program = QStringLiteral(TIDEMARKER_E2E_PROGRAM);

    QList<qint64> startTimes;
    for (int i = 0; i < startRuns; ++i) {
        Run run;
        if (const qint64 time = start(run, panel, program, server); time >= 0)
            startTimes.append(time);
    }
    if (startTimes.isEmpty()) {
        std::fputs("bench: the program never showed its icon\n", stderr);
        return 1;
    }
    std::sort(startTimes.begin(), startTimes.end());
    std::printf("start-up to first icon: median %lld ms, min %lld ms, max %lld ms "
                "(%lld of %d starts showed it)\n",
                startTimes.at(startTimes.size() / 2), startTimes.first(), startTimes.last(),
                qint64(startTimes.size()), startRuns);

    Run run;
    if (start(run, panel, program, server) < 0 || !waitUntil([&] { return menuFilled(*run.item); }))
        return 1;
    const qint64 pid = run.process.processId();
    std::printf("resident memory after the first refresh: %.1f MiB\n", residentKiB(pid) / 1024.0);

    const double cpuBefore = cpuSeconds(pid);
    QTest::qWait(idleSeconds * 1000);
    const double cpuUsed = cpuSeconds(pid) - cpuBefore;
    std::printf("CPU time over %d idle seconds: %.3f s (%.3f%% of one core), "
                "resident memory then: %.1f MiB\n",
                idleSeconds, cpuUsed, 100 * cpuUsed / idleSeconds, residentKiB(pid) / 1024.0);
    return 0;
}
