// The usage history: GUI-thread time per refresh, the file after 90 days of one-minute refreshes
// of four windows, the time from "History…" to the first painted chart, and the export.
// build/bench/bench_history [database-path]: keeps the simulated file there when given one.
#include "HistoryExport.h"
#include "HistoryReader.h"
#include "HistoryRecorder.h"
#include "HistoryWindow.h"
#include "HistoryWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>

#include <cmath>
#include <ctime>
#include <cstdio>
#include <random>

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
    QElapsedTimer timer;
    timer.start();
    HistoryReader::Record record = HistoryReader::read(path, end.addDays(-days));
    const double read = milliseconds(timer);
    const qsizetype rows = record.rows.size();
    HistoryChart chart;
    chart.setRecord(std::move(record), end, days);
    timer.restart();
    const QImage image = chart.image(QSize(900, 580), 1, QGuiApplication::palette());
    std::printf("  %d days: read %lld rows in %.1f ms, drawn in %.1f ms\n", days, qlonglong(rows), read,
                milliseconds(timer));
}

void measureExport(const QString &path)
{
    for (HistoryExport::Format format : {HistoryExport::Format::csv, HistoryExport::Format::json}) {
        QElapsedTimer timer;
        timer.start();
        const HistoryReader::Record record = HistoryReader::read(path, QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
        const QByteArray text = HistoryExport::text(format, record.rows);
        std::printf("export of %lld rows as %s: %.1f ms, %.2f MB\n", qlonglong(record.rows.size()),
                    format == HistoryExport::Format::csv ? "CSV" : "JSON", milliseconds(timer),
                    double(text.size()) / 1e6);
    }
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
    measureExport(path);
    if (argc <= 1)
        measureGuiThread(path);
    return 0;
}
