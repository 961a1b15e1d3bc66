#include "HistoryChart.h"
#include "HistoryWriter.h"
#include "ProviderTraits.h"
#include "WcagContrast.h"

#include <QFontInfo>
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

// Five windows near their ends an hour ago and now, three of them close together.
QList<HistoryRow> nearlyUsedDay()
{
    QList<HistoryRow> rows;
    for (const auto &[provider, id, name, used] :
         {std::tuple(Provider::codex, u"codex_fast"_s, u"5h"_s, 97.0), std::tuple(Provider::codex, u"codex_slow"_s, u"Weekly"_s, 95.0),
          std::tuple(Provider::codex, u"codex_quill_fast"_s, u"Quill-Preview 5h"_s, 96.0),
          std::tuple(Provider::claude, u"claude_fast"_s, u"5h"_s, 12.0), std::tuple(Provider::claude, u"claude_slow"_s, u"Weekly"_s, 10.0)}) {
        for (int hoursAgo : {1, 0})
            rows.append({end.addSecs(-3600 * hoursAgo - 60), provider, id, name, used - 5 * hoursAgo, end.addSecs(3600), 18000});
    }
    return rows;
}

// The chart of a day of these rows, read from a real file as the window reads it.
HistoryChart chartOf(const QTemporaryDir &dir, const QList<HistoryRow> &rows)
{
    const QString path = dir.filePath(u"history.sqlite3"_s);
    {
        HistoryWriter writer(path);
        writer.open();
        for (const HistoryRow &row : rows)
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
        const HistoryChart chart = chartOf(dir, claudeDay());
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
        for (Provider provider : ProviderTraits::all()) {
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
            QVERIFY2(wcagContrast(colours[i], base) >= 3, qPrintable(colours[i].name()));
            for (qsizetype j = i + 1; j < colours.size(); ++j)
                QVERIFY2(distance(colours[i], colours[j]) >= (j < 4 ? 55 : 30),
                         qPrintable(colours[i].name() + u' ' + colours[j].name()));
        }
    }

    void textsApartAtAnyFont_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<QSize>("area");
        for (qreal scale : {1.0, 1.5}) {
            for (QSize area : {QSize(900, 590), QSize(640, 400)})
                QTest::addRow("%gx font, %dx%d", scale, area.width(), area.height()) << scale << area;
        }
    }

    // Every text within the chart, whole and clear of the others, at the default font and larger.
    void textsApartAtAnyFont()
    {
        QFETCH(qreal, scale);
        QFETCH(QSize, area);
        const QFont original = QGuiApplication::font();
        QFont font = original;
        font.setPointSizeF(QFontInfo(original).pointSizeF() * scale);
        QGuiApplication::setFont(font);
        QTemporaryDir dir;
        const QList<HistoryChart::PlacedText> texts = chartOf(dir, nearlyUsedDay()).texts(QRectF(QPointF(), area));
        QGuiApplication::setFont(original);

        QStringList shown;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            shown.append(texts[i].text);
            QVERIFY2(!texts[i].elided && QRectF(QPointF(), area).contains(texts[i].rect), qPrintable(texts[i].text));
            for (qsizetype j = i + 1; j < texts.size(); ++j)
                QVERIFY2(!texts[i].rect.intersects(texts[j].rect), qPrintable(texts[i].text + u" | "_s + texts[j].text));
        }
        for (const QString &label : {u"% used"_s, u"100%"_s, u"Quill-Preview 5h 96%"_s, u"Weekly 95%"_s, u"5h 97%"_s, u"5h 12%"_s})
            QVERIFY2(shown.contains(label), qPrintable(label));
    }

    void drawnAtTheDevicePixelRatio()
    {
        QTemporaryDir dir;
        HistoryChart chart = chartOf(dir, claudeDay());
        const QImage sharp = chart.image(size, 2, QGuiApplication::palette());
        QCOMPARE(sharp.size(), size * 2);
        QVERIFY(hasClaudeInk(sharp));

        chart.setLines({}, end, 7); // "No history yet", and no line
        QVERIFY(!hasClaudeInk(chart.image(size, 1, QGuiApplication::palette())));
    }
};

QTEST_MAIN(TestHistoryChart)
#include "tst_historychart.moc"
