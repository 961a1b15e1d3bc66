#include "HistoryChart.h"
#include "HistoryWriter.h"

#include <QGuiApplication>
#include <QLocale>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

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

// WCAG's relative luminance and contrast ratio.
double luminance(const QColor &colour)
{
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

double distance(const QColor &a, const QColor &b)
{
    return std::hypot(a.red() - b.red(), a.green() - b.green(), a.blue() - b.blue());
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

    void coloursApartAndLegible_data()
    {
        QTest::addColumn<Provider>("provider");
        QTest::addColumn<QColor>("base");
        for (Provider provider : allProviders) {
            QTest::addRow("%s on white", qPrintable(rawValue(provider))) << provider << QColor(Qt::white);
            QTest::addRow("%s on dark", qPrintable(rawValue(provider))) << provider << QColor(0x1e, 0x1e, 0x1e);
        }
    }

    // Eight windows of one provider: each at 3:1 or more against the plot, the first four far
    // apart, the next four still apart.
    void coloursApartAndLegible()
    {
        QFETCH(Provider, provider);
        QFETCH(QColor, base);
        QPalette palette;
        palette.setColor(QPalette::Base, base);
        QList<QColor> colours;
        for (int shade = 0; shade < 8; ++shade)
            colours.append(HistoryChart::lineColour(provider, shade, palette));
        for (qsizetype i = 0; i < colours.size(); ++i) {
            QVERIFY2(contrast(colours[i], base) >= 3, qPrintable(colours[i].name()));
            for (qsizetype j = i + 1; j < colours.size(); ++j)
                QVERIFY2(distance(colours[i], colours[j]) >= (j < 4 ? 55 : 30),
                         qPrintable(colours[i].name() + u' ' + colours[j].name()));
        }
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
