#include "GaugeIconRenderer.h"
#include "HistoryChart.h"

#include <QGuiApplication>
#include <QLocale>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime end = QDateTime::currentDateTimeUtc();
const QSize size(800, 500);

// Claude's 5h window over the last six hours, with an hour's gap in the middle.
HistoryReader::Record claudeDay()
{
    HistoryReader::Record record{std::nullopt, true, {}};
    for (const auto &[minutesAgo, used] : {std::pair(360, 10.0), std::pair(350, 30.0), std::pair(120, 60.0),
                                           std::pair(60, 70.0)})
        record.rows.append({end.addSecs(-60 * minutesAgo), Provider::claude, u"claude_fast"_s, u"5h"_s, used,
                            end.addSecs(3600), 18000});
    return record;
}

bool hasClaudeInk(const QImage &image)
{
    const QRgb claude = GaugeIconRenderer::providerColor(Provider::claude).rgb();
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
        HistoryChart chart;
        chart.setRecord(claudeDay(), end, 1);
        QSet<QString> found;
        for (int y = 0; y < size.height(); y += 2) {
            for (int x = 0; x < size.width(); x += 2) {
                if (const std::optional<QString> text = chart.describe(QPointF(x, y), QRectF(QPointF(), size)))
                    found.insert(*text);
            }
        }
        QSet<QString> expected;
        for (const HistoryRow &row : claudeDay().rows)
            expected.insert(u"Claude 5h \u00B7 "_s
                            + QLocale().toString(row.fetchedAt.toLocalTime(), u"ddd d MMM HH:mm"_s) + u" \u00B7 "_s
                            + QString::number(row.usedPercent) + u"% used"_s);
        QCOMPARE(found, expected);
    }

    void drawnAtTheDevicePixelRatio()
    {
        HistoryChart chart;
        chart.setRecord(claudeDay(), end, 1);
        const QImage sharp = chart.image(size, 2, QGuiApplication::palette());
        QCOMPARE(sharp.size(), size * 2);
        QVERIFY(hasClaudeInk(sharp));

        chart.setRecord({}, end, 7); // "No history yet", and no line
        QVERIFY(!hasClaudeInk(chart.image(size, 1, QGuiApplication::palette())));
    }
};

QTEST_MAIN(TestHistoryChart)
#include "tst_historychart.moc"
