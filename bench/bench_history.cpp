// The usage history: GUI-thread time per refresh, the file after 90 days of one-minute refreshes
// of four windows, the time from "History…" to the first painted chart; then a record of 50
// windows at a row a minute for 90 days (6.48 M rows): the chart's time, GUI-thread stall and
// memory, and the export's and --render-history's time and peak memory, also of an earlier
// build when TIDEMARKER_BENCH_BEFORE names its build folder.
// build/bench/bench_history [database-path]: keeps the simulated file there when given one.
#include "HistoryReader.h"
#include "HistoryRecorder.h"
#include "HistorySchema.h"
#include "HistoryWindow.h"
#include "HistoryWriter.h"
#include "ProcessFigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <ctime>
#include <cstdio>
#include <random>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int simulatedDays = 90;

// A window used in working hours (08:00 to 18:00 UTC on weekdays) at its own rate, reset on schedule.
struct SimulatedWindow {
    Provider provider;
    WindowSpeed speed;
    qint64 length;
    double percentPerWorkingMinute;
    double used = 0;
    QDateTime resetAt;
};

bool working(const QDateTime &time)
{
    return time.date().dayOfWeek() <= 5 && time.time().hour() >= 8 && time.time().hour() < 18;
}

UsageStatus advance(QList<SimulatedWindow> &windows, const QDateTime &now, std::mt19937 &random)
{
    std::uniform_real_distribution<double> jitter(0, 2);
    UsageStatus status{now, {}};
    for (SimulatedWindow &window : windows) {
        while (now >= window.resetAt) {
            window.used = 0;
            window.resetAt = window.resetAt.addSecs(window.length);
        }
        if (working(now))
            window.used = std::min(100.0, window.used + window.percentPerWorkingMinute * jitter(random));
        std::optional<ProviderResult> result = status.result(window.provider);
        if (!result)
            status.results.append({window.provider, true, u"live"_s, std::nullopt, {}, false});
        auto &target = status.results[window.provider == status.results.first().provider ? 0 : 1];
        target.windows.append(UsageWindow::make(window.provider, window.speed, std::floor(window.used),
                                                window.resetAt, double(window.length), now));
    }
    return status;
}

QList<SimulatedWindow> fourWindows(const QDateTime &start)
{
    return {{Provider::codex, WindowSpeed::fast, 18000, 0.25, 0, start.addSecs(18000)},
            {Provider::codex, WindowSpeed::slow, 604800, 0.02, 0, start.addDays(7)},
            {Provider::claude, WindowSpeed::fast, 18000, 0.35, 0, start.addSecs(15000)},
            {Provider::claude, WindowSpeed::slow, 604800, 0.03, 0, start.addDays(5)}};
}

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// One refresh a minute for 90 days up to now, through the writer as the program uses it.
void simulate(const QString &path)
{
    const QDateTime end = QDateTime::currentDateTimeUtc();
    QDateTime now = end.addDays(-simulatedDays);
    QList<SimulatedWindow> windows = fourWindows(now);
    std::mt19937 random(18);
    HistoryWriter writer(path);
    writer.open();
    QElapsedTimer timer;
    timer.start();
    int refreshes = 0;
    for (; now <= end; now = now.addSecs(60), ++refreshes)
        writer.write(HistoryRow::ofLiveResults(advance(windows, now, random)));
    std::printf("simulated %d refreshes of 4 windows in %.1f s\n", refreshes, milliseconds(timer) / 1000);
}

void measureGuiThread(const QString &path)
{
    HistoryRecorder recorder(path);
    QSignalSpy ready(&recorder, &HistoryRecorder::ready);
    ready.wait(10000);
    QList<SimulatedWindow> windows = fourWindows(QDateTime::currentDateTimeUtc());
    std::mt19937 random(19);
    const int refreshes = 10000;
    QList<UsageStatus> statuses;
    for (int i = 0; i < refreshes; ++i)
        statuses.append(advance(windows, QDateTime::currentDateTimeUtc().addSecs(60 * i), random));
    QElapsedTimer timer;
    timer.start();
    for (const UsageStatus &status : std::as_const(statuses))
        recorder.record(status);
    std::printf("GUI thread per refresh with history on: %.4f ms (mean of %d)\n", milliseconds(timer) / refreshes,
                refreshes);
}

