#include "HistoryChart.h"
#include "HistoryWriter.h"

#include <QGuiApplication>
#include <QLocale>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime end = QDateTime::currentDateTimeUtc();
const QSize size(800, 500);

// Claude's 5h window over the last six hours, with an hour's gap in the middle.
QList<HistoryRow> claudeDay()
{
    QList<HistoryRow> rows;
    for (const auto &[minutesAgo, used] : {std::pair(360, 10.0), std::pair(350, 30.0), std::pair(120, 60.0),
                                           std::pair(60, 70.0)})
        rows.append({end.addSecs(-60 * minutesAgo), Provider::claude, u"claude_fast"_s, u"5h"_s, used,
                     end.addSecs(3600), 18000});
    return rows;
}

// The chart of a day of claudeDay(), read from a real file as the window reads it.
HistoryChart claudeChart(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(u"history.sqlite3"_s);
    {
        HistoryWriter writer(path);
        writer.open();
        for (const HistoryRow &row : claudeDay())
            writer.write({row});
    }
    HistoryChart chart;
    chart.setLines(HistoryReader::readLines(path, end.addDays(-1), end, HistoryChart::columnsFor(size, 1)), end, 1);
    return chart;
}

bool hasClaudeInk(const QImage &image)
{
    const QRgb claude = HistoryChart::lineColour(Provider::claude, 0, QGuiApplication::palette()).rgb();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xffffff) == (claude & 0xffffff))
                return true;
        }
    }
    return false;
}

} // namespace

class TestHistoryChart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Hovering anywhere over the chart finds each recorded point, and nothing else.
    void hoverNamesEachPoint()
    {
        QTemporaryDir dir;
        const HistoryChart chart = claudeChart(dir);
        QSet<QString> found;
        for (int y = 0; y < size.height(); y += 2) {
            for (int x = 0; x < size.width(); x += 2) {
                if (const std::optional<QString> text = chart.describe(QPointF(x, y), QRectF(QPointF(), size)))
                    found.insert(*text);
            }
        }
        QSet<QString> expected;
        for (const HistoryRow &row : claudeDay())
            expected.insert(u"Claude 5h \u00B7 "_s
                            + QLocale().toString(row.fetchedAt.toLocalTime(), u"ddd d MMM HH:mm"_s) + u" \u00B7 "_s
                            + QString::number(row.usedPercent) + u"% used"_s);
        QCOMPARE(found, expected);
    }

    void drawnAtTheDevicePixelRatio()
    {
        QTemporaryDir dir;
        HistoryChart chart = claudeChart(dir);
        const QImage sharp = chart.image(size, 2, QGuiApplication::palette());
        QCOMPARE(sharp.size(), size * 2);
        QVERIFY(hasClaudeInk(sharp));

        chart.setLines({}, end, 7); // "No history yet", and no line
        QVERIFY(!hasClaudeInk(chart.image(size, 1, QGuiApplication::palette())));
    }
};

QTEST_MAIN(TestHistoryChart)
#include "tst_historychart.moc"
