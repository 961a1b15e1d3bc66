#pragma once

#include "HistoryChartText.h"
#include "HistoryFocus.h"
#include "HistoryReader.h"

#include <QDateTime>
#include <QImage>
#include <QPalette>
#include <QRectF>

#include <optional>

class QPainter;

// The chart of the record, drawn with QPainter in logical units, so that it is sharp at any
// device pixel ratio: for each account a panel with each window's used share over time, the
// even pace of its current period as a thin diagonal, the resets as faint marks, gaps where
// nothing was recorded, and each window's name and latest share beside its last point. It draws
// what the record sums up per pixel column, never the rows themselves.
class HistoryChart
{
public:
    static constexpr int defaultDays = 7;
    // Rows further apart than this leave a gap: Tidemarker was not running in between.
    static constexpr qint64 gapSeconds = 20 * 60;

    // The columns worth reading for a chart of this size: one per device pixel of its plots.
    static int columnsFor(QSizeF size, qreal devicePixelRatio);
    // A window's colour: its provider's family, far enough apart to tell, dark enough on a
    // light palette and light enough on a dark one.
    static QColor lineColour(Provider provider, int shade, const QPalette &palette);

    void setLines(HistoryReader::Lines lines, const QDateTime &end, int days);
    // What to make stand out; nothing does without one.
    void setFocus(const std::optional<HistoryFocus> &focus);

    void paint(QPainter &painter, const QRectF &area, const QPalette &palette) const;
    // The window, time and share of the point nearest to position, if one is near.
    std::optional<QString> describe(QPointF position, const QRectF &area) const;

    using PlacedText = HistoryChartText::Placed;
    // Every text the chart shows in that area, in the application's font, and where.
    QList<PlacedText> texts(const QRectF &area) const;

    // The chart drawn into a new image of the given logical size.
    QImage image(QSize size, qreal devicePixelRatio, const QPalette &palette) const;

private:
    struct Series {
        qsizetype line; // in the lines read
        int shade; // the window's place among its account's
        bool extra; // a limit beside the 5-hour and weekly windows: drawn dashed
    };
    // One for each account the record has, and one for each provider it has none of.
    struct Panel {
        Account account;
        QRectF box;
        QList<PlacedText> legend; // the account's name, then its windows'
        qreal column; // right of the plot, for the latest shares' labels
        QRectF plot;
    };

    QList<Panel> panels(const QRectF &area, const HistoryChartText::Metrics &metrics) const;
    QList<PlacedText> panelTexts(const Panel &panel, const HistoryChartText::Metrics &metrics) const;
    QList<PlacedText> axisLabels(const Panel &panel, const HistoryChartText::Metrics &metrics) const;
    QStringList latestTexts() const;
    QList<HistoryChartText::Latest> latest(const Panel &panel, const QPalette &palette) const;
    QList<Account> panelAccounts() const;
    static Account accountOf(const HistoryReader::Line &line);
    QList<const Series *> seriesOf(const Account &account) const;
    QPointF pointAt(const QRectF &plot, const QDateTime &time, double percent) const;
    qreal xOf(const QRectF &plot, const QDateTime &time) const;
    QPen linePen(const Series &series, const QPalette &palette, qreal width) const;
    void paintPanel(QPainter &painter, const Panel &panel, const HistoryChartText::Metrics &metrics,
                    const QPalette &palette) const;
    void paintGrid(QPainter &painter, const QRectF &plot, const QPalette &palette) const;
    void paintPeriods(QPainter &painter, const QRectF &plot, const Series &series, const QPalette &palette) const;
    void paintSeries(QPainter &painter, const QRectF &plot, const Series &series, const QPalette &palette) const;
    QStringList legendNames(const Account &account) const;

    HistoryReader::Lines m_lines;
    QList<Series> m_series;
    QDateTime m_start;
    QDateTime m_end;
    std::optional<HistoryFocus> m_focus;
};