// The program makes the window, hidden, at start; "History…" shows it with the default period.
void measureChart(const QString &path)
{
    HistoryWindow window(path);
    QSignalSpy loaded(&window, &HistoryWindow::loaded);
    // Wall time, and the CPU time of all threads, which a machine busy with other work does not stretch.
    const auto timeUntilPainted = [&](const char *what, const auto &start) {
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpu = std::clock();
        start();
        if (!loaded.wait(10000))
            return;
        window.grab();
        std::printf("%s: %.1f ms (CPU %.1f ms)\n", what, milliseconds(timer),
                    double(std::clock() - cpu) * 1000 / CLOCKS_PER_SEC);
    };
    timeUntilPainted("\"History…\" to the first painted chart (7 days of 90 kept)", [&] { window.present(); });
    for (QToolButton *button : window.findChildren<QToolButton *>()) {
        if (button->text() == u"%1 days"_s.arg(simulatedDays))
            timeUntilPainted("choosing 90 days to the painted chart", [button] { button->click(); });
    }
}

// The two halves of a chart: the read off the GUI thread, and the drawing on it.
void measureChartParts(const QString &path, int days)
{
    const QDateTime end = QDateTime::currentDateTimeUtc();
    const QSize size(900, 580);
    QElapsedTimer timer;
    timer.start();
    HistoryReader::Lines lines = HistoryReader::readLines(path, end.addDays(-days), end, HistoryChart::columnsFor(size, 1));
    const double read = milliseconds(timer);
    qsizetype columns = 0;
    for (const HistoryReader::Line &line : std::as_const(lines.lines))
        columns += line.columns.size();
    HistoryChart chart;
    chart.setLines(std::move(lines), end, days);
    timer.restart();
    const QImage image = chart.image(size, 1, QGuiApplication::palette());
    std::printf("  %d days: read %lld columns in %.1f ms, drawn in %.1f ms\n", days, qlonglong(columns), read,
                milliseconds(timer));
}

struct ChildFigures {
    double seconds = -1;
    qint64 peakKiB = -1;
    int status = -1;
};

// Runs a program with its output thrown away: its wall time and peak resident memory (as last
// seen, every 20 ms).
ChildFigures runMeasured(const QString &program, const QStringList &arguments, const QString &stateHome)
{
    QList<QByteArray> words{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        words.append(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    qputenv("XDG_STATE_HOME", QFile::encodeName(stateHome));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t child = 0;
    ChildFigures figures;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        // The child's own peak: its rusage would count this process's memory, which it began as.
        int status = 0;
        while (waitpid(child, &status, WNOHANG) == 0) {
            figures.peakKiB = std::max(figures.peakKiB, peakResidentKiB(child));
            QThread::msleep(20);
        }
        figures.seconds = milliseconds(timer) / 1000;
        figures.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return figures;
}

// The export and --render-history of the file in stateHome, by this build and, when the
// environment names one in TIDEMARKER_BENCH_BEFORE, by an earlier build, one after the other.
void measurePrograms(const QString &stateHome, qint64 rows)
{
    QList<std::pair<QString, QString>> builds{{u"after"_s, QFileInfo(QStringLiteral(TIDEMARKER_PROGRAM)).path()}};
    if (const QString before = qEnvironmentVariable("TIDEMARKER_BENCH_BEFORE"); !before.isEmpty())
        builds.prepend({u"before"_s, before});
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const auto &[name, folder] : builds) {
        const QString status = folder + u"/tidemarker-status"_s;
        for (const QString &format : {u"csv"_s, u"json"_s}) {
            const ChildFigures figures = runMeasured(status, {u"--history"_s, u"--format"_s, format}, stateHome);
            std::printf("  %-6s export as %s: %.1f s, %.0f rows/s, peak %.1f MiB (status %d)\n", qPrintable(name),
                        qPrintable(format), figures.seconds, double(rows) / figures.seconds,
                        double(figures.peakKiB) / 1024, figures.status);
        }
        const ChildFigures drawn = runMeasured(folder + u"/tidemarker"_s,
                                               {u"--render-history"_s, stateHome + u"/chart.png"_s, u"--days"_s, u"90"_s},
                                               stateHome);
        std::printf("  %-6s --render-history --days 90: %.2f s, peak %.1f MiB (status %d)\n", qPrintable(name),
                    drawn.seconds, double(drawn.peakKiB) / 1024, drawn.status);
    }
}

// 90 days of a row a minute for each of 50 windows, written straight in the writer's tables and summed up per hour.
qint64 generateLarge(const QString &path)
{
    {
        HistoryWriter writer(path);
        writer.open();
    }
    QSqlDatabase database = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"large"_s);
    database.setDatabaseName(path);
    database.open();
    QSqlQuery query(database);
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - qint64(simulatedDays) * 86'400'000;
    query.exec(u"BEGIN"_s);
    query.exec(u"WITH RECURSIVE w (k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM w WHERE k < 50) "
               "INSERT INTO windows (key, window_id, provider, name) SELECT k, CASE WHEN k % 2 THEN 'codex' ELSE 'claude' END || '_extra_w' || k, "
               "CASE WHEN k % 2 THEN 'codex' ELSE 'claude' END, 'W' || k FROM w"_s);
    query.exec(u"WITH RECURSIVE m (i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM m WHERE i < %1 - 1) "
               "INSERT INTO samples SELECT w.key, %2 + m.i * 60000, (m.i / 10 + w.key * 7) % 100, "
               "%2 / 1000 + (m.i / 300 + 1) * 18000, 18000 FROM windows w, m ORDER BY w.key, m.i"_s
                   .arg(simulatedDays * 1440)
                   .arg(start));
    query.exec(HistorySchema::rollUp(u"true"_s));
    query.exec(u"COMMIT"_s);
    query.exec(u"SELECT count(*) FROM samples"_s);
    query.next();
    const qint64 rows = query.value(0).toLongLong();
    query = QSqlQuery();
    database.close();
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"large"_s);
    return rows;
}

