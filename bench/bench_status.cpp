// Measures tidemarker-status against the running program (the test build, on the loopback
// endpoints, with no tray). Run it under Xvfb and a private bus: bench/run-status does.
//
//   print time   whole process, from start to exit, of tidemarker-status and of a minimal
//                QtDBus client that reads the same property; medians and their ratio
//   --follow     resident memory and CPU time over an idle period (default 600 s), during
//                which Tidemarker refreshes every 60 s and --follow prints each snapshot

#include "FakeHttpServer.h"
#include "ProcessFigures.h"
#include "TrayFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

struct Sample {
    double medianMs;
    double minMs;
    double maxMs;
};

// Whole runs of the program; none when one of them fails.
std::optional<Sample> timeRuns(const QString &program, const QStringList &arguments, int runs)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.start(program, arguments);
        if (!process.waitForFinished() || process.exitCode() != 0)
            return std::nullopt;
        times.append(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return Sample{times.at(times.size() / 2), times.first(), times.last()};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int idleSeconds = arguments.size() > 1 ? arguments.at(1).toInt() : 600;
    const int runs = 21;

    FakeHttpServer server;
    QTemporaryDir home;
    if (!server.listen() || !writeFile(home.filePath(u"codex/auth.json"_s), signedInCodexAuth))
        return 1;
    serveUsage(server);
    QProcess tidemarker;
    tidemarker.setProcessEnvironment(trayProgramEnvironment(home.path(), server));
    tidemarker.start(QStringLiteral(TIDEMARKER_E2E_PROGRAM), {});
    const QString status = QStringLiteral(TIDEMARKER_STATUS_PROGRAM);
    // Ready once the first refresh is published.
    if (!QTest::qWaitFor([&] {
            QProcess probe;
            probe.start(status, {});
            return probe.waitForFinished() && probe.readAll().contains('%');
        }, 30000)) {
        std::fputs("bench: tidemarker never published a snapshot\n", stderr);
        return 1;
    }

    const auto floor = timeRuns(QStringLiteral(TIDEMARKER_DBUS_FLOOR_PROGRAM), {}, runs);
    std::printf("%-34s %8s %8s %8s\n", "print time, whole process (ms)", "median", "min", "max");
    const auto printRow = [](const char *name, const Sample &sample) {
        std::printf("%-34s %8.1f %8.1f %8.1f\n", name, sample.medianMs, sample.minMs, sample.maxMs);
    };
    if (!floor)
        return 1;
    printRow("minimal QtDBus client", *floor);
    for (const QString &format : {u"text"_s, u"json"_s, u"waybar"_s}) {
        const auto sample = timeRuns(status, {u"--format"_s, format}, runs);
        if (!sample)
            return 1;
        printRow(qPrintable(u"tidemarker-status --format "_s + format), *sample);
        std::printf("%-34s %8.2f\n", "  ratio to the minimal client", sample->medianMs / floor->medianMs);
    }

    QProcess follow;
    follow.start(status, {u"--follow"_s, u"--format"_s, u"waybar"_s});
    if (!follow.waitForReadyRead())
        return 1;
    const qint64 pid = follow.processId();
    const double cpuBefore = cpuSeconds(pid);
    std::printf("--follow resident memory after its first line: %.1f MiB\n", residentKiB(pid) / 1024.0);
    std::fflush(stdout);
    QTest::qWait(idleSeconds * 1000);
    const double cpuUsed = cpuSeconds(pid) - cpuBefore;
    const qsizetype lines = follow.readAllStandardOutput().count('\n');
    std::printf("--follow over %d s: CPU %.3f s (%.4f%% of one core), resident memory then %.1f MiB, "
                "%lld lines printed in all\n",
                idleSeconds, cpuUsed, 100 * cpuUsed / idleSeconds, residentKiB(pid) / 1024.0, qint64(lines));
    follow.kill();
    follow.waitForFinished();
    tidemarker.terminate();
    tidemarker.waitForFinished();
    return 0;
}