// "History…" and then "90 days" on the large file: until painted, the longest the GUI thread
// did not answer, and the memory taken at the peak.
void measureLargeWindow(const QString &path)
{
    HistoryWindow window(path);
    QSignalSpy loaded(&window, &HistoryWindow::loaded);
    window.present();
    loaded.wait(60000);
    QFile peakReset(u"/proc/self/clear_refs"_s);
    if (peakReset.open(QIODevice::WriteOnly))
        peakReset.write("5");
    peakReset.close();
    const qint64 before = residentKiB(QCoreApplication::applicationPid());
    QElapsedTimer sinceTick;
    qint64 longestStall = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
    tick.start(5);
    sinceTick.start();
    QElapsedTimer timer;
    timer.start();
    for (QToolButton *button : window.findChildren<QToolButton *>()) {
        if (button->text() == u"%1 days"_s.arg(simulatedDays))
            button->click();
    }
    loaded.wait(60000);
    window.grab();
    std::printf("  choosing 90 days to the painted chart: %.1f ms, longest GUI-thread stall %lld ms, "
                "%.1f MiB above the resident memory before\n",
                milliseconds(timer), qlonglong(longestStall),
                double(peakResidentKiB(QCoreApplication::applicationPid()) - before) / 1024);
}

void measureLarge()
{
    QTemporaryDir stateHome;
    const QString path = stateHome.filePath(u"tidemarker/history.sqlite3"_s);
    QElapsedTimer timer;
    timer.start();
    const qint64 rows = generateLarge(path);
    std::printf("large record: %lld rows of 50 windows over %d days, %.0f MB, made in %.1f s\n", qlonglong(rows),
                simulatedDays, double(QFileInfo(path).size()) / 1e6, milliseconds(timer) / 1000);
    if (rows == 0) {
        std::printf("  the record could not be made: the history tables are not the ones this benchmark fills\n");
        return;
    }
    measureLargeWindow(path);
    measureChartParts(path, simulatedDays);
    measurePrograms(stateHome.path(), rows);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QString path = argc > 1 ? QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath()
                                  : dir.filePath(u"history.sqlite3"_s);
    simulate(path);
    std::printf("database after %d days: %.2f MB\n", simulatedDays, double(QFileInfo(path).size()) / 1e6);
    measureChart(path);
    measureChartParts(path, HistoryChart::defaultDays);
    measureChartParts(path, simulatedDays);
    if (argc <= 1)
        measureGuiThread(path);
    measureLarge();
    return 0;
}
